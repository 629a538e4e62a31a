#include <gtest/gtest.h>

#include <string>

#include "catalog/IntervalImpl.h"
#include "tests/unit/registration/CountingKernel.h"
#include "module/SignatureList.h"
#include "sdk/object/ObjectImpl.h"
#include "sdk/object/PropertyImpl.h"
#include "sdk/registration/PlainClassInfo.h"
#include "sdk/registration/Registrants.h"
#include "vtx/Interval.h"

using namespace Vtx;

namespace {

// An object that is neither a block nor a datatype.
struct PlainObject : CObjectImpl<IObject, IObjectClass> {
    using CObjectImpl::CObjectImpl;
};
IObject* CreatePlainObject(const OBJECT_CREATIONCTX* context) { return new PlainObject(context); }

// Every test starts and ends without signatures and with the build not yet run.
class Signatures : public ::testing::Test {
protected:
    void SetUp() override { ResetSignatureBuild(); }
    void TearDown() override { ResetSignatureBuild(); }

    OBJECT_CREATIONCTX Context(std::uint16_t languageId) { return kernel.Context(languageId); }

    CountingKernel kernel;
};

TEST_F(Signatures, AFirstRequestForItalianBuildsOneItalianSignatureOnce) {
    BuildSignatures(1040);
    BuildSignatures(1033);  // the build runs once
    ASSERT_EQ(GetSignatureCount(), 1);
    CDllSignatureImpl* signature = FirstSignature();
    EXPECT_EQ(signature->GetLanguageId(), 1040);
    EXPECT_EQ(GetSignatureLanguageId(0), 1040);
    EXPECT_STREQ(signature->GetCatalogId(), "Brennick2010");
    EXPECT_EQ(signature->ReferenceCount(), 1);
    EXPECT_EQ(signature->GetBlockClasses()->GetCount(), 2);
    EXPECT_EQ(signature->GetDatatypeClasses()->GetCount(), 1);
    // The two interfaces this test binary declares for itself.
    EXPECT_EQ(signature->GetDatatypeInterfaceClasses()->GetCount(), 2);
    EXPECT_EQ(ChooseSignature(3082), signature);  // no English one either: the first
}

TEST_F(Signatures, LaterSignaturesShareTheFirstCatalogIdentifier) {
    BuildSignatures(1033);
    CDllSignatureImpl* second = GetOrCreateSignature(1040);
    EXPECT_EQ(GetSignatureCount(), 2);
    EXPECT_EQ(GetOrCreateSignature(1040), second);
    EXPECT_STREQ(second->GetCatalogId(), "Brennick2010");
    CDllSignatureImpl::SetCatalogId("Other");
    EXPECT_STREQ(second->GetCatalogId(), "Brennick2010");
    EXPECT_EQ(ChooseSignature(1040), second);
    EXPECT_EQ(ChooseSignature(3082), FindSignature(1033));
    EXPECT_EQ(GetSignatureLanguageId(2), 0);
    EXPECT_EQ(GetSignatureLanguageId(-1), 0);
}

// A build that throws part-way (a catalog without texts) is not retried, and neither the
// choice of a signature nor a create operation gets the half-built one.
TEST_F(Signatures, AFailedBuildLeavesNothingToChoose) {
    {
        catalog_class_registrant speechless("Speechless");
        EXPECT_THROW(BuildSignatures(1033), IException);
        ASSERT_EQ(GetSignatureCount(), 1);  // the catalog described before the failure
        BuildSignatures(1033);
        EXPECT_EQ(ChooseSignature(1033), nullptr);
        OBJECT_CREATIONCTX context = Context(1033);
        EXPECT_EQ(FirstSignature()->CreateBlock("Vector", &context), nullptr);
        EXPECT_FALSE(FirstSignature()->HasDatatypeInitInfo("Interval"));
        EXPECT_EQ(kernel.constructed, 0);
    }
    ResetSignatureBuild();
    BuildSignatures(1033);
    ASSERT_NE(ChooseSignature(1033), nullptr);
    EXPECT_TRUE(ChooseSignature(1033)->HasDatatypeInitInfo("Interval"));
}

TEST_F(Signatures, ClearClassInfosKeepsEveryRecordInPlace) {
    ObjectClassTexts texts;
    texts.name = "Plain";
    auto* author = new CAuthorClassInfoImpl("PlainAuthor", texts);
    CDllSignatureImpl* listed = FindSignature(1033);
    ASSERT_NE(listed, nullptr);
    EXPECT_EQ(listed->GetAuthors()->GetItem(0), author);
    listed->ClearClassInfos();
    EXPECT_EQ(listed->GetAuthors()->GetCount(), 1);
    EXPECT_STREQ(author->GetName(), "");
    EXPECT_STREQ(author->GetClassId(), "PlainAuthor");
    EXPECT_EQ(author->ReferenceCount(), 2);  // the collection's and its own
    ResetSignatureBuild();
    EXPECT_EQ(author->Release(), 0);
}

TEST_F(Signatures, PlainRecordsListThemselvesInTheSignatureOfTheirLanguage) {
    ObjectClassTexts italian;
    italian.languageId = 1040;
    italian.name = "Blocco";
    italian.bitmapId = 5;
    ObjectClassCredits credits;
    credits.authorIds = {"a", "b"};
    credits.licenceId = "L";
    auto* block = new CBlockClassInfoImpl("PlainBlock", italian, credits, &CreatePlainObject, "Tree.Leaf");
    auto* enumerator = new CDeviceEnumeratorInfoImpl("Enumerator", nullptr, true);
    ASSERT_EQ(GetSignatureCount(), 2);
    EXPECT_EQ(FindSignature(1040)->GetBlockClasses()->GetItemByClassId("PlainBlock"), block);
    EXPECT_EQ(FindSignature(1033)->GetDeviceEnumerators()->GetItem(0), enumerator);
    EXPECT_STREQ(block->GetName(), "Blocco");
    EXPECT_EQ(block->GetCompanyId(), nullptr);
    TEXT_LIST* authors = block->GetAuthorIds();
    ASSERT_NE(authors, nullptr);
    EXPECT_EQ(authors->count, 2);
    EXPECT_STREQ(authors->texts[1], "b");
    FreeTextList(authors);
    block->Clear();
    EXPECT_STREQ(block->GetName(), "");
    EXPECT_EQ(block->GetBitmapId(), 5u);

    ResetSignatureBuild();
    EXPECT_EQ(block->Release(), 0);
    EXPECT_EQ(enumerator->Release(), 0);
}

TEST_F(Signatures, CreateOperationsFindTheRecordAndCheckWhatTheyMake) {
    ObjectClassTexts texts;
    ObjectClassCredits none;
    auto* wrongKind = new CBlockClassInfoImpl("NotABlock", texts, none, &CreatePlainObject, "");
    auto* interval = new CDatatypeClassInfoImpl("PlainInterval", texts, none, &CreateIntervalObject, nullptr);
    auto* empty = new CDatatypeClassInfoImpl("Nothing", texts, none, nullptr, nullptr);
    OBJECT_CREATIONCTX context = Context(1033);

    // Made, found not to be a block, destroyed.
    EXPECT_EQ(FindSignature(1033)->CreateBlock("NotABlock", &context), nullptr);
    EXPECT_EQ(kernel.constructed, 1);
    EXPECT_EQ(kernel.destroyed, 1);
    // Never made.
    EXPECT_EQ(FindSignature(1033)->CreateBlock("Missing", &context), nullptr);
    EXPECT_EQ(FindSignature(1033)->CreateDatatype("Missing", &context), nullptr);
    EXPECT_EQ(FindSignature(1033)->CreateDatatypeConverter("Missing", &context), nullptr);
    EXPECT_EQ(FindSignature(1033)->CreatePatchStorage("Missing", &context), nullptr);
    EXPECT_EQ(kernel.constructed, 1);
    // A plain record without functions makes nothing.
    EXPECT_EQ(FindSignature(1033)->CreateDatatype("Nothing", &context), nullptr);
    EXPECT_EQ(FindSignature(1033)->CreateDatatypeInitInfo("Nothing", &context), nullptr);
    EXPECT_FALSE(FindSignature(1033)->HasDatatypeInitInfo("Nothing"));

    IDatatype* made = FindSignature(1033)->CreateDatatype("PlainInterval", &context);
    ASSERT_NE(made, nullptr);
    EXPECT_NE(dynamic_cast<IInterval*>(made), nullptr);
    made->AddRef();
    made->Release();
    EXPECT_EQ(kernel.constructed, 2);

    ResetSignatureBuild();
    for (auto* record : {static_cast<IObjectClassInfo*>(wrongKind), static_cast<IObjectClassInfo*>(interval),
                         static_cast<IObjectClassInfo*>(empty)})
        EXPECT_EQ(record->Release(), 0);

    // A first Italian request builds an Italian signature, which a record listed in the
    // English one is not part of.
    auto* english = new CDatatypeClassInfoImpl("EnglishOnly", texts, none, &CreateIntervalObject, nullptr);
    OBJECT_CREATIONCTX italian = Context(1040);
    EXPECT_EQ(FindSignature(1033)->CreateDatatype("EnglishOnly", &italian), nullptr);
    EXPECT_EQ(FindSignature(1040)->GetDatatypeClasses()->GetCount(), 1);
    ResetSignatureBuild();
    EXPECT_EQ(english->Release(), 0);
}

TEST(PropertyHandOver, EachTagReachesTheContainerThroughItsTypedSetter) {
    catalog_class_registrant catalog("WithProperties");
    catalog.property_set("set")
        .add("flag", property_bool, std::int64_t{2})
        .property_set("set")
        .add("int", property_int, std::int64_t{0x1'0000'0005})
        .property_set("set")
        .add("int64", property_int64, std::int64_t{-9'000'000'000})
        .property_set("set")
        .add("float", property_float, 0.1)
        .property_set("set")
        .add("double", property_double, 0.1)
        .property_set("other")
        .add("text", property_text, std::string("hello"))
        .property_set("other")
        .add("ticks", property_int64b, std::uint64_t{123});
    CDllSignatureImpl signature;
    HandOverProperties(catalog, signature);

    ASSERT_EQ(signature.GetPropertySetCount(), 2);
    EXPECT_STREQ(signature.GetPropertySetAt(0)->GetName(), "other");  // sets in name order
    IPropertyCollection* set = signature.GetPropertySet("set");
    EXPECT_EQ(set->GetPropertyByName("flag")->GetType(), kPropertyBool);
    EXPECT_TRUE(signature.GetBoolProperty("set", "flag"));
    EXPECT_EQ(set->GetPropertyByName("int")->GetType(), kPropertyInt);
    EXPECT_EQ(signature.GetIntProperty("set", "int"), 5);
    EXPECT_EQ(set->GetPropertyByName("int64")->GetType(), kPropertyInt64);
    EXPECT_EQ(signature.GetInt64Property("set", "int64"), -9'000'000'000);
    EXPECT_EQ(set->GetPropertyByName("float")->GetType(), kPropertyFloat);
    EXPECT_EQ(signature.GetFloatProperty("set", "float"), 0.1f);
    EXPECT_EQ(set->GetPropertyByName("double")->GetType(), kPropertyDouble);
    EXPECT_EQ(signature.GetDoubleProperty("set", "double"), 0.1);
    EXPECT_EQ(signature.GetPropertySet("other")->GetPropertyByName("text")->GetType(), kPropertyString);
    EXPECT_EQ(signature.GetPropertySet("other")->GetPropertyByName("ticks")->GetType(), kPropertyInt64B);
    EXPECT_EQ(signature.GetInt64BProperty("other", "ticks"), 12);
}

TEST(PropertyHandOver, AnUnknownTagOrAMismatchedValueStopsIt) {
    catalog_class_registrant unknown("UnknownTag");
    unknown.property_set("set").add("odd", 7, std::int64_t{1});
    CDllSignatureImpl signature;
    try {
        HandOverProperties(unknown, signature);
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Unknown property_type (object_class_properties<catalog_class_registrant>)");
    }
    catalog_class_registrant mismatched("Mismatched");
    mismatched.property_set("set").add("flag", property_bool, 1.0);
    EXPECT_THROW(HandOverProperties(mismatched, signature), boost::bad_get);
}

} // namespace
