#pragma once
// The host's diagnostic log: records of one or more entries, each with a severity.
#include <cstdint>

#include "vtx/Fwd.h"
#include "vtx/ReferenceCounted.h"

namespace Vtx {

enum LogSeverity : std::int32_t {
    kLogTrace = 1,
    kLogWarning = 2,
    kLogError = 3,
};

struct IDiagnosticLog : ulx::I_ReferenceCountedClass {
    // Opens a record with its first entry; returns the record's handle (never 0).
    virtual std::int32_t BeginRecord(std::int32_t severity, const char* text) = 0;
    // Adds an entry to an open record; an unknown handle opens a new record instead, so
    // nothing written is lost.
    virtual void Append(std::int32_t record, std::int32_t severity, const char* text) = 0;

protected:
    ~IDiagnosticLog() = default;
};

} // namespace Vtx
