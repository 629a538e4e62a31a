#pragma once
// Our stand-in for the few GDI facilities a module uses: solid brushes, rectangle filling,
// bitmaps and their copies, and object deletion. A device context is a pixel buffer of
// colour values, so whatever a module paints can be read back pixel by pixel.
//
// Handles are opaque. Every handle handed out is recorded while it lives, so a stale or
// foreign handle is refused (the call fails) instead of being followed. As on Windows, a
// process may hold only a limited number of GDI objects at once; creation fails beyond it.
#include <cstddef>
#include <cstdint>

namespace platform {

// A colour value: red + green * 256 + blue * 65536.
using COLORREF = std::uint32_t;
inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

constexpr COLORREF RGB(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return static_cast<COLORREF>(red) | (static_cast<COLORREF>(green) << 8) |
           (static_cast<COLORREF>(blue) << 16);
}
constexpr std::uint8_t GetRValue(COLORREF colour) { return static_cast<std::uint8_t>(colour); }
constexpr std::uint8_t GetGValue(COLORREF colour) { return static_cast<std::uint8_t>(colour >> 8); }
constexpr std::uint8_t GetBValue(COLORREF colour) { return static_cast<std::uint8_t>(colour >> 16); }

// Right and bottom are exclusive.
struct RECT {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};

struct GdiObject;
struct DeviceContext;
using HGDIOBJ = GdiObject*;
using HBRUSH = GdiObject*;
using HBITMAP = GdiObject*;
using HANDLE = void*;
using HDC = DeviceContext*;

// A brush filling with one colour; null when no more GDI objects may be created.
HBRUSH CreateSolidBrush(COLORREF colour);

// Fills the rectangle (clipped to the device context) with the brush. Non-zero on success;
// zero for a null or unknown device context or brush. An empty rectangle paints nothing and
// succeeds.
int FillRect(HDC deviceContext, const RECT* rectangle, HBRUSH brush);

// Deletes a brush or a bitmap. Non-zero on success; zero for a null or unknown handle.
int DeleteObject(HGDIOBJ object);

// Bitmaps: rows of pixels, top row first, each pixel of bitsPerPixel bits (1, 4, 8, 16, 24
// or 32), each row padded to a multiple of four bytes. Null when the arguments are not
// valid or no more GDI objects may be created. The bits are copied; null bits give zeros.
HBITMAP CreateBitmap(std::int32_t width, std::int32_t height, std::uint32_t planes,
                     std::uint32_t bitsPerPixel, const void* bits);

struct BITMAP {
    std::int32_t bmWidth;
    std::int32_t bmHeight;
    std::int32_t bmWidthBytes;
    std::uint16_t bmPlanes;
    std::uint16_t bmBitsPixel;
    const void* bmBits;
};
// Describes a bitmap; false for anything that is not a live bitmap.
bool GetBitmapInfo(HBITMAP bitmap, BITMAP* info);

inline constexpr std::uint32_t IMAGE_BITMAP = 0;
inline constexpr std::uint32_t LR_DEFAULTCOLOR = 0;

// A new image made from the given one. Only bitmaps are copied. A width or height of 0
// keeps the original's; another size is produced by nearest-neighbour sampling, which needs
// whole-byte pixels (8 bits or more). Null when the image cannot be copied.
HANDLE CopyImage(HANDLE image, std::uint32_t type, std::int32_t width, std::int32_t height,
                 std::uint32_t flags);

// A device context over a pixel buffer of the given size, every pixel black; null for a
// negative size. Deleted with DeleteDC.
HDC CreatePixelDC(std::int32_t width, std::int32_t height);
int DeleteDC(HDC deviceContext);
// The pixel's colour, or CLR_INVALID outside the buffer or for an unknown device context.
COLORREF GetPixel(HDC deviceContext, std::int32_t x, std::int32_t y);

// The most GDI objects (brushes and bitmaps) alive at once, and the current number; the
// default limit is 10000, as on Windows. Lowering the limit below the current number only
// refuses further creations.
void SetGdiObjectQuota(std::size_t quota);
std::size_t GetGdiObjectQuota();
std::size_t GetGdiObjectCount();

} // namespace platform
