// The block "Mix" of the test catalog: combines two kernel doubles by "combine" ("sum" or
// "product"), in a "mode" that depends on it ("plain"; "average" only with the sum;
// "conjugate", the negated result, only with the product), times a bounded "gain" (1 to 10).
// It refuses values with a reason, by throwing a logic exception, as an author would. In the
// module FAULTYREFUSEDDEFAULT the declared defaults are combine "product" with mode
// "average", a combination the block itself refuses; in FAULTYUNSTAMPED the output is
// written but never time-stamped.
#include <cstring>
#include <new>
#include <string>

#include "sdk/block/BlockImplBase.h"
#include "sdk/block/PinDescription.h"
#include "sdk/object/Exceptions.h"
#include "sdk/object/SmartPtr.h"
#include "sdk/registration/BlockClassRegistrant.h"
#include "tests/check/Faults.h"
#include "vtx/KernelDatatypes.h"
#include "vtx/RunTimeContext.h"

namespace {

bool Allowed(const std::string& combine, const std::string& mode) {
    return mode == "plain" || (mode == "average" && combine == "sum") || (mode == "conjugate" && combine == "product");
}

class CMix : public Vtx::CBlockImplBase<Vtx::IBlock> {
public:
    explicit CMix(const Vtx::OBJECT_CREATIONCTX* context) : CBlockImplBase(context) {
        GetRunTimeContext()->SetInputActivation(true);
        GetRunTimeContext()->GetInputActivationSettings()->SetPinActivation("a", true);
        GetRunTimeContext()->GetInputActivationSettings()->SetPinActivation("b", true);
    }

protected:
    void InitSignature() override {
        AddParameter(Vtx::pin_description("combine").set_name("Combine").set_description("\"sum\" or \"product\"")
                         .set_type("kernel", "string").add_combo_item("sum").add_combo_item("product"));
        AddParameter(Vtx::pin_description("mode").set_name("Mode")
                         .set_description("\"plain\", \"average\" (with the sum) or \"conjugate\" (with the product)")
                         .set_type("kernel", "string"));
        AddParameter(Vtx::pin_description("gain").set_name("Gain").set_description("The result's factor")
                         .attach_int_domain(true).set_int_minimum(1, true).set_int_maximum(10, true));
        Bind();
        const bool refusedDefault = faulty::HasFault("FAULTYREFUSEDDEFAULT");
        combine_->SetValue(refusedDefault ? "product" : "sum");
        mode_->SetValue(refusedDefault ? "average" : "plain");
        gain_->SetValue(1);
        AddInputPin(Vtx::pin_description("a").set_name("a").set_description("First term").set_type("kernel", "double"));
        AddInputPin(Vtx::pin_description("b").set_name("b").set_description("Second term").set_type("kernel", "double"));
        AddOutputPin(Vtx::pin_description("output").set_name("output").set_description("The mix").set_type("kernel", "double"));
    }
    void CheckSignature() override { Bind(); }
    void DoneSignature() override {
        combine_ = nullptr;
        mode_ = nullptr;
        gain_ = nullptr;
    }

    bool OnChangingParameter(const std::string& id, Vtx::IDatatype* newValue) override {
        if (id == "combine") {
            const std::string combine = Vtx::interface_cast<Vtx::IString>(newValue)->GetValue();
            if (combine != "sum" && combine != "product")
                throw Vtx::CLogicExceptionImpl("combine is \"sum\" or \"product\", not \"%s\"", combine.c_str());
            if (!Allowed(combine, mode_->GetValue()))
                throw Vtx::CLogicExceptionImpl("combine \"%s\" does not suit mode \"%s\"", combine.c_str(), mode_->GetValue());
        } else if (id == "mode") {
            const std::string mode = Vtx::interface_cast<Vtx::IString>(newValue)->GetValue();
            if (mode != "plain" && mode != "average" && mode != "conjugate")
                throw Vtx::CLogicExceptionImpl("mode is \"plain\", \"average\" or \"conjugate\", not \"%s\"", mode.c_str());
            if (!Allowed(combine_->GetValue(), mode))
                throw Vtx::CLogicExceptionImpl("mode \"%s\" needs combine \"%s\"", mode.c_str(),
                                               mode == "average" ? "sum" : "product");
        }
        return true;
    }

    bool OnInit() override {
        a_ = GetInputValue<Vtx::IDouble>("a");
        b_ = GetInputValue<Vtx::IDouble>("b");
        output_ = GetOutputValue<Vtx::IDouble>("output");
        return true;
    }
    void OnDone() override {
        a_ = nullptr;
        b_ = nullptr;
        output_ = nullptr;
    }
    bool OnExecute() override {
        const bool product = std::strcmp(combine_->GetValue(), "product") == 0;
        double result = product ? a_->GetValue() * b_->GetValue() : a_->GetValue() + b_->GetValue();
        if (std::strcmp(mode_->GetValue(), "average") == 0) result /= 2;
        if (std::strcmp(mode_->GetValue(), "conjugate") == 0) result = -result;
        output_->SetValue(result * gain_->GetValue());
        if (!faulty::HasFault("FAULTYUNSTAMPED")) output_->SetTimestamp(GetInitClockTime());
        return true;
    }

private:
    void Bind() {
        combine_ = GetParameterValue<Vtx::IString>("combine");
        mode_ = GetParameterValue<Vtx::IString>("mode");
        gain_ = GetParameterValue<Vtx::IInt>("gain");
    }

    template <class I>
    using Ptr = Vtx::CSmartPtr<I, Vtx::CDatatypeFactory<I>>;
    Ptr<Vtx::IString> combine_;
    Ptr<Vtx::IString> mode_;
    Ptr<Vtx::IInt> gain_;
    Ptr<Vtx::IDouble> a_;
    Ptr<Vtx::IDouble> b_;
    Ptr<Vtx::IDouble> output_;
};

Vtx::IObject* CreateMixObject(const Vtx::OBJECT_CREATIONCTX* context) {
    return Vtx::TranslateStdExceptions([context]() -> Vtx::IObject* { return new (std::nothrow) CMix(context); });
}

Vtx::block_class_registrant mix = Vtx::block_class_registrant("Mix")
                                      .language(1033)
                                      .name("Mix")
                                      .description("Mixes two numbers")
                                      .library_path("Faulty")
                                      .owner()
                                      .authors().add("faulty_author")
                                      .factory(&CreateMixObject);

} // namespace
