#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "sdk/registration/RegistrantClassInfo.h"
#include "tests/unit/module/ThreadTextHolder.h"

using namespace Vtx;

namespace {

std::string StdMessage(const std::function<void()>& call) {
    try {
        call();
    } catch (IException& e) {
        return e.GetMessageText();
    }
    return "no error";
}

template <class Record>
struct Held {
    explicit Held(Record* record) : record(record) { record->AddRef(); }
    ~Held() { record->Release(); }
    Record* operator->() const { return record; }
    Record* record;
};

TEST(RegistrantRecords, AnswerTextsFromTheEntryOfTheirLanguageOrTheFirst) {
    ThreadTextHolder holder;
    licence_registrant licence("Licence");
    licence.language(1033).name("English licence").description("Terms");
    licence.language(1040).name("Licenza");
    Held<licence_info_impl> italian(new licence_info_impl(&licence, 1040));
    Held<licence_info_impl> german(new licence_info_impl(&licence, 1031));
    EXPECT_STREQ(italian->GetName(), "Licenza");
    EXPECT_STREQ(german->GetName(), "English licence");
    EXPECT_STREQ(german->GetDescription(), "Terms");
    EXPECT_EQ(german->GetClassId(), licence.class_id().c_str());  // no copy
}

TEST(RegistrantRecords, ClearEmptiesTheRegistrantForEveryRecordOfIt) {
    ThreadTextHolder holder;
    company_registrant company("Company");
    company.language(1033).name("Corp");
    Held<company_info_impl> english(new company_info_impl(&company, 1033));
    Held<company_info_impl> italian(new company_info_impl(&company, 1040));
    english->Clear();
    EXPECT_EQ(StdMessage([&] { english->GetName(); }), "Language 1033 not found");
    EXPECT_EQ(StdMessage([&] { italian->GetDescription(); }), "Language 1040 not found");
    EXPECT_STREQ(italian->GetClassId(), "Company");
}

TEST(RegistrantRecords, CreditsOfASignedClass) {
    ThreadTextHolder holder;
    datatype_class_registrant datatype("Credited");
    Held<datatype_class_info_impl> record(new datatype_class_info_impl(&datatype, 1033));
    EXPECT_EQ(record->GetAuthorIds(), nullptr);
    EXPECT_EQ(record->GetCompanyId(), nullptr);
    EXPECT_EQ(record->GetTextTriples(), nullptr);

    datatype.authors().add("first").authors().add("second");
    datatype.companies().add("Acme").companies().add("Other");
    datatype.licences().add("GPL");
    datatype.categories().add("Math", "Intervals", "x");
    TEXT_LIST* authors = record->GetAuthorIds();
    ASSERT_NE(authors, nullptr);
    ASSERT_EQ(authors->count, 2);
    EXPECT_STREQ(authors->texts[1], "second");
    TEXT_LIST* again = record->GetAuthorIds();
    EXPECT_NE(again, authors);  // a new list on every call
    FreeTextList(authors);
    FreeTextList(again);
    EXPECT_STREQ(record->GetCompanyId(), "Acme");
    EXPECT_STREQ(record->GetLicenceId(), "GPL");
    TEXT_TRIPLE_LIST* triples = record->GetTextTriples();
    ASSERT_NE(triples, nullptr);
    ASSERT_EQ(triples->count, 1);
    EXPECT_STREQ(triples->triples[0].third, "x");
    FreeTextTripleList(triples);
}

TEST(RegistrantRecords, DatatypeTextPairsAndInitInfo) {
    datatype_class_registrant datatype("Paired");
    datatype.text_pair("kernel", "double").text_pair("kernel", "int");
    Held<datatype_class_info_impl> record(new datatype_class_info_impl(&datatype, 1033));
    IObjectClassReferenceCollection* pairs = record->GetTextPairs();
    ASSERT_EQ(pairs->GetCount(), 2);
    EXPECT_STREQ(pairs->GetItem(1)->GetClassId(), "int");
    EXPECT_EQ(record->GetTextPairs(), pairs);  // the record's own, refilled
    EXPECT_EQ(pairs->GetCount(), 2);
    EXPECT_EQ(record->CreateInitInfo(nullptr), nullptr);

    datatype.init_info_factory([](const OBJECT_CREATIONCTX*) -> IDatatypeInitInfo* { return nullptr; });
    EXPECT_TRUE(record->HasInitInfo());
}

TEST(RegistrantRecords, PatchStorageFlagsAreCountedFromZero) {
    patch_storage_class_registrant storage("Storage");
    Held<patch_storage_class_info_impl> record(new patch_storage_class_info_impl(&storage, 1033));
    storage.flag(1, false);
    EXPECT_TRUE(record->GetStorageFlag1());
    EXPECT_FALSE(record->GetStorageFlag2());
    EXPECT_THROW(storage.flag(3, true), std::out_of_range);
}

TEST(RegistrantRecords, CategoryEntriesInKeyOrder) {
    category_registrant category("Category");
    category.entry("b", "2", "two").entry("a", "1", "one");
    Held<category_info_impl> record(new category_info_impl(&category, 1033));
    TEXT_TRIPLE_LIST* entries = record->GetCategoryEntries();
    ASSERT_NE(entries, nullptr);
    ASSERT_EQ(entries->count, 2);
    EXPECT_STREQ(entries->triples[0].first, "a");
    EXPECT_STREQ(entries->triples[0].third, "one");
    EXPECT_STREQ(entries->triples[1].second, "2");
    record->FreeCategoryEntries(entries);
    category_registrant empty("Empty");
    Held<category_info_impl> emptyRecord(new category_info_impl(&empty, 1033));
    TEXT_TRIPLE_LIST* none = emptyRecord->GetCategoryEntries();
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->count, 0);
    emptyRecord->FreeCategoryEntries(none);
}

TEST(RegistrantRecords, BlockLibraryPathAndCreation) {
    ThreadTextHolder holder;
    block_class_registrant block("Block");
    block.language(1033).library_path("A.B").bitmap(104);
    Held<block_class_info_impl> record(new block_class_info_impl(&block, 1040));
    EXPECT_STREQ(record->GetLibraryPath(), "A.B");
    EXPECT_EQ(record->GetBitmapId(), 104u);
    EXPECT_EQ(StdMessage([&] { record->Create(nullptr); }), "Using object_class_registrant<ThisClass>::null_factory");
}

} // namespace
