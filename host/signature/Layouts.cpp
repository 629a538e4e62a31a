#include "host/signature/Layouts.h"

#include "host/signature/SignatureServices.h"
#include "sdk/object/Exceptions.h"
#include "sdk/object/MessageTable.h"

namespace vtxhost {

namespace {
std::string Text(const char* text) { return text ? text : ""; }
} // namespace

void CComboLayoutImpl::SetSize(std::int32_t size) {
    if (size < 0) throw Vtx::CLogicExceptionImpl(Vtx::Messages::kInvalidComboSize);
    Vtx::TranslateStdExceptions([&] { items_.resize(static_cast<std::size_t>(size)); });
}

void CComboLayoutImpl::SetItem(std::int32_t index, const char* text) {
    if (index < 0 || index >= GetSize()) throw Vtx::CLogicExceptionImpl(Vtx::Messages::kInvalidComboItemIndex);
    items_[index] = Text(text);
}

const char* CComboLayoutImpl::GetItem(std::int32_t index) {
    if (index < 0 || index >= GetSize()) throw Vtx::CLogicExceptionImpl(Vtx::Messages::kInvalidComboItemIndex);
    return items_[index].c_str();
}

void CDatatypeSelectorComboLayoutImpl::AddItem(const char* catalogId, const char* classId) {
    Vtx::TranslateStdExceptions([&] { items_.emplace_back(Text(catalogId), Text(classId)); });
}

const char* CDatatypeSelectorComboLayoutImpl::GetItemCatalogId(std::int32_t index) {
    if (index < 0 || index >= GetItemCount()) throw Vtx::CLogicExceptionImpl(Vtx::Messages::kInvalidComboItemIndex);
    return items_[index].first.c_str();
}

const char* CDatatypeSelectorComboLayoutImpl::GetItemClassId(std::int32_t index) {
    if (index < 0 || index >= GetItemCount()) throw Vtx::CLogicExceptionImpl(Vtx::Messages::kInvalidComboItemIndex);
    return items_[index].second.c_str();
}

CBlockLayoutImpl::~CBlockLayoutImpl() { Clear(); }

std::int32_t CBlockLayoutImpl::Destroy() { return 0; }

void CBlockLayoutImpl::ShowParameter(const char* parameterId, bool visible) { shown_[Text(parameterId)] = visible; }

bool CBlockLayoutImpl::IsParameterShown(const char* parameterId) {
    auto found = shown_.find(Text(parameterId));
    return found != shown_.end() && found->second;
}

Vtx::IDatatypeLayout* CBlockLayoutImpl::CreateDatatypeLayout(const char* catalogId, const char* classId,
                                                             const char* parameterId) {
    return Vtx::TranslateStdExceptions([&]() -> Vtx::IDatatypeLayout* {
        Vtx::IDatatypeLayout* layout = services_->CreateLayout(Text(catalogId), Text(classId));
        if (!layout)
            throw Vtx::CLogicExceptionImpl("The layout \"%s\" of catalog \"%s\" is not known.\n", Text(classId).c_str(),
                                           Text(catalogId).c_str());
        layout->AddRef();
        Vtx::IDatatypeLayout*& slot = layouts_[Text(parameterId)];
        if (slot) slot->Release();
        slot = layout;
        return layout;
    });
}

Vtx::IDatatypeLayout* CBlockLayoutImpl::GetDatatypeLayout(const char* parameterId) {
    auto found = layouts_.find(Text(parameterId));
    return found == layouts_.end() ? nullptr : found->second;
}

void CBlockLayoutImpl::Clear() {
    std::map<std::string, Vtx::IDatatypeLayout*> layouts;
    layouts.swap(layouts_);
    for (auto& entry : layouts) entry.second->Release();
    shown_.clear();
}

} // namespace vtxhost
