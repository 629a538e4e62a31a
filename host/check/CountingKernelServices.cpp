#include "host/check/CountingKernelServices.h"

#include <algorithm>

#include "vtx/BlockSignature.h"
#include "vtx/Datatype.h"
#include "vtx/Layout.h"
#include "vtx/RunTimeContext.h"

namespace vtxhost {

namespace {
std::string Text(const char* text) { return text ? text : ""; }
} // namespace

CCountingKernelServices::~CCountingKernelServices() { Settle(); }

template <class T>
T* CCountingKernelServices::Counted(T* object, std::string description) {
    if (object) Track(object, std::move(description));
    return object;
}

void CCountingKernelServices::Track(ulx::I_ReferenceCountedClass* object, std::string description) {
    if (!object) return;
    object->AddRef();
    auto* asObject = dynamic_cast<Vtx::IObject*>(object);
    if (asObject) byObject_.emplace(asObject, tracked_.size());
    tracked_.push_back(Tracked{object, std::move(description), asObject, false});
    ++live_;
}

void CCountingKernelServices::Compact() {
    std::size_t kept = 0;
    byObject_.clear();
    for (std::size_t i = 0; i < tracked_.size(); ++i) {
        if (tracked_[i].forgotten) continue;
        if (kept != i) tracked_[kept] = std::move(tracked_[i]);
        if (tracked_[kept].asObject) byObject_.emplace(tracked_[kept].asObject, kept);
        ++kept;
    }
    tracked_.resize(kept);
}

Vtx::IDatatype* CCountingKernelServices::CreateDatatype(const char* catalogId, const char* classId) {
    return Counted(CKernelServices::CreateDatatype(catalogId, classId),
                   Text(catalogId) + "/" + Text(classId) + " datatype");
}

Vtx::IDatatypeInitInfo* CCountingKernelServices::CreateDatatypeInitInfo(const char* catalogId, const char* classId) {
    return Counted(CKernelServices::CreateDatatypeInitInfo(catalogId, classId),
                   Text(catalogId) + "/" + Text(classId) + " init information");
}

Vtx::IBlockSignature* CCountingKernelServices::CreateBlockSignature(Vtx::IBlock* block) {
    return Counted(CKernelServices::CreateBlockSignature(block), "block signature");
}

Vtx::IBlockLayout* CCountingKernelServices::CreateBlockLayout(Vtx::IBlock* block) {
    return Counted(CKernelServices::CreateBlockLayout(block), "block layout");
}

Vtx::IRunTimeContext* CCountingKernelServices::CreateRunTimeContext(Vtx::IBlock* block) {
    return Counted(CKernelServices::CreateRunTimeContext(block), "run-time context");
}

std::int32_t CCountingKernelServices::DestroyObject(Vtx::IObject* object) {
    const auto range = byObject_.equal_range(object);
    for (auto it = range.first; it != range.second; ++it) {
        if (tracked_[it->second].forgotten) continue;
        tracked_[it->second].forgotten = true;
        --live_;
    }
    byObject_.erase(range.first, range.second);
    return CKernelServices::DestroyObject(object);
}

std::vector<std::string> CCountingKernelServices::Settle() {
    // Each pass lets go of the objects only this host still holds; letting go of one may
    // free others, so passes repeat until one changes nothing.
    for (bool progress = true; progress;) {
        progress = false;
        for (std::size_t i = 0; i < tracked_.size(); ++i) {
            if (tracked_[i].forgotten) continue;
            ulx::I_ReferenceCountedClass* object = tracked_[i].object;
            object->AddRef();
            const std::int32_t count = object->Release();
            if (count <= 1) {
                tracked_[i].forgotten = true;
                --live_;
                object->Release();
                progress = true;
            }
        }
        Compact();
    }
    std::vector<std::string> leaks;
    for (const Tracked& entry : tracked_) {
        entry.object->AddRef();
        const std::int32_t others = entry.object->Release() - 1;
        leaks.push_back(entry.description + ", held " + std::to_string(others) + " more time" +
                        (others == 1 ? "" : "s"));
        entry.object->Release();
    }
    tracked_.clear();
    byObject_.clear();
    live_ = 0;
    return leaks;
}

} // namespace vtxhost
