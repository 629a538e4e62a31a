#pragma once
// The class objects the host hands to every object it creates, one per class identity.
// The host's class registry owns them for its whole life: references taken by objects are
// counted but never delete a class.
#include <atomic>
#include <cstdint>
#include <string>

#include "vtx/ObjectClass.h"

namespace vtxhost {

// The bodies shared by every kind of class object.
template <class I>
class CHostClassBase : public I {
public:
    CHostClassBase(std::string classId, Vtx::IObjectClass* catalog, std::string name = {},
                   std::string description = {})
        : classId_(std::move(classId)), name_(std::move(name)), description_(std::move(description)),
          catalog_(catalog) {}
    virtual ~CHostClassBase() = default;

    std::int32_t Destroy() override { return 0; }
    std::int32_t AddRef() override { return ++count_; }
    std::int32_t Release() override { return --count_; }

    const char* GetClassId() override { return classId_.c_str(); }
    const char* GetText1() override { return name_.c_str(); }
    const char* GetText2() override { return description_.c_str(); }
    const char* GetText3() override { return ""; }
    const char* GetText4() override { return ""; }
    Vtx::BitmapHandle GetBitmap() override { return nullptr; }
    // A catalog's own class object is its own catalog.
    Vtx::IObjectClass* GetCatalog() override { return catalog_ ? catalog_ : this; }

private:
    std::string classId_;
    std::string name_;
    std::string description_;
    Vtx::IObjectClass* catalog_;
    std::atomic<std::int32_t> count_{0};
};

using CHostObjectClass = CHostClassBase<Vtx::IObjectClass>;
using CHostDatatypeClass = CHostClassBase<Vtx::IDatatypeClass>;

} // namespace vtxhost
