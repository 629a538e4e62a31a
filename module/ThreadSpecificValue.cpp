#include "module/ThreadSpecificValue.h"

#include "sdk/object/Exceptions.h"

namespace Vtx {

namespace {
void DeletePayload(CThreadSpecificValueImpl::Payload* payload) { delete payload; }
} // namespace

CThreadSpecificValueImpl::CThreadSpecificValueImpl() : slot_(&DeletePayload) { Acquire(); }

// Only the destroying thread's payload can be reached here; other threads' payloads go
// with their threads.
CThreadSpecificValueImpl::~CThreadSpecificValueImpl() { slot_.reset(); }

CThreadSpecificValueImpl::Payload& CThreadSpecificValueImpl::Acquire() {
    Payload* payload = slot_.get();
    if (!payload) {
        payload = new Payload;
        slot_.reset(payload);
    }
    return *payload;
}

void* CThreadSpecificValueImpl::AcquireThreadValue() {
    return TranslateStdExceptions([&] { return static_cast<void*>(&Acquire()); });
}

void CThreadSpecificValueImpl::ReleaseThreadValue() {
    if (slot_.get()) slot_.reset();
}

const char* CThreadSpecificValueImpl::GetText() {
    return TranslateStdExceptions([&] { return Acquire().text.c_str(); });
}

void CThreadSpecificValueImpl::SetText(const char* text) {
    TranslateStdExceptions([&] { Acquire().text.assign(text ? text : ""); });
}

} // namespace Vtx
