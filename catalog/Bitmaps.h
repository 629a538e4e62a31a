#pragma once
// The catalog's bitmap resources, by resource id: the catalog's emblem and the palette
// pictures of its two blocks. Each is a packed DIB of type bitmap, language 1033, in the
// module image's resource table and resource section.
#include <cstdint>

namespace catalog_bitmaps {

// 32 x 32, 24 bits per pixel: a blue badge with a gold ring and a white "B".
inline constexpr std::uint32_t kCatalogBitmapId = 101;
// 30 x 30, 16 colours: a row of five cells, one being written and one being read.
inline constexpr std::uint32_t kVectorBitmapId = 103;
// 30 x 30, 16 colours: three labelled intervals over a number line.
inline constexpr std::uint32_t kLabelledSetIntervalGeneratorBitmapId = 104;

} // namespace catalog_bitmaps
