// The probe learns what a class declares from a throwaway block, and leaves nothing behind.
#include <gtest/gtest.h>

#include <algorithm>

#include "host/patch/BlockProbe.h"
#include "tests/unit/catalog/CatalogHost.h"

namespace {

using vtxhost::ProbeBlockClass;
using vtxhost::ProbeDepth;

class BlockProbe : public catalogtest::CatalogFixture {
protected:
    static const vtxhost::DeclaredParameter* Find(const vtxhost::BlockDeclarations& declared, const std::string& id) {
        auto found = std::find_if(declared.parameters.begin(), declared.parameters.end(),
                                  [&](const vtxhost::DeclaredParameter& parameter) { return parameter.id == id; });
        return found == declared.parameters.end() ? nullptr : &*found;
    }
};

TEST_F(BlockProbe, ReadsParametersPinsDefaultsAndBounds) {
    const auto declared = ProbeBlockClass(kernel, kIntervalCatalogId, "Vector");
    ASSERT_TRUE(declared.Made()) << declared.error;
    ASSERT_EQ(declared.parameters.size(), 6u);
    EXPECT_EQ(declared.parameters.front().id, "size");
    const auto* size = Find(declared, "size");
    ASSERT_NE(size, nullptr);
    EXPECT_EQ(size->typeCatalogId + "/" + size->typeClassId, "kernel/int");
    EXPECT_EQ(size->defaultText.value_or("?"), "1");
    ASSERT_TRUE(size->bounds.has_value());
    EXPECT_TRUE(size->integerBounds);
    EXPECT_EQ(size->bounds->minimum, 1);
    // The array's size is fixed once the patch runs; its read position may move.
    EXPECT_FALSE(size->changeableWhileRunning);
    ASSERT_NE(Find(declared, "read_position"), nullptr);
    EXPECT_TRUE(Find(declared, "read_position")->changeableWhileRunning);

    ASSERT_EQ(declared.inputs.size(), 1u);
    ASSERT_EQ(declared.outputs.size(), 1u);
    EXPECT_EQ(declared.outputs[0].followsInput, "input");
    // Growth is asked for on purpose only: it makes a block per integer parameter.
    EXPECT_TRUE(declared.growth.empty());

    const vtxhost::DeclaredBounds bounds = vtxhost::BoundsOf(declared);
    EXPECT_EQ(bounds.count("size"), 1u);
    EXPECT_EQ(bounds.count("reset"), 0u);
}

TEST_F(BlockProbe, FindsWhatRaisingAnIntegerParameterAdds) {
    const auto declared = ProbeBlockClass(kernel, kIntervalCatalogId, "LabelledSetIntervalGenerator", ProbeDepth::WithGrowth);
    ASSERT_TRUE(declared.Made()) << declared.error;
    ASSERT_EQ(declared.growth.size(), 1u);
    EXPECT_EQ(declared.growth[0].parameter, "num_items");
    EXPECT_EQ(declared.growth[0].value, 2);
    EXPECT_EQ(declared.growth[0].adds, (std::vector<std::string>{"label_1", "min_1", "max_1"}));
    // The probe's own block stays as declared: growth is learnt on other blocks.
    EXPECT_EQ(declared.parameters.size(), 4u);
}

TEST_F(BlockProbe, AnUnknownClassIsAnError) {
    const auto unknown = ProbeBlockClass(kernel, kIntervalCatalogId, "NoSuchBlock", ProbeDepth::WithGrowth);
    EXPECT_FALSE(unknown.Made());
    EXPECT_NE(unknown.error.find("NoSuchBlock"), std::string::npos) << unknown.error;
    EXPECT_TRUE(unknown.parameters.empty());
    EXPECT_TRUE(unknown.growth.empty());
}

} // namespace
