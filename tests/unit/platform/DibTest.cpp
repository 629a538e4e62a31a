#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "catalog/Bitmaps.h"
#include "platform/Dib.h"
#include "platform/Resources.h"

namespace {

TEST(Dib, TheCatalogsBitmapsAreInTheImagesResourceTable) {
    struct Expected {
        std::uint32_t id;
        std::int32_t size;
        std::uint16_t bits;
    };
    for (const Expected& expected : {Expected{catalog_bitmaps::kCatalogBitmapId, 32, 24},
                                     Expected{catalog_bitmaps::kVectorBitmapId, 30, 4},
                                     Expected{catalog_bitmaps::kLabelledSetIntervalGeneratorBitmapId, 30, 4}}) {
        platform::HMODULE image = platform::GetModuleHandleA(nullptr);
        platform::HRSRC found = platform::FindResourceExA(image, platform::RT_BITMAP, expected.id, 1033);
        ASSERT_NE(found, nullptr) << expected.id;
        const void* data = platform::LockResource(platform::LoadResource(image, found));
        const auto info = platform::ReadDibInfo(data, platform::SizeofResource(image, found));
        ASSERT_TRUE(info);
        EXPECT_EQ(info->width, expected.size);
        EXPECT_EQ(info->bitsPerPixel, expected.bits);
        EXPECT_EQ(info->imageSize, platform::DibRowSize(expected.size, expected.bits) * expected.size);
        EXPECT_EQ(info->paletteEntries(), expected.bits == 4 ? 16u : 0u);
    }
    EXPECT_EQ(platform::FindResourceExA(nullptr, platform::RT_BITMAP, 101, 1040), nullptr);
    EXPECT_NE(platform::FindResourceExA(nullptr, platform::RT_MANIFEST, 2, 1033), nullptr);
}

TEST(Dib, PaletteRowsArePackedBottomUpHighNibbleFirst) {
    platform::HRSRC found = platform::FindResourceExA(nullptr, platform::RT_BITMAP, catalog_bitmaps::kVectorBitmapId, 1033);
    ASSERT_NE(found, nullptr);
    const auto* bytes = static_cast<const std::uint8_t*>(platform::LockResource(platform::LoadResource(nullptr, found)));
    const auto info = platform::ReadDibInfo(bytes, platform::SizeofResource(nullptr, found));
    ASSERT_TRUE(info);
    const std::uint32_t rowSize = platform::DibRowSize(30, 4);
    // The top row of the picture is the last row stored: all background (index 0).
    const std::uint8_t* topRow = bytes + info->pixelOffset() + 29 * rowSize;
    for (std::uint32_t i = 0; i < 15; ++i) EXPECT_EQ(topRow[i], 0) << i;
    // Row 11 from the top is the cells' top border: pixels 2 to 27 in the outline colour (1).
    const std::uint8_t* border = bytes + info->pixelOffset() + (29 - 11) * rowSize;
    EXPECT_EQ(border[0], 0x00);
    EXPECT_EQ(border[1], 0x11);
    EXPECT_EQ(border[13], 0x11);
    EXPECT_EQ(border[14], 0x00);
}

TEST(Dib, BmpFilesNeedAPackedDib) {
    EXPECT_FALSE(platform::ReadDibInfo(nullptr, 0));
    const std::vector<std::uint8_t> shortData(39, 0);
    EXPECT_FALSE(platform::ReadDibInfo(shortData.data(), shortData.size()));
    std::vector<std::uint8_t> otherHeader(64, 0);
    otherHeader[0] = 12;  // an old core header
    EXPECT_FALSE(platform::ReadDibInfo(otherHeader.data(), otherHeader.size()));
    EXPECT_TRUE(platform::MakeBmpFile(otherHeader.data(), otherHeader.size()).empty());
    // A 4-bit header promising a colour table the data does not hold.
    std::vector<std::uint8_t> noTable(40, 0);
    noTable[0] = 40;
    noTable[14] = 4;
    EXPECT_TRUE(platform::MakeBmpFile(noTable.data(), noTable.size()).empty());
}

} // namespace
