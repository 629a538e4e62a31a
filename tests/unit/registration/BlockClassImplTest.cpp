#include <gtest/gtest.h>

#include <cstdint>

#include "platform/Gdi.h"
#include "sdk/registration/BlockClassImpl.h"

using namespace Vtx;

namespace {

struct Catalog : CObjectClassImpl<IObjectClass> {
    Catalog() : CObjectClassImpl("Brennick2010", nullptr) {}
};

TEST(BlockClassImpl, KeyedTextsAndEmbeddedCollections) {
    Catalog catalog;
    CBlockClassImpl blockClass("Vector", &catalog);
    EXPECT_EQ(blockClass.GetKeyedText1("missing"), nullptr);
    blockClass.SetKeyedText3("key", "first");
    blockClass.SetKeyedText3("key", "second");
    EXPECT_STREQ(blockClass.GetKeyedText3("key"), "second");
    EXPECT_EQ(blockClass.GetKeyedText4("key"), nullptr);  // each map is its own
    blockClass.SetKeyedText6("empty", nullptr);
    EXPECT_STREQ(blockClass.GetKeyedText6("empty"), "");
    EXPECT_STREQ(blockClass.GetCatalog()->GetClassId(), "Brennick2010");
    // The class holds a reference on each embedded collection, so a host's balanced
    // AddRef/Release never brings one to zero.
    auto* classes = static_cast<CObjectClassObjectCollectionImpl*>(blockClass.GetObjectClasses());
    auto* categories = static_cast<CCategoryItemReferenceCollectionImpl*>(blockClass.GetCategories());
    EXPECT_EQ(classes->ReferenceCount(), 1);
    EXPECT_EQ(categories->ReferenceCount(), 1);
}

TEST(BlockClassImpl, KeepsItsOwnCopyOfTheBitmapAndDeletesIt) {
    const std::size_t before = platform::GetGdiObjectCount();
    const std::uint8_t pixels[4] = {1, 2, 3, 0};
    platform::HBITMAP original = platform::CreateBitmap(1, 1, 1, 24, pixels);
    ASSERT_NE(original, nullptr);
    {
        CBlockClassImpl blockClass("WithBitmap", nullptr);
        blockClass.SetBitmap(original);
        BitmapHandle stored = blockClass.GetBitmap();
        ASSERT_NE(stored, nullptr);
        EXPECT_NE(stored, original);
        blockClass.SetBitmap(original);  // the previous copy goes
        EXPECT_EQ(platform::GetGdiObjectCount(), before + 2);
        blockClass.SetBitmap(nullptr);
        EXPECT_EQ(blockClass.GetBitmap(), nullptr);
        blockClass.SetBitmap(original);
    }
    EXPECT_EQ(platform::GetGdiObjectCount(), before + 1);
    EXPECT_NE(platform::DeleteObject(original), 0);
}

} // namespace
