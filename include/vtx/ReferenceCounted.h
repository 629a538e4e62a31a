#pragma once
// Root interface of every object whose lifetime crosses the module boundary.
#include <cstdint>

namespace ulx {

struct I_ReferenceCountedClass {
    // Explicit destruction request; the object's deletion policy decides what happens.
    virtual std::int32_t Destroy() = 0;
    // Atomic increment; returns the new count.
    virtual std::int32_t AddRef() = 0;
    // Atomic decrement; returns the new count. At 0 the object is gone before this returns.
    virtual std::int32_t Release() = 0;

protected:
    ~I_ReferenceCountedClass() = default;
};

} // namespace ulx
