#pragma once
// Plain geometry records exchanged between a block and the host's patch editor.
#include <cstdint>

namespace Vtx {

// A width and height pair.
struct BlockSize {
    std::int32_t cx;
    std::int32_t cy;
};

// A rectangle given by its origin and extent.
struct BlockRect {
    std::int32_t left;
    std::int32_t top;
    std::int32_t width;
    std::int32_t height;
};

} // namespace Vtx
