#pragma once
// What signatures and layouts need of the kernel services above them, as an interface the
// kernel services implement, so that nothing in the signature layer includes the kernel.
#include <cstdint>
#include <string>

#include "vtx/Datatype.h"
#include "vtx/Domain.h"
#include "vtx/Layout.h"

namespace vtxhost {

// What signatures and layouts ask of the kernel that hosts them: datatypes, domains and
// layouts made by class identity (null when no catalog has the class), and the kernel's
// settings (the trace level a new signature starts with).
class ISignatureServices {
public:
    virtual Vtx::IDatatype* CreateDatatype(const char* catalogId, const char* classId) = 0;
    virtual Vtx::IDatatypeDomain* CreateDomain(const std::string& catalogId, const std::string& classId) = 0;
    virtual Vtx::IDatatypeLayout* CreateLayout(const std::string& catalogId, const std::string& classId) = 0;
    virtual std::int64_t GetInt64Setting(const char* section, const char* name) = 0;

protected:
    ~ISignatureServices() = default;
};

} // namespace vtxhost
