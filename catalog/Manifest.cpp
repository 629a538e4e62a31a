// The module image's side-by-side manifest (resource id 2, the id of a library's own
// manifest): it runs as the invoker and asks for nothing more.
#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/ResourceSection.h"

namespace {

constexpr char kManifest[] =
    "<?xml version='1.0' encoding='UTF-8' standalone='yes'?>\r\n"
    "<assembly xmlns='urn:schemas-microsoft-com:asm.v1' manifestVersion='1.0'>\r\n"
    "  <trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v3\">\r\n"
    "    <security>\r\n"
    "      <requestedPrivileges>\r\n"
    "        <requestedExecutionLevel level='asInvoker' uiAccess='false' />\r\n"
    "      </requestedPrivileges>\r\n"
    "    </security>\r\n"
    "  </trustInfo>\r\n"
    "</assembly>\r\n";

// The text without its terminating zero.
template <std::size_t N>
constexpr std::array<std::uint8_t, N - 1> TextBytes(const char (&text)[N]) {
    std::array<std::uint8_t, N - 1> bytes{};
    for (std::size_t i = 0; i + 1 < N; ++i) bytes[i] = static_cast<std::uint8_t>(text[i]);
    return bytes;
}

constexpr std::uintptr_t kManifestId = 2;

VTX_RESOURCE_SECTION constexpr auto kManifestResource =
    platform::MakeEmbeddedResource(platform::RT_MANIFEST, kManifestId, 1033, TextBytes(kManifest));

const platform::EmbeddedResourceRegistrar manifest(kManifestResource);

} // namespace
