// The module's entry points: seven undecorated C functions and the library entry routine
// that a host calls right after loading and right before unloading the shared object.
#include <cstdint>
#include <type_traits>

#include "module/ModuleIdentity.h"
#include "module/ModuleState.h"
#include "module/SignatureList.h"
#include "vtx/Exception.h"
#include "vtx/Exports.h"

using namespace Vtx;

extern "C" {

// Declared from the types a host resolves them as: a definition below of another type does
// not build.
VTX_EXPORT std::remove_pointer_t<VtxGetSDKVersionFn> VtxUserDll_GetSDKVersion;
VTX_EXPORT std::remove_pointer_t<VtxGetDllIdentifierFn> VtxUserDll_GetDllIdentifier;
VTX_EXPORT std::remove_pointer_t<VtxIsDebugBuildFn> VtxUserDll_IsDebugBuild;
VTX_EXPORT std::remove_pointer_t<VtxGetDllSignatureFn> VtxUserDll_GetDllSignature;
VTX_EXPORT std::remove_pointer_t<VtxGetDllLanguageIDCountFn> VtxUserDll_GetDllLanguageIDCount;
VTX_EXPORT std::remove_pointer_t<VtxGetDllLanguageIDFn> VtxUserDll_GetDllLanguageID;
VTX_EXPORT std::remove_pointer_t<VtxSetThreadSpecificPtrFn> VtxUserDll_SetThreadSpecificPtr;
VTX_EXPORT std::remove_pointer_t<VtxDllMainFn> DllMain;

VTX_EXPORT const char* VtxUserDll_GetSDKVersion() { return kSdkVersion; }

VTX_EXPORT const char* VtxUserDll_GetDllIdentifier() { return GetModuleIdentifier(); }

VTX_EXPORT bool VtxUserDll_IsDebugBuild() { return false; }

VTX_EXPORT IDllSignature* VtxUserDll_GetDllSignature(unsigned short languageId) {
    // After detach the lists are gone; there is nothing left to describe.
    if (IsModuleShutDown()) return nullptr;
    try {
        BuildSignatures(languageId);
        return ChooseSignature(languageId);
    } catch (ILogicException& e) {
        // Logic failures (a catalog that cannot describe itself) become a null answer;
        // anything else is the host's to see.
        static_cast<void>(e.GetMessageText());
        return nullptr;
    }
}

VTX_EXPORT int VtxUserDll_GetDllLanguageIDCount() { return GetSignatureCount(); }

VTX_EXPORT unsigned short VtxUserDll_GetDllLanguageID(int index) { return GetSignatureLanguageId(index); }

VTX_EXPORT void VtxUserDll_SetThreadSpecificPtr(IThreadSpecificValue* value) { SetThreadSpecificValue(value); }

// Windows reason codes: 1 process attach, 0 process detach, 2 and 3 thread attach/detach.
VTX_EXPORT int DllMain(void* instance, unsigned long reason, void* reserved) {
    static_cast<void>(reserved);
    switch (reason) {
    case 1:
        return RegisterModule(instance, kModuleIdentifier) ? 1 : 0;
    case 0:
        ShutdownModule();
        return 1;
    default:
        return 1;
    }
}

} // extern "C"
