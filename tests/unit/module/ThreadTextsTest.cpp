#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "module/ModuleState.h"
#include "module/ThreadSpecificValue.h"
#include "tests/unit/module/ThreadTextHolder.h"

using namespace Vtx;

namespace {

TEST(ThreadSpecificValue, EachThreadSeesItsOwnText) {
    auto* value = new CThreadSpecificValueImpl;
    value->AddRef();
    value->SetText("main");
    std::string seenByWorker;
    std::thread worker([&] {
        seenByWorker = value->GetText();  // a new thread starts empty
        value->SetText("worker");
        seenByWorker += "|" + std::string(value->GetText());
    });
    worker.join();
    EXPECT_EQ(seenByWorker, "|worker");
    EXPECT_STREQ(value->GetText(), "main");
    value->ReleaseThreadValue();
    EXPECT_STREQ(value->GetText(), "");
    EXPECT_EQ(value->Release(), 0);
}

TEST(ThreadSpecificValue, AcquireReturnsTheSamePayloadUntilReleased) {
    CThreadSpecificValueImpl value;
    void* first = value.AcquireThreadValue();
    EXPECT_EQ(value.AcquireThreadValue(), first);
    value.SetText(nullptr);
    EXPECT_STREQ(value.GetText(), "");
}

TEST(ThreadTextResult, EmptyWithoutHolderAndOverwrittenOnlyBySameThread) {
    ThreadTextHolder scope(false);
    EXPECT_STREQ(ThreadTextResult("lost"), "");

    auto* value = new CThreadSpecificValueImpl;
    SetThreadSpecificValue(value);
    SetThreadSpecificValue(value);  // the same object twice: still one holder reference
    EXPECT_EQ(value->ReferenceCount(), 1);
    const char* first = ThreadTextResult("first");
    EXPECT_STREQ(first, "first");
    std::thread([] { ThreadTextResult("other thread"); }).join();
    EXPECT_STREQ(first, "first");
    ThreadTextResult("second");
    EXPECT_STREQ(first, "second");
}

TEST(ModuleState, SecondAttachWithAHandleRecordedFails) {
    // The test binary is not a loaded module, so it attaches here once for the whole run.
    static int image;
    if (!GetModuleHandle()) {
        ASSERT_TRUE(RegisterModule(&image, "TEST_{0}"));
    }
    const std::string identifier = GetModuleIdentifier();
    EXPECT_FALSE(RegisterModule(&image, "OTHER"));
    EXPECT_EQ(GetModuleIdentifier(), identifier);
    EXPECT_NE(GetThreadSpecificValue(), nullptr);
}

} // namespace
