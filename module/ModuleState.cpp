#include "module/ModuleState.h"

#include <cstdlib>

#include "module/SignatureList.h"
#include "module/ThreadSpecificValue.h"
#include "sdk/registration/RegistrationLists.h"

namespace Vtx {

namespace {

bool exitHandlerRegistered = false;

void ShutdownAtExit() {
    if (!IsModuleShutDown()) ShutdownModule();
    SetThreadSpecificValue(nullptr);
}

} // namespace

bool RegisterModule(void* moduleHandle, const char* identifier) {
    // A module shut down stays down for the rest of this load: its lists are gone.
    if (IsModuleShutDown()) return false;
    if (!GetThreadSpecificValue()) SetThreadSpecificValue(new CThreadSpecificValueImpl);
    if (!RecordModuleHandle(moduleHandle, identifier)) return false;
    if (!exitHandlerRegistered) exitHandlerRegistered = std::atexit(&ShutdownAtExit) == 0;
    return true;
}

void ShutdownModule() {
    ForgetModuleHandle();
    DeleteRegistrationLists();
    DeleteSignatures();
    // The holder's reference goes now rather than at C-runtime exit: the module's own
    // object then frees every thread's text and its thread key before the module can be
    // unmapped, and a host's object is no longer held by a module that is gone.
    SetThreadSpecificValue(nullptr);
    MarkModuleShutDown();
}

} // namespace Vtx
