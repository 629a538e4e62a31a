#pragma once
// The exception interfaces. Exceptions are thrown by value and caught by reference to
// one of these; none is reference counted through its interface.
#include <cstdint>

namespace Vtx {

struct IException {
    // Deletes the exception object at once.
    virtual std::int32_t Destroy() = 0;
    // The message, owned by the object; valid until the object is changed or destroyed.
    virtual const char* GetMessageText() = 0;
    virtual ~IException() {}
};

// Misuse, missing objects, bad arguments, unsupported operations.
struct ILogicException : IException {};
// A collection item not found or an index out of range.
struct ICollectionException : ILogicException {};
// A file could not be accessed.
struct IIOException : ILogicException {};
// An object does not have the interface it was cast to.
struct ICastException : IException {};
// Invalid memory or pointer.
struct IMemoryException : IException {};

} // namespace Vtx
