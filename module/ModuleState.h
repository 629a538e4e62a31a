#pragma once
// Module-wide state: handle, identifier, the thread-specific value holder and the
// shut-down sequence.
#include <string>

#include "vtx/ThreadSpecificValue.h"

namespace Vtx {

// The SDK version this module is built on.
inline constexpr const char* kSdkVersion = "5.1.0";

// Records the handle and identifier at process attach and installs the module's own
// thread-specific value object when none is installed. False, changing nothing else,
// when a handle is already recorded or the module was shut down in this load.
bool RegisterModule(void* moduleHandle, const char* identifier);
// Forgets the handle, deletes the registration lists and the signatures, and releases the
// thread-specific value holder. Also on the C runtime's exit list, where it runs only if it
// has not run yet.
void ShutdownModule();
bool IsModuleShutDown();

void* GetModuleHandle();
// The identifier copied at attach; the pointer stays valid until unload.
const char* GetModuleIdentifier();

// The holder: the object computed texts go through, or null.
IThreadSpecificValue* GetThreadSpecificValue();
// Adds a reference to the new object, swaps it in, releases the old one.
void SetThreadSpecificValue(IThreadSpecificValue* value);

// Copies the text into the calling thread's text and returns it; valid until the same
// thread's next text result. The empty text when no holder is installed.
const char* ThreadTextResult(const char* text);
inline const char* ThreadTextResult(const std::string& text) { return ThreadTextResult(text.c_str()); }

} // namespace Vtx
