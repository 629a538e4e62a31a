#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/ThreadMessages.h"

using namespace platform;

namespace {

// Every test starts and ends with an empty queue and no hooks on the test thread.
class ThreadMessages : public ::testing::Test {
protected:
    void SetUp() override { Drain(); }
    void TearDown() override {
        Drain();
        EXPECT_EQ(GetThreadHookCount(GetCurrentThreadId()), 0);
    }
    static void Drain() {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
};

TEST_F(ThreadMessages, RegisteredIdsAreStablePerNameAcrossThreadsAndCase) {
    const UINT first = RegisterWindowMessageA("ThreadMessagesTest.First");
    const UINT second = RegisterWindowMessageA("ThreadMessagesTest.Second");
    EXPECT_GE(first, kFirstRegisteredMessage);
    EXPECT_LE(first, kLastRegisteredMessage);
    EXPECT_NE(first, second);
    EXPECT_EQ(RegisterWindowMessageA("threadmessagestest.FIRST"), first);
    UINT fromOtherThread = 0;
    std::thread([&] { fromOtherThread = RegisterWindowMessageA("ThreadMessagesTest.Second"); }).join();
    EXPECT_EQ(fromOtherThread, second);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(RegisterWindowMessageA(""), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegisterWindowMessageA(nullptr), 0u);
}

TEST_F(ThreadMessages, MessagesComeOutInOrderAndFiltersNeverHoldBackTheQuitMessage) {
    const DWORD self = GetCurrentThreadId();
    ASSERT_TRUE(PostThreadMessageA(self, WM_USER + 1, 11, -1));
    ASSERT_TRUE(PostThreadMessageA(self, WM_USER + 5, 55, 2));
    MSG message{};
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(message.message, WM_USER + 1);  // still there after a look
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_USER + 1);
    EXPECT_EQ(message.wParam, 11u);
    EXPECT_EQ(message.lParam, -1);
    ASSERT_EQ(GetMessageA(&message, nullptr, 0, 0), TRUE);
    EXPECT_EQ(message.wParam, 55u);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));

    PostThreadMessageA(self, WM_USER + 1, 1, 0);
    PostThreadMessageA(self, WM_USER + 5, 5, 0);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_USER + 4, WM_USER + 6, PM_REMOVE));
    EXPECT_EQ(message.wParam, 5u);
    PostThreadMessageA(self, WM_QUIT, 7, 0);
    EXPECT_EQ(GetMessageA(&message, nullptr, WM_USER + 4, WM_USER + 6), FALSE);  // quit: loop ends
    EXPECT_EQ(message.wParam, 7u);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_USER + 1);  // the filtered-out message kept its place
}

TEST_F(ThreadMessages, BadArgumentsAndUnknownOrEndedThreadsAreRefused) {
    MSG message{};
    EXPECT_EQ(GetMessageA(nullptr, nullptr, 0, 0), -1);
    EXPECT_EQ(GetMessageA(&message, reinterpret_cast<HWND>(1), 0, 0), -1);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_FALSE(PeekMessageA(nullptr, nullptr, 0, 0, PM_REMOVE));
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(PostThreadMessageA(0, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
    EXPECT_FALSE(PostThreadMessageA(0x7FFFFFFC, WM_USER, 0, 0));

    // A thread that ends with messages and a hook: both go with it, and its id is not
    // handed out again.
    DWORD ended = 0;
    HHOOK endedHook = nullptr;
    auto hook = [](int, WPARAM, LPARAM) -> LRESULT { return 0; };
    std::thread([&] {
        ended = GetCurrentThreadId();
        endedHook = SetWindowsHookExA(WH_GETMESSAGE, hook, nullptr, ended);
        PostThreadMessageA(ended, WM_USER, 0, 0);
    }).join();
    ASSERT_NE(endedHook, nullptr);
    EXPECT_FALSE(PostThreadMessageA(ended, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
    EXPECT_EQ(GetThreadHookCount(ended), 0);
    EXPECT_FALSE(UnhookWindowsHookEx(endedHook));
    EXPECT_EQ(SetWindowsHookExA(WH_GETMESSAGE, hook, nullptr, ended), nullptr);
    DWORD next = 0;
    std::thread([&] { next = GetCurrentThreadId(); }).join();
    EXPECT_NE(next, ended);
    EXPECT_NE(next, GetCurrentThreadId());
}

// What the hooks of the next tests saw, in order.
std::vector<std::string>* hookLog = nullptr;

LRESULT OlderHook(int code, WPARAM removeFlag, LPARAM lParam) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    hookLog->push_back("older:" + std::to_string(message->wParam) + ":" + std::to_string(removeFlag));
    return CallNextHookEx(nullptr, code, removeFlag, lParam);
}

LRESULT NewerHook(int code, WPARAM removeFlag, LPARAM lParam) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    hookLog->push_back("newer:" + std::to_string(message->wParam));
    if (message->wParam == 2) return 1;  // keeps the older hook from seeing this one
    message->lParam = 99;                // the retriever sees what the hook leaves
    return CallNextHookEx(nullptr, code, removeFlag, lParam);
}

TEST_F(ThreadMessages, HooksSeeEveryRetrievedMessageNewestFirst) {
    std::vector<std::string> log;
    hookLog = &log;
    const DWORD self = GetCurrentThreadId();
    EXPECT_EQ(SetWindowsHookExA(4, &OlderHook, nullptr, self), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HOOK_FILTER);
    EXPECT_EQ(SetWindowsHookExA(WH_GETMESSAGE, nullptr, nullptr, self), nullptr);
    EXPECT_EQ(SetWindowsHookExA(WH_GETMESSAGE, &OlderHook, nullptr, 0), nullptr);  // no global hooks

    HHOOK older = SetWindowsHookExA(WH_GETMESSAGE, &OlderHook, nullptr, self);
    HHOOK newer = SetWindowsHookExA(WH_GETMESSAGE, &NewerHook, nullptr, self);
    ASSERT_NE(older, nullptr);
    ASSERT_NE(newer, nullptr);
    EXPECT_EQ(GetThreadHookCount(self), 2);

    PostThreadMessageA(self, WM_USER, 1, 0);
    PostThreadMessageA(self, WM_USER, 2, 0);
    MSG message{};
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
    ASSERT_TRUE(GetMessageA(&message, nullptr, 0, 0));
    EXPECT_EQ(message.lParam, 99);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.wParam, 2u);
    EXPECT_EQ(log, (std::vector<std::string>{"newer:1", "older:1:0", "newer:1", "older:1:1", "newer:2"}));

    EXPECT_TRUE(UnhookWindowsHookEx(newer));
    EXPECT_FALSE(UnhookWindowsHookEx(newer));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HOOK_HANDLE);
    log.clear();
    PostThreadMessageA(self, WM_USER, 3, 0);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(log, (std::vector<std::string>{"older:3:1"}));
    EXPECT_TRUE(UnhookWindowsHookEx(older));
    EXPECT_EQ(CallNextHookEx(nullptr, HC_ACTION, 0, 0), 0);  // outside a hook: nothing to call
    hookLog = nullptr;
}

HHOOK victim = nullptr;
int victimCalls = 0;

LRESULT VictimHook(int code, WPARAM wParam, LPARAM lParam) {
    ++victimCalls;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT UnhookingHook(int code, WPARAM wParam, LPARAM lParam) {
    UnhookWindowsHookEx(victim);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(ThreadMessages, AHookRemovedDuringARunIsNotCalledByIt) {
    const DWORD self = GetCurrentThreadId();
    victimCalls = 0;
    victim = SetWindowsHookExA(WH_GETMESSAGE, &VictimHook, nullptr, self);
    HHOOK unhooking = SetWindowsHookExA(WH_GETMESSAGE, &UnhookingHook, nullptr, self);
    PostThreadMessageA(self, WM_USER, 0, 0);
    MSG message{};
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(victimCalls, 0);
    EXPECT_EQ(GetThreadHookCount(self), 1);
    UnhookWindowsHookEx(unhooking);
}

LRESULT RepostingHook(int code, WPARAM wParam, LPARAM lParam) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    if (wParam == PM_REMOVE)
        PostThreadMessageA(GetCurrentThreadId(), message->message, message->wParam + 10, 0);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(ThreadMessages, ALoopTurnTakesOnlyWhatWasQueuedWhenItBegan) {
    const DWORD self = GetCurrentThreadId();
    EXPECT_EQ(RunMessageLoopTurn(), 0);
    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, &RepostingHook, nullptr, self);
    PostThreadMessageA(self, WM_USER, 1, 0);
    PostThreadMessageA(self, WM_USER, 2, 0);
    EXPECT_EQ(RunMessageLoopTurn(), 2);  // each retrieval posts one more; they wait
    UnhookWindowsHookEx(hook);
    MSG message{};
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.wParam, 11u);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.wParam, 12u);
}

}  // namespace
