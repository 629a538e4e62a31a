#pragma once
// The host's block signature: pins and parameters of one block in declaration order.
#include <string>
#include <vector>

#include "host/Pins.h"
#include "sdk/object/ReferenceCounting.h"
#include "vtx/BlockSignature.h"

namespace vtxhost {

class CKernelServices;

// Pins of one kind over a vector the signature keeps (one reference per pin).
template <class I, class Impl>
class CPinCollection : public Vtx::IPinCollection<I> {
public:
    virtual ~CPinCollection() { Clear(); }
    std::int32_t GetCount() override { return static_cast<std::int32_t>(pins_.size()); }
    I* GetAt(std::int32_t index) override;
    bool HasId(const char* id) override { return IndexOf(id) >= 0; }
    I* GetById(const char* id) override;
    std::int32_t IndexOf(const char* id) override;

    Impl* At(std::size_t index) const { return pins_[index]; }
    std::size_t Size() const { return pins_.size(); }
    Impl* Find(const std::string& id) const;
    // Takes a reference on the pin; index past the end appends.
    void Insert(std::size_t index, Impl* pin);
    // Gives up the pin at index without releasing it; the caller takes over its reference.
    Impl* Take(std::size_t index);
    void Clear();

private:
    std::vector<Impl*> pins_;
};

class CBlockSignatureImpl : public ulx::default_delete<ulx::reference_counted_class_impl<Vtx::IBlockSignature>> {
public:
    CBlockSignatureImpl(CKernelServices* services, Vtx::IBlock* block);
    ~CBlockSignatureImpl() override;

    std::int32_t Destroy() override;
    Vtx::IBlock* GetBlock() override { return block_; }
    Vtx::IInputPin* CreateInputPin(const char* id, const char* name, const char* description,
                                   const char* typeCatalogId, const char* typeClassId, bool flag0, bool flag1,
                                   bool flag2) override;
    Vtx::IOutputPin* CreateOutputPin(const char* id, const char* name, const char* description,
                                     const char* typeCatalogId, const char* typeClassId, const char* outputTag,
                                     const char* typeSourcePinId) override;
    Vtx::IParameterPinSignature* CreateParameter(const char* id, const char* name, const char* description,
                                                 const char* typeCatalogId, const char* typeClassId,
                                                 const char* domainCatalogId, const char* domainClassId,
                                                 std::uint32_t creationWord) override;
    Vtx::IPinCollection<Vtx::IInputPin>* GetInputPins() override { return &inputs_; }
    Vtx::IPinCollection<Vtx::IOutputPin>* GetOutputPins() override { return &outputs_; }
    Vtx::IPinCollection<Vtx::IParameterPinSignature>* GetParameters() override { return &parameters_; }
    Vtx::IInputPin* FindInputPin(const char* id) override;
    Vtx::IOutputPin* FindOutputPin(const char* id) override;
    Vtx::IParameterPinSignature* FindParameter(const char* id) override;
    Vtx::IParameterPinSignature* RemoveParameter(const char* id) override;
    Vtx::IDatatype* GetTraceLevel() override;
    void Clear() override;

    // Host side.
    CPinCollection<Vtx::IInputPin, CInputPinImpl>& Inputs() { return inputs_; }
    CPinCollection<Vtx::IOutputPin, COutputPinImpl>& Outputs() { return outputs_; }
    CPinCollection<Vtx::IParameterPinSignature, CParameterPinImpl>& Parameters() { return parameters_; }
    void SetTraceLevel(std::int32_t level);

private:
    // A new datatype of the class, with one reference; a logic exception for an unknown class.
    Vtx::IDatatype* NewDatatype(const std::string& catalogId, const std::string& classId, const std::string& pinId);
    // Makes the trace-level datum on first use (kept apart: the level is read very often).
    void MakeTraceLevel();

    CKernelServices* services_;
    Vtx::IBlock* block_;
    CPinCollection<Vtx::IInputPin, CInputPinImpl> inputs_;
    CPinCollection<Vtx::IOutputPin, COutputPinImpl> outputs_;
    CPinCollection<Vtx::IParameterPinSignature, CParameterPinImpl> parameters_;
    std::vector<CParameterPinImpl*> removed_;  // one reference each, until Clear
    Vtx::IDatatype* traceLevel_ = nullptr;     // one reference
};

// Whether a declared type accepts any datatype class.
bool IsGenericType(const std::string& catalogId, const std::string& classId);

} // namespace vtxhost
