#include "host/signature/Pins.h"

#include <algorithm>

#include "sdk/object/Exceptions.h"

namespace vtxhost {

namespace {
void CheckRange(std::int32_t index, std::size_t count) {
    if (index < 0 || static_cast<std::size_t>(index) >= count)
        throw Vtx::CCollectionExceptionImpl(index, 0, static_cast<std::int32_t>(count) - 1);
}
} // namespace

void CClassIdentityList::AddEntry(const char* catalogId, const char* classId) {
    entries_.emplace_back(catalogId ? catalogId : "", classId ? classId : "");
}

const char* CClassIdentityList::GetCatalogId(std::int32_t index) {
    CheckRange(index, entries_.size());
    return entries_[index].first.c_str();
}

const char* CClassIdentityList::GetClassId(std::int32_t index) {
    CheckRange(index, entries_.size());
    return entries_[index].second.c_str();
}

CInputPinImpl::CInputPinImpl(Vtx::IBlock* block, std::string id, std::string name, std::string description,
                             std::string typeCatalogId, std::string typeClassId, bool flag0, bool flag1, bool flag2)
    : CPinBase(block, std::move(id), std::move(name), std::move(description), std::move(typeCatalogId),
               std::move(typeClassId)),
      flags_{flag0, flag1, flag2} {}

Vtx::ISyncOutPin* CInputPinImpl::GetLinkedOutput() { return linkedOutput_; }

bool CInputPinImpl::GetInputFlag(std::int32_t index) { return index >= 0 && index < 3 && flags_[index]; }

void CInputPinImpl::SetFlags(bool flag0, bool flag1, bool flag2) {
    flags_[0] = flag0;
    flags_[1] = flag1;
    flags_[2] = flag2;
}

COutputPinImpl::COutputPinImpl(Vtx::IBlock* block, std::string id, std::string name, std::string description,
                               std::string typeCatalogId, std::string typeClassId, std::string outputTag,
                               std::string typeSourcePinId)
    : CPinBase(block, std::move(id), std::move(name), std::move(description), std::move(typeCatalogId),
               std::move(typeClassId)),
      outputTag_(std::move(outputTag)), typeSourcePinId_(std::move(typeSourcePinId)) {}

Vtx::ISyncInPin* COutputPinImpl::GetLinkedInput(std::int32_t index) {
    if (holes_ > 0) CloseHoles();
    CheckRange(index, links_.size() - first_);
    return links_[first_ + static_cast<std::size_t>(index)];
}

void COutputPinImpl::AddLink(CInputPinImpl* input) {
    input->SetLinkSlot(links_.size());
    links_.push_back(input);
}

void COutputPinImpl::CloseHoles() {
    std::size_t kept = 0;
    for (std::size_t i = first_; i < links_.size(); ++i) {
        if (!links_[i]) continue;
        links_[i]->SetLinkSlot(kept);
        links_[kept++] = links_[i];
    }
    links_.resize(kept);
    first_ = 0;
    holes_ = 0;
}

void COutputPinImpl::SetOutputTexts(std::string outputTag, std::string typeSourcePinId) {
    outputTag_ = std::move(outputTag);
    typeSourcePinId_ = std::move(typeSourcePinId);
}

void COutputPinImpl::RemoveLink(CInputPinImpl* input) {
    std::size_t slot = input ? input->LinkSlot() : links_.size();
    if (slot < first_ || slot >= links_.size() || links_[slot] != input) {
        // Not where the input says: an input linked elsewhere, or not linked at all.
        slot = links_.size();
        for (std::size_t i = first_; i < links_.size() && input; ++i)
            if (links_[i] == input) slot = i;
        if (slot == links_.size()) return;
    }
    links_[slot] = nullptr;
    if (slot == first_) {
        while (first_ < links_.size() && !links_[first_]) {
            if (first_ != slot) --holes_;
            ++first_;
        }
    } else if (slot + 1 == links_.size()) {
        links_.pop_back();
        while (links_.size() > first_ && !links_.back()) {
            links_.pop_back();
            --holes_;
        }
    } else {
        ++holes_;
    }
    if (first_ == links_.size()) {
        links_.clear();
        first_ = 0;
        holes_ = 0;
    } else if (first_ > links_.size() / 2) {
        CloseHoles();  // gives back the room of the links removed from the front
    }
}

CParameterPinImpl::CParameterPinImpl(Vtx::IBlock* block, std::string id, std::string name,
                                     std::string description, std::string typeCatalogId, std::string typeClassId,
                                     std::string domainCatalogId, std::string domainClassId,
                                     std::uint32_t creationWord)
    : CPinBase(block, std::move(id), std::move(name), std::move(description), typeCatalogId, typeClassId),
      domainCatalogId_(std::move(domainCatalogId)), domainClassId_(std::move(domainClassId)),
      creationWord_(creationWord),
      // Setting a trigger is an event in itself: equal values must still arrive.
      compareBeforeSet_(!(typeCatalogId == "kernel" && typeClassId == "trigger")) {}

CParameterPinImpl::~CParameterPinImpl() { SetDomain(nullptr); }

void CParameterPinImpl::SetDomain(Vtx::IDatatypeDomain* domain) {
    if (domain) domain->AddRef();
    Vtx::IDatatypeDomain* previous = domain_;
    domain_ = domain;
    if (previous) previous->Release();
}

} // namespace vtxhost
