// The catalog as a host sees it: the built module loaded through the host's module loader,
// its signature and records read, objects created through the signature.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/ModuleLoader.h"
#include "host/ModuleResources.h"
#include "platform/Dib.h"
#include "platform/Resources.h"
#include "tests/unit/registration/CountingKernel.h"
#include "vtx/Block.h"
#include "vtx/ClassInfo.h"
#include "vtx/Datatype.h"
#include "vtx/DllSignature.h"
#include "vtx/Exception.h"
#include "vtx/Interval.h"

using vtxhost::CModuleLoader;

namespace {

std::string ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (Vtx::IException& e) {
        return e.GetMessageText();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no error";
}

std::vector<std::string> TextsOf(Vtx::TEXT_LIST* list) {
    std::vector<std::string> texts;
    if (!list) return texts;
    for (std::int32_t i = 0; i < list->count; ++i) texts.push_back(list->texts[i] ? list->texts[i] : "(null)");
    Vtx::FreeTextList(list);
    return texts;
}

class Catalog : public ::testing::Test {
protected:
    void SetUp() override { module_ = std::make_unique<CModuleLoader>(VTX_MODULE_PATH); }
    void TearDown() override { module_.reset(); }

    Vtx::IDllSignature* English() {
        Vtx::IDllSignature* signature = module_->GetSignature(1033);
        EXPECT_NE(signature, nullptr);
        return signature;
    }

    std::unique_ptr<CModuleLoader> module_;
};

TEST_F(Catalog, AFirstItalianRequestBuildsAnItalianSignatureWithEnglishTexts) {
    Vtx::IDllSignature* italian = module_->GetSignature(1040);
    ASSERT_NE(italian, nullptr);
    EXPECT_EQ(italian->GetLanguageId(), 1040);
    EXPECT_EQ(module_->GetLanguageIds(), std::vector<std::uint16_t>{1040});
    EXPECT_STREQ(italian->GetName(), "Brennick2010");
    EXPECT_STREQ(italian->GetDescription(), "A catalog containing objects developed during Brennick 2010");
    EXPECT_EQ(italian->GetBitmapId(), 101u);
    EXPECT_STREQ(italian->GetCatalogId(), "Brennick2010");
    // No English signature exists, so every other language gets the first one.
    EXPECT_EQ(module_->GetSignature(1033), italian);
    EXPECT_EQ(module_->GetSignature(3082), italian);
    EXPECT_EQ(module_->GetLanguageIds().size(), 1u);
    auto* licences = italian->GetLicences();
    ASSERT_EQ(licences->GetCount(), 1);
    EXPECT_STREQ(licences->GetItem(0)->GetName(), "Brennick2010 Licence");
}

TEST_F(Catalog, TheEnglishSignatureHoldsTheCatalogsRecords) {
    Vtx::IDllSignature* signature = English();
    ASSERT_NE(signature, nullptr);
    EXPECT_STREQ(signature->GetCatalogId(), "Brennick2010");
    EXPECT_EQ(signature->GetPropertySetCount(), 0);

    auto* blocks = signature->GetBlockClasses();
    ASSERT_EQ(blocks->GetCount(), 2);
    Vtx::ILibraryObjectClassInfo* generator = blocks->GetItem(0);
    EXPECT_STREQ(generator->GetClassId(), "LabelledSetIntervalGenerator");
    EXPECT_STREQ(generator->GetName(), "LabelledSetIntervalGenerator");
    EXPECT_STREQ(generator->GetDescription(), "A block which generates a labelled set of intervals");
    EXPECT_STREQ(generator->GetLibraryPath(), "DataStructures.LabelledSet");
    EXPECT_EQ(generator->GetBitmapId(), 104u);
    EXPECT_STREQ(generator->GetThirdText(), "");
    EXPECT_STREQ(generator->GetFourthText(), "");
    Vtx::ILibraryObjectClassInfo* vector = blocks->GetItem(1);
    EXPECT_STREQ(vector->GetClassId(), "Vector");
    EXPECT_STREQ(vector->GetDescription(), "A block which stores an array of datatypes");
    EXPECT_STREQ(vector->GetLibraryPath(), "DataStructures");
    EXPECT_EQ(vector->GetBitmapId(), 103u);
    for (Vtx::ILibraryObjectClassInfo* block : {generator, vector}) {
        EXPECT_EQ(TextsOf(block->GetAuthorIds()), std::vector<std::string>{"Brennick2010_author"});
        EXPECT_STREQ(block->GetCompanyId(), "Brennick2010_company");
        EXPECT_STREQ(block->GetLicenceId(), "Brennick2010_license");
        EXPECT_EQ(block->GetTextTriples(), nullptr);
    }
    EXPECT_EQ(blocks->GetItemByClassId("Vector"), vector);

    auto* datatypes = signature->GetDatatypeClasses();
    ASSERT_EQ(datatypes->GetCount(), 1);
    Vtx::IDatatypeClassInfo* interval = datatypes->GetItem(0);
    EXPECT_STREQ(interval->GetClassId(), "Interval");
    EXPECT_STREQ(interval->GetName(), "Interval");
    EXPECT_STREQ(interval->GetDescription(), "An interval in the floating/point domain");
    EXPECT_TRUE(interval->HasInitInfo());
    EXPECT_EQ(interval->GetBitmapId(), 0u);
    EXPECT_EQ(TextsOf(interval->GetAuthorIds()), std::vector<std::string>{"Brennick2010_author"});
    EXPECT_STREQ(interval->GetCompanyId(), "Brennick2010_company");
    EXPECT_STREQ(interval->GetLicenceId(), "Brennick2010_license");
    EXPECT_EQ(interval->GetTextPairs()->GetCount(), 0);
    EXPECT_TRUE(signature->HasDatatypeInitInfo("Interval"));
    EXPECT_FALSE(signature->HasDatatypeInitInfo("Vector"));

    auto credit = [](Vtx::IObjectClassCollection<Vtx::IObjectClassInfo>* credits) {
        EXPECT_EQ(credits->GetCount(), 1);
        Vtx::IObjectClassInfo* record = credits->GetItem(0);
        // Each text is copied before the next one replaces it in the thread's buffer.
        std::string texts = record->GetClassId();
        texts += std::string("|") + record->GetName();
        texts += std::string("|") + record->GetDescription();
        return texts;
    };
    EXPECT_EQ(credit(signature->GetCompanies()), "Brennick2010_company|Corvel|Corvel Lab dist, univ of Tarlow");
    EXPECT_EQ(credit(signature->GetLicences()),
              "Brennick2010_license|Brennick2010 Licence|This catalog has the same license of Vantrix Tessel");
    EXPECT_EQ(credit(signature->GetAuthors()), "Brennick2010_author|Kestle|Orrel");

    EXPECT_EQ(signature->GetSubpatchClasses()->GetCount(), 0);
    EXPECT_EQ(signature->GetDatatypeDomainClasses()->GetCount(), 0);
    EXPECT_EQ(signature->GetDatatypeLayoutClasses()->GetCount(), 0);
    EXPECT_EQ(signature->GetDatatypeInterfaceClasses()->GetCount(), 0);
    EXPECT_EQ(signature->GetDatatypeConverterClasses()->GetCount(), 0);
    EXPECT_EQ(signature->GetDeviceClasses()->GetCount(), 0);
    EXPECT_EQ(signature->GetDeviceEnumerators()->GetCount(), 0);
    EXPECT_EQ(signature->GetClockClasses()->GetCount(), 0);
    EXPECT_EQ(signature->GetCategories()->GetCount(), 0);
    EXPECT_EQ(signature->GetPatchStorageClasses()->GetCount(), 0);
}

TEST_F(Catalog, TextsReachTheHostThroughItsSharedTextBuffer) {
    Vtx::IDllSignature* signature = English();
    ASSERT_NE(signature, nullptr);
    const char* name = signature->GetAuthors()->GetItem(0)->GetName();
    EXPECT_EQ(name, vtxhost::HostThreadSpecificValue()->GetText());
    signature->GetAuthors()->GetItem(0)->GetDescription();
    EXPECT_STREQ(name, "Orrel");  // the next text of the thread replaces it
}

TEST_F(Catalog, UnknownIdentifiersCreateNothing) {
    Vtx::IDllSignature* signature = English();
    ASSERT_NE(signature, nullptr);
    CountingKernel kernel;
    Vtx::OBJECT_CREATIONCTX context = kernel.Context(1033);
    EXPECT_EQ(signature->CreateBlock("Interval", &context), nullptr);  // a datatype, not a block
    EXPECT_EQ(signature->CreateBlock("Missing", &context), nullptr);
    EXPECT_EQ(signature->CreateDatatype("Vector", &context), nullptr);
    EXPECT_EQ(signature->CreateDatatype("interval", &context), nullptr);
    EXPECT_EQ(signature->CreateDatatypeInitInfo("Missing", &context), nullptr);
    EXPECT_EQ(signature->CreateDatatypeDomain("Interval", &context), nullptr);
    EXPECT_EQ(signature->CreateDatatypeLayout("Interval", &context), nullptr);
    EXPECT_EQ(signature->CreateDatatypeConverter("Interval", &context), nullptr);
    EXPECT_EQ(signature->CreateDevice("Interval", &context), nullptr);
    EXPECT_EQ(signature->CreateDeviceEnumerator("Interval", &context), nullptr);
    EXPECT_EQ(signature->CreateClock("Interval", &context), nullptr);
    EXPECT_EQ(signature->CreateSubpatch("Vector", &context), nullptr);
    EXPECT_EQ(signature->CreatePatchStorage("Interval", &context), nullptr);
    EXPECT_EQ(kernel.constructed, 0);
    EXPECT_EQ(kernel.destroyed, 0);
}

TEST_F(Catalog, TheIntervalClassCreatesItsDatatypeAndInitInfo) {
    Vtx::IDllSignature* signature = English();
    ASSERT_NE(signature, nullptr);
    CountingKernel kernel;
    // A context in a language without a signature is served by the English one.
    Vtx::OBJECT_CREATIONCTX context = kernel.Context(1040);
    Vtx::IDatatype* datatype = signature->CreateDatatype("Interval", &context);
    ASSERT_NE(datatype, nullptr);
    auto* interval = dynamic_cast<IInterval*>(datatype);
    ASSERT_NE(interval, nullptr);
    EXPECT_EQ(interval->GetLower(), 0.0);
    EXPECT_EQ(interval->GetUpper(), 1.0);
    datatype->AddRef();
    EXPECT_EQ(datatype->Release(), 0);
    Vtx::IDatatypeInitInfo* initInfo = signature->CreateDatatypeInitInfo("Interval", &context);
    ASSERT_NE(initInfo, nullptr);
    initInfo->AddRef();
    EXPECT_EQ(initInfo->Release(), 0);
    EXPECT_EQ(kernel.constructed, 2);
    EXPECT_EQ(module_->GetLanguageIds(), std::vector<std::uint16_t>{1033});
    // A bad context is the class's to refuse.
    Vtx::OBJECT_CREATIONCTX anonymous = kernel.Context(1033, 0);
    EXPECT_EQ(ErrorOf([&] { signature->CreateDatatype("Interval", &anonymous); }), "Null (zero) object identifier.\n");
}

TEST_F(Catalog, TheBlockClassesCreateTheirBlocks) {
    Vtx::IDllSignature* signature = English();
    ASSERT_NE(signature, nullptr);
    CountingKernel kernel;
    Vtx::OBJECT_CREATIONCTX context = kernel.Context(1033);
    for (const char* classId : {"LabelledSetIntervalGenerator", "Vector"}) {
        Vtx::IBlock* block = signature->CreateBlock(classId, &context);
        ASSERT_NE(block, nullptr) << classId;
        block->AddRef();
        EXPECT_EQ(block->Release(), 0) << classId;
    }
    EXPECT_EQ(kernel.constructed, 2);
}

TEST_F(Catalog, ClearDropsARegistrantsTextsUntilTheModuleIsLoadedAgain) {
    Vtx::IDllSignature* signature = English();
    ASSERT_NE(signature, nullptr);
    Vtx::ILibraryObjectClassInfo* vector = signature->GetBlockClasses()->GetItem(1);
    vector->Clear();
    EXPECT_EQ(ErrorOf([&] { vector->GetName(); }), "Language 1033 not found");
    EXPECT_EQ(ErrorOf([&] { vector->GetLibraryPath(); }), "Language 1033 not found");
    EXPECT_STREQ(vector->GetClassId(), "Vector");
    EXPECT_STREQ(signature->GetBlockClasses()->GetItem(0)->GetName(), "LabelledSetIntervalGenerator");

    signature->ClearClassInfos();
    EXPECT_EQ(signature->GetBlockClasses()->GetCount(), 2);
    EXPECT_EQ(signature->GetAuthors()->GetCount(), 1);
    EXPECT_EQ(ErrorOf([&] { signature->GetAuthors()->GetItem(0)->GetName(); }), "Language 1033 not found");

    // Nothing of it survives an unload.
    module_.reset();
    module_ = std::make_unique<CModuleLoader>(VTX_MODULE_PATH);
    EXPECT_STREQ(English()->GetBlockClasses()->GetItem(1)->GetName(), "Vector");
}

TEST_F(Catalog, TheModuleFileCarriesTheBitmapsAndTheManifest) {
    const auto resources = vtxhost::CModuleResources::ReadFromFile(VTX_MODULE_PATH);
    struct Expected {
        std::uint32_t id;
        std::int32_t size;
        std::uint16_t bits;
    };
    for (const Expected& expected : {Expected{101, 32, 24}, Expected{103, 30, 4}, Expected{104, 30, 4}}) {
        const vtxhost::CModuleResource* bitmap = resources.Find(platform::RT_BITMAP, expected.id, 1033);
        ASSERT_NE(bitmap, nullptr) << expected.id;
        EXPECT_EQ(bitmap->language, 1033);
        const auto info = platform::ReadDibInfo(bitmap->data.data(), bitmap->data.size());
        ASSERT_TRUE(info) << expected.id;
        EXPECT_EQ(info->width, expected.size);
        EXPECT_EQ(info->height, expected.size);
        EXPECT_EQ(info->bitsPerPixel, expected.bits);
        EXPECT_EQ(info->compression, platform::BI_RGB);
        EXPECT_EQ(bitmap->data.size(),
                  info->pixelOffset() + platform::DibRowSize(expected.size, expected.bits) * expected.size);
    }
    const vtxhost::CModuleResource* manifest = resources.Find(platform::RT_MANIFEST, 2, 1033);
    ASSERT_NE(manifest, nullptr);
    const std::string text(manifest->data.begin(), manifest->data.end());
    EXPECT_NE(text.find("<assembly xmlns='urn:schemas-microsoft-com:asm.v1'"), std::string::npos);
    EXPECT_EQ(resources.Find(platform::RT_BITMAP, 102, 1033), nullptr);
    EXPECT_EQ(resources.All().size(), 4u);
}

TEST_F(Catalog, ASecondLoadOfTheSameModuleIsRefusedAndLeavesTheFirstWorking) {
    EXPECT_EQ(ErrorOf([] { CModuleLoader(VTX_MODULE_PATH); }),
              std::string("module \"") + VTX_MODULE_PATH + "\" refused to attach");
    EXPECT_STREQ(English()->GetName(), "Brennick2010");
}

TEST(ModuleLoader, NamesTheFileAndWhatIsMissing) {
    EXPECT_EQ(ErrorOf([] { CModuleLoader("/nonexistent/libNothing.so"); })
                  .rfind("cannot load module \"/nonexistent/libNothing.so\": ", 0),
              0u);
    EXPECT_EQ(ErrorOf([] { CModuleLoader("libm.so.6"); }), "module \"libm.so.6\" does not export DllMain");
}

} // namespace
