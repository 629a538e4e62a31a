#pragma once
// Resources a host can read from a module file, as a Windows host reads a DLL's resources
// from its image. Each resource is one record in the image's "vtx_resources" section: a
// fixed header followed by the resource bytes. The records of one image follow each other
// in the section, separated only by zero bytes of alignment padding. The same bytes are
// also listed in the image's own resource table, for the module's own look-ups.
#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/Resources.h"

namespace platform {

inline constexpr const char* kResourceSectionName = "vtx_resources";
inline constexpr char kResourceRecordMagic[4] = {'V', 'R', 'E', 'S'};

// All fields little-endian, as the platform stores them.
struct ResourceRecordHeader {
    char magic[4];
    std::uint32_t type;
    std::uint32_t name;
    std::uint16_t language;
    std::uint16_t reserved;
    std::uint32_t size;  // bytes of data after the header
};
static_assert(sizeof(ResourceRecordHeader) == 20, "the record header is read from files");

template <std::size_t N>
struct EmbeddedResource {
    ResourceRecordHeader header;
    std::array<std::uint8_t, N> data;
};

template <std::size_t N>
constexpr EmbeddedResource<N> MakeEmbeddedResource(std::uintptr_t type, std::uintptr_t name, LANGID language,
                                                   const std::array<std::uint8_t, N>& data) {
    return EmbeddedResource<N>{{{kResourceRecordMagic[0], kResourceRecordMagic[1], kResourceRecordMagic[2],
                                 kResourceRecordMagic[3]},
                                static_cast<std::uint32_t>(type),
                                static_cast<std::uint32_t>(name),
                                language,
                                0,
                                static_cast<std::uint32_t>(N)},
                               data};
}

// Lists an embedded resource in the image's resource table.
struct EmbeddedResourceRegistrar : ResourceRegistrar {
    template <std::size_t N>
    explicit EmbeddedResourceRegistrar(const EmbeddedResource<N>& resource)
        : ResourceRegistrar(resource.header.type, resource.header.name, resource.header.language,
                            resource.data.data(), N) {}
};

} // namespace platform

// Places a constant EmbeddedResource in the resource section of the image.
#define VTX_RESOURCE_SECTION __attribute__((section("vtx_resources"), used, aligned(8)))
