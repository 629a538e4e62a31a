#include "platform/Resources.h"

#include <vector>

namespace platform {

namespace {

// Constructed on first use, so registrars in any translation unit may run first.
std::vector<ResourceEntry>& Table() {
    static std::vector<ResourceEntry> table;
    return table;
}

int ImageAnchor;

} // namespace

void RegisterResource(const ResourceEntry& entry) { Table().push_back(entry); }

HRSRC FindResourceExA(HMODULE, std::uintptr_t type, std::uintptr_t name, LANGID language) {
    const ResourceEntry* neutral = nullptr;
    for (const ResourceEntry& entry : Table()) {
        if (entry.type != type || entry.name != name) continue;
        if (entry.language == language) return &entry;
        if (entry.language == LANG_NEUTRAL && !neutral) neutral = &entry;
    }
    return neutral;
}

HGLOBAL LoadResource(HMODULE, HRSRC resource) { return resource ? resource->data : nullptr; }

const void* LockResource(HGLOBAL data) { return data; }

std::uint32_t SizeofResource(HMODULE, HRSRC resource) {
    return resource ? static_cast<std::uint32_t>(resource->size) : 0;
}

HMODULE GetModuleHandleA(const char*) { return &ImageAnchor; }

} // namespace platform
