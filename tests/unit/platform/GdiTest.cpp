#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/Gdi.h"

using namespace platform;

namespace {

struct PixelDC {
    explicit PixelDC(int w, int h) : dc(CreatePixelDC(w, h)) {}
    ~PixelDC() { DeleteDC(dc); }
    HDC dc;
};

TEST(Gdi, ColourValuesAreRedPlusGreenTimes256PlusBlueTimes65536) {
    EXPECT_EQ(RGB(1, 2, 3), 1u + 2u * 256u + 3u * 65536u);
    EXPECT_EQ(GetRValue(RGB(10, 20, 30)), 10);
    EXPECT_EQ(GetGValue(RGB(10, 20, 30)), 20);
    EXPECT_EQ(GetBValue(RGB(10, 20, 30)), 30);
}

TEST(Gdi, FillRectPaintsExactlyTheRectangleClippedToTheBuffer) {
    PixelDC target(8, 6);
    HBRUSH brush = CreateSolidBrush(RGB(200, 100, 50));
    ASSERT_NE(brush, nullptr);
    const RECT r{2, 1, 5, 3};
    ASSERT_NE(FillRect(target.dc, &r, brush), 0);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool inside = x >= 2 && x < 5 && y >= 1 && y < 3;
            EXPECT_EQ(GetPixel(target.dc, x, y), inside ? RGB(200, 100, 50) : RGB(0, 0, 0)) << x << "," << y;
        }
    // Partly outside: only the visible part is painted, and nothing is written past the buffer.
    const RECT clipped{6, 4, 100, 100};
    ASSERT_NE(FillRect(target.dc, &clipped, brush), 0);
    EXPECT_EQ(GetPixel(target.dc, 7, 5), RGB(200, 100, 50));
    EXPECT_EQ(GetPixel(target.dc, 5, 5), RGB(0, 0, 0));
    EXPECT_EQ(GetPixel(target.dc, 8, 5), CLR_INVALID);
    // An empty rectangle succeeds and paints nothing.
    const RECT empty{3, 3, 3, 9};
    EXPECT_NE(FillRect(target.dc, &empty, brush), 0);
    EXPECT_EQ(GetPixel(target.dc, 3, 3), RGB(0, 0, 0));
    EXPECT_NE(DeleteObject(brush), 0);
}

TEST(Gdi, StaleAndForeignHandlesAreRefusedNotFollowed) {
    PixelDC target(2, 2);
    HBRUSH brush = CreateSolidBrush(RGB(1, 1, 1));
    const RECT r{0, 0, 2, 2};
    ASSERT_NE(DeleteObject(brush), 0);
    EXPECT_EQ(DeleteObject(brush), 0);
    EXPECT_EQ(FillRect(target.dc, &r, brush), 0);
    EXPECT_EQ(FillRect(nullptr, &r, brush), 0);
    EXPECT_EQ(DeleteObject(nullptr), 0);
    HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, nullptr);
    EXPECT_EQ(FillRect(target.dc, &r, bitmap), 0); // a bitmap is not a brush
    EXPECT_NE(DeleteObject(bitmap), 0);
    EXPECT_EQ(GetPixel(target.dc, 0, 0), RGB(0, 0, 0));
}

TEST(Gdi, CreationFailsBeyondTheObjectQuota) {
    const std::size_t saved = GetGdiObjectQuota();
    SetGdiObjectQuota(GetGdiObjectCount() + 1);
    HBRUSH first = CreateSolidBrush(RGB(0, 0, 1));
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(CreateSolidBrush(RGB(0, 0, 2)), nullptr);
    EXPECT_EQ(CreateBitmap(1, 1, 1, 8, nullptr), nullptr);
    DeleteObject(first);
    EXPECT_NE(first = CreateSolidBrush(RGB(0, 0, 3)), nullptr);
    DeleteObject(first);
    SetGdiObjectQuota(saved);
}

TEST(Gdi, CopyImageCopiesBitmapsAndResamplesWholeBytePixels) {
    // 2 x 2, 24 bits: rows padded to 8 bytes.
    const std::vector<std::uint8_t> bits = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
    HBITMAP source = CreateBitmap(2, 2, 1, 24, bits.data());
    ASSERT_NE(source, nullptr);
    HBITMAP same = static_cast<HBITMAP>(CopyImage(source, IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    ASSERT_NE(same, nullptr);
    EXPECT_NE(same, source);
    BITMAP info{};
    ASSERT_TRUE(GetBitmapInfo(same, &info));
    EXPECT_EQ(info.bmWidth, 2);
    EXPECT_EQ(info.bmHeight, 2);
    EXPECT_EQ(info.bmWidthBytes, 8);
    EXPECT_EQ(info.bmBitsPixel, 24);
    EXPECT_EQ(std::vector<std::uint8_t>(static_cast<const std::uint8_t*>(info.bmBits),
                                        static_cast<const std::uint8_t*>(info.bmBits) + 16),
              bits);

    HBITMAP wide = static_cast<HBITMAP>(CopyImage(source, IMAGE_BITMAP, 4, 1, 0));
    ASSERT_TRUE(GetBitmapInfo(wide, &info));
    EXPECT_EQ(info.bmWidth, 4);
    EXPECT_EQ(info.bmHeight, 1);
    const auto* p = static_cast<const std::uint8_t*>(info.bmBits);
    EXPECT_EQ(std::vector<std::uint8_t>(p, p + 12),
              (std::vector<std::uint8_t>{1, 2, 3, 1, 2, 3, 4, 5, 6, 4, 5, 6}));

    HBITMAP mono = CreateBitmap(8, 1, 1, 1, nullptr);
    HBITMAP monoCopy = static_cast<HBITMAP>(CopyImage(mono, IMAGE_BITMAP, 0, 0, 0));
    EXPECT_NE(monoCopy, nullptr);
    EXPECT_EQ(CopyImage(mono, IMAGE_BITMAP, 16, 1, 0), nullptr);
    EXPECT_EQ(CopyImage(source, 1, 0, 0, 0), nullptr);
    HBRUSH brush = CreateSolidBrush(0);
    EXPECT_EQ(CopyImage(brush, IMAGE_BITMAP, 0, 0, 0), nullptr);
    EXPECT_EQ(CreateBitmap(0, 1, 1, 32, nullptr), nullptr);
    EXPECT_EQ(CreateBitmap(1, 1, 1, 7, nullptr), nullptr);
    for (HGDIOBJ o : {source, same, wide, mono, monoCopy, brush}) EXPECT_NE(DeleteObject(o), 0);
}

} // namespace
