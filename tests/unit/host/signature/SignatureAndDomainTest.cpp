#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "vtx/Exception.h"

#include "host/signature/BlockSignature.h"
#include "tests/unit/host/HeldObject.h"
#include "vtx/KernelDatatypes.h"
#include "vtx/Layout.h"
#include "vtx/RunTimeContext.h"

using namespace Vtx;
using vtxhost::CKernelServices;

namespace {

struct DomainTest : ::testing::Test {
    CKernelServices kernel;
    Held<IIntDomain> intDomain{kernel.CreateDomain("kernel", "int-domain")};
    Held<IDoubleDomain> doubleDomain{kernel.CreateDomain("kernel", "double-domain")};
    Held<IInt> i = NewDatatype<IInt>(kernel, "int");
    Held<IDouble> d = NewDatatype<IDouble>(kernel, "double");
    bool IntOk(std::int32_t v) {
        i->SetValue(v);
        return intDomain->IsValid(i);
    }
    bool DoubleOk(double v) {
        d->SetValue(v);
        return doubleDomain->IsValid(d);
    }
};

TEST_F(DomainTest, IntBoundsAreInclusiveOrExclusiveByKind) {
    ASSERT_NE(intDomain.get(), nullptr);
    EXPECT_TRUE(IntOk(-2147483647 - 1));  // no bounds yet
    intDomain->SetBounds(0, kBoundInclusive, 0, kBoundNone);
    EXPECT_TRUE(IntOk(0));
    EXPECT_FALSE(IntOk(-1));
    EXPECT_TRUE(IntOk(2147483647));
    intDomain->SetBounds(1, kBoundExclusive, 10, kBoundInclusive);
    EXPECT_FALSE(IntOk(1));
    EXPECT_TRUE(IntOk(2));
    EXPECT_TRUE(IntOk(10));
    EXPECT_FALSE(IntOk(11));
    intDomain->SetBounds(0, kBoundNone, 5, kBoundExclusive);
    EXPECT_TRUE(IntOk(-100));
    EXPECT_FALSE(IntOk(5));
    EXPECT_EQ(intDomain->GetMaximumKind(), kBoundExclusive);
    // Values of another class, and null, are never admitted.
    EXPECT_FALSE(intDomain->IsValid(d));
    EXPECT_FALSE(intDomain->IsValid(nullptr));
    // An unknown kind is no bound.
    intDomain->SetBounds(3, 7, 0, kBoundNone);
    EXPECT_EQ(intDomain->GetMinimumKind(), kBoundNone);
    EXPECT_TRUE(IntOk(-3));
}

TEST_F(DomainTest, DoubleBoundsAndNotANumber) {
    ASSERT_NE(doubleDomain.get(), nullptr);
    EXPECT_TRUE(DoubleOk(std::nan("")));
    doubleDomain->SetBounds(0.0, kBoundExclusive, 1.0, kBoundInclusive);
    EXPECT_FALSE(DoubleOk(0.0));
    EXPECT_TRUE(DoubleOk(1e-300));
    EXPECT_TRUE(DoubleOk(1.0));
    EXPECT_FALSE(DoubleOk(1.0000000000000002));
    EXPECT_FALSE(DoubleOk(std::nan("")));
    EXPECT_FALSE(doubleDomain->IsValid(i));
}

struct SignatureTest : ::testing::Test {
    CKernelServices kernel;
    Held<vtxhost::CBlockSignatureImpl> signature{new vtxhost::CBlockSignatureImpl(&kernel, nullptr)};
};

TEST_F(SignatureTest, PinsAreCreatedTypedAndFoundById) {
    IInputPin* in = signature->CreateInputPin("in", "In", "input", "kernel", "double", true, true, false);
    IInputPin* any = signature->CreateInputPin("any", "Any", "", "kernel", "generic_datatype", true, true, true);
    IOutputPin* out = signature->CreateOutputPin("out", "Out", "", "kernel", "generic_datatype", "", "any");
    ASSERT_NE(in, nullptr);
    EXPECT_NE(dynamic_cast<IDouble*>(in->GetDatatype()), nullptr);
    // Generic pins wait for a link to give them a datatype.
    EXPECT_EQ(any->GetDatatype(), nullptr);
    EXPECT_EQ(out->GetDatatype(), nullptr);
    EXPECT_FALSE(in->GetInputFlag(3));  // past the flags
    EXPECT_EQ(signature->FindInputPin("any"), any);
    EXPECT_EQ(signature->GetInputPins()->GetAt(1), any);
    EXPECT_THROW(signature->FindInputPin("out"), ICollectionException);
    EXPECT_THROW(signature->FindOutputPin("in"), ICollectionException);
    EXPECT_THROW(signature->GetOutputPins()->GetAt(1), ICollectionException);
    EXPECT_THROW(signature->CreateInputPin("bad", "", "", "kernel", "no_such_type", true, true, false),
                 ILogicException);
    EXPECT_FALSE(signature->GetInputPins()->HasId("bad"));
}

TEST_F(SignatureTest, ParametersKeepValueWhenDeclaredAgainAndGoWhenRemoved) {
    IParameterPinSignature* count =
        signature->CreateParameter("count", "Count", "", "kernel", "int", "kernel", "int-domain", 0);
    ASSERT_NE(count, nullptr);
    ASSERT_NE(dynamic_cast<IIntDomain*>(count->GetDomain()), nullptr);
    EXPECT_TRUE(count->GetCompareBeforeSet());
    dynamic_cast<IInt*>(count->GetValue())->SetValue(3);

    IParameterPinSignature* again =
        signature->CreateParameter("count", "Count of items", "", "kernel", "int", "kernel", "int-domain", 0);
    EXPECT_EQ(again, count);
    EXPECT_STREQ(again->GetName(), "Count of items");
    EXPECT_EQ(dynamic_cast<IInt*>(again->GetValue())->GetValue(), 3);

    // Another type replaces the parameter in place.
    IParameterPinSignature* label = signature->CreateParameter("label", "", "", "kernel", "string", "", "", 0);
    IParameterPinSignature* retyped = signature->CreateParameter("count", "", "", "kernel", "double", "", "", 0);
    EXPECT_NE(retyped, count);
    EXPECT_EQ(signature->GetParameters()->GetAt(0), retyped);
    EXPECT_EQ(signature->GetParameters()->GetAt(1), label);

    IParameterPinSignature* trigger = signature->CreateParameter("reset", "", "", "kernel", "trigger", "", "", 0);
    EXPECT_FALSE(trigger->GetCompareBeforeSet());

    IParameterPinSignature* removed = signature->RemoveParameter("label");
    EXPECT_EQ(removed, label);
    EXPECT_STREQ(removed->GetId(), "label");  // still usable as a key
    EXPECT_EQ(signature->RemoveParameter("label"), nullptr);
    EXPECT_EQ(signature->GetParameters()->GetCount(), 2);
    EXPECT_THROW(signature->FindParameter("label"), ICollectionException);
    EXPECT_THROW(signature->CreateParameter("p", "", "", "kernel", "int", "kernel", "no-domain", 0), ILogicException);

    signature->Clear();
    EXPECT_EQ(signature->GetParameters()->GetCount(), 0);
}

// Removed parameters leave holes in the order that later positional reads close; the
// index by id stays right through removals, re-declarations and reads in between.
TEST_F(SignatureTest, PositionsAndIdsAgreeThroughRemovalsAndRedeclarations) {
    auto* parameters = signature->GetParameters();
    for (int i = 0; i < 10; ++i) {
        const std::string id = "p" + std::to_string(i);
        signature->CreateParameter(id.c_str(), "", "", "kernel", "int", "", "", 0);
    }
    for (const char* id : {"p1", "p3", "p5"}) ASSERT_NE(signature->RemoveParameter(id), nullptr);
    EXPECT_FALSE(parameters->HasId("p3"));
    EXPECT_EQ(parameters->IndexOf("p3"), -1);
    signature->CreateParameter("p3", "", "", "kernel", "int", "", "", 0);  // back, at the end
    EXPECT_NE(signature->RemoveParameter("p8"), nullptr);
    const char* expected[] = {"p0", "p2", "p4", "p6", "p7", "p9", "p3"};
    ASSERT_EQ(parameters->GetCount(), 7);
    for (std::int32_t i = 0; i < 7; ++i) {
        EXPECT_STREQ(parameters->GetAt(i)->GetId(), expected[i]);
        EXPECT_EQ(parameters->IndexOf(expected[i]), i);
        EXPECT_EQ(signature->FindParameter(expected[i]), parameters->GetAt(i));
    }
    // A removal right after a positional read, then a read again.
    signature->RemoveParameter("p0");
    EXPECT_STREQ(parameters->GetAt(0)->GetId(), "p2");
    EXPECT_EQ(parameters->IndexOf("p3"), 5);
    EXPECT_THROW(parameters->GetAt(6), ICollectionException);
}

TEST_F(SignatureTest, TraceLevelIsAnIntegerFromTheKernelSetting) {
    kernel.SetInt64Setting("kernel", "trace_level", 4);
    Held<vtxhost::CBlockSignatureImpl> fresh{new vtxhost::CBlockSignatureImpl(&kernel, nullptr)};
    auto* level = dynamic_cast<IInt*>(fresh->GetTraceLevel());
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(level->GetValue(), 4);
}

TEST(KernelServices, SettingsLayoutsContextsAndAClockThatNeverGoesBack) {
    CKernelServices kernel;
    EXPECT_EQ(kernel.GetInt64Setting("kernel", "abort_timeout"), 5000);
    EXPECT_FALSE(kernel.HasSetting("kernel", "nothing"));
    EXPECT_EQ(kernel.GetInt64Setting("kernel", "nothing"), 0);

    Held<IBlockLayout> layout{kernel.CreateBlockLayout(nullptr)};
    auto* combo = dynamic_cast<IComboDatatypeLayout*>(layout->CreateDatatypeLayout("kernel", "combo", "mode"));
    ASSERT_NE(combo, nullptr);
    combo->SetSize(2);
    EXPECT_THROW(combo->SetItem(2, "x"), ILogicException);
    EXPECT_THROW(combo->SetSize(-1), ILogicException);
    EXPECT_EQ(layout->GetDatatypeLayout("mode"), combo);
    EXPECT_EQ(layout->GetDatatypeLayout("other"), nullptr);
    for (const char* layoutClass : {"filename", "foldername", "datatype_selector_combo"})
        EXPECT_NE(layout->CreateDatatypeLayout("kernel", layoutClass, layoutClass), nullptr) << layoutClass;
    EXPECT_THROW(layout->CreateDatatypeLayout("kernel", "slider", "x"), ILogicException);

    Held<IRunTimeContext> context{kernel.CreateRunTimeContext(nullptr)};
    EXPECT_FALSE(context->IsPatchRunning());
    context->GetPeriodicActivationSettings()->SetPeriod(0);
    EXPECT_EQ(context->GetPeriodicActivationSettings()->GetPeriod(), 1);
    EXPECT_FALSE(context->GetInputActivationSettings()->GetPinActivation("other"));
    // The first pin named is kept apart from the others: each keeps its own answer, and a
    // later change of either reaches only it.
    IInputActivationSettings* pins = context->GetInputActivationSettings();
    pins->SetPinActivation("input", true);
    pins->SetPinActivation("second", false);
    pins->SetPinActivation("third", true);
    pins->SetPinActivation(nullptr, true);
    EXPECT_TRUE(pins->GetPinActivation("input"));
    EXPECT_FALSE(pins->GetPinActivation("second"));
    EXPECT_TRUE(pins->GetPinActivation("third"));
    EXPECT_TRUE(pins->GetPinActivation(""));
    EXPECT_FALSE(pins->GetPinActivation("inpu"));
    EXPECT_FALSE(pins->GetPinActivation("input2"));
    pins->SetPinActivation("input", false);
    pins->SetPinActivation("second", true);
    EXPECT_FALSE(pins->GetPinActivation("input"));
    EXPECT_TRUE(pins->GetPinActivation("second"));
    EXPECT_TRUE(pins->GetPinActivation("third"));

    IKernelClock* clock = kernel.GetKernelClock();
    const std::int64_t first = clock->GetCurrentTime();
    EXPECT_GT(clock->GetCurrentTime(), first);
    kernel.Clock().AdvanceTo(first + 10000000);
    EXPECT_GE(clock->GetCurrentTime(), first + 10000000);
    kernel.Clock().AdvanceTo(first);  // never backward
    EXPECT_GT(clock->GetCurrentTime(), first + 10000000);
}

TEST(KernelServices, LogAndDispatcherKeepWhatTheyReceive) {
    CKernelServices kernel;
    IDiagnosticLog* log = kernel.GetDiagnosticLog();
    const std::int32_t record = log->BeginRecord(kLogTrace, "first");
    log->Append(record, kLogError, "second");
    log->Append(999, kLogTrace, "orphan");  // an unknown record opens its own
    const auto entries = kernel.Log().Entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1].record, record);
    EXPECT_NE(entries[2].record, record);
    EXPECT_EQ(kernel.Log().RecordCount(), 2u);

    int seen = 0;
    kernel.Dispatcher().SubscribeMessages([&](const vtxhost::DispatchedMessage&) { ++seen; });
    const std::string longText(600, 'x');
    kernel.GetMessageDispatcher()->SendMessage(nullptr, 3, longText.c_str());
    kernel.GetMessageDispatcher()->SendMessage(nullptr, 4, "%s%n");
    const auto messages = kernel.Dispatcher().Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text.size(), 511u);
    EXPECT_EQ(messages[1].text, "%s%n");
    EXPECT_EQ(seen, 2);
}

} // namespace
