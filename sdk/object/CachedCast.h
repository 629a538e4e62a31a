#pragma once
// dynamic_cast with a per-thread memory of the last kind of object converted. Objects of
// one most-derived type, seen through the same base subobject, always convert with the same
// pointer adjustment (or always fail), so only a kind not seen just before pays for the
// run-time type search. The hot paths convert the same kinds over and over: the class of
// each new object, the kernel services' settings view, a created object to its interface.
//
// Only classes that cannot be unloaded before the memory itself goes are remembered: those
// of the image this code is linked into (a module's memory goes with the module) and of the
// program. A class of another module may be unloaded and another class loaded at its
// address, with other base offsets: such classes are converted by dynamic_cast every time.
#include <cstddef>
#include <type_traits>
#include <typeinfo>

namespace Vtx {

// True when the address lies in the image this code is linked into or in the program.
bool IsInLastingImage(const void* address);

template <class I, class T>
I* CachedDynamicCast(T* object) {
    static_assert(!std::is_const_v<T>, "a const object converts with dynamic_cast");
    if constexpr (std::is_convertible_v<T*, I*>) {
        return object;  // an upcast needs no search
    } else {
        if (!object) return nullptr;
        struct Last {
            const std::type_info* type = nullptr;
            std::ptrdiff_t sourceOffset = 0;  // of the source subobject in the whole object
            std::ptrdiff_t adjustment = 0;    // from the source pointer to the result
            bool converts = false;
        };
        static thread_local Last last;
        const std::type_info* type = &typeid(*object);
        char* source = reinterpret_cast<char*>(object);
        const std::ptrdiff_t sourceOffset = source - static_cast<char*>(dynamic_cast<void*>(object));
        if (type == last.type && sourceOffset == last.sourceOffset)
            return last.converts ? reinterpret_cast<I*>(source + last.adjustment) : nullptr;
        I* result = dynamic_cast<I*>(object);
        if (!IsInLastingImage(type)) return result;
        last.type = type;
        last.sourceOffset = sourceOffset;
        last.converts = result != nullptr;
        last.adjustment = result ? reinterpret_cast<char*>(result) - source : 0;
        return result;
    }
}

} // namespace Vtx
