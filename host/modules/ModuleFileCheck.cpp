#include "host/modules/ModuleFileCheck.h"

#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

namespace vtxhost {

namespace {

#if defined(__x86_64__)
constexpr std::uint16_t kMachine = EM_X86_64;
#elif defined(__aarch64__)
constexpr std::uint16_t kMachine = EM_AARCH64;
#else
#error "the module check knows no ELF machine for this architecture"
#endif

struct FileDescriptor {
    int fd;
    ~FileDescriptor() {
        if (fd >= 0) close(fd);
    }
};

// Whether [offset, offset + size) lies inside a file of fileSize bytes, without overflow.
bool Inside(std::uint64_t offset, std::uint64_t size, std::uint64_t fileSize) {
    return offset <= fileSize && size <= fileSize - offset;
}

bool ReadAt(int fd, void* buffer, std::size_t size, std::uint64_t offset) {
    auto* bytes = static_cast<char*>(buffer);
    while (size > 0) {
        const ssize_t got = pread(fd, bytes, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        bytes += got;
        size -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return true;
}

std::string Number(std::uint64_t value) { return std::to_string(value); }

} // namespace

std::string ModuleFileProblem(const std::string& path) {
    FileDescriptor file{open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    if (file.fd < 0) return std::string("it cannot be opened: ") + std::strerror(errno);
    struct stat status {};
    if (fstat(file.fd, &status) != 0) return std::string("it cannot be read: ") + std::strerror(errno);
    if (!S_ISREG(status.st_mode)) return S_ISDIR(status.st_mode) ? "it is a directory" : "it is not a regular file";
    const auto size = static_cast<std::uint64_t>(status.st_size);

    Elf64_Ehdr header{};
    if (size < sizeof header) return "it is " + Number(size) + " bytes long, too short for an ELF header";
    if (!ReadAt(file.fd, &header, sizeof header, 0)) return "its ELF header cannot be read";
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0) return "it is not an ELF file";
    if (header.e_ident[EI_CLASS] != ELFCLASS64) return "it is not a 64-bit ELF file";
    if (header.e_ident[EI_DATA] != ELFDATA2LSB) return "its ELF byte order is not this machine's";
    if (header.e_type != ET_DYN) return "it is not an ELF shared object";
    if (header.e_machine != kMachine) return "it is built for another machine (ELF machine " + Number(header.e_machine) + ")";
    if (header.e_phnum == 0 || header.e_phentsize != sizeof(Elf64_Phdr)) return "its ELF program headers are damaged";
    const std::uint64_t headersSize = std::uint64_t{header.e_phnum} * sizeof(Elf64_Phdr);
    if (!Inside(header.e_phoff, headersSize, size)) return "its ELF program headers lie past the end of the file (truncated?)";

    std::vector<Elf64_Phdr> segments(header.e_phnum);
    if (!ReadAt(file.fd, segments.data(), headersSize, header.e_phoff)) return "its ELF program headers cannot be read";
    bool loadable = false;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const Elf64_Phdr& segment = segments[i];
        if (!Inside(segment.p_offset, segment.p_filesz, size))
            return "its segment " + Number(i) + " (bytes " + Number(segment.p_offset) + " to " +
                   Number(segment.p_offset + segment.p_filesz) + ") lies past the end of the file (" + Number(size) +
                   " bytes; truncated?)";
        if (segment.p_type == PT_LOAD) {
            loadable = true;
            if (segment.p_filesz > segment.p_memsz) return "its segment " + Number(i) + " is larger in the file than in memory";
        }
    }
    if (!loadable) return "it has no loadable segment";

    if (header.e_shnum > 0) {
        if (header.e_shentsize != sizeof(Elf64_Shdr)) return "its ELF section headers are damaged";
        const std::uint64_t sectionsSize = std::uint64_t{header.e_shnum} * sizeof(Elf64_Shdr);
        if (!Inside(header.e_shoff, sectionsSize, size))
            return "its ELF section headers lie past the end of the file (truncated?)";
        std::vector<Elf64_Shdr> sections(header.e_shnum);
        if (!ReadAt(file.fd, sections.data(), sectionsSize, header.e_shoff)) return "its ELF section headers cannot be read";
        for (std::size_t i = 0; i < sections.size(); ++i)
            if (sections[i].sh_type != SHT_NOBITS && !Inside(sections[i].sh_offset, sections[i].sh_size, size))
                return "its section " + Number(i) + " lies past the end of the file (truncated?)";
    }
    return {};
}

std::string ModuleLoadPath(const std::string& path) {
    return path.find('/') == std::string::npos ? "./" + path : path;
}

} // namespace vtxhost
