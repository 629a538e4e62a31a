#include "host/modules/ModuleLoader.h"

#include <dlfcn.h>

#include <stdexcept>

#include "host/modules/ModuleFileCheck.h"
#include "module/ThreadSpecificValue.h"

namespace vtxhost {

namespace {

constexpr unsigned long kProcessAttach = 1;
constexpr unsigned long kProcessDetach = 0;

} // namespace

Vtx::IThreadSpecificValue* HostThreadSpecificValue() {
    // Made on first use and kept for the life of the process: modules hold references on
    // it until they are unloaded.
    static Vtx::IThreadSpecificValue* value = [] {
        auto* created = new Vtx::CThreadSpecificValueImpl;
        created->AddRef();
        return created;
    }();
    return value;
}

template <class F>
F CModuleLoader::Resolve(const char* name) {
    dlerror();
    void* symbol = dlsym(handle_, name);
    if (!symbol) {
        dlclose(handle_);
        handle_ = nullptr;
        throw std::runtime_error("module \"" + path_ + "\" does not export " + name);
    }
    return reinterpret_cast<F>(symbol);
}

CModuleLoader::CModuleLoader(const std::string& path) : path_(path) {
    const std::string problem = ModuleFileProblem(path);
    if (!problem.empty()) throw std::runtime_error("cannot load module \"" + path + "\": " + problem);
    try {
        handle_ = dlopen(ModuleLoadPath(path).c_str(), RTLD_NOW | RTLD_LOCAL);
    } catch (...) {
        // Thrown by the module's static initialisation, through the dynamic loader, which
        // may still hold its lock for this thread: a module that does this is only safe to
        // look at in a process of its own (vtxhost check loads it in a child first).
        throw std::runtime_error("cannot load module \"" + path + "\": its static initialisation threw an exception");
    }
    if (!handle_) {
        const char* reason = dlerror();
        throw std::runtime_error("cannot load module \"" + path + "\": " + (reason ? reason : "unknown error"));
    }
    dllMain_ = Resolve<VtxDllMainFn>("DllMain");
    getSdkVersion_ = Resolve<VtxGetSDKVersionFn>("VtxUserDll_GetSDKVersion");
    getDllIdentifier_ = Resolve<VtxGetDllIdentifierFn>("VtxUserDll_GetDllIdentifier");
    isDebugBuild_ = Resolve<VtxIsDebugBuildFn>("VtxUserDll_IsDebugBuild");
    getDllSignature_ = Resolve<VtxGetDllSignatureFn>("VtxUserDll_GetDllSignature");
    getDllLanguageIdCount_ = Resolve<VtxGetDllLanguageIDCountFn>("VtxUserDll_GetDllLanguageIDCount");
    getDllLanguageId_ = Resolve<VtxGetDllLanguageIDFn>("VtxUserDll_GetDllLanguageID");
    setThreadSpecificPtr_ = Resolve<VtxSetThreadSpecificPtrFn>("VtxUserDll_SetThreadSpecificPtr");
    bool attached = false;
    try {
        attached = dllMain_(handle_, kProcessAttach, nullptr);
    } catch (...) {
        throw std::runtime_error("module \"" + path + "\" threw an exception while it attached");
    }
    if (!attached) {
        dlclose(handle_);
        handle_ = nullptr;
        // A module attaches once per process: a second load of the same file reaches the
        // same, already attached module.
        throw std::runtime_error("module \"" + path + "\" refused to attach (is it loaded already?)");
    }
    setThreadSpecificPtr_(HostThreadSpecificValue());
}

CModuleLoader::~CModuleLoader() {
    if (!handle_) return;
    dllMain_(handle_, kProcessDetach, nullptr);
    dlclose(handle_);
}

std::vector<std::uint16_t> CModuleLoader::GetLanguageIds() const {
    std::vector<std::uint16_t> ids;
    const int count = getDllLanguageIdCount_();
    // There are 65 536 language ids; a module claiming more lists some twice or lies.
    if (count < 0 || count > 0x10000)
        throw std::runtime_error("VtxUserDll_GetDllLanguageIDCount answers " + std::to_string(count) +
                                 ", outside 0 to 65536");
    ids.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) ids.push_back(getDllLanguageId_(i));
    return ids;
}

} // namespace vtxhost
