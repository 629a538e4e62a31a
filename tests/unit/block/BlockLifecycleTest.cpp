#include <stdexcept>
#include <string>

#include "ProbeBlock.h"

using namespace blocktest;

namespace {

class BlockLifecycle : public BlockFixture {};
using Texts = std::vector<std::string>;

// A stand-in host object for the second Init argument.
int hostContext;

TEST_F(BlockLifecycle, StopRunsOnlyAfterStartAndOnlyOnce) {
    ProbeBlock* block = MakeBlock();
    IBlock* b = block->AsBlock();
    b->Stop();
    EXPECT_EQ(block->Calls("Stop"), 0);
    EXPECT_TRUE(b->Start());
    EXPECT_TRUE(block->IsStarted());
    b->Stop();
    b->Stop();
    EXPECT_EQ(block->Calls("Stop"), 1);
    EXPECT_FALSE(block->IsStarted());
    // Started is set before the overridable runs, even when it fails or throws.
    block->startResult = false;
    EXPECT_FALSE(b->Start());
    EXPECT_TRUE(block->IsStarted());
    b->Stop();
    block->startResult = true;
    block->onStart = [] { throw std::runtime_error("no"); };
    EXPECT_FALSE(b->Start());
    b->Stop();
    EXPECT_EQ(block->Calls("Stop"), 3);
}

TEST_F(BlockLifecycle, DoneRunsOnlyAfterInitWithBothHostObjects) {
    ProbeBlock* block = MakeBlock();
    IBlock* b = block->AsBlock();
    EXPECT_TRUE(b->Init(nullptr, &hostContext, 0, 0));
    EXPECT_EQ(block->Calls("Init"), 1);
    b->Done();
    EXPECT_EQ(block->Calls("Done"), 0);
    EXPECT_TRUE(b->Init(services.GetKernelClock(), nullptr, 0, 0));
    b->Done();
    EXPECT_EQ(block->Calls("Done"), 0);
    // Initialised regardless of what the overridable returned; Done clears the state.
    block->initResult = false;
    EXPECT_FALSE(b->Init(services.GetKernelClock(), &hostContext, 0, 0));
    b->Done();
    b->Done();
    EXPECT_EQ(block->Calls("Done"), 1);
    // A throwing Done still leaves the block uninitialised.
    block->initResult = true;
    block->onDone = [] { throw std::logic_error("done failed"); };
    EXPECT_TRUE(b->Init(services.GetKernelClock(), &hostContext, 0, 0));
    b->Done();
    b->Done();
    EXPECT_EQ(block->Calls("Done"), 2);
    // Check and Execute do not look at the state.
    EXPECT_TRUE(b->Check());
    EXPECT_TRUE(b->Execute(0));
    EXPECT_EQ(block->Calls("Check"), 1);
    EXPECT_EQ(block->Calls("Execute"), 1);
}

TEST_F(BlockLifecycle, TracesFollowTheLevelThresholdsWithTheirExactTexts) {
    ProbeBlock* block = MakeBlock("Mixer");
    IBlock* b = block->AsBlock();
    b->InitInstance(nullptr, nullptr, 0);

    // Level 2: no method is traced.
    SetTraceLevel(block, 2);
    b->Init(services.GetKernelClock(), &hostContext, 0, 0);
    EXPECT_TRUE(LogTexts().empty());

    // Level 3: the lifecycle methods, one record per call, but not Execute.
    SetTraceLevel(block, 3);
    b->Init(services.GetKernelClock(), &hostContext, 0, 0);
    b->Execute(0);
    auto entries = services.Log().Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].text, "Block Mixer: method Init starting\n");
    EXPECT_EQ(entries[1].text, "Block Mixer: method Init returned\n");
    EXPECT_EQ(entries[0].severity, 1);
    EXPECT_EQ(entries[0].record, entries[1].record);
    EXPECT_EQ(services.Log().RecordCount(), 1u);

    // Level 4: parameter changes; level 5: signature methods; level 6: Execute.
    services.Log().ClearEntries();
    SetTraceLevel(block, 4);
    b->SetParameter(b->GetSignature()->FindParameter("gain"), MakeInt(3));
    b->DoneInstance();
    EXPECT_EQ(LogTexts(), (Texts{"Block Mixer: method OnChangingParameter starting\n",
                                                    "Block Mixer: method OnChangingParameter returned\n",
                                                    "Block Mixer: method OnChangedParameter starting\n",
                                                    "Block Mixer: method OnChangedParameter returned\n"}));
    services.Log().ClearEntries();
    SetTraceLevel(block, 5);
    b->DoneInstance();
    b->Execute(0);
    EXPECT_EQ(LogTexts(), (Texts{"Block Mixer: method DoneSignature starting\n",
                                                    "Block Mixer: method DoneSignature returned\n"}));
    services.Log().ClearEntries();
    SetTraceLevel(block, 6);
    b->Execute(0);
    b->Stop(); // not started: nothing runs, nothing is traced
    EXPECT_EQ(LogTexts(), (Texts{"Block Mixer: method Execute starting\n",
                                                    "Block Mixer: method Execute returned\n"}));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(BlockLifecycle, ThrowingExecuteSendsOneUnhandledMessageAndNoReturnedTrace) {
    ProbeBlock* block = MakeBlock("Src");
    IBlock* b = block->AsBlock();
    SetTraceLevel(block, 6);
    block->onExecute = [] { throw std::runtime_error("boom"); };
    EXPECT_FALSE(b->Execute(0));
    const std::string expected = "Block Src: unhandled exception of type std::exception in method Execute; "
                                 "exception message is boom\n";
    EXPECT_EQ(Sent(), Texts{"4 " + expected});
    EXPECT_EQ(Messages()[0].source, static_cast<IEventSource*>(b));
    EXPECT_EQ(LogTexts(), (Texts{"Block Src: method Execute starting\n", expected}));
    EXPECT_EQ(services.Log().Entries()[1].severity, 3);

    // A Vtx exception reads as such, with its own message.
    services.Dispatcher().ClearMessages();
    block->onExecute = [] { throw CLogicExceptionImpl(Messages::kOutOfMemory); };
    EXPECT_FALSE(b->Execute(0));
    EXPECT_EQ(Sent(), Texts{"4 Block Src: unhandled exception of type Vtx::IException in method Execute; "
                            "exception message is Out of memory.\n\n"});
}

TEST_F(BlockLifecycle, FalseFromCheckIsLoggedFromLevelTwoAndAlwaysSent) {
    ProbeBlock* block = MakeBlock("Chk");
    IBlock* b = block->AsBlock();
    block->checkResult = false;
    const std::string error = "Block Chk: error in method Check\n";
    SetTraceLevel(block, 2);
    EXPECT_FALSE(b->Check());
    EXPECT_EQ(LogTexts(), Texts{error});
    EXPECT_EQ(services.Log().Entries()[0].severity, 3);
    EXPECT_EQ(Sent(), Texts{"3 " + error});

    services.Log().ClearEntries();
    SetTraceLevel(block, 1);
    EXPECT_FALSE(b->Check());
    EXPECT_TRUE(LogTexts().empty());
    EXPECT_EQ(Sent(), (Texts{"3 " + error, "3 " + error}));

    // At level 3 the error entry joins the traces' record, before "returned".
    SetTraceLevel(block, 3);
    EXPECT_FALSE(b->Check());
    EXPECT_EQ(LogTexts(), (Texts{"Block Chk: method Check starting\n", error, "Block Chk: method Check returned\n"}));
    EXPECT_EQ(services.Log().RecordCount(), 1u);
}

TEST_F(BlockLifecycle, UnhandledExceptionAtLevelZeroIsSentButNotLogged) {
    ProbeBlock* block = MakeBlock("Z");
    block->onStart = [] { throw std::runtime_error("late"); };
    EXPECT_FALSE(block->AsBlock()->Start());
    EXPECT_TRUE(LogTexts().empty());
    EXPECT_EQ(Sent().size(), 1u);
    SetTraceLevel(block, 1);
    block->onStop = [] { throw std::runtime_error("stop"); };
    block->AsBlock()->Stop();  // returns normally
    EXPECT_EQ(LogTexts(), Texts{"Block Z: unhandled exception of type std::exception in method Stop; "
                                "exception message is stop\n"});
}

TEST_F(BlockLifecycle, MessagesAreCutAt511AndNeverReadAsFormats) {
    ProbeBlock* block = MakeBlock("F");
    const std::string directives = "%s %d %1% %n %%";
    block->onInit = [&] { throw std::runtime_error(directives + std::string(600, 'y')); };
    EXPECT_FALSE(block->AsBlock()->Init(services.GetKernelClock(), &hostContext, 0, 0));
    const std::string head = "Block F: unhandled exception of type std::exception in method Init; "
                             "exception message is " + directives;
    EXPECT_EQ(Sent(), Texts{"4 " + head + std::string(511 - head.size(), 'y')});
}

TEST_F(BlockLifecycle, UnnamedBlocksAreReportedByCatalogAndClassOnlyForUnhandledExceptions) {
    ProbeBlock* unnamed = MakeBlock("");
    unnamed->checkResult = false;
    unnamed->onExecute = [] { throw std::runtime_error("x"); };
    unnamed->AsBlock()->Check();
    unnamed->AsBlock()->Execute(0);
    // Without a class object the fallback has two empty parts.
    EXPECT_EQ(Sent(), (Texts{"3 Block : error in method Check\n",
                             "4 Block ::: unhandled exception of type std::exception in method Execute; "
                             "exception message is x\n"}));

    services.Dispatcher().ClearMessages();
    IObjectClass* blockClass =
        services.MakeCreationContext(vtxhost::ObjectKind::Block, "Brennick2010", "Vector").objectClass;
    ProbeBlock* block = MakeBlock("", blockClass);
    EXPECT_EQ(static_cast<IObjectClass*>(block->AsBlock()->GetBlockClass()), blockClass);
    EXPECT_EQ(unnamed->AsBlock()->GetBlockClass(), nullptr);
    block->onCheck = [] { throw CLogicExceptionImpl(Messages::kNullDatatype); };
    EXPECT_FALSE(block->AsBlock()->Check());
    EXPECT_EQ(Sent(), Texts{"4 Block Brennick2010::Vector: unhandled exception of type Vtx::IException in method "
                            "Check; exception message is Null pointer to datatype.\n\n"});
    // A class object that is not a block class is refused when the block is made.
    IObjectClass* datatypeClass =
        services.MakeCreationContext(vtxhost::ObjectKind::Datatype, "Brennick2010", "Vector").objectClass;
    EXPECT_THROW(MakeBlock("x", datatypeClass), ICastException);
}

TEST_F(BlockLifecycle, DrawingWindowsAreNotProvidedAndAnotherDispatcherMayBeSet) {
    ProbeBlock* block = MakeBlock();
    IBlock* b = block->AsBlock();
    EXPECT_EQ(b->GetEventDispatcher(), services.GetMessageDispatcher());
    BlockSize size{5, 6};
    EXPECT_EQ(b->GetOwnerDrawnSize(&size), &size);
    EXPECT_EQ(size.cx, 0);
    EXPECT_EQ(size.cy, 0);
    for (auto call : {+[](IBlock* x) { x->CreateOwnerDrawnWindow(nullptr); },
                      +[](IBlock* x) { x->DestroyOwnerDrawnWindow(); },
                      +[](IBlock* x) { x->CreatePropertyWindow(nullptr); },
                      +[](IBlock* x) { x->DestroyPropertyWindow(); }}) {
        try {
            call(b);
            ADD_FAILURE() << "nothing thrown";
        } catch (ILogicException& e) {
            EXPECT_STREQ(e.GetMessageText(), "Method has not been overriden inderived classes.\n");
        }
    }
    // The event-source views agree on the dispatcher set, and messages go there.
    vtxhost::CMessageDispatcher other;
    b->SetEventDispatcher(&other);
    EXPECT_EQ(static_cast<const IEventSource*>(b)->GetEventDispatcher(), &other);
    block->checkResult = false;
    b->Check();
    EXPECT_EQ(other.Messages().size(), 1u);
    EXPECT_TRUE(Messages().empty());
    b->SetEventDispatcher(services.GetMessageDispatcher());
}

} // namespace
