#pragma once
// Our stand-in for the Windows resource functions a module uses to read its own image:
// a module image carries a table of typed, named, per-language resources, filled by
// static registration in the image's own translation units. Handles are opaque; every
// handle a module passes (its own instance handle, or 0 for the main module) reaches the
// one table of the image the code is linked into.
#include <cstddef>
#include <cstdint>

namespace platform {

using HMODULE = void*;
using HRSRC = const struct ResourceEntry*;
using HGLOBAL = const void*;
using LANGID = std::uint16_t;

// Resource types, numbered as Windows numbers them.
inline constexpr std::uintptr_t RT_BITMAP = 2;
inline constexpr std::uintptr_t RT_STRING = 6;
inline constexpr std::uintptr_t RT_MANIFEST = 24;

// Language-neutral resources match any requested language.
inline constexpr LANGID LANG_NEUTRAL = 0;

struct ResourceEntry {
    std::uintptr_t type;
    std::uintptr_t name;   // numeric resource id
    LANGID language;
    const void* data;
    std::size_t size;
};

// Adds an entry to the image's table; used by static registrars, before any look-up.
void RegisterResource(const ResourceEntry& entry);

// The entry of the given type, numeric name and language (a neutral entry matches any
// language), or null when the image has none.
HRSRC FindResourceExA(HMODULE module, std::uintptr_t type, std::uintptr_t name, LANGID language);
// The entry's data handle (null for a null entry); our resources are never unloaded.
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
const void* LockResource(HGLOBAL data);
std::uint32_t SizeofResource(HMODULE module, HRSRC resource);
// A handle for the image the code is linked into; a null name names it as well.
HMODULE GetModuleHandleA(const char* name);

// Registers one resource at static-initialisation time.
struct ResourceRegistrar {
    ResourceRegistrar(std::uintptr_t type, std::uintptr_t name, LANGID language, const void* data,
                      std::size_t size) {
        RegisterResource({type, name, language, data, size});
    }
};

} // namespace platform
