#include <gtest/gtest.h>

#include <string>

#include "sdk/object/CollectionInstances.h"
#include "sdk/object/ObjectClassReferenceCollectionImpl.h"
#include "sdk/object/ObjectClassReferenceImpl.h"

using namespace Vtx;

namespace {

struct ReferenceCollection : ::testing::Test {
    ReferenceCollection() : refs(new CObjectClassReferenceCollectionImpl) { refs->AddRef(); }
    ~ReferenceCollection() override { refs->Release(); }
    CObjectClassReferenceCollectionImpl* refs;
};

TEST_F(ReferenceCollection, EachPairIsHeldOnceAndLookedUpExactly) {
    refs->Add("kernel", "labeled_set");
    refs->Add("kernel", "labeled_set");
    refs->Add("Brennick2010", "labeled_set");
    refs->Add("kernel", "Labeled_set");
    EXPECT_EQ(refs->GetCount(), 3);
    EXPECT_TRUE(refs->Contains("kernel", "labeled_set"));
    EXPECT_FALSE(refs->Contains("labeled_set", "kernel"));
    EXPECT_EQ(refs->GetItemByIds("Brennick2010", "labeled_set"), refs->GetItem(1));
    try {
        refs->GetItem(3);
        ADD_FAILURE() << "no exception";
    } catch (ICollectionException& e) {
        EXPECT_STREQ(e.GetMessageText(),
                     "Error while accessing a collection.\nValid range index is [0-2]\nRequired index is 3.\n");
    }
    EXPECT_THROW(refs->GetItem(-1), ICollectionException);
    EXPECT_THROW(refs->Remove("kernel", "int"), ICollectionException);
    EXPECT_THROW(refs->GetItemByIds("other", "labeled_set"), ICollectionException);
    EXPECT_EQ(refs->GetCount(), 3);
}

TEST_F(ReferenceCollection, RemoveAndClearReleaseTheirReferences) {
    refs->Add("kernel", "double");
    refs->Add("kernel", "int");
    IObjectClassReference* kept = refs->GetItem(0);
    kept->AddRef();
    refs->Remove("kernel", "double");
    EXPECT_STREQ(refs->GetItem(0)->GetClassId(), "int");
    EXPECT_EQ(kept->Release(), 0);  // the collection held one reference, now gone
    kept = refs->GetItem(0);
    kept->AddRef();
    refs->Clear();
    EXPECT_EQ(refs->GetCount(), 0);
    EXPECT_EQ(kept->Release(), 0);
}

TEST_F(ReferenceCollection, AddAllAndContainsAll) {
    auto* other = new CObjectClassReferenceCollectionImpl;
    other->AddRef();
    other->Add("kernel", "a");
    other->Add("kernel", "b");
    refs->Add("kernel", "b");
    EXPECT_FALSE(refs->ContainsAll(other));
    refs->AddAll(other);
    refs->AddAll(nullptr);
    refs->AddAll(refs);
    ASSERT_EQ(refs->GetCount(), 2);
    EXPECT_STREQ(refs->GetItem(1)->GetClassId(), "a");
    EXPECT_TRUE(refs->ContainsAll(other));
    EXPECT_TRUE(other->ContainsAll(refs));
    refs->Add("x", "y");
    EXPECT_FALSE(other->ContainsAll(refs));
    EXPECT_TRUE(other->ContainsAll(nullptr));
    other->Release();
}

TEST(ObjectClassReference, TextsAreCopiedAndNullReadsAsEmpty) {
    CObjectClassReferenceImpl reference("kernel", nullptr);
    EXPECT_STREQ(reference.GetClassId(), "");
    std::string id = "double";
    reference.SetClassId(id.c_str());
    id = "changed";
    EXPECT_STREQ(reference.GetClassId(), "double");

    auto* categories = new CCategoryItemReferenceCollectionImpl;
    categories->AddRef();
    categories->Add(new CCategoryItemReferenceImpl("Brennick2010", "Vector", nullptr));
    categories->Add(new CCategoryItemReferenceImpl("Brennick2010", "LabelledSetIntervalGenerator", "two"));
    EXPECT_STREQ(categories->GetItemByClassId("Vector")->GetThirdText(), "");
    EXPECT_STREQ(categories->GetItemByClassId("LabelledSetIntervalGenerator")->GetThirdText(), "two");
    EXPECT_THROW(categories->GetItemByClassId("vector"), ICollectionException);
    categories->Release();
}

} // namespace
