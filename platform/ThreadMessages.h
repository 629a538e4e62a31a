#pragma once
// Our stand-in for the Windows thread-message facilities: registered message ids, one
// message queue per thread, thread messages, and the message-retrieval hook (WH_GETMESSAGE).
//
// A thread is known to these functions from its first call of any of them (its id and its
// queue are made then) until it ends; at its end its queue, the messages still in it and the
// hooks installed for it go. Posting to, or hooking, a thread that is not known fails.
#include <cstdint>

#include "platform/Resources.h"

namespace platform {

using BOOL = int;
using UINT = std::uint32_t;
using DWORD = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using HWND = struct HWND__*;
using HHOOK = struct HHOOK__*;
using HINSTANCE = HMODULE;

inline constexpr BOOL FALSE = 0;
inline constexpr BOOL TRUE = 1;

inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_USER = 0x0400;

// Registered message ids come from this range, as on Windows.
inline constexpr UINT kFirstRegisteredMessage = 0xC000;
inline constexpr UINT kLastRegisteredMessage = 0xFFFF;

// PeekMessageA removal flags; the hook's wParam tells which one the retrieval used.
inline constexpr UINT PM_NOREMOVE = 0x0000;
inline constexpr UINT PM_REMOVE = 0x0001;

inline constexpr int WH_GETMESSAGE = 3;
inline constexpr int HC_ACTION = 0;

// Last-error codes these functions set.
inline constexpr DWORD ERROR_SUCCESS = 0;
inline constexpr DWORD ERROR_INVALID_PARAMETER = 87;
inline constexpr DWORD ERROR_INVALID_HOOK_HANDLE = 1404;
inline constexpr DWORD ERROR_INVALID_HOOK_FILTER = 1426;
inline constexpr DWORD ERROR_INVALID_THREAD_ID = 1444;
inline constexpr DWORD ERROR_INVALID_FILTER_PROC = 1427;
inline constexpr DWORD ERROR_HOOK_NEEDS_HMOD = 1428;
inline constexpr DWORD ERROR_INVALID_WINDOW_HANDLE = 1400;
inline constexpr DWORD ERROR_NOT_ENOUGH_QUOTA = 1816;

inline constexpr DWORD INFINITE = 0xFFFFFFFF;

struct MSG {
    HWND hwnd;  // always null: only thread messages exist here
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;  // milliseconds since the process started, when it was posted
};

// A WH_GETMESSAGE procedure gets HC_ACTION, the removal flag of the retrieval and the
// address of the retrieved MSG, which it may change before the retriever sees it.
using HOOKPROC = LRESULT (*)(int code, WPARAM wParam, LPARAM lParam);

// The calling thread's id: non-zero, and never given to another thread of the process.
DWORD GetCurrentThreadId();

// The calling thread's last error, set by the functions below when they fail.
DWORD GetLastError();
void SetLastError(DWORD code);

// The id registered for the name (compared without regard to case, as Windows does), the
// same id for every registration of the same name; 0 for a null or empty name, or when the
// range is used up.
UINT RegisterWindowMessageA(const char* name);

// Appends a message to the queue of the thread. FALSE, with ERROR_INVALID_THREAD_ID, when
// no such thread is known (it never called these functions, or it has ended).
BOOL PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);

// Waits for the oldest message of the calling thread within the filter range (0, 0 for any;
// WM_QUIT always matches), removes it, runs the thread's WH_GETMESSAGE hooks on it and
// stores it. Returns 0 for WM_QUIT, -1 for bad arguments, non-zero otherwise. The window
// handle must be null.
BOOL GetMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax);

// As GetMessageA without waiting: FALSE when no message matches; PM_NOREMOVE leaves the
// message in the queue (the hooks still see it).
BOOL PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);

// Waits until the calling thread's queue holds a message, for at most the given number of
// milliseconds (INFINITE for no limit). TRUE when a message is there.
BOOL WaitForThreadMessage(DWORD milliseconds);

// One turn of a message loop: retrieves (PM_REMOVE) every message that was in the calling
// thread's queue when the turn began, so that each passes the thread's hooks; messages
// posted meanwhile wait for the next turn. Returns how many it retrieved.
int RunMessageLoopTurn();

// Installs a hook for one thread; only WH_GETMESSAGE and a known thread (not 0: there are
// no global hooks here) are accepted. The newest hook of a thread runs first. Null on failure.
HHOOK SetWindowsHookExA(int hookType, HOOKPROC procedure, HINSTANCE module, DWORD threadId);

// Passes the message to the next hook of the chain now being run on the calling thread and
// returns its result, or 0 when there is none. As on current Windows, the chain position is
// the calling hook's own; the handle is not needed to find it.
LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam);

// Removes a hook; FALSE with ERROR_INVALID_HOOK_HANDLE for a handle that is not installed
// (never was, already removed, or its thread has ended). A hook removed while a chain is
// being run is not called by that run from then on.
BOOL UnhookWindowsHookEx(HHOOK hook);

// Number of hooks installed for the thread; for diagnostics and tests.
int GetThreadHookCount(DWORD threadId);

}  // namespace platform
