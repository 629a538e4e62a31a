// The catalog as a host sees it: the built module loaded through the host's module loader,
// its signature and records read, objects created through the signature.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/modules/ModuleLoader.h"
#include "host/modules/ModuleResources.h"
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
    EXPECT_STREQ(italian->GetDescription(), "A catalog containing objects developed during Brennick 2010");
    // No English signature exists, so every other language gets the first one.
    EXPECT_EQ(module_->GetSignature(1033), italian);
    EXPECT_EQ(module_->GetSignature(3082), italian);
    EXPECT_EQ(module_->GetLanguageIds(), std::vector<std::uint16_t>{1040});
}

TEST_F(Catalog, RecordsComeInDeclarationOrderWithFreshCreditLists) {
    Vtx::IDllSignature* signature = English();
    ASSERT_NE(signature, nullptr);
    auto* blocks = signature->GetBlockClasses();
    ASSERT_EQ(blocks->GetCount(), 2);
    EXPECT_STREQ(blocks->GetItem(0)->GetClassId(), "LabelledSetIntervalGenerator");
    EXPECT_EQ(blocks->GetItemByClassId("Vector"), blocks->GetItem(1));
    Vtx::IDatatypeClassInfo* interval = signature->GetDatatypeClasses()->GetItem(0);
    for (Vtx::ISignedObjectClassInfo* record : {static_cast<Vtx::ISignedObjectClassInfo*>(blocks->GetItem(1)),
                                                static_cast<Vtx::ISignedObjectClassInfo*>(interval)}) {
        EXPECT_EQ(TextsOf(record->GetAuthorIds()), std::vector<std::string>{"Brennick2010_author"});
        EXPECT_STREQ(record->GetLicenceId(), "Brennick2010_license");
    }
    EXPECT_TRUE(signature->HasDatatypeInitInfo("Interval"));
    EXPECT_FALSE(signature->HasDatatypeInitInfo("Vector"));
    // Each text is copied before the next one replaces it in the thread's buffer.
    Vtx::IObjectClassInfo* author = signature->GetAuthors()->GetItem(0);
    std::string texts = author->GetClassId();
    texts += std::string("|") + author->GetName();
    texts += std::string("|") + author->GetDescription();
    EXPECT_EQ(texts, "Brennick2010_author|Kestle|Orrel");
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

TEST_F(Catalog, TheCatalogsClassesCreateTheirObjects) {
    Vtx::IDllSignature* signature = English();
    ASSERT_NE(signature, nullptr);
    CountingKernel kernel;
    // A context in a language without a signature is served by the English one.
    Vtx::OBJECT_CREATIONCTX context = kernel.Context(1040);
    Vtx::IDatatype* datatype = signature->CreateDatatype("Interval", &context);
    auto* interval = dynamic_cast<IInterval*>(datatype);
    ASSERT_NE(interval, nullptr);
    EXPECT_EQ(interval->GetUpper(), 1.0);
    Vtx::IDatatypeInitInfo* initInfo = signature->CreateDatatypeInitInfo("Interval", &context);
    EXPECT_NE(dynamic_cast<IIntervalInitInfo*>(initInfo), nullptr);
    std::vector<ulx::I_ReferenceCountedClass*> made = {datatype, initInfo};
    for (const char* classId : {"LabelledSetIntervalGenerator", "Vector"}) {
        made.push_back(signature->CreateBlock(classId, &context));
        EXPECT_NE(made.back(), nullptr) << classId;
    }
    EXPECT_EQ(kernel.constructed, 4);
    for (ulx::I_ReferenceCountedClass* object : made) {
        if (!object) continue;
        object->AddRef();
        EXPECT_EQ(object->Release(), 0);
    }
    EXPECT_EQ(module_->GetLanguageIds(), std::vector<std::uint16_t>{1033});
    // A bad context is the class's to refuse.
    Vtx::OBJECT_CREATIONCTX anonymous = kernel.Context(1033, 0);
    EXPECT_EQ(ErrorOf([&] { signature->CreateDatatype("Interval", &anonymous); }), "Null (zero) object identifier.\n");
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

// The bitmaps' forms are checked through vtxhost inspect --bitmaps.
TEST_F(Catalog, TheModuleFileCarriesItsThreeBitmapsAndTheManifest) {
    const auto resources = vtxhost::CModuleResources::ReadFromFile(VTX_MODULE_PATH);
    for (std::uint32_t id : {101u, 103u, 104u}) EXPECT_NE(resources.Find(platform::RT_BITMAP, id, 1033), nullptr) << id;
    const vtxhost::CModuleResource* manifest = resources.Find(platform::RT_MANIFEST, 2, 1033);
    ASSERT_NE(manifest, nullptr);
    const std::string text(manifest->data.begin(), manifest->data.end());
    EXPECT_NE(text.find("<assembly xmlns='urn:schemas-microsoft-com:asm.v1'"), std::string::npos);
    EXPECT_EQ(resources.All().size(), 4u);
}

TEST_F(Catalog, ASecondLoadOfTheSameModuleIsRefusedAndLeavesTheFirstWorking) {
    EXPECT_EQ(ErrorOf([] { CModuleLoader(VTX_MODULE_PATH); }),
              std::string("module \"") + VTX_MODULE_PATH + "\" refused to attach (is it loaded already?)");
    EXPECT_STREQ(English()->GetName(), "Brennick2010");
}

TEST(ModuleLoader, NamesTheFileAndWhatIsMissing) {
    EXPECT_EQ(ErrorOf([] { CModuleLoader("/nonexistent/libNothing.so"); })
                  .rfind("cannot load module \"/nonexistent/libNothing.so\": ", 0),
              0u);
    // A bare name is a file in the current folder, never a library from the system's search.
    EXPECT_EQ(ErrorOf([] { CModuleLoader("libm.so.6"); }),
              "cannot load module \"libm.so.6\": it cannot be opened: No such file or directory");
}

} // namespace
