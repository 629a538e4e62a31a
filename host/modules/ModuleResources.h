#pragma once
// The resources of a catalog module, read from the module file as a Windows host reads a
// DLL's resources from its image: every record of the file's resource section.
#include <cstdint>
#include <string>
#include <vector>

namespace vtxhost {

struct CModuleResource {
    std::uint32_t type;
    std::uint32_t name;
    std::uint16_t language;
    std::vector<std::uint8_t> data;
};

class CModuleResources {
public:
    // Every resource of the module file, in the order the file holds them; none when the
    // file has no resource section. std::runtime_error when the file cannot be read, is not
    // a 64-bit ELF image, or its resource section is damaged.
    static CModuleResources ReadFromFile(const std::string& path);

    // The resource of the type and id in the language; else the language-neutral one; else
    // the first of that type and id in any language; else null.
    const CModuleResource* Find(std::uint32_t type, std::uint32_t name, std::uint16_t language) const;
    const std::vector<CModuleResource>& All() const { return resources_; }

private:
    std::vector<CModuleResource> resources_;
};

} // namespace vtxhost
