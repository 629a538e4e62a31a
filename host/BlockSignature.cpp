#include "host/BlockSignature.h"

#include "host/KernelServices.h"
#include "sdk/object/Exceptions.h"
#include "vtx/KernelDatatypes.h"

namespace vtxhost {

namespace {
std::string Text(const char* text) { return text ? text : ""; }
} // namespace

bool IsGenericType(const std::string& catalogId, const std::string& classId) {
    return catalogId == "kernel" && classId == "generic_datatype";
}

// ---- pin collection --------------------------------------------------------------------

template <class I, class Impl>
I* CPinCollection<I, Impl>::GetAt(std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= pins_.size())
        throw Vtx::CCollectionExceptionImpl(index, 0, static_cast<std::int32_t>(pins_.size()) - 1);
    return pins_[index];
}

template <class I, class Impl>
I* CPinCollection<I, Impl>::GetById(const char* id) {
    Impl* pin = Find(Text(id));
    if (!pin) throw Vtx::CCollectionExceptionImpl(Text(id).c_str());
    return pin;
}

template <class I, class Impl>
std::int32_t CPinCollection<I, Impl>::IndexOf(const char* id) {
    const std::string wanted = Text(id);
    for (std::size_t i = 0; i < pins_.size(); ++i)
        if (pins_[i]->Id() == wanted) return static_cast<std::int32_t>(i);
    return -1;
}

template <class I, class Impl>
Impl* CPinCollection<I, Impl>::Find(const std::string& id) const {
    for (Impl* pin : pins_)
        if (pin->Id() == id) return pin;
    return nullptr;
}

template <class I, class Impl>
void CPinCollection<I, Impl>::Insert(std::size_t index, Impl* pin) {
    pin->AddRef();
    if (index > pins_.size()) index = pins_.size();
    pins_.insert(pins_.begin() + static_cast<std::ptrdiff_t>(index), pin);
}

template <class I, class Impl>
Impl* CPinCollection<I, Impl>::Take(std::size_t index) {
    Impl* pin = pins_[index];
    pins_.erase(pins_.begin() + static_cast<std::ptrdiff_t>(index));
    return pin;
}

template <class I, class Impl>
void CPinCollection<I, Impl>::Clear() {
    std::vector<Impl*> pins;
    pins.swap(pins_);
    for (Impl* pin : pins) pin->Release();
}

template class CPinCollection<Vtx::IInputPin, CInputPinImpl>;
template class CPinCollection<Vtx::IOutputPin, COutputPinImpl>;
template class CPinCollection<Vtx::IParameterPinSignature, CParameterPinImpl>;

// ---- signature -------------------------------------------------------------------------

CBlockSignatureImpl::CBlockSignatureImpl(CKernelServices* services, Vtx::IBlock* block)
    : services_(services), block_(block) {}

CBlockSignatureImpl::~CBlockSignatureImpl() {
    Clear();
    if (traceLevel_) traceLevel_->Release();
}

std::int32_t CBlockSignatureImpl::Destroy() { return 0; }

Vtx::IDatatype* CBlockSignatureImpl::NewDatatype(const std::string& catalogId, const std::string& classId,
                                                 const std::string& pinId) {
    Vtx::IDatatype* datatype = services_->CreateDatatype(catalogId.c_str(), classId.c_str());
    if (!datatype)
        throw Vtx::CLogicExceptionImpl("Pin \"%s\": the datatype \"%s\" of catalog \"%s\" is not known.\n",
                                       pinId.c_str(), classId.c_str(), catalogId.c_str());
    datatype->AddRef();
    return datatype;
}

Vtx::IInputPin* CBlockSignatureImpl::CreateInputPin(const char* id, const char* name, const char* description,
                                                    const char* typeCatalogId, const char* typeClassId, bool flag0,
                                                    bool flag1, bool flag2) {
    return Vtx::TranslateStdExceptions([&]() -> Vtx::IInputPin* {
        const std::string pinId = Text(id), catalogId = Text(typeCatalogId), classId = Text(typeClassId);
        const std::int32_t existing = inputs_.IndexOf(pinId.c_str());
        if (existing >= 0 && inputs_.At(existing)->HasType(catalogId, classId)) {
            CInputPinImpl* pin = inputs_.At(existing);
            pin->SetTexts(Text(name), Text(description));
            pin->SetFlags(flag0, flag1, flag2);
            return pin;
        }
        Vtx::IDatatype* datatype = IsGenericType(catalogId, classId) ? nullptr : NewDatatype(catalogId, classId, pinId);
        auto* pin = new CInputPinImpl(block_, pinId, Text(name), Text(description), catalogId, classId, flag0, flag1,
                                      flag2);
        pin->SetDatatype(datatype);
        if (datatype) datatype->Release();
        if (existing >= 0) {
            inputs_.Take(existing)->Release();
            inputs_.Insert(existing, pin);
        } else {
            inputs_.Insert(inputs_.Size(), pin);
        }
        return pin;
    });
}

Vtx::IOutputPin* CBlockSignatureImpl::CreateOutputPin(const char* id, const char* name, const char* description,
                                                      const char* typeCatalogId, const char* typeClassId,
                                                      const char* outputTag, const char* typeSourcePinId) {
    return Vtx::TranslateStdExceptions([&]() -> Vtx::IOutputPin* {
        const std::string pinId = Text(id), catalogId = Text(typeCatalogId), classId = Text(typeClassId);
        const std::int32_t existing = outputs_.IndexOf(pinId.c_str());
        if (existing >= 0 && outputs_.At(existing)->HasType(catalogId, classId)) {
            COutputPinImpl* pin = outputs_.At(existing);
            pin->SetTexts(Text(name), Text(description));
            pin->SetOutputTexts(Text(outputTag), Text(typeSourcePinId));
            return pin;
        }
        Vtx::IDatatype* datatype = IsGenericType(catalogId, classId) ? nullptr : NewDatatype(catalogId, classId, pinId);
        auto* pin = new COutputPinImpl(block_, pinId, Text(name), Text(description), catalogId, classId,
                                       Text(outputTag), Text(typeSourcePinId));
        pin->SetDatatype(datatype);
        if (datatype) datatype->Release();
        if (existing >= 0) {
            outputs_.Take(existing)->Release();
            outputs_.Insert(existing, pin);
        } else {
            outputs_.Insert(outputs_.Size(), pin);
        }
        return pin;
    });
}

Vtx::IParameterPinSignature* CBlockSignatureImpl::CreateParameter(const char* id, const char* name,
                                                                  const char* description, const char* typeCatalogId,
                                                                  const char* typeClassId, const char* domainCatalogId,
                                                                  const char* domainClassId,
                                                                  std::uint32_t creationWord) {
    return Vtx::TranslateStdExceptions([&]() -> Vtx::IParameterPinSignature* {
        const std::string pinId = Text(id), catalogId = Text(typeCatalogId), classId = Text(typeClassId);
        const std::string domainCatalog = Text(domainCatalogId), domainClass = Text(domainClassId);
        const std::int32_t existing = parameters_.IndexOf(pinId.c_str());
        if (existing >= 0 && parameters_.At(existing)->HasType(catalogId, classId) &&
            parameters_.At(existing)->HasDomainClass(domainCatalog, domainClass)) {
            // Declared again: the parameter keeps its value and its domain.
            CParameterPinImpl* parameter = parameters_.At(existing);
            parameter->SetTexts(Text(name), Text(description));
            parameter->SetCreationWord(creationWord);
            return parameter;
        }
        Vtx::IDatatypeDomain* domain = nullptr;
        if (!domainClass.empty()) {
            domain = services_->CreateDomain(domainCatalog, domainClass);
            if (!domain)
                throw Vtx::CLogicExceptionImpl("Parameter \"%s\": the domain \"%s\" of catalog \"%s\" is not known.\n",
                                               pinId.c_str(), domainClass.c_str(), domainCatalog.c_str());
            domain->AddRef();
        }
        Vtx::IDatatype* value = nullptr;
        try {
            value = NewDatatype(catalogId, classId, pinId);
        } catch (...) {
            if (domain) domain->Release();
            throw;
        }
        auto* parameter = new CParameterPinImpl(block_, pinId, Text(name), Text(description), catalogId, classId,
                                                domainCatalog, domainClass, creationWord);
        parameter->SetDatatype(value);
        parameter->SetDomain(domain);
        value->Release();
        if (domain) domain->Release();
        if (existing >= 0) {
            removed_.push_back(parameters_.Take(existing));
            parameters_.Insert(existing, parameter);
        } else {
            parameters_.Insert(parameters_.Size(), parameter);
        }
        return parameter;
    });
}

Vtx::IInputPin* CBlockSignatureImpl::FindInputPin(const char* id) { return inputs_.GetById(id); }

Vtx::IOutputPin* CBlockSignatureImpl::FindOutputPin(const char* id) { return outputs_.GetById(id); }

Vtx::IParameterPinSignature* CBlockSignatureImpl::FindParameter(const char* id) { return parameters_.GetById(id); }

Vtx::IParameterPinSignature* CBlockSignatureImpl::RemoveParameter(const char* id) {
    return Vtx::TranslateStdExceptions([&]() -> Vtx::IParameterPinSignature* {
        const std::int32_t index = parameters_.IndexOf(id);
        if (index < 0) return nullptr;
        CParameterPinImpl* parameter = parameters_.Take(index);
        removed_.push_back(parameter);
        return parameter;
    });
}

Vtx::IDatatype* CBlockSignatureImpl::GetTraceLevel() {
    if (!traceLevel_) MakeTraceLevel();
    return traceLevel_;
}

void CBlockSignatureImpl::MakeTraceLevel() {
    traceLevel_ = NewDatatype("kernel", "int", "trace level");
    if (auto* level = dynamic_cast<Vtx::IInt*>(traceLevel_))
        level->SetValue(static_cast<std::int32_t>(services_->GetInt64Setting("kernel", "trace_level")));
}

void CBlockSignatureImpl::SetTraceLevel(std::int32_t level) {
    Vtx::interface_cast<Vtx::IInt>(GetTraceLevel())->SetValue(level);
}

void CBlockSignatureImpl::Clear() {
    inputs_.Clear();
    outputs_.Clear();
    parameters_.Clear();
    std::vector<CParameterPinImpl*> removed;
    removed.swap(removed_);
    for (CParameterPinImpl* parameter : removed) parameter->Release();
}

} // namespace vtxhost
