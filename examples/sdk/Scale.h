#pragma once
// Scale: multiplies the fraction on its input pin "input" by the integer parameter
// "factor" and writes the result, in lowest terms, to its output pin "output".
//
// A block overrides protected operations of CBlockImplBase only. The base's public
// operations (the ones the host calls) trace each call, run the override, and report a
// false result or an exception to the host's message dispatcher.
#include <string>

#include "Fraction.h"
#include "sdk/block/BlockImplBase.h"
#include "sdk/object/SmartPtr.h"
#include "vtx/KernelDatatypes.h"

class CScale : public Vtx::CBlockImplBase<Vtx::IBlock> {
public:
    // Asks to be activated whenever a new value reaches "input".
    explicit CScale(const Vtx::OBJECT_CREATIONCTX* context);

protected:
    // The host gives no signature (a new block): declare the pins and parameters.
    void InitSignature() override;
    // The host gives a stored signature (a loaded patch): check it and bind its values.
    void CheckSignature() override;
    // The signature is being torn down: release what was bound from it.
    void DoneSignature() override;

    // Before the run: bind the pins' values. After it: release them.
    bool OnInit() override;
    void OnDone() override;
    // One activation. False when the product does not fit a fraction of 32-bit terms;
    // the base then reports "error in method Execute" to the host.
    bool OnExecute() override;

private:
    template <class I>
    using Ptr = Vtx::CSmartPtr<I, Vtx::CDatatypeFactory<I>>;  // holds one reference

    // The parameter's current value object: the host copies every new value into it, so
    // OnExecute always reads the current factor without being told.
    Ptr<Vtx::IInt> factor_;
    Ptr<IFraction> input_;
    Ptr<IFraction> output_;
};

// The create function of the Scale class registration.
Vtx::IObject* CreateScaleObject(const Vtx::OBJECT_CREATIONCTX* context);
