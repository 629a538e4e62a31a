#pragma once
// The modules layer: finding and opening catalog modules. The file check before dlopen,
// the loader that calls a module's exports, the opener that adds a module's catalog to the
// kernel services, the module catalog that answers creation requests from the module's
// records, and the module's resources (texts and bitmaps). It includes the kernel layer and
// those below it; it talks to a module only through include/vtx and the exports.
//
// Loads a catalog module as the platform host does: the shared object, its seven entry
// points and its entry routine, the host's shared per-thread text object installed in it,
// and its module signatures on request. The module stays loaded while the object lives.
#include <cstdint>
#include <string>
#include <vector>

#include "vtx/DllSignature.h"
#include "vtx/Exports.h"
#include "vtx/ThreadSpecificValue.h"

namespace vtxhost {

// The one thread-specific value object of the host process, shared with every module the
// host loads, so that a computed text from any module lives in the same per-thread buffer.
Vtx::IThreadSpecificValue* HostThreadSpecificValue();

class CModuleLoader {
public:
    // Loads and attaches the module. std::runtime_error naming the file when it cannot be
    // loaded, lacks one of the entry points, or refuses to attach.
    explicit CModuleLoader(const std::string& path);
    CModuleLoader(const CModuleLoader&) = delete;
    CModuleLoader& operator=(const CModuleLoader&) = delete;
    // Detaches and unloads the module; every object obtained from it must be gone by then.
    ~CModuleLoader();

    const std::string& GetPath() const { return path_; }
    void* GetHandle() const { return handle_; }

    const char* GetSdkVersion() const { return getSdkVersion_(); }
    const char* GetIdentifier() const { return getDllIdentifier_(); }
    bool IsDebugBuild() const { return isDebugBuild_(); }
    // The module signature for the language (the module may answer with another language's),
    // or null when the module offers none.
    Vtx::IDllSignature* GetSignature(std::uint16_t languageId) const { return getDllSignature_(languageId); }
    // The languages of the signatures built so far.
    std::vector<std::uint16_t> GetLanguageIds() const;
    // Installs another per-thread text object in the module (null removes it).
    void SetThreadSpecificValue(Vtx::IThreadSpecificValue* value) const { setThreadSpecificPtr_(value); }

private:
    template <class F>
    F Resolve(const char* name);

    std::string path_;
    void* handle_ = nullptr;
    VtxDllMainFn dllMain_ = nullptr;
    VtxGetSDKVersionFn getSdkVersion_ = nullptr;
    VtxGetDllIdentifierFn getDllIdentifier_ = nullptr;
    VtxIsDebugBuildFn isDebugBuild_ = nullptr;
    VtxGetDllSignatureFn getDllSignature_ = nullptr;
    VtxGetDllLanguageIDCountFn getDllLanguageIdCount_ = nullptr;
    VtxGetDllLanguageIDFn getDllLanguageId_ = nullptr;
    VtxSetThreadSpecificPtrFn setThreadSpecificPtr_ = nullptr;
};

} // namespace vtxhost
