#pragma once
// Vector: keeps an array of datatypes of whatever type reaches its input. On each input
// activation it copies the input into the entry at "write_position" (when "enable_write")
// and the entry at "read_position" to its output (when "enable_read"); "reset" replaces
// every entry by a fresh datatype of the input's type while the patch runs.
#include <string>
#include <vector>

#include "sdk/block/BlockImplBase.h"
#include "sdk/object/SmartPtr.h"
#include "vtx/Block.h"
#include "vtx/KernelDatatypes.h"

class CVector : public Vtx::CBlockImplBase<Vtx::IBlock> {
public:
    // Asks to be activated by new data on the input pin "input".
    explicit CVector(const Vtx::OBJECT_CREATIONCTX* context);

protected:
    // Releases the array, the pins' values and the parameters' values.
    ~CVector() override;

    // The six parameters ("size" 1, both switches on) and the two pins.
    void InitSignature() override;
    // Releases the six parameter values.
    void DoneSignature() override;
    // Binds the six parameters of a stored signature and looks its two pins up; a missing
    // one throws, and the base then builds the block's own signature instead.
    void CheckSignature() override;
    // "reset" while the patch runs re-creates the array; nothing else acts here (a new
    // "size" takes effect at the next Init).
    using CBlockImplBase::OnChangedParameter;
    void OnChangedParameter(const std::string& id) override;

    // Binds input and output, configures the output like the input and fills the array
    // with "size" fresh datatypes of the input's type. Any failure gives false.
    bool OnInit() override;
    bool OnStart() override { return true; }
    // Writes, then reads; positions outside the array are ignored. A failed copy gives false,
    // which the base reports; whatever was copied before it stays.
    bool OnExecute() override;
    void OnStop() override {}
    // Releases input, output and the array.
    void OnDone() override;

private:
    template <class I>
    using Ptr = Vtx::CSmartPtr<I, Vtx::CDatatypeFactory<I>>;

    // Holds the current value objects of the six parameters; a missing or wrongly typed
    // one throws.
    void BindParameters();
    // One entry per position 0 to "size" - 1, each a new datatype of the input's class
    // configured like the input. Without an input value the array is emptied; a class the
    // kernel cannot create empties it too and throws a logic exception.
    void ResetArray();
    // The position when it lies inside the array, else -1.
    std::ptrdiff_t Position(Vtx::IInt* position) const;

    Ptr<Vtx::IInt> size_;
    Ptr<Vtx::ITrigger> reset_;
    Ptr<Vtx::IBool> readEnabled_;
    Ptr<Vtx::IInt> readPosition_;
    Ptr<Vtx::IBool> writeEnabled_;
    Ptr<Vtx::IInt> writePosition_;
    Ptr<Vtx::IDatatype> input_;
    Ptr<Vtx::IDatatype> output_;
    std::vector<Ptr<Vtx::IDatatype>> array_;
};

// The creation function of the block class: a new block with count 0 (the caller takes
// the first reference), or null when the allocation fails; a bad creation context throws.
Vtx::IObject* CreateVectorObject(const Vtx::OBJECT_CREATIONCTX* context);
