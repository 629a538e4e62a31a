#include "platform/Dib.h"

namespace platform {

namespace {

std::uint32_t Read32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t Read16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

} // namespace

std::optional<DibInfo> ReadDibInfo(const void* data, std::size_t size) {
    if (!data || size < kDibInfoHeaderSize) return std::nullopt;
    const auto* p = static_cast<const std::uint8_t*>(data);
    if (Read32(p) != kDibInfoHeaderSize) return std::nullopt;
    DibInfo info{};
    info.width = static_cast<std::int32_t>(Read32(p + 4));
    info.height = static_cast<std::int32_t>(Read32(p + 8));
    info.planes = Read16(p + 12);
    info.bitsPerPixel = Read16(p + 14);
    info.compression = Read32(p + 16);
    info.imageSize = Read32(p + 20);
    info.coloursUsed = Read32(p + 32);
    return info;
}

std::vector<std::uint8_t> MakeBmpFile(const void* packedDib, std::size_t size) {
    const std::optional<DibInfo> info = ReadDibInfo(packedDib, size);
    if (!info || info->pixelOffset() > size) return {};
    std::vector<std::uint8_t> file;
    file.reserve(kBmpFileHeaderSize + size);
    file.push_back('B');
    file.push_back('M');
    Put32(file, static_cast<std::uint32_t>(kBmpFileHeaderSize + size));
    Put32(file, 0);  // two reserved words
    Put32(file, kBmpFileHeaderSize + info->pixelOffset());
    const auto* bytes = static_cast<const std::uint8_t*>(packedDib);
    file.insert(file.end(), bytes, bytes + size);
    return file;
}

} // namespace platform
