#include "module/ThreadSpecificValue.h"

#include <mutex>
#include <new>
#include <system_error>
#include <unordered_set>

#include "sdk/object/Exceptions.h"

namespace Vtx {

namespace {

// Every live payload of every object of this module, guarded by one lock. A payload leaves
// the set exactly once: when its thread ends, when its thread releases it, or when its
// object is destroyed, whichever comes first; only the one that takes it out deletes it.
struct PayloadRecord : CThreadSpecificValueImpl::Payload {
    const CThreadSpecificValueImpl* owner;
    explicit PayloadRecord(const CThreadSpecificValueImpl* o) : owner(o) {}
};

std::mutex payloadLock;  // constant-initialised, no destructor to run at unload
std::unordered_set<PayloadRecord*>* livePayloads = nullptr;
int liveObjects = 0;

bool TakeOut(PayloadRecord* payload) {
    return livePayloads && livePayloads->erase(payload) != 0;
}

// Run by the thread library when a thread with a payload ends.
extern "C" void DeletePayloadAtThreadEnd(void* payload) {
    auto* record = static_cast<PayloadRecord*>(payload);
    std::lock_guard<std::mutex> lock(payloadLock);
    if (TakeOut(record)) delete record;
}

} // namespace

CThreadSpecificValueImpl::CThreadSpecificValueImpl() {
    if (const int error = pthread_key_create(&key_, &DeletePayloadAtThreadEnd))
        throw CStdExceptionImpl(std::system_error(error, std::generic_category(), "pthread_key_create"));
    {
        std::lock_guard<std::mutex> lock(payloadLock);
        if (!livePayloads) livePayloads = new std::unordered_set<PayloadRecord*>;
        ++liveObjects;
    }
    Acquire();
}

// Frees the payloads of every thread and deletes the key, so that no thread runs the cleanup
// of this object after it is gone.
CThreadSpecificValueImpl::~CThreadSpecificValueImpl() {
    std::lock_guard<std::mutex> lock(payloadLock);
    pthread_key_delete(key_);
    for (auto it = livePayloads->begin(); it != livePayloads->end();) {
        if ((*it)->owner == this) {
            delete *it;
            it = livePayloads->erase(it);
        } else {
            ++it;
        }
    }
    if (--liveObjects == 0) {
        delete livePayloads;
        livePayloads = nullptr;
    }
}

CThreadSpecificValueImpl::Payload& CThreadSpecificValueImpl::Acquire() {
    if (auto* payload = static_cast<PayloadRecord*>(pthread_getspecific(key_))) return *payload;
    auto* payload = new PayloadRecord(this);
    std::lock_guard<std::mutex> lock(payloadLock);
    try {
        livePayloads->insert(payload);
    } catch (...) {
        delete payload;
        throw;
    }
    if (const int error = pthread_setspecific(key_, payload)) {
        livePayloads->erase(payload);
        delete payload;
        throw std::system_error(error, std::generic_category(), "pthread_setspecific");
    }
    return *payload;
}

void* CThreadSpecificValueImpl::AcquireThreadValue() {
    return TranslateStdExceptions([&] { return static_cast<void*>(&Acquire()); });
}

void CThreadSpecificValueImpl::ReleaseThreadValue() {
    auto* payload = static_cast<PayloadRecord*>(pthread_getspecific(key_));
    if (!payload) return;
    pthread_setspecific(key_, nullptr);
    std::lock_guard<std::mutex> lock(payloadLock);
    if (TakeOut(payload)) delete payload;
}

const char* CThreadSpecificValueImpl::GetText() {
    return TranslateStdExceptions([&] { return Acquire().text.c_str(); });
}

void CThreadSpecificValueImpl::SetText(const char* text) {
    TranslateStdExceptions([&] { Acquire().text.assign(text ? text : ""); });
}

} // namespace Vtx
