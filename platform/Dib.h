#pragma once
// Device-independent bitmaps as Windows stores them: a bitmap resource is a packed DIB (an
// info header, the colour table, then the pixel rows, bottom row first, each row padded to
// four bytes); a .bmp file is the same preceded by a 14-byte file header.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace platform {

inline constexpr std::uint32_t kDibInfoHeaderSize = 40;
inline constexpr std::uint32_t kBmpFileHeaderSize = 14;
inline constexpr std::uint32_t BI_RGB = 0;

// What the info header of a packed DIB says.
struct DibInfo {
    std::int32_t width;
    std::int32_t height;  // positive: bottom row first
    std::uint16_t planes;
    std::uint16_t bitsPerPixel;
    std::uint32_t compression;
    std::uint32_t imageSize;
    std::uint32_t coloursUsed;
    // Entries of the colour table: the colours used, or 2^bits for 8 bits and fewer.
    std::uint32_t paletteEntries() const {
        if (coloursUsed) return coloursUsed;
        return bitsPerPixel <= 8 ? (1u << bitsPerPixel) : 0;
    }
    // Offset of the pixel rows from the start of the packed DIB.
    std::uint32_t pixelOffset() const { return kDibInfoHeaderSize + 4 * paletteEntries(); }
};

// Bytes of one pixel row, padded to four bytes.
constexpr std::uint32_t DibRowSize(std::int32_t width, std::uint16_t bitsPerPixel) {
    return ((static_cast<std::uint32_t>(width) * bitsPerPixel + 31) / 32) * 4;
}

// The info header of a packed DIB; nothing when the data is too short to hold one or the
// header is not the 40-byte kind.
std::optional<DibInfo> ReadDibInfo(const void* data, std::size_t size);

// A .bmp file holding the packed DIB; empty when the data is not a packed DIB.
std::vector<std::uint8_t> MakeBmpFile(const void* packedDib, std::size_t size);

} // namespace platform
