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

void ShutdownAtExit() {
    ModuleStateData& state = State();
    if (!state.shutDown) ShutdownModule();
    // The holder's reference goes at C-runtime exit.
    if (IThreadSpecificValue* value = state.threadValue) {
        state.threadValue = nullptr;
        value->Release();
    }
}

} // namespace

bool RegisterModule(void* moduleHandle, const char* identifier) {
    ModuleStateData& state = State();
    if (!state.threadValue) {
        auto* value = new CThreadSpecificValueImpl;
        value->AddRef();
        state.threadValue = value;
    }
    if (state.handle) return false;
    state.handle = moduleHandle;
    state.identifier = identifier ? identifier : "";
    state.shutDown = false;
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
