#include "host/modules/ModuleResources.h"

#include <elf.h>

#include <cstring>
#include <fstream>
#include <stdexcept>

#include "platform/ResourceSection.h"

namespace vtxhost {

namespace {

[[noreturn]] void Fail(const std::string& path, const std::string& problem) {
    throw std::runtime_error("cannot read the resources of \"" + path + "\": " + problem);
}

template <class T>
T ReadAt(const std::vector<std::uint8_t>& file, std::uint64_t offset, const std::string& path) {
    if (offset > file.size() || file.size() - offset < sizeof(T)) Fail(path, "the file is truncated");
    T value;
    std::memcpy(&value, file.data() + offset, sizeof(T));
    return value;
}

// The bytes of the named section, or false when the image has none of that name.
bool FindSection(const std::vector<std::uint8_t>& file, const char* wanted, std::uint64_t& offset,
                 std::uint64_t& size, const std::string& path) {
    if (file.size() < EI_NIDENT || std::memcmp(file.data(), ELFMAG, SELFMAG) != 0 ||
        file[EI_CLASS] != ELFCLASS64 || file[EI_DATA] != ELFDATA2LSB)
        Fail(path, "not a 64-bit little-endian ELF image");
    const auto header = ReadAt<Elf64_Ehdr>(file, 0, path);
    if (header.e_shentsize != sizeof(Elf64_Shdr) || header.e_shstrndx >= header.e_shnum)
        Fail(path, "no usable section table");
    auto section = [&](std::uint64_t index) {
        return ReadAt<Elf64_Shdr>(file, header.e_shoff + index * sizeof(Elf64_Shdr), path);
    };
    const Elf64_Shdr names = section(header.e_shstrndx);
    if (names.sh_offset > file.size()) Fail(path, "the section names lie outside the file");
    const std::size_t wantedLength = std::strlen(wanted);
    for (std::uint64_t i = 0; i < header.e_shnum; ++i) {
        const Elf64_Shdr candidate = section(i);
        const std::uint64_t at = names.sh_offset + candidate.sh_name;
        if (candidate.sh_name >= names.sh_size || at + wantedLength + 1 > file.size()) continue;
        if (std::memcmp(file.data() + at, wanted, wantedLength + 1) != 0) continue;
        if (candidate.sh_type == SHT_NOBITS || candidate.sh_offset > file.size() ||
            file.size() - candidate.sh_offset < candidate.sh_size)
            Fail(path, "the resource section lies outside the file");
        offset = candidate.sh_offset;
        size = candidate.sh_size;
        return true;
    }
    return false;
}

} // namespace

CModuleResources CModuleResources::ReadFromFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) Fail(path, "the file cannot be opened");
    std::vector<std::uint8_t> file(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(file.data()), static_cast<std::streamsize>(file.size())))
        Fail(path, "the file cannot be read");

    CModuleResources resources;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    if (!FindSection(file, platform::kResourceSectionName, offset, size, path)) return resources;

    // Records follow each other; zero bytes between them are alignment padding.
    const std::uint64_t end = offset + size;
    std::uint64_t at = offset;
    while (at < end) {
        if (file[at] == 0) {
            ++at;
            continue;
        }
        if (end - at < sizeof(platform::ResourceRecordHeader)) Fail(path, "a resource record is truncated");
        const auto header = ReadAt<platform::ResourceRecordHeader>(file, at, path);
        if (std::memcmp(header.magic, platform::kResourceRecordMagic, sizeof header.magic) != 0)
            Fail(path, "the resource section holds something that is not a resource record");
        at += sizeof header;
        if (end - at < header.size) Fail(path, "a resource record is truncated");
        resources.resources_.push_back(CModuleResource{header.type, header.name, header.language,
                                                        std::vector<std::uint8_t>(file.begin() + at,
                                                                                  file.begin() + at + header.size)});
        at += header.size;
    }
    return resources;
}

const CModuleResource* CModuleResources::Find(std::uint32_t type, std::uint32_t name, std::uint16_t language) const {
    const CModuleResource* neutral = nullptr;
    const CModuleResource* any = nullptr;
    for (const CModuleResource& resource : resources_) {
        if (resource.type != type || resource.name != name) continue;
        if (resource.language == language) return &resource;
        if (resource.language == 0 && !neutral) neutral = &resource;
        if (!any) any = &resource;
    }
    return neutral ? neutral : any;
}

} // namespace vtxhost
