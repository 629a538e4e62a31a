#include <gtest/gtest.h>

#include <functional>
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

std::string RuntimeErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "no error";
}

TEST(RegistrationLists, HoldTheCatalogsStaticRegistrantsInDeclarationOrder) {
    using Ids = std::vector<std::string>;
    EXPECT_EQ(ListedIds<block_class_registrant>(), (Ids{"LabelledSetIntervalGenerator", "Vector"}));
    EXPECT_EQ(ListedIds<datatype_class_registrant>(), Ids{"Interval"});
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

TEST(RegistrationLists, TheLastRegistrantTakesTheListWithItEvenWhenListedTwice) {
    {
        category_registrant lonely("Lonely");
        EXPECT_EQ(registration_list<category_registrant>::get()->front(), &lonely);
    }
    EXPECT_EQ(registration_list<category_registrant>::get(), nullptr);
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
    EXPECT_EQ(entry.bitmap(), 7u);
    EXPECT_EQ(&entry.this_class_ref(), &entry);
    EXPECT_EQ(copy.authors().items(), (std::list<std::string>{"a1", "a2"}));
    EXPECT_EQ(&copy.companies().add("c2"), &copy);  // the chain continues on the copy
    EXPECT_EQ(copy.companies().items().front(), "c1");
    const auto& set = copy.get_property_set("set");
    EXPECT_EQ(&set.this_class_ref(), &copy);
    ASSERT_EQ(set.properties().size(), 1u);
    EXPECT_EQ(boost::get<std::int64_t>(set.properties().front().value), 5);
    EXPECT_EQ(copy.text_pairs().size(), 1u);
}

TEST(Registrant, MissingPartsAreReportedByTheirTexts) {
    const std::string nullRef = "curiosly_recurring_pattern_helper<ThisClass>::this_class_ref: NULL pointer";
    curiosly_recurring_pattern_helper<block_class_registrant> helper;
    object_class_authors<block_class_registrant> detached;  // a credit list of no registrant
    catalog_class_registrant catalog("WithoutSets");
    licence_registrant silent("Silent");
    block_class_registrant unsigned_("Unsigned");
    struct Case {
        const char* what;
        std::function<void()> call;
        std::string expected;
    };
    const Case cases[] = {
        {"unset helper", [&] { helper.this_class_ref(); }, nullRef},
        {"detached credits", [&] { detached.this_class_ref(); }, nullRef},
        {"detached credits continued", [&] { detached.add("someone"); }, nullRef},
        {"property set", [&] { catalog.get_property_set("display"); }, "Property set \"display\" not found"},
        {"language", [&] { silent.get_language(1040); }, "Language 1040 not found"},
        {"signature", [&] { unsigned_.get_signature(); }, "block_class_registrant does not have a non-static signature"},
        {"static signature", [&] { unsigned_.get_static_signature(); },
         "block_class_registrant does not have a static signature"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(RuntimeErrorOf(c.call), c.expected);
    }
    EXPECT_FALSE(unsigned_.has_signature());
    EXPECT_FALSE(unsigned_.has_static_signature());
}

TEST(Languages, LookUpFallsBackToTheFirstEntryAndEntriesLeadBackToTheirRegistrant) {
    block_class_registrant registrant("Polyglot");
    registrant.language(1033).name("English");
    registrant.language(1040).name("Italiano");
    registrant.language(1040).name("Secondo");
    EXPECT_EQ(registrant.get_language(1040).name(), "Italiano");  // first of the two 1040s
    EXPECT_EQ(registrant.get_language(3082).name(), "English");   // no Spanish: first entry
    EXPECT_EQ(registrant.get_language(1033).language_id(), 1033);
    auto& entry = registrant.language(1031);
    EXPECT_EQ(entry.name(), "");
    EXPECT_EQ(&entry.library_path("Somewhere").bitmap(3).owner(), &registrant);
    EXPECT_EQ(registrant.get_language(1031).library_path(), "Somewhere");
}

TEST(BlockClassRegistrant, ASecondSignatureReplacesTheFirst) {
    block_class_registrant registrant("Signed");
    auto& first = registrant.signature();
    first.inputs().push_back(nullptr);
    auto& second = registrant.signature();
    EXPECT_TRUE(second.inputs().empty());
    EXPECT_EQ(&registrant.get_signature(), &second);
    EXPECT_EQ(&second.owner(), &registrant);
    registrant.static_signature().parameters().push_back(nullptr);
    block_class_registrant copy(registrant);
    EXPECT_EQ(copy.get_static_signature().parameters().size(), 1u);
    EXPECT_EQ(&copy.get_static_signature().owner(), &copy);
    ASSERT_TRUE(copy.has_signature());
    EXPECT_NE(&copy.get_signature(), &second);
}

} // namespace
