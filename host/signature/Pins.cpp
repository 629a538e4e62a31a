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
    CheckRange(index, links_.size());
    return links_[index];
}

void COutputPinImpl::SetOutputTexts(std::string outputTag, std::string typeSourcePinId) {
    outputTag_ = std::move(outputTag);
    typeSourcePinId_ = std::move(typeSourcePinId);
}

void COutputPinImpl::RemoveLink(CInputPinImpl* input) {
    links_.erase(std::remove(links_.begin(), links_.end(), input), links_.end());
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
