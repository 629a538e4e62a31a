#pragma once
// Kernel services that count the objects they hand out, for a host that wants to know
// whether a module releases everything it obtained: every datatype, init information,
// block signature, layout and run-time context made through them (whoever asked: the
// module, the host, or a module object), and whatever the caller adds with Track.
//
// Counting works by holding one extra reference on each object until Settle. Settle then
// lets go of every object nobody else holds, over and over (an object let go of may let go
// of others it held), and names those that stay held: the leaks.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/kernel/KernelServices.h"

namespace vtxhost {

class CCountingKernelServices : public CKernelServices {
public:
    CCountingKernelServices() = default;
    // Settles what is still tracked.
    ~CCountingKernelServices() override;

    Vtx::IDatatype* CreateDatatype(const char* catalogId, const char* classId) override;
    Vtx::IDatatypeInitInfo* CreateDatatypeInitInfo(const char* catalogId, const char* classId) override;
    Vtx::IBlockSignature* CreateBlockSignature(Vtx::IBlock* block) override;
    Vtx::IBlockLayout* CreateBlockLayout(Vtx::IBlock* block) override;
    Vtx::IRunTimeContext* CreateRunTimeContext(Vtx::IBlock* block) override;
    // An object deleted on request is no longer tracked.
    std::int32_t DestroyObject(Vtx::IObject* object) override;

    // Counts an object made elsewhere (a block the host created through a module signature).
    void Track(ulx::I_ReferenceCountedClass* object, std::string description);
    std::size_t TrackedCount() const { return live_; }

    // Lets go of every object no one else holds; describes each one still held by others
    // ("kernel/double datatype, held 2 more times"). Those stay alive and are forgotten.
    std::vector<std::string> Settle();

private:
    struct Tracked {
        ulx::I_ReferenceCountedClass* object;
        std::string description;
        Vtx::IObject* asObject;  // the object as DestroyObject names it, or null
        bool forgotten;          // destroyed on request, or let go of by Settle
    };
    template <class T>
    T* Counted(T* object, std::string description);
    // Drops the forgotten entries and indexes the rest again.
    void Compact();

    // Entries are only marked while objects are let go of (which may call back into
    // DestroyObject or Track); they are removed between passes, so every step is linear.
    std::vector<Tracked> tracked_;
    std::unordered_multimap<Vtx::IObject*, std::size_t> byObject_;
    std::size_t live_ = 0;
};

} // namespace vtxhost
