#pragma once
// The host's diagnostic log: keeps every record in memory, in the order they were begun,
// and optionally hands each new entry to an observer (vtxhost prints them as they come).
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "sdk/object/ReferenceCounting.h"
#include "vtx/DiagnosticLog.h"

namespace vtxhost {

struct LogEntry {
    std::int32_t record;
    std::int32_t severity;
    std::string text;
};

class CDiagnosticLog : public ulx::default_delete<ulx::reference_counted_class_impl<Vtx::IDiagnosticLog>> {
public:
    using Observer = std::function<void(const LogEntry&)>;

    std::int32_t Destroy() override;
    std::int32_t BeginRecord(std::int32_t severity, const char* text) override;
    void Append(std::int32_t record, std::int32_t severity, const char* text) override;

    // Every entry written so far, in writing order.
    std::vector<LogEntry> Entries() const;
    std::size_t RecordCount() const;
    void ClearEntries();
    void SetObserver(Observer observer);

private:
    void Add(LogEntry entry);

    mutable std::mutex mutex_;
    std::vector<LogEntry> entries_;
    std::int32_t nextRecord_ = 1;
    Observer observer_;
};

} // namespace vtxhost
