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

namespace detail {

// What a cached cast remembers of the last object it converted, per thread.
struct LastCast {
    const std::type_info* type = nullptr;
    std::ptrdiff_t sourceOffset = 0;  // of the source subobject in the whole object
    std::ptrdiff_t adjustment = 0;    // from the source pointer to the result
    bool converts = false;
};

// One memory per conversion (target and source type).
template <class I, class T>
struct CastMemory {
    static thread_local LastCast last;
};
template <class I, class T>
thread_local LastCast CastMemory<I, T>::last;

// The conversion of a kind not seen just before: dynamic_cast, remembered when the type
// lasts. Out of line, so that the remembered case stays a few instructions.
template <class I, class T>
[[gnu::noinline]] I* CachedDynamicCastSearch(T* object, const std::type_info* type, std::ptrdiff_t sourceOffset,
                                             LastCast& last) {
    I* result = dynamic_cast<I*>(object);
    if (!IsInLastingImage(type)) return result;
    last.type = type;
    last.sourceOffset = sourceOffset;
    last.converts = result != nullptr;
    last.adjustment = result ? reinterpret_cast<char*>(result) - reinterpret_cast<char*>(object) : 0;
    return result;
}

} // namespace detail

// The conversion with a memory of the caller's own: one that sees one kind over and over
// (a block's input, say) while other code converts other kinds to I from T.
template <class I, class T>
inline I* CachedDynamicCast(T* object, detail::LastCast& last) {
    static_assert(!std::is_const_v<T>, "a const object converts with dynamic_cast");
    if constexpr (std::is_convertible_v<T*, I*>) {
        return object;  // an upcast needs no search
    } else {
        if (!object) return nullptr;
        const std::type_info* type = &typeid(*object);
        char* source = reinterpret_cast<char*>(object);
        const std::ptrdiff_t sourceOffset = source - static_cast<char*>(dynamic_cast<void*>(object));
        if (type == last.type && sourceOffset == last.sourceOffset)
            return last.converts ? reinterpret_cast<I*>(source + last.adjustment) : nullptr;
        return detail::CachedDynamicCastSearch<I>(object, type, sourceOffset, last);
    }
}

// The conversion with the per-thread memory of every conversion to I from T.
template <class I, class T>
inline I* CachedDynamicCast(T* object) {
    return CachedDynamicCast<I>(object, detail::CastMemory<I, T>::last);
}

} // namespace Vtx
