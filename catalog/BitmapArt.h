#pragma once
// Compile-time drawing of the catalog's bitmaps as packed DIBs: 16-colour images drawn as
// rows of characters, and true-colour images computed pixel by pixel. A drawing mistake
// (a row of the wrong length, a character without a colour) stops the build.
#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>

#include "platform/Dib.h"

namespace catalog_bitmaps {

struct Rgb {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
};

using Palette = std::array<Rgb, 16>;

template <std::size_t N>
constexpr void Put32(std::array<std::uint8_t, N>& out, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

template <std::size_t N>
constexpr void WriteInfoHeader(std::array<std::uint8_t, N>& out, std::int32_t width, std::int32_t height,
                               std::uint16_t bits, std::uint32_t colours) {
    const std::uint32_t imageSize = platform::DibRowSize(width, bits) * static_cast<std::uint32_t>(height);
    Put32(out, 0, platform::kDibInfoHeaderSize);
    Put32(out, 4, static_cast<std::uint32_t>(width));
    Put32(out, 8, static_cast<std::uint32_t>(height));  // positive: bottom row first
    out[12] = 1;                                          // planes
    out[14] = static_cast<std::uint8_t>(bits);
    Put32(out, 16, platform::BI_RGB);
    Put32(out, 20, imageSize);
    Put32(out, 24, 2835);  // 72 dots per inch
    Put32(out, 28, 2835);
    Put32(out, 32, colours);
    Put32(out, 36, 0);
}

constexpr std::size_t ConstexprLength(const char* text) {
    std::size_t n = 0;
    while (text[n]) ++n;
    return n;
}

template <int W, int H>
constexpr std::size_t kPaletteDibSize = platform::kDibInfoHeaderSize + 16 * 4 + platform::DibRowSize(W, 4) * H;

// A 4-bit packed DIB. `rows` are the pixel rows, top row first, one character per pixel;
// a character's position in `key` is its palette index.
template <int W, int H>
constexpr std::array<std::uint8_t, kPaletteDibSize<W, H>> PaletteDib(const char* const (&rows)[H], const char* key,
                                                                       const Palette& palette) {
    std::array<std::uint8_t, kPaletteDibSize<W, H>> out{};
    WriteInfoHeader(out, W, H, 4, 16);
    std::size_t at = platform::kDibInfoHeaderSize;
    for (const Rgb& colour : palette) {
        out[at++] = colour.blue;
        out[at++] = colour.green;
        out[at++] = colour.red;
        out[at++] = 0;
    }
    const std::size_t rowSize = platform::DibRowSize(W, 4);
    const std::size_t keySize = ConstexprLength(key);
    for (int y = 0; y < H; ++y) {
        const char* row = rows[y];
        if (ConstexprLength(row) != static_cast<std::size_t>(W)) throw std::logic_error("row of the wrong length");
        const std::size_t rowStart = at + static_cast<std::size_t>(H - 1 - y) * rowSize;
        for (int x = 0; x < W; ++x) {
            std::size_t index = 0;
            while (index < keySize && key[index] != row[x]) ++index;
            if (index == keySize || index >= 16) throw std::logic_error("character without a colour");
            std::uint8_t& pair = out[rowStart + static_cast<std::size_t>(x / 2)];
            pair = static_cast<std::uint8_t>(x % 2 == 0 ? pair | (index << 4) : pair | index);
        }
    }
    return out;
}

template <int W, int H>
constexpr std::size_t kTrueColourDibSize = platform::kDibInfoHeaderSize + platform::DibRowSize(W, 24) * H;

// A 24-bit packed DIB; `colourAt(x, y)` gives the pixel, y counted from the top row.
template <int W, int H, class ColourAt>
constexpr std::array<std::uint8_t, kTrueColourDibSize<W, H>> TrueColourDib(ColourAt colourAt) {
    std::array<std::uint8_t, kTrueColourDibSize<W, H>> out{};
    WriteInfoHeader(out, W, H, 24, 0);
    const std::size_t rowSize = platform::DibRowSize(W, 24);
    for (int y = 0; y < H; ++y) {
        const std::size_t rowStart = platform::kDibInfoHeaderSize + static_cast<std::size_t>(H - 1 - y) * rowSize;
        for (int x = 0; x < W; ++x) {
            const Rgb colour = colourAt(x, y);
            out[rowStart + 3 * static_cast<std::size_t>(x)] = colour.blue;
            out[rowStart + 3 * static_cast<std::size_t>(x) + 1] = colour.green;
            out[rowStart + 3 * static_cast<std::size_t>(x) + 2] = colour.red;
        }
    }
    return out;
}

// `a` blended towards `b` by weight/total.
constexpr Rgb Blend(Rgb a, Rgb b, int weight, int total) {
    auto mix = [&](int from, int to) { return static_cast<std::uint8_t>(from + (to - from) * weight / total); };
    return Rgb{mix(a.red, b.red), mix(a.green, b.green), mix(a.blue, b.blue)};
}

} // namespace catalog_bitmaps
