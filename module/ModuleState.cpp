#include "module/ModuleState.h"

#include <cstdlib>

#include "module/SignatureList.h"
#include "module/ThreadSpecificValue.h"
#include "sdk/registration/RegistrationLists.h"

namespace Vtx {

namespace {

struct ModuleStateData {
    std::string identifier;
    void* handle = nullptr;
    IThreadSpecificValue* threadValue = nullptr;
    bool shutDown = false;
    bool exitHandlerRegistered = false;
};

// Made on first use (at the latest by RegisterModule), so the exit handler that
// RegisterModule puts on the exit list runs before the state is destroyed.
ModuleStateData& State() {
    static ModuleStateData state;
    return state;
}

void ReleaseThreadSpecificValue(ModuleStateData& state) {
    if (IThreadSpecificValue* value = state.threadValue) {
        state.threadValue = nullptr;
        value->Release();
    }
}

void ShutdownAtExit() {
    ModuleStateData& state = State();
    if (!state.shutDown) ShutdownModule();
    ReleaseThreadSpecificValue(state);
}

} // namespace

bool RegisterModule(void* moduleHandle, const char* identifier) {
    ModuleStateData& state = State();
    // A module shut down stays down for the rest of this load: its lists are gone.
    if (state.shutDown) return false;
    if (!state.threadValue) {
        auto* value = new CThreadSpecificValueImpl;
        value->AddRef();
        state.threadValue = value;
    }
    if (state.handle) return false;
    state.handle = moduleHandle;
    state.identifier = identifier ? identifier : "";
    if (!state.exitHandlerRegistered) {
        state.exitHandlerRegistered = std::atexit(&ShutdownAtExit) == 0;
    }
    return true;
}

void ShutdownModule() {
    ModuleStateData& state = State();
    state.handle = nullptr;
    DeleteRegistrationLists();
    DeleteSignatures();
    // The holder's reference goes now rather than at C-runtime exit: the module's own
    // object then frees every thread's text and its thread key before the module can be
    // unmapped, and a host's object is no longer held by a module that is gone.
    ReleaseThreadSpecificValue(state);
    state.shutDown = true;
}

bool IsModuleShutDown() { return State().shutDown; }

void* GetModuleHandle() { return State().handle; }

const char* GetModuleIdentifier() { return State().identifier.c_str(); }

IThreadSpecificValue* GetThreadSpecificValue() { return State().threadValue; }

void SetThreadSpecificValue(IThreadSpecificValue* value) {
    if (value) value->AddRef();
    IThreadSpecificValue* previous = State().threadValue;
    State().threadValue = value;
    if (previous) previous->Release();
}

const char* ThreadTextResult(const char* text) {
    IThreadSpecificValue* value = State().threadValue;
    if (!value) return "";
    value->SetText(text);
    return value->GetText();
}

} // namespace Vtx
