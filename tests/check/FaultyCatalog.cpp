// A small catalog for the tests of vtxhost check: one datatype, "Counter" (a 32-bit
// integer), and one block, "Step", which adds its parameter "step" to the counter on its
// input. Compiled once and linked into one module per fault; the catalog word of the
// module's identifier names the one fault the module carries:
//   FAULTYWRONGSIZE        Counter's binary form accepts any size of at least 4 bytes
//   FAULTYTHROWINGEXECUTE  Step's Execute throws
//   FAULTYNULLNAME         an author record answers a null name
//   FAULTYLEAKEDDATATYPE   Step's Init takes a kernel datatype and never releases it
// and three that the check only warns about (and fails with --strict):
//   FAULTYUNSTAMPED        Step and Mix write their outputs but never stamp them
//   FAULTYTEXTFORM         Counter writes values from 2 up as "+2", a text it cannot read
//   FAULTYREFUSEDDEFAULT   Mix (MixBlock.cpp) declares defaults it refuses itself
// Any other word is the sound catalog (the missing-export module is the sound catalog
// linked with a version script lacking one entry point).
#include <charconv>
#include <cstdint>
#include <cstring>
#include <new>
#include <optional>
#include <stdexcept>

#include "tests/check/Faults.h"

#include "sdk/block/BlockImplBase.h"
#include "sdk/block/PinDescription.h"
#include "sdk/datatype/CreateFunctions.h"
#include "sdk/datatype/DatatypeImpl.h"
#include "sdk/datatype/SerializeBuffer.h"
#include "sdk/object/SmartPtr.h"
#include "sdk/registration/BlockClassRegistrant.h"
#include "sdk/registration/PlainClassInfo.h"
#include "sdk/registration/Registrants.h"
#include "vtx/KernelDatatypes.h"
#include "vtx/RunTimeContext.h"

namespace {

constexpr const char* kCatalogId = "Faulty";
constexpr const char* kCounterId = "Counter";
constexpr std::uint16_t kEnglish = 1033;
constexpr std::uint32_t kCounterSize = 4;

using faulty::HasFault;

class CCounterImpl : public Vtx::CDatatypeImpl<Vtx::IDatatype> {
public:
    explicit CCounterImpl(const Vtx::OBJECT_CREATIONCTX* context) : CDatatypeImpl(context) {}

    Vtx::SerializeBuffer* SerializeBinary() override {
        Vtx::SerializeBuffer* buffer = Vtx::AllocateSerializeBuffer(kCounterSize);
        if (buffer) std::memcpy(Vtx::GetSerializeBufferData(buffer), &value_, kCounterSize);
        return buffer;
    }
    bool UnserializeBinary(const Vtx::SerializeBuffer* buffer) override {
        if (!buffer) return true;
        const std::uint32_t size = Vtx::GetSerializeBufferSize(buffer);
        if (HasFault("FAULTYWRONGSIZE") ? size < kCounterSize : size != kCounterSize) return false;
        std::memcpy(&value_, Vtx::GetSerializeBufferData(buffer), kCounterSize);
        return true;
    }
    char* SerializeString() override {
        char text[13];
        char* begin = text + 1;
        char* end = std::to_chars(begin, text + sizeof text, value_).ptr;
        if (HasFault("FAULTYTEXTFORM") && value_ >= 2) *--begin = '+';
        return Vtx::DuplicateText(begin, static_cast<std::size_t>(end - begin));
    }
    bool UnserializeString(const char* text) override {
        if (!text) return false;
        const char* end = text + std::strlen(text);
        std::int32_t value = 0;
        const std::from_chars_result result = std::from_chars(text, end, value);
        if (text == end || result.ec != std::errc() || result.ptr != end) return false;
        value_ = value;
        return true;
    }

    std::int32_t Value() const { return value_; }
    void SetValue(std::int32_t value) { value_ = value; }

private:
    std::int32_t value_ = 0;
};

Vtx::IObject* CreateCounterObject(const Vtx::OBJECT_CREATIONCTX* context) {
    return Vtx::CreateDatatypeInstance<CCounterImpl>(context);
}

class CStep : public Vtx::CBlockImplBase<Vtx::IBlock> {
public:
    explicit CStep(const Vtx::OBJECT_CREATIONCTX* context) : CBlockImplBase(context) {
        GetRunTimeContext()->SetInputActivation(true);
        GetRunTimeContext()->GetInputActivationSettings()->SetPinActivation("input", true);
    }

protected:
    void InitSignature() override {
        AddParameter(Vtx::pin_description("step")
                         .set_name("Step")
                         .set_description("Added to the input")
                         .attach_int_domain(true)
                         .set_int_minimum(-100, true)
                         .set_int_maximum(100, true));
        step_ = GetParameterValue<Vtx::IInt>("step");
        step_->SetValue(1);
        AddInputPin(Vtx::pin_description("input").set_name("input").set_description("A counter").set_type(kCatalogId, kCounterId));
        AddOutputPin(Vtx::pin_description("output").set_name("output").set_description("The counter plus the step").set_type(kCatalogId, kCounterId));
    }
    void CheckSignature() override { step_ = GetParameterValue<Vtx::IInt>("step"); }
    void DoneSignature() override { step_ = nullptr; }

    bool OnInit() override {
        input_ = GetInputValue<Vtx::IDatatype>("input");
        output_ = GetOutputValue<Vtx::IDatatype>("output");
        if (HasFault("FAULTYLEAKEDDATATYPE")) GetKernelServices()->CreateDatatype("kernel", "double")->AddRef();
        return true;
    }
    void OnDone() override {
        input_ = nullptr;
        output_ = nullptr;
    }
    bool OnExecute() override {
        if (HasFault("FAULTYTHROWINGEXECUTE")) throw std::runtime_error("the counter overflowed on purpose");
        auto* input = dynamic_cast<CCounterImpl*>(input_.get());
        auto* output = dynamic_cast<CCounterImpl*>(output_.get());
        if (!input || !output) return false;
        output->SetValue(static_cast<std::int32_t>(static_cast<std::uint32_t>(input->Value()) +
                                                   static_cast<std::uint32_t>(step_->GetValue())));
        if (!HasFault("FAULTYUNSTAMPED")) output->SetTimestamp(GetInitClockTime());
        return true;
    }

private:
    template <class I>
    using Ptr = Vtx::CSmartPtr<I, Vtx::CDatatypeFactory<I>>;
    Ptr<Vtx::IInt> step_;
    Ptr<Vtx::IDatatype> input_;
    Ptr<Vtx::IDatatype> output_;
};

Vtx::IObject* CreateStepObject(const Vtx::OBJECT_CREATIONCTX* context) {
    return Vtx::TranslateStdExceptions([context]() -> Vtx::IObject* { return new (std::nothrow) CStep(context); });
}

Vtx::datatype_class_registrant counter = Vtx::datatype_class_registrant(kCounterId)
                                             .language(kEnglish)
                                             .name("Counter")
                                             .description("A 32-bit counter")
                                             .owner()
                                             .authors().add("faulty_author")
                                             .factory(&CreateCounterObject);

Vtx::block_class_registrant step = Vtx::block_class_registrant("Step")
                                       .language(kEnglish)
                                       .name("Step")
                                       .description("Adds a step to a counter")
                                       .library_path("Faulty")
                                       .owner()
                                       .authors().add("faulty_author")
                                       .factory(&CreateStepObject);

Vtx::catalog_class_registrant catalog =
    Vtx::catalog_class_registrant(kCatalogId).language(kEnglish).name("Faulty").description("A catalog with faults").owner();

Vtx::author_registrant author =
    Vtx::author_registrant("faulty_author").language(kEnglish).name("A. Author").description("Author").owner();

// An author described directly, whose name is missing; it lists itself in the signature
// when it is made.
class CNamelessAuthor : public Vtx::CAuthorClassInfoImpl {
public:
    CNamelessAuthor() : CAuthorClassInfoImpl("nameless_author", Vtx::ObjectClassTexts{}) {}
    const char* GetName() override { return nullptr; }
};

struct NamelessAuthorHolder {
    NamelessAuthorHolder() {
        if (HasFault("FAULTYNULLNAME")) author.emplace();
    }
    std::optional<CNamelessAuthor> author;
} namelessAuthor;

} // namespace
