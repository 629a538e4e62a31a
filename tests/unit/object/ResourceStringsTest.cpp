#include <gtest/gtest.h>

#include <cstdint>
#include <locale>

#include "platform/Resources.h"
#include "sdk/object/ResourceStrings.h"

namespace {

// A string-table block registered under a language no catalog text uses, so it stays out
// of the way of every other look-up: block 3 holds ids 32..47.
const std::uint16_t kBlock3[] = {
    0,                                  // id 32: empty
    2, u'h', u'i',                      // id 33
    3, u'a', u'b', u'c',                // id 34
};
platform::ResourceRegistrar kBlock3Registrar(platform::RT_STRING, 3, 0x0413, kBlock3, sizeof kBlock3);

struct OpenFacet : ulx::resource_table_messages<char> {
    OpenFacet() : ulx::resource_table_messages<char>(1) {}
    using ulx::resource_table_messages<char>::do_get;
    using ulx::resource_table_messages<char>::do_open;
};

TEST(ResourceStrings, OpenMapsLocaleNamesToLanguages) {
    OpenFacet facet;
    EXPECT_EQ(facet.do_open("named", std::locale::classic()), -1);
    EXPECT_EQ(facet.do_open("", std::locale::classic()), 0);
    EXPECT_EQ(ulx::LanguageIdOfLocaleName("English_United States.1252"), 1033);
    EXPECT_EQ(ulx::LanguageIdOfLocaleName("Italian_Italy.1252"), 1040);
    EXPECT_EQ(ulx::LanguageIdOfLocaleName("de_DE.UTF-8"), -1);
}

TEST(ResourceStrings, GetWalksTheBlockAndFallsBackToTheDefault) {
    OpenFacet facet;
    EXPECT_EQ(facet.do_get(0x0413, 0, 33, "dflt"), "hi");
    EXPECT_EQ(facet.do_get(0x0413, 0, 34, "dflt"), "abc");
    EXPECT_EQ(facet.do_get(0x0413, 0, 32, "dflt"), "");
    // Past the entries the block holds, another language, another block: the default.
    EXPECT_EQ(facet.do_get(0x0413, 0, 40, "dflt"), "dflt");
    EXPECT_EQ(facet.do_get(1033, 0, 33, "dflt"), "dflt");
    EXPECT_EQ(facet.do_get(0x0413, 0, 5, "dflt"), "dflt");
    // The module has no string table of its own.
    EXPECT_EQ(ulx::load_resource_string(1), "");
    EXPECT_EQ(ulx::load_resource_string(33), "");
}

TEST(ResourceStrings, ResourceReferenceIsResolvedOnceAndKept) {
    OpenFacet facet;
    ulx::resource_string plain("text");
    EXPECT_TRUE(plain.is_resolved());
    EXPECT_EQ(plain.str(), "text");

    ulx::resource_string reference(ulx::resource_string::resource_info{34, nullptr, &facet, 0x0413, "dflt"});
    EXPECT_FALSE(reference.is_resolved());
    EXPECT_EQ(reference.str(), "abc");
    EXPECT_TRUE(reference.is_resolved());
    ulx::resource_string missing(ulx::resource_string::resource_info{99, nullptr, &facet, 0x0413, "dflt"});
    EXPECT_EQ(missing.str(), "dflt");
}

} // namespace
