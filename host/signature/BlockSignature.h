#pragma once
// The signature layer: block signatures with their input, output and parameter pins, the
// "kernel" domains and parameter layouts, and the block layout that holds them. It includes
// the run layer, the SDK and include/vtx; what a signature needs of the kernel services
// above (datatypes, domains and layouts by class identity, the trace-level setting) it
// asks through ISignatureServices.
//
// The host's block signature: pins and parameters of one block in declaration order.
#include <string>
#include <unordered_map>
#include <vector>

#include "host/signature/Pins.h"
#include "sdk/object/ReferenceCounting.h"
#include "vtx/BlockSignature.h"

namespace vtxhost {

class ISignatureServices;

// Pins of one kind in declaration order, with an index by identifier so that finding,
// declaring and removing a pin costs the same for the thousandth pin as for the first.
// A removed pin leaves a hole that the next access by position closes, so that removing
// many pins in a row costs one pass, not one per pin. One reference per pin.
template <class I, class Impl>
class CPinCollection : public Vtx::IPinCollection<I> {
public:
    virtual ~CPinCollection() { Clear(); }
    std::int32_t GetCount() override { return static_cast<std::int32_t>(Size()); }
    I* GetAt(std::int32_t index) override;
    bool HasId(const char* id) override { return slots_.count(id ? id : "") > 0; }
    I* GetById(const char* id) override;
    std::int32_t IndexOf(const char* id) override;

    Impl* At(std::size_t index) const {
        Compact();
        return pins_[index];
    }
    std::size_t Size() const { return pins_.size() - holes_; }
    Impl* Find(const std::string& id) const;
    // Takes a reference on the pin and appends it; its id must not be in the collection.
    void Append(Impl* pin);
    // Puts the pin (taking a reference) in the place of the one with the same id, which
    // the caller takes over with its reference.
    Impl* Replace(Impl* pin);
    // Gives up the pin with the id without releasing it (the caller takes over its
    // reference); null when there is none.
    Impl* Take(const std::string& id);
    void Clear();

private:
    // Closes the holes left by removed pins and renumbers the index.
    void Compact() const;

    mutable std::vector<Impl*> pins_;  // null: a removed pin, until Compact
    mutable std::unordered_map<std::string, std::size_t> slots_;
    mutable std::size_t holes_ = 0;
};

class CBlockSignatureImpl : public ulx::default_delete<ulx::reference_counted_class_impl<Vtx::IBlockSignature>> {
public:
    CBlockSignatureImpl(ISignatureServices* services, Vtx::IBlock* block);
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

    ISignatureServices* services_;
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
