// The pixels of the catalog's three bitmaps, drawn at compile time and placed in the
// module image's resources.
#include "catalog/Bitmaps.h"

#include "catalog/BitmapArt.h"
#include "platform/ResourceSection.h"

namespace catalog_bitmaps {

namespace {

constexpr std::uint16_t kEnglish = 1033;
constexpr Rgb kBackground{236, 240, 245};
constexpr Rgb kOutline{40, 48, 60};

// ---- 103: Vector ----

constexpr const char* kVectorKey = ".Kcbgos";
constexpr Palette kVectorPalette{{
    kBackground,
    kOutline,
    {255, 255, 255},  // c: an empty cell
    {120, 170, 230},  // b: a cell holding a value
    {60, 170, 80},    // g: the cell being written, and the value going in
    {240, 150, 40},   // o: the cell being read, and the value coming out
    {180, 188, 200},  // s: shadow
}};
constexpr const char* kVectorRows[30] = {
    "..............................",
    "..............................",
    ".........gg...................",
    ".........gg...................",
    ".........gg...................",
    ".........gg...................",
    ".........gg...................",
    ".......gggggg.................",
    "........gggg..................",
    ".........gg...................",
    "..............................",
    "..KKKKKKKKKKKKKKKKKKKKKKKKKK..",
    "..KbbbbKggggKbbbbKooooKccccKs.",
    "..KbbbbKggggKbbbbKooooKccccKs.",
    "..KbbbbKggggKbbbbKooooKccccKs.",
    "..KbbbbKggggKbbbbKooooKccccKs.",
    "..KbbbbKggggKbbbbKooooKccccKs.",
    "..KbbbbKggggKbbbbKooooKccccKs.",
    "..KKKKKKKKKKKKKKKKKKKKKKKKKKs.",
    "...ssssssssssssssssssssssssss.",
    "..............................",
    "...................oo.........",
    "...................oo.........",
    "...................oo.........",
    "...................oo.........",
    ".................oooooo.......",
    "..................oooo........",
    "...................oo.........",
    "..............................",
    "..............................",
};

// ---- 104: LabelledSetIntervalGenerator ----

constexpr const char* kIntervalsKey = ".Kxrgupla";
constexpr Palette kIntervalsPalette{{
    kBackground,
    kOutline,
    {110, 120, 135},  // x: number line and leaders
    {220, 70, 60},    // r, g, u: the three labels
    {60, 170, 80},
    {60, 110, 210},
    {245, 170, 160},  // p, l, a: the intervals, in their label's colour
    {160, 220, 160},
    {160, 190, 240},
}};
constexpr const char* kIntervalsRows[30] = {
    "..............................",
    "..............................",
    ".........KK........KK.........",
    ".rrrr....KppppppppppK.........",
    ".rrrrx.x.KppppppppppK.........",
    ".rrrr....KppppppppppK.........",
    ".........KK........KK.........",
    "..............................",
    "..............................",
    "..............................",
    "..............KK..........KK..",
    ".gggg.........KllllllllllllK..",
    ".ggggx.x.x.x..KllllllllllllK..",
    ".gggg.........KllllllllllllK..",
    "..............KK..........KK..",
    "..............................",
    "..............................",
    "..............................",
    ".......KK......KK.............",
    ".uuuu..KaaaaaaaaK.............",
    ".uuuux.KaaaaaaaaK.............",
    ".uuuu..KaaaaaaaaK.............",
    ".......KK......KK.............",
    "..............................",
    "..............................",
    "..............................",
    "...xxxxxxxxxxxxxxxxxxxxxxxxxx.",
    ".....x....x....x....x....x....",
    "..............................",
    "..............................",
};

// ---- 101: the catalog ----

constexpr const char* kLetterB[13] = {
    "########..", "#########.", "##.....###", "##......##", "##.....###", "########..", "########..",
    "##.....###", "##......##", "##......##", "##.....###", "#########.", "########..",
};
constexpr int kLetterLeft = 11;
constexpr int kLetterTop = 9;

constexpr bool InLetter(int x, int y) {
    const int column = x - kLetterLeft;
    const int row = y - kLetterTop;
    return row >= 0 && row < 13 && column >= 0 && column < 10 && kLetterB[row][column] == '#';
}

// Samples of the pixel (4 x 4, in eighths of a pixel) inside the circle of the radius
// (in eighths) around the emblem's centre.
constexpr int Coverage(int x, int y, int radius) {
    int inside = 0;
    for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx) {
            const int dx = 8 * x + 2 * sx + 1 - 128;
            const int dy = 8 * y + 2 * sy + 1 - 128;
            if (dx * dx + dy * dy <= radius * radius) ++inside;
        }
    return inside;
}

constexpr Rgb EmblemPixel(int x, int y) {
    const Rgb ring = Blend(Rgb{245, 205, 95}, Rgb{165, 115, 25}, y, 31);
    Rgb disc = Blend(Rgb{55, 125, 205}, Rgb{15, 45, 110}, y, 31);
    if (InLetter(x, y)) return Rgb{250, 250, 250};
    if (InLetter(x - 1, y - 1)) disc = Blend(disc, Rgb{5, 15, 40}, 1, 2);  // the letter's shadow
    if (y == 24 && (x == 13 || x == 16 || x == 19)) disc = ring;            // three gold dots
    const int outer = Coverage(x, y, 124);  // 15.5 pixels
    const int inner = Coverage(x, y, 108);  // 13.5 pixels
    const Rgb edge = Blend(kBackground, ring, outer, 16);
    return inner == 0 ? edge : Blend(edge, disc, inner, outer);
}

// ---- the image's resources ----

VTX_RESOURCE_SECTION constexpr auto kCatalogBitmap = platform::MakeEmbeddedResource(
    platform::RT_BITMAP, kCatalogBitmapId, kEnglish, TrueColourDib<32, 32>(EmblemPixel));
VTX_RESOURCE_SECTION constexpr auto kVectorBitmap = platform::MakeEmbeddedResource(
    platform::RT_BITMAP, kVectorBitmapId, kEnglish, PaletteDib<30, 30>(kVectorRows, kVectorKey, kVectorPalette));
VTX_RESOURCE_SECTION constexpr auto kIntervalsBitmap =
    platform::MakeEmbeddedResource(platform::RT_BITMAP, kLabelledSetIntervalGeneratorBitmapId, kEnglish,
                                   PaletteDib<30, 30>(kIntervalsRows, kIntervalsKey, kIntervalsPalette));

const platform::EmbeddedResourceRegistrar catalogBitmap(kCatalogBitmap);
const platform::EmbeddedResourceRegistrar vectorBitmap(kVectorBitmap);
const platform::EmbeddedResourceRegistrar intervalsBitmap(kIntervalsBitmap);

} // namespace

} // namespace catalog_bitmaps
