// Loops whose length a module or a file decides: each is bounded, and each is tried at its
// extremes.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "host/check/ModuleCheck.h"

namespace {

// The fallback language of vtxhost check is tried with a language the module does not
// list; a module listing every id must not make the search wrap around for ever.
TEST(UnlistedLanguage, IsFoundBelowThenAboveTheMiddleAndNotWhenEveryIdIsListed) {
    std::uint16_t unlisted = 0;
    ASSERT_TRUE(vtxhost::FindUnlistedLanguage({1033}, unlisted));
    EXPECT_EQ(unlisted, 0x7FFF);
    ASSERT_TRUE(vtxhost::FindUnlistedLanguage({0x7FFF, 0x7FFE, 1033}, unlisted));
    EXPECT_EQ(unlisted, 0x7FFD);

    std::vector<std::uint16_t> low;  // 0 to 0x7FFF taken: the search goes on above
    for (std::uint32_t id = 0; id <= 0x7FFF; ++id) low.push_back(static_cast<std::uint16_t>(id));
    ASSERT_TRUE(vtxhost::FindUnlistedLanguage(low, unlisted));
    EXPECT_EQ(unlisted, 0x8000);

    std::vector<std::uint16_t> all;
    for (std::uint32_t id = 0; id <= 0xFFFF; ++id) all.push_back(static_cast<std::uint16_t>(0xFFFF - id));
    EXPECT_FALSE(vtxhost::FindUnlistedLanguage(all, unlisted));
    all.erase(all.begin());  // 0xFFFF free again: the last one the search looks at
    ASSERT_TRUE(vtxhost::FindUnlistedLanguage(all, unlisted));
    EXPECT_EQ(unlisted, 0xFFFF);
}

} // namespace
