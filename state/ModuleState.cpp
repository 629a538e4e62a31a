#include "state/ModuleState.h"

namespace Vtx {

namespace {

struct ModuleStateData {
    std::string identifier;
    void* handle = nullptr;
    IThreadSpecificValue* threadValue = nullptr;
    bool shutDown = false;
};

// Made on first use, so that whatever registers an exit handler after touching the state
// has it run before the state is destroyed.
ModuleStateData& State() {
    static ModuleStateData state;
    return state;
}

} // namespace

bool RecordModuleHandle(void* moduleHandle, const char* identifier) {
    ModuleStateData& state = State();
    if (state.handle) return false;
    state.identifier = identifier ? identifier : "";
    state.handle = moduleHandle;
    return true;
}

void ForgetModuleHandle() { State().handle = nullptr; }

void MarkModuleShutDown() { State().shutDown = true; }

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
