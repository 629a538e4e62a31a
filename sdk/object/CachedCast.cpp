#include "sdk/object/CachedCast.h"

#include <link.h>

#include <cstdint>

namespace Vtx {

namespace {

struct AddressRange {
    std::uintptr_t begin = 0;
    std::uintptr_t end = 0;  // empty when begin == end
    bool Contains(std::uintptr_t address) const { return address >= begin && address < end; }
};

struct LastingImages {
    AddressRange own;   // the image this code is linked into
    AddressRange main;  // the program's
};

struct Search {
    std::uintptr_t probe;
    bool first = true;
    LastingImages images;
};

int VisitImage(dl_phdr_info* info, std::size_t, void* data) {
    auto* search = static_cast<Search*>(data);
    AddressRange range{UINTPTR_MAX, 0};
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const auto& header = info->dlpi_phdr[i];
        if (header.p_type != PT_LOAD) continue;
        const std::uintptr_t begin = info->dlpi_addr + header.p_vaddr;
        if (begin < range.begin) range.begin = begin;
        if (begin + header.p_memsz > range.end) range.end = begin + header.p_memsz;
    }
    if (range.begin >= range.end) range = AddressRange{};
    if (search->first) search->images.main = range;  // the program comes first
    search->first = false;
    if (range.Contains(search->probe)) search->images.own = range;
    return 0;
}

const LastingImages& Images() {
    static const LastingImages images = [] {
        Search search{reinterpret_cast<std::uintptr_t>(&VisitImage)};
        dl_iterate_phdr(&VisitImage, &search);
        return search.images;
    }();
    return images;
}

} // namespace

bool IsInLastingImage(const void* address) {
    const LastingImages& images = Images();
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    return images.own.Contains(at) || images.main.Contains(at);
}

} // namespace Vtx
