#pragma once
// The module's life: what the library entry routine does at attach and at detach (and the
// C runtime at exit, when no detach came) to the module-wide state below the SDK.
#include "state/ModuleState.h"

namespace Vtx {

// Records the handle and identifier at process attach and installs the module's own
// thread-specific value object when none is installed. False, changing nothing else,
// when a handle is already recorded or the module was shut down in this load.
bool RegisterModule(void* moduleHandle, const char* identifier);
// Forgets the handle, deletes the registration lists and the signatures, and releases the
// thread-specific value holder. Also on the C runtime's exit list, where it runs only if it
// has not run yet.
void ShutdownModule();

} // namespace Vtx
