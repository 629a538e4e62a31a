#pragma once
// The entry points of a catalog module, as a host resolves them by name after loading it.
#include "vtx/Fwd.h"

#define VTX_EXPORT __attribute__((visibility("default")))

namespace Vtx {
struct IThreadSpecificValue;
} // namespace Vtx

extern "C" {
using VtxGetSDKVersionFn = const char* (*)();
using VtxGetDllIdentifierFn = const char* (*)();
using VtxIsDebugBuildFn = bool (*)();
using VtxGetDllSignatureFn = Vtx::IDllSignature* (*)(unsigned short languageId);
using VtxGetDllLanguageIDCountFn = int (*)();
using VtxGetDllLanguageIDFn = unsigned short (*)(int index);
using VtxSetThreadSpecificPtrFn = void (*)(Vtx::IThreadSpecificValue* value);
// The library entry routine: reason 1 attach, 0 detach, 2/3 thread attach/detach.
// Returns non-zero on success; a zero result on attach means the load failed.
using VtxDllMainFn = int (*)(void* instance, unsigned long reason, void* reserved);
}
