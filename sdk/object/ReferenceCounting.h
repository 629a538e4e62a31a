#pragma once
// Reusable reference count and the two deletion policies stacked over an interface:
//   default_destroy<default_delete<reference_counted_class_impl<I>>>
#include <cstdint>
#include <utility>

#include "platform/Interlocked.h"
#include "vtx/ReferenceCounted.h"

namespace ulx {

template <class I>
class reference_counted_class_impl : public I {
public:
    template <class... Args>
    explicit reference_counted_class_impl(Args&&... args) : I(std::forward<Args>(args)...) {}
    reference_counted_class_impl(const reference_counted_class_impl& other)
        : I(other), count_(other.count_.load()) {}
    reference_counted_class_impl& operator=(const reference_counted_class_impl&) = delete;

    virtual std::int32_t AddRef() { return platform::InterlockedIncrement(&count_); }
    virtual std::int32_t Release() {
        const std::int32_t n = platform::InterlockedDecrement(&count_);
        if (n == 0) delete this;
        return n;
    }

    // Current count, for diagnostics and tests; not part of any interface.
    std::int32_t ReferenceCount() const { return count_.load(); }

protected:
    // Follows all of the interface's operations; default_delete supplies the body that frees.
    virtual ~reference_counted_class_impl() {}

private:
    platform::InterlockedCount count_{0};
};

// Supplies the virtual destructor; objects come from the global operator new.
template <class T>
class default_delete : public T {
public:
    using T::T;
    default_delete() = default;
    default_delete(const default_delete&) = default;
    virtual ~default_delete() {}
};

// Destroy() deletes the object itself, whatever its count.
template <class T>
class default_destroy : public T {
public:
    using T::T;
    default_destroy() = default;
    default_destroy(const default_destroy&) = default;
    virtual std::int32_t Destroy() {
        delete this;
        return 0;
    }
};

} // namespace ulx
