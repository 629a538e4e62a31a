// The bound text's direct path for whole numbers and short binary fractions against the C
// library's %.17g, byte for byte: the values it takes, the ones just outside its limits
// (which the general conversion writes) and random values of both kinds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "catalog/IntervalText.h"

namespace {

std::string Written(double value) {
    char text[kMaxIntervalBoundText];
    return std::string(text, WriteIntervalBound(text, value));
}

std::string Printf17(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

TEST(IntervalBoundText, EdgesOfTheDirectPathMatchPrintf) {
    const double edges[] = {0.0, -0.0, 1.0, -1.0, 10.0, 20.0, 0.5, -2.5, 0.25, 1.0 / 1024, -1.0 / 1024,
                            1.0 / 2048, 3.0 / 4096, 0.1, 0.2, 1e-5, 123.75, 999999.0, 999999.9990234375,
                            1e6, 1e6 + 0.5, 1e6 - 1.0 / 1024, 1048576.5, 9007199254740992.0, 9007199254740994.0,
                            99999999999999984.0, 1e17, -1e17, 1e16, 123456789012345678.0, 1e300, -1e-300,
                            std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::max(),
                            std::numeric_limits<double>::min(), std::nextafter(1.0, 2.0), std::nextafter(1.0, 0.0),
                            std::nextafter(1e17, 0.0), 4294967296.0, 18446744073709551616.0};
    for (double value : edges) EXPECT_EQ(Written(value), Printf17(value)) << Printf17(value);
}

TEST(IntervalBoundText, RandomWholeNumbersAndShortFractionsMatchPrintf) {
    std::mt19937_64 random(29);
    for (int i = 0; i < 50000; ++i) {
        // Whole numbers of every size up to 2^63, short fractions k/2^j of every size up to
        // 2^40, and random bit patterns (infinities and NaN aside).
        const std::uint64_t bits = random();
        double value;
        switch (i % 3) {
        case 0: value = static_cast<double>(bits >> (bits % 64)); break;
        case 1: value = std::ldexp(static_cast<double>(bits >> (24 + bits % 40)), -static_cast<int>(bits % 13)); break;
        default:
            value = std::ldexp(static_cast<double>(bits >> 11), static_cast<int>(bits % 200) - 100 - 53);
        }
        if (bits & 1) value = -value;
        ASSERT_EQ(Written(value), Printf17(value)) << i << " " << Printf17(value);
    }
}

} // namespace
