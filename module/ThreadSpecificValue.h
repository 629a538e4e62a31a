#pragma once
// The module's own thread-specific value object: one growable text per thread.
//
// Each thread's payload hangs off a thread key of this object. The object keeps every
// payload it made, so that its destruction (at the latest when the module is detached) frees
// the payloads of all threads and deletes the key: a thread that ends after the module was
// unloaded then finds nothing of the module to run.
#include <pthread.h>

#include <string>

#include "sdk/object/ReferenceCounting.h"
#include "vtx/ThreadSpecificValue.h"

namespace Vtx {

class CThreadSpecificValueImpl
    : public ulx::default_destroy<ulx::default_delete<ulx::reference_counted_class_impl<IThreadSpecificValue>>> {
public:
    struct Payload {
        std::string text;
    };

    CThreadSpecificValueImpl();
    ~CThreadSpecificValueImpl() override;

    void* AcquireThreadValue() override;
    void ReleaseThreadValue() override;
    const char* GetText() override;
    void SetText(const char* text) override;

    CThreadSpecificValueImpl(const CThreadSpecificValueImpl&) = delete;
    CThreadSpecificValueImpl& operator=(const CThreadSpecificValueImpl&) = delete;

private:
    Payload& Acquire();
    pthread_key_t key_;
};

} // namespace Vtx
