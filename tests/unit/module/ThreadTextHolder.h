#pragma once
// Installs a fresh thread-specific value object (or none) for a test's scope and puts back
// the one it found: the holder is module-wide.
#include "module/ModuleState.h"
#include "module/ThreadSpecificValue.h"

class ThreadTextHolder {
public:
    explicit ThreadTextHolder(bool install = true) : saved_(Vtx::GetThreadSpecificValue()) {
        if (saved_) saved_->AddRef();
        Vtx::SetThreadSpecificValue(install ? new Vtx::CThreadSpecificValueImpl : nullptr);
    }
    ~ThreadTextHolder() {
        Vtx::SetThreadSpecificValue(saved_);
        if (saved_) saved_->Release();
    }
    ThreadTextHolder(const ThreadTextHolder&) = delete;
    ThreadTextHolder& operator=(const ThreadTextHolder&) = delete;

private:
    Vtx::IThreadSpecificValue* saved_;
};
