// Loads the built module as a host does: dlopen, the entry routine, the exports by name.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstring>
#include <string>

#include "module/ThreadSpecificValue.h"
#include "vtx/DllSignature.h"
#include "vtx/Exports.h"

namespace {

class LoadedModule : public ::testing::Test {
protected:
    void SetUp() override {
        handle_ = dlopen(VTX_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle_, nullptr) << dlerror();
        dllMain_ = Symbol<VtxDllMainFn>("DllMain");
        ASSERT_EQ(dllMain_(handle_, 1, nullptr), 1);
    }
    void TearDown() override {
        if (!handle_) return;
        EXPECT_EQ(dllMain_(handle_, 0, nullptr), 1);
        dlclose(handle_);
    }
    template <class F>
    F Symbol(const char* name) {
        void* symbol = dlsym(handle_, name);
        EXPECT_NE(symbol, nullptr) << name;
        return reinterpret_cast<F>(symbol);
    }

    void* handle_ = nullptr;
    VtxDllMainFn dllMain_ = nullptr;
};

TEST_F(LoadedModule, IdentifiesItself) {
    EXPECT_STREQ(Symbol<VtxGetSDKVersionFn>("VtxUserDll_GetSDKVersion")(), "5.1.0");
    EXPECT_STREQ(Symbol<VtxGetDllIdentifierFn>("VtxUserDll_GetDllIdentifier")(),
                 "BRENNICK2010_{6F0C3A52-9D41-4E7B-A8C2-3B5E07D91F64}");
    EXPECT_FALSE(Symbol<VtxIsDebugBuildFn>("VtxUserDll_IsDebugBuild")());
    // The entry routine ignores thread notifications.
    EXPECT_EQ(dllMain_(handle_, 2, nullptr), 1);
    EXPECT_EQ(dllMain_(handle_, 3, nullptr), 1);
}

// Attach fails while attached and after detach (the lists are gone for this load); detach
// lets go of a host's thread-specific value object.
TEST_F(LoadedModule, SecondAttachFailsAndDetachReleasesTheHoldersObject) {
    EXPECT_EQ(dllMain_(handle_, 1, nullptr), 0);
    auto* shared = new Vtx::CThreadSpecificValueImpl;
    shared->AddRef();
    Symbol<VtxSetThreadSpecificPtrFn>("VtxUserDll_SetThreadSpecificPtr")(shared);
    EXPECT_EQ(dllMain_(handle_, 0, nullptr), 1);
    EXPECT_EQ(shared->ReferenceCount(), 1);
    EXPECT_EQ(dllMain_(handle_, 1, nullptr), 0);
    EXPECT_EQ(Symbol<VtxGetDllSignatureFn>("VtxUserDll_GetDllSignature")(1033), nullptr);
    EXPECT_EQ(shared->Release(), 0);
}

TEST_F(LoadedModule, LanguageIdsAreZeroOutsideTheList) {
    auto count = Symbol<VtxGetDllLanguageIDCountFn>("VtxUserDll_GetDllLanguageIDCount");
    auto languageId = Symbol<VtxGetDllLanguageIDFn>("VtxUserDll_GetDllLanguageID");
    EXPECT_EQ(count(), 0);  // nothing is built before the first signature request
    EXPECT_EQ(languageId(-1), 0);
    EXPECT_EQ(languageId(count()), 0);
}

TEST_F(LoadedModule, AnEnglishRequestBuildsTheOneEnglishSignature) {
    auto signature = Symbol<VtxGetDllSignatureFn>("VtxUserDll_GetDllSignature");
    auto count = Symbol<VtxGetDllLanguageIDCountFn>("VtxUserDll_GetDllLanguageIDCount");
    auto languageId = Symbol<VtxGetDllLanguageIDFn>("VtxUserDll_GetDllLanguageID");
    Vtx::IDllSignature* english = signature(1033);
    ASSERT_NE(english, nullptr);
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(languageId(0), 1033);
    EXPECT_EQ(languageId(1), 0);
    // A language the catalog does not describe gets the English signature; nothing new is built.
    EXPECT_EQ(signature(1031), english);
    EXPECT_EQ(signature(0), english);
    EXPECT_EQ(count(), 1);
}

TEST_F(LoadedModule, SharedThreadValueGetsExactlyOneHolderReference) {
    auto install = Symbol<VtxSetThreadSpecificPtrFn>("VtxUserDll_SetThreadSpecificPtr");
    auto* shared = new Vtx::CThreadSpecificValueImpl;
    shared->AddRef();
    install(shared);
    install(shared);
    EXPECT_EQ(shared->ReferenceCount(), 2);
    install(nullptr);
    EXPECT_EQ(shared->ReferenceCount(), 1);
    EXPECT_EQ(shared->Release(), 0);
}

} // namespace
