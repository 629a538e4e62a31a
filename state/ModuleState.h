#pragma once
// The state layer, below the SDK: what is one per module and read from everywhere in it.
// The module's handle and identifier, whether it was shut down, the thread-specific value
// holder that computed texts go through (ModuleState.h), the language texts are looked up
// in (ModuleLanguage.h), and the list of the module's signatures (SignatureList.h). It
// includes only include/vtx and the standard library; the SDK and the module layer above
// it read and set it, and the module layer decides when (attach, detach, exit).
#include <string>

#include "vtx/ThreadSpecificValue.h"

namespace Vtx {

// The SDK version this module is built on.
inline constexpr const char* kSdkVersion = "5.1.0";

// Records the handle and a copy of the identifier. False, changing nothing, when a handle
// is recorded already.
bool RecordModuleHandle(void* moduleHandle, const char* identifier);
void ForgetModuleHandle();
// A module shut down stays down for the rest of its load.
void MarkModuleShutDown();
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
