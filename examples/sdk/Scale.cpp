#include "Scale.h"

#include <new>

#include "sdk/block/PinDescription.h"
#include "sdk/object/Exceptions.h"
#include "vtx/BlockSignature.h"
#include "vtx/RunTimeContext.h"

using Vtx::pin_description;

namespace {

constexpr const char* kFactorId = "factor";
constexpr const char* kInputId = "input";
constexpr const char* kOutputId = "output";

} // namespace

CScale::CScale(const Vtx::OBJECT_CREATIONCTX* context) : CBlockImplBase(context) {
    Vtx::IRunTimeContext* runTime = GetRunTimeContext();
    runTime->SetInputActivation(true);
    runTime->GetInputActivationSettings()->SetPinActivation(kInputId, true);
}

void CScale::InitSignature() {
    // A parameter of the kernel's "int" datatype; attach_int_domain(true) sets that type
    // and lets the host refuse values outside the bounds.
    AddParameter(pin_description(kFactorId)
                     .set_name("Factor")
                     .set_description("The integer the input is multiplied by")
                     .attach_int_domain(true)
                     .set_int_minimum(-1000, true)
                     .set_int_maximum(1000, true));
    factor_ = GetParameterValue<Vtx::IInt>(kFactorId);
    factor_->SetValue(1);

    // Both pins carry this catalog's own datatype.
    AddInputPin(pin_description(kInputId)
                    .set_name("input")
                    .set_description("The fraction to scale")
                    .set_type(kFractionCatalogId, kFractionClassId));
    AddOutputPin(pin_description(kOutputId)
                     .set_name("output")
                     .set_description("The input times the factor")
                     .set_type(kFractionCatalogId, kFractionClassId));
}

void CScale::CheckSignature() {
    // A missing or wrongly typed entry throws; the base then rebuilds the block's own
    // signature with InitSignature and carries the compatible values over.
    factor_ = GetParameterValue<Vtx::IInt>(kFactorId);
    GetSignature()->FindInputPin(kInputId);
    GetSignature()->FindOutputPin(kOutputId);
}

void CScale::DoneSignature() { factor_ = nullptr; }

bool CScale::OnInit() {
    // A look-up that fails throws a cast exception, which the base reports for "Init".
    input_ = GetInputValue<IFraction>(kInputId);
    output_ = GetOutputValue<IFraction>(kOutputId);
    return true;
}

void CScale::OnDone() {
    input_ = nullptr;
    output_ = nullptr;
}

bool CScale::OnExecute() {
    // 64-bit terms cannot overflow here; SetValue refuses what does not fit 32 bits.
    const std::int64_t numerator = std::int64_t{input_->GetNumerator()} * factor_->GetValue();
    if (!output_->SetValue(numerator, input_->GetDenominator())) return false;
    // Every new output value carries the current kernel time as its timestamp.
    output_->SetTimestamp(GetInitClockTime());
    return true;
}

Vtx::IObject* CreateScaleObject(const Vtx::OBJECT_CREATIONCTX* context) {
    return Vtx::TranslateStdExceptions([context]() -> Vtx::IObject* { return new (std::nothrow) CScale(context); });
}
