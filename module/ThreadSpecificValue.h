#pragma once
// The module's own thread-specific value object: one growable text per thread, kept in a
// Boost.Thread thread-specific pointer whose cleanup deletes the thread's payload.
#include <string>

#include <boost/thread/tss.hpp>

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

private:
    Payload& Acquire();
    boost::thread_specific_ptr<Payload> slot_;
};

} // namespace Vtx
