#include "host/kernel/KernelBlocks.h"

#include <stdexcept>

#include <nlohmann/json.hpp>

#include "host/kernel/KernelCatalog.h"
#include "host/kernel/JsonDocument.h"
#include "host/kernel/KernelText.h"
#include "sdk/block/BlockImplBase.h"
#include "sdk/block/PinDescription.h"
#include "vtx/BlockSignature.h"
#include "vtx/KernelDatatypes.h"
#include "vtx/MessageDispatcher.h"
#include "vtx/RunTimeContext.h"

namespace vtxhost {

namespace {

using Vtx::pin_description;

// The block's wrappers turn a std::exception into the SDK's exception through its formatted
// constructor, which reads "%%" as "%": a message quoting a value has its '%' doubled, so
// that the value reaches the host as it was written.
std::string AsFormatText(const std::string& message) {
    std::string text;
    text.reserve(message.size());
    for (char c : message) {
        if (c == '%') text += '%';
        text += c;
    }
    return text;
}

// Reads the list of value texts; false when the text is no JSON list. The text is read
// under the same limits as a patch file (it comes from one), so a list nested deeper than
// a patch may be is refused with the reason instead of being walked recursively.
bool ParseValueList(const char* text, std::vector<std::string>& values) {
    Json parsed;
    JsonProblem problem;
    if (!ReadJsonDocument(text ? text : "", JsonLimits{}, parsed, problem)) {
        if (problem.text.find("nested deeper") != std::string::npos) throw std::runtime_error("the values text: " + problem.text);
        return false;
    }
    if (!parsed.is_array()) return false;
    values.clear();
    for (const auto& entry : parsed) values.push_back(entry.is_string() ? entry.get<std::string>() : entry.dump());
    return true;
}

class CSequenceSource : public Vtx::CBlockImplBase<Vtx::IBlock> {
public:
    explicit CSequenceSource(const Vtx::OBJECT_CREATIONCTX* context) : CBlockImplBase(context) {}
    ~CSequenceSource() override { ReleaseValues(); }

protected:
    void InitSignature() override {
        AddParameter(pin_description("catalog").set_name("Catalog").set_description("Catalog of the values' datatype")
                         .set_type("kernel", "string").set_runtime_change(false));
        AddParameter(pin_description("class").set_name("Class").set_description("Class of the values' datatype")
                         .set_type("kernel", "string").set_runtime_change(false));
        AddParameter(pin_description("values").set_name("Values")
                         .set_description("The values emitted in turn, as a JSON list of their text forms")
                         .set_type("kernel", "string").set_runtime_change(false));
        AddParameter(pin_description("repeat").set_name("Repeat")
                         .set_description("Whether the sequence starts again after its last value")
                         .set_type("kernel", "bool"));
        AddParameter(pin_description("period").set_name("Period")
                         .set_description("Activation period in kernel time units of 100 ns")
                         .attach_int_domain().set_int_minimum(1, true).set_runtime_change(false));
        GetParameterValue<Vtx::IString>("catalog")->SetValue("kernel");
        GetParameterValue<Vtx::IString>("class")->SetValue("double");
        GetParameterValue<Vtx::IString>("values")->SetValue("[]");
        GetParameterValue<Vtx::IInt>("period")->SetValue(400000);
        DeclareOutput();
    }

    void CheckSignature() override {
        GetParameterValue<Vtx::IString>("catalog");
        GetParameterValue<Vtx::IString>("class");
        GetParameterValue<Vtx::IString>("values");
        GetParameterValue<Vtx::IBool>("repeat");
        GetParameterValue<Vtx::IInt>("period");
        GetSignature()->FindOutputPin("output");
        // A stored signature's values are checked here, as a value set later would be, so
        // that a bad one is refused when the patch loads, with the value named.
        std::vector<std::string> values;
        if (!ParseValueList(GetParameterValue<Vtx::IString>("values")->GetValue(), values))
            throw std::runtime_error("the stored \"values\" are not a JSON list");
        std::string refused;
        if (!ValuesReadable(values, &refused))
            throw std::runtime_error(AsFormatText("the stored value \"" + refused + "\" is not a valid " + TypeName() +
                                                  " value"));
    }

    bool OnChangingParameter(const std::string& id, Vtx::IDatatype* newValue) override {
        if (id == "class") {
            auto* text = dynamic_cast<Vtx::IString*>(newValue);
            return text && CanCreate(GetParameterValue<Vtx::IString>("catalog")->GetValue(), text->GetValue());
        }
        if (id == "values") {
            auto* text = dynamic_cast<Vtx::IString*>(newValue);
            std::vector<std::string> values;
            return text && ParseValueList(text->GetValue(), values) && ValuesReadable(values);
        }
        return true;
    }

    void OnChangedParameter(const std::string& id) override {
        if (id != "catalog" && id != "class") return;
        if (!CanCreate(GetParameterValue<Vtx::IString>("catalog")->GetValue(),
                       GetParameterValue<Vtx::IString>("class")->GetValue()))
            return;  // a catalog given before its class: the class that follows declares the output
        DeclareOutput();
        if (auto* dispatcher = GetEventDispatcher())
            dispatcher->NotifySignatureChanged(static_cast<Vtx::IEventSource*>(this), GetSignature());
    }

    bool OnInit() override {
        std::vector<std::string> texts;
        if (!ParseValueList(GetParameterValue<Vtx::IString>("values")->GetValue(), texts)) return false;
        ReleaseValues();
        output_ = nullptr;
        repeat_ = nullptr;
        for (const std::string& text : texts) {
            Vtx::IDatatype* value = NewValue();
            if (!value) return false;
            values_.push_back(value);
            if (!value->UnserializeString(text.c_str())) return false;
        }
        next_ = 0;
        // Bound for the run: neither the output's class nor the parameters' value objects
        // change while the patch runs.
        output_ = GetOutputValue<Vtx::IDatatype>("output");
        repeat_ = GetParameterValue<Vtx::IBool>("repeat");
        Vtx::IRunTimeContext* context = GetRunTimeContext();
        context->SetPeriodicActivation(true);
        context->GetPeriodicActivationSettings()->SetEnabled(true);
        context->GetPeriodicActivationSettings()->SetPeriod(GetParameterValue<Vtx::IInt>("period")->GetValue());
        return true;
    }

    bool OnExecute() override {
        if (values_.empty()) return true;
        if (next_ >= values_.size()) {
            if (!(repeat_ ? repeat_ : GetParameterValue<Vtx::IBool>("repeat"))->GetValue()) return true;
            next_ = 0;
        }
        Vtx::IDatatype* output = output_ ? output_ : GetOutputValue<Vtx::IDatatype>("output");
        output->InitInstance(values_[next_]->GetInitInfo());
        output->CopyFrom(values_[next_]);
        output->SetTimestamp(GetInitClockTime());
        ++next_;
        return true;
    }

    void OnDone() override {
        output_ = nullptr;
        repeat_ = nullptr;
        ReleaseValues();
    }

private:
    bool CanCreate(const char* catalogId, const char* classId) {
        Vtx::IDatatype* value = GetKernelServices()->CreateDatatype(catalogId, classId);
        if (!value) return false;
        value->AddRef();
        value->Release();
        return true;
    }

    // A new value of the configured class with one reference, or null.
    Vtx::IDatatype* NewValue() {
        Vtx::IDatatype* value = GetKernelServices()->CreateDatatype(GetParameterValue<Vtx::IString>("catalog")->GetValue(),
                                                                    GetParameterValue<Vtx::IString>("class")->GetValue());
        if (value) value->AddRef();
        return value;
    }

    // Whether every text loads into a value of the configured class. A class that throws
    // on a text it cannot read (rather than answering false) has the text and the class
    // named in the error passed on; the trial value is released either way.
    bool ValuesReadable(const std::vector<std::string>& texts, std::string* refused = nullptr) {
        for (const std::string& text : texts) {
            if (refused) *refused = text;
            Vtx::IDatatype* value = NewValue();
            if (!value) return false;
            std::string failure;
            bool ok = false;
            try {
                ok = value->UnserializeString(text.c_str());
            } catch (Vtx::IException& e) {
                failure = e.GetMessageText() ? e.GetMessageText() : "refused";
            } catch (const std::exception& e) {
                failure = e.what();
            }
            value->Release();
            if (!failure.empty())
                throw std::runtime_error(
                    AsFormatText("the value \"" + text + "\" is not a valid " + TypeName() + " value: " + failure));
            if (!ok) return false;
        }
        return true;
    }

    // "catalog/class" of the values.
    std::string TypeName() {
        return std::string(GetParameterValue<Vtx::IString>("catalog")->GetValue()) + "/" +
               GetParameterValue<Vtx::IString>("class")->GetValue();
    }

    void DeclareOutput() {
        AddOutputPin(pin_description("output").set_name("output").set_description("The current value of the sequence")
                         .set_type(GetParameterValue<Vtx::IString>("catalog")->GetValue(),
                                   GetParameterValue<Vtx::IString>("class")->GetValue()));
    }

    void ReleaseValues() {
        for (Vtx::IDatatype* value : values_) value->Release();
        values_.clear();
    }

    std::vector<Vtx::IDatatype*> values_;  // one reference each
    std::size_t next_ = 0;
    // Bound by Init, forgotten by Done; held by the block's signature.
    Vtx::IDatatype* output_ = nullptr;
    Vtx::IBool* repeat_ = nullptr;
};

class CSink : public Vtx::CBlockImplBase<Vtx::IBlock>, public IReceivedValues {
public:
    explicit CSink(const Vtx::OBJECT_CREATIONCTX* context) : CBlockImplBase(context) {
        GetRunTimeContext()->SetInputActivation(true);
        GetRunTimeContext()->GetInputActivationSettings()->SetPinActivation("input", true);
    }

    const std::vector<std::string>& Received() const override { return received_; }
    std::vector<std::string> TakeNew() override {
        std::vector<std::string> fresh;
        fresh.swap(received_);
        return fresh;
    }
    void TakeNewInto(std::vector<std::string>& into) override {
        // The reader's old values are done with: their texts' storage serves the next ones.
        for (std::string& done : into) spare_.push_back(std::move(done));
        into.clear();
        into.swap(received_);
    }

protected:
    void InitSignature() override {
        AddInputPin(pin_description("input").set_name("input").set_description("The values to record")
                        .set_type("kernel", "generic_datatype"));
        HoldInput(GetSignature()->FindInputPin("input"));
    }
    void CheckSignature() override { HoldInput(GetSignature()->FindInputPin("input")); }
    void DoneSignature() override { HoldInput(nullptr); }

    bool OnExecute() override {
        // The pin found when the signature was made, asked for its datatype every time (a
        // patch may give the pin another one); without either, the look-up by id fails as
        // it always did.
        Vtx::IDatatype* input = input_ ? input_->GetDatatype() : nullptr;
        if (!input) input = GetInputValue<Vtx::IDatatype>("input");
        // A kernel value writes its text straight into the new entry, which reuses the
        // storage of a text the reader handed back.
        if (spare_.empty()) {
            received_.emplace_back();
        } else {
            received_.push_back(std::move(spare_.back()));
            spare_.pop_back();
            received_.back().clear();
        }
        try {
            text_.Append(input, received_.back());
        } catch (...) {
            received_.pop_back();
            throw;
        }
        return true;
    }

public:
    ~CSink() override { HoldInput(nullptr); }

private:
    void HoldInput(Vtx::IInputPin* pin) {
        if (pin) pin->AddRef();
        if (input_) input_->Release();
        input_ = pin;
    }

    Vtx::IInputPin* input_ = nullptr;  // one reference
    std::vector<std::string> received_;
    // Emptied texts handed back by TakeNewInto: a new text is made only when none is
    // left, so there are never more than the reader and the sink once held together.
    std::vector<std::string> spare_;
    CTextAppender text_;  // knows whether the input's kind of value is a kernel datatype
};

template <class T>
CKernelCatalog::CreateFunction BlockMaker() {
    return [](const Vtx::OBJECT_CREATIONCTX* context) -> Vtx::IObject* {
        return Vtx::TranslateStdExceptions([&]() -> Vtx::IObject* {
            return static_cast<Vtx::IPropertyObject*>(new T(context));
        });
    };
}

} // namespace

IReceivedValues* ReceivedValuesOf(Vtx::IBlock* block) { return dynamic_cast<IReceivedValues*>(block); }

void RegisterKernelBlocks(CKernelCatalog& catalog) {
    catalog.AddClass(ObjectKind::Block, "sequence_source", BlockMaker<CSequenceSource>());
    catalog.AddClass(ObjectKind::Block, "sink", BlockMaker<CSink>());
}

} // namespace vtxhost
