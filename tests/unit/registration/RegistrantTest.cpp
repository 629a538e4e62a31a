#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sdk/registration/BlockClassRegistrant.h"
#include "sdk/registration/Registrants.h"

using namespace Vtx;

namespace {

// Two static declarations of a kind the catalog does not use, made as the catalog makes
// its own: a chain on a temporary, copied into the static object.
datatype_interface_class_registrant firstInterface =
    datatype_interface_class_registrant("FirstInterface").language(1033).name("First").owner();
datatype_interface_class_registrant secondInterface =
    datatype_interface_class_registrant("SecondInterface").language(1033).name("Second").owner();

template <class R>
std::vector<std::string> ListedIds() {
    std::vector<std::string> ids;
    if (const auto* list = registration_list<R>::get())
        for (const R* registrant : *list) ids.push_back(registrant->class_id());
    return ids;
}

template <class R>
std::string ThisClassRefMessage(const curiosly_recurring_pattern_helper<R>& object) {
    try {
        object.this_class_ref();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "no error";
}

TEST(RegistrationLists, HoldTheCatalogsStaticRegistrantsInDeclarationOrder) {
    using Ids = std::vector<std::string>;
    EXPECT_EQ(ListedIds<catalog_class_registrant>(), Ids{"Brennick2010"});
    EXPECT_EQ(ListedIds<datatype_class_registrant>(), Ids{"Interval"});
    EXPECT_EQ(ListedIds<block_class_registrant>(), (Ids{"LabelledSetIntervalGenerator", "Vector"}));
    EXPECT_EQ(ListedIds<author_registrant>(), Ids{"Brennick2010_author"});
    EXPECT_EQ(ListedIds<company_registrant>(), Ids{"Brennick2010_company"});
    EXPECT_EQ(ListedIds<licence_registrant>(), Ids{"Brennick2010_license"});
    // Kinds nobody declares never get a list.
    EXPECT_EQ(registration_list<datatype_converter_class_registrant>::get(), nullptr);
    EXPECT_EQ(registration_list<patch_storage_class_registrant>::get(), nullptr);
    EXPECT_EQ(registration_list<category_registrant>::get(), nullptr);
}

TEST(RegistrationLists, StaticDeclarationsLeaveNoTraceOfTheirTemporaries) {
    const auto* list = registration_list<datatype_interface_class_registrant>::get();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->size(), 2u);
    EXPECT_EQ(list->front(), &firstInterface);
    EXPECT_EQ(list->back(), &secondInterface);
    // The static copies own their entries, which lead back to them, not to the temporaries.
    EXPECT_EQ(&firstInterface.get_language(1033).owner(), &firstInterface);
    EXPECT_EQ(secondInterface.get_language(1033).name(), "Second");
}

TEST(RegistrationLists, ARegistrantAloneInItsListTakesTheListWithIt) {
    ASSERT_EQ(registration_list<category_registrant>::get(), nullptr);
    {
        category_registrant lonely("Lonely");
        const auto* list = registration_list<category_registrant>::get();
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->size(), 1u);
        EXPECT_EQ(list->front(), &lonely);
    }
    EXPECT_EQ(registration_list<category_registrant>::get(), nullptr);
}

TEST(RegistrationLists, ARegistrantListedTwiceLeavesBothPlaces) {
    {
        patch_storage_class_registrant storage("Twice");
        registration_list<patch_storage_class_registrant>::append(&storage);
        EXPECT_EQ(registration_list<patch_storage_class_registrant>::get()->size(), 2u);
    }
    EXPECT_EQ(registration_list<patch_storage_class_registrant>::get(), nullptr);
}

TEST(RegistrationLists, ACopyIsListedAfterItsOriginalAndOutlivesIt) {
    auto* original = new category_registrant("Original");
    category_registrant copy(*original);
    EXPECT_EQ(ListedIds<category_registrant>(), (std::vector<std::string>{"Original", "Original"}));
    EXPECT_EQ(registration_list<category_registrant>::get()->back(), &copy);
    delete original;
    ASSERT_NE(registration_list<category_registrant>::get(), nullptr);
    EXPECT_EQ(registration_list<category_registrant>::get()->front(), &copy);
}

TEST(Registrant, ThisClassRefOfAnUnsetObjectThrowsTheExactText) {
    const std::string expected = "curiosly_recurring_pattern_helper<ThisClass>::this_class_ref: NULL pointer";
    curiosly_recurring_pattern_helper<block_class_registrant> helper;
    EXPECT_EQ(ThisClassRefMessage(helper), expected);
    // A credit list not yet attached to a registrant cannot continue a chain.
    object_class_authors<block_class_registrant> authors;
    EXPECT_EQ(ThisClassRefMessage<block_class_registrant>(authors), expected);
    EXPECT_THROW(authors.add("someone"), std::runtime_error);
}

TEST(Registrant, CopyGivesTheStaticObjectItsOwnPartsLinkedToItself) {
    auto* temporary = new datatype_class_registrant("Copied");
    temporary->language(1033).name("English").description("Text").bitmap(7);
    temporary->authors().add("a1").authors().add("a2").companies().add("c1");
    temporary->property_set("set").add("p", property_int, std::int64_t{5});
    temporary->text_pair("kernel", "double");
    datatype_class_registrant copy(*temporary);
    delete temporary;

    const auto& entry = copy.get_language(1033);
    EXPECT_EQ(&entry.owner(), &copy);
    EXPECT_EQ(entry.name(), "English");
    EXPECT_EQ(entry.description(), "Text");
    EXPECT_EQ(entry.bitmap(), 7u);
    EXPECT_EQ(&entry.this_class_ref(), &entry);
    EXPECT_EQ(copy.authors().items(), (std::list<std::string>{"a1", "a2"}));
    EXPECT_EQ(&copy.authors().this_class_ref(), &copy);
    EXPECT_EQ(&copy.companies().add("c2"), &copy);  // the chain continues on the copy
    EXPECT_EQ(copy.companies().items().front(), "c1");
    const auto& set = copy.get_property_set("set");
    EXPECT_EQ(&set.this_class_ref(), &copy);
    ASSERT_EQ(set.properties().size(), 1u);
    EXPECT_EQ(boost::get<std::int64_t>(set.properties().front().value), 5);
    EXPECT_EQ(copy.text_pairs().size(), 1u);
}

TEST(Registrant, ClassRegistrantsCreateWithNullFactoryUntilGivenAFunction) {
    const auto* catalogs = registration_list<catalog_class_registrant>::get();
    ASSERT_NE(catalogs, nullptr);
    try {
        catalogs->front()->create(nullptr);
        FAIL() << "null_factory created something";
    } catch (ILogicException& e) {
        EXPECT_STREQ(e.GetMessageText(), "Using object_class_registrant<ThisClass>::null_factory");
    }
}

TEST(Registrant, MissingPropertySetIsReportedByName) {
    catalog_class_registrant registrant("WithoutSets");
    try {
        registrant.get_property_set("display");
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Property set \"display\" not found");
    }
}

TEST(Languages, LookUpFallsBackToTheFirstEntry) {
    author_registrant registrant("Polyglot");
    registrant.language(1033).name("English");
    registrant.language(1040).name("Italiano");
    registrant.language(1040).name("Secondo");
    EXPECT_EQ(registrant.get_language(1040).name(), "Italiano");  // first of the two 1040s
    EXPECT_EQ(registrant.get_language(3082).name(), "English");   // no Spanish: first entry
    EXPECT_EQ(registrant.get_language(1033).language_id(), 1033);
}

TEST(Languages, ARegistrantWithoutEntriesNamesTheLanguageItWasAskedFor) {
    licence_registrant registrant("Silent");
    try {
        registrant.get_language(1040);
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Language 1040 not found");
    }
}

TEST(Languages, FreshClassEntryReadsEmptyTextsAndBitmapZero) {
    block_class_registrant registrant("Fresh");
    auto& entry = registrant.language(1033);
    EXPECT_EQ(entry.bitmap(), 0u);
    EXPECT_EQ(entry.name(), "");
    EXPECT_EQ(entry.third_text(), "");
    EXPECT_EQ(entry.fourth_text(), "");
    EXPECT_EQ(entry.library_path(), "");
    EXPECT_EQ(&entry.library_path("Somewhere").bitmap(3).owner(), &registrant);
    EXPECT_EQ(registrant.get_language(1033).library_path(), "Somewhere");
}

TEST(BlockClassRegistrant, SignaturesExistOnlyOnceDeclared) {
    block_class_registrant registrant("Unsigned");
    EXPECT_FALSE(registrant.has_signature());
    EXPECT_FALSE(registrant.has_static_signature());
    try {
        registrant.get_signature();
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "block_class_registrant does not have a non-static signature");
    }
    try {
        registrant.get_static_signature();
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "block_class_registrant does not have a static signature");
    }
}

TEST(BlockClassRegistrant, ASecondSignatureReplacesTheFirst) {
    block_class_registrant registrant("Signed");
    auto& first = registrant.signature();
    first.inputs().push_back(nullptr);
    auto& second = registrant.signature();
    EXPECT_TRUE(second.inputs().empty());
    EXPECT_EQ(&registrant.get_signature(), &second);
    EXPECT_EQ(&second.owner(), &registrant);
    EXPECT_EQ(&second.this_class_ref(), &second);
    registrant.static_signature().parameters().push_back(nullptr);
    block_class_registrant copy(registrant);
    EXPECT_EQ(copy.get_static_signature().parameters().size(), 1u);
    EXPECT_EQ(&copy.get_static_signature().owner(), &copy);
    ASSERT_TRUE(copy.has_signature());
    EXPECT_NE(&copy.get_signature(), &second);
}

} // namespace
