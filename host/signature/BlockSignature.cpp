#include "host/signature/BlockSignature.h"

#include "host/signature/SignatureServices.h"
#include "sdk/object/Exceptions.h"
#include "vtx/KernelDatatypes.h"

namespace vtxhost {

namespace {
std::string Text(const char* text) { return text ? text : ""; }

// Room for one more element, growing geometrically, so that the push that follows cannot
// fail after the caller changed anything else.
template <class T>
void ReserveOneMore(std::vector<T>& items) {
    if (items.size() == items.capacity()) items.reserve(items.size() * 2 + 8);
}

// One reference, given back when the scope ends: a failed allocation on the way to a new
// pin leaves no datatype, domain or pin behind.
template <class T>
class Reference {
public:
    explicit Reference(T* object) : object_(object) {}
    ~Reference() {
        if (object_) object_->Release();
    }
    Reference(const Reference&) = delete;
    Reference& operator=(const Reference&) = delete;
    T* get() const { return object_; }
    T* operator->() const { return object_; }

private:
    T* object_;
};

// A new pin with its first reference.
template <class T>
T* Referenced(T* object) {
    object->AddRef();
    return object;
}
} // namespace

bool IsGenericType(const std::string& catalogId, const std::string& classId) {
    return catalogId == "kernel" && classId == "generic_datatype";
}

// ---- pin collection --------------------------------------------------------------------

template <class I, class Impl>
I* CPinCollection<I, Impl>::GetAt(std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= Size())
        throw Vtx::CCollectionExceptionImpl(index, 0, static_cast<std::int32_t>(Size()) - 1);
    return At(static_cast<std::size_t>(index));
}

template <class I, class Impl>
I* CPinCollection<I, Impl>::GetById(const char* id) {
    Impl* pin = Find(Text(id));
    if (!pin) throw Vtx::CCollectionExceptionImpl(Text(id).c_str());
    return pin;
}

template <class I, class Impl>
std::int32_t CPinCollection<I, Impl>::IndexOf(const char* id) {
    Compact();
    auto found = slots_.find(Text(id));
    return found == slots_.end() ? -1 : static_cast<std::int32_t>(found->second);
}

template <class I, class Impl>
Impl* CPinCollection<I, Impl>::Find(const std::string& id) const {
    auto found = slots_.find(id);
    return found == slots_.end() ? nullptr : pins_[found->second];
}

template <class I, class Impl>
void CPinCollection<I, Impl>::Append(Impl* pin) {
    ReserveOneMore(pins_);
    slots_.emplace(pin->Id(), pins_.size());
    pins_.push_back(pin);
    pin->AddRef();
}

template <class I, class Impl>
Impl* CPinCollection<I, Impl>::Replace(Impl* pin) {
    const std::size_t slot = slots_.at(pin->Id());
    Impl* old = pins_[slot];
    pin->AddRef();
    pins_[slot] = pin;
    return old;
}

template <class I, class Impl>
Impl* CPinCollection<I, Impl>::Take(const std::string& id) {
    auto found = slots_.find(id);
    if (found == slots_.end()) return nullptr;
    Impl* pin = pins_[found->second];
    pins_[found->second] = nullptr;
    slots_.erase(found);
    ++holes_;
    return pin;
}

template <class I, class Impl>
void CPinCollection<I, Impl>::Compact() const {
    if (holes_ == 0) return;
    std::size_t kept = 0;
    for (Impl* pin : pins_) {
        if (!pin) continue;
        slots_[pin->Id()] = kept;
        pins_[kept++] = pin;
    }
    pins_.resize(kept);
    holes_ = 0;
}

template <class I, class Impl>
void CPinCollection<I, Impl>::Clear() {
    if (pins_.empty()) return;  // every block's signature is cleared at least twice on its way out
    std::vector<Impl*> pins;
    pins.swap(pins_);
    slots_.clear();
    holes_ = 0;
    for (Impl* pin : pins)
        if (pin) pin->Release();
}

template class CPinCollection<Vtx::IInputPin, CInputPinImpl>;
template class CPinCollection<Vtx::IOutputPin, COutputPinImpl>;
template class CPinCollection<Vtx::IParameterPinSignature, CParameterPinImpl>;

// ---- signature -------------------------------------------------------------------------

CBlockSignatureImpl::CBlockSignatureImpl(ISignatureServices* services, Vtx::IBlock* block)
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
        CInputPinImpl* existing = inputs_.Find(pinId);
        if (existing && existing->HasType(catalogId, classId)) {
            CInputPinImpl* pin = existing;
            pin->SetTexts(Text(name), Text(description));
            pin->SetFlags(flag0, flag1, flag2);
            return pin;
        }
        Reference<Vtx::IDatatype> datatype(IsGenericType(catalogId, classId) ? nullptr
                                                                             : NewDatatype(catalogId, classId, pinId));
        Reference<CInputPinImpl> pin(Referenced(new CInputPinImpl(block_, pinId, Text(name), Text(description),
                                                                  catalogId, classId, flag0, flag1, flag2)));
        pin->SetDatatype(datatype.get());
        if (existing) {
            // A pin declared again with another type takes the place of the old one in its
            // link too: the output it is linked to must never keep the old one.
            if (COutputPinImpl* output = existing->LinkedOutput()) {
                output->RemoveLink(existing);
                existing->SetLinkedOutput(nullptr);
                output->AddLink(pin.get());
                pin->SetLinkedOutput(output);
            }
            inputs_.Replace(pin.get())->Release();
        } else
            inputs_.Append(pin.get());
        return pin.get();
    });
}

Vtx::IOutputPin* CBlockSignatureImpl::CreateOutputPin(const char* id, const char* name, const char* description,
                                                      const char* typeCatalogId, const char* typeClassId,
                                                      const char* outputTag, const char* typeSourcePinId) {
    return Vtx::TranslateStdExceptions([&]() -> Vtx::IOutputPin* {
        const std::string pinId = Text(id), catalogId = Text(typeCatalogId), classId = Text(typeClassId);
        COutputPinImpl* existing = outputs_.Find(pinId);
        if (existing && existing->HasType(catalogId, classId)) {
            COutputPinImpl* pin = existing;
            pin->SetTexts(Text(name), Text(description));
            pin->SetOutputTexts(Text(outputTag), Text(typeSourcePinId));
            return pin;
        }
        Reference<Vtx::IDatatype> datatype(IsGenericType(catalogId, classId) ? nullptr
                                                                             : NewDatatype(catalogId, classId, pinId));
        Reference<COutputPinImpl> pin(Referenced(new COutputPinImpl(block_, pinId, Text(name), Text(description),
                                                                    catalogId, classId, Text(outputTag),
                                                                    Text(typeSourcePinId))));
        pin->SetDatatype(datatype.get());
        if (existing) {
            // The same for an output: its links move to the pin that replaces it.
            while (existing->GetLinkCount() > 0) {
                auto* input = static_cast<CInputPinImpl*>(existing->GetLinkedInput(0));
                existing->RemoveLink(input);
                input->SetLinkedOutput(pin.get());
                pin->AddLink(input);
            }
            outputs_.Replace(pin.get())->Release();
        } else
            outputs_.Append(pin.get());
        return pin.get();
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
        CParameterPinImpl* existing = parameters_.Find(pinId);
        if (existing && existing->HasType(catalogId, classId) && existing->HasDomainClass(domainCatalog, domainClass)) {
            // Declared again: the parameter keeps its value and its domain.
            CParameterPinImpl* parameter = existing;
            parameter->SetTexts(Text(name), Text(description));
            parameter->SetCreationWord(creationWord);
            return parameter;
        }
        Vtx::IDatatypeDomain* createdDomain = nullptr;
        if (!domainClass.empty()) {
            createdDomain = services_->CreateDomain(domainCatalog, domainClass);
            if (!createdDomain)
                throw Vtx::CLogicExceptionImpl("Parameter \"%s\": the domain \"%s\" of catalog \"%s\" is not known.\n",
                                               pinId.c_str(), domainClass.c_str(), domainCatalog.c_str());
            createdDomain->AddRef();
        }
        Reference<Vtx::IDatatypeDomain> domain(createdDomain);
        Reference<Vtx::IDatatype> value(NewDatatype(catalogId, classId, pinId));
        Reference<CParameterPinImpl> parameter(
            Referenced(new CParameterPinImpl(block_, pinId, Text(name), Text(description), catalogId, classId,
                                             domainCatalog, domainClass, creationWord)));
        parameter->SetDatatype(value.get());
        parameter->SetDomain(domain.get());
        if (existing) {
            ReserveOneMore(removed_);
            removed_.push_back(parameters_.Replace(parameter.get()));
        } else {
            parameters_.Append(parameter.get());
        }
        return parameter.get();
    });
}

Vtx::IInputPin* CBlockSignatureImpl::FindInputPin(const char* id) { return inputs_.GetById(id); }

Vtx::IOutputPin* CBlockSignatureImpl::FindOutputPin(const char* id) { return outputs_.GetById(id); }

Vtx::IParameterPinSignature* CBlockSignatureImpl::FindParameter(const char* id) { return parameters_.GetById(id); }

Vtx::IParameterPinSignature* CBlockSignatureImpl::RemoveParameter(const char* id) {
    return Vtx::TranslateStdExceptions([&]() -> Vtx::IParameterPinSignature* {
        ReserveOneMore(removed_);
        CParameterPinImpl* parameter = parameters_.Take(Text(id));
        if (parameter) removed_.push_back(parameter);
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
