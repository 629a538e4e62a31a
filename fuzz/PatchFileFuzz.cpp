// Feeds arbitrary bytes to the patch-file loader, and to the text forms of the kernel's
// structured datatypes. The catalog's own module is known to the kernel (built in, as its
// objects are linked into the target), so that patches reach its blocks and their
// parameters too. A patch that loads is run for a few rounds. A refused patch must be
// refused with a PatchError naming a line; nothing may crash, leak or throw anything else.
// Allocations are held to a memory budget, as in vtxhost, so that a block asking for a
// billion entries fails as a block, not the fuzzer.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <memory>

#include "host/kernel/KernelServices.h"
#include "host/run/MemoryBudget.h"
#include "host/modules/ModuleCatalog.h"
#include "host/patch/PatchFile.h"
#include "module/SignatureList.h"
#include "vtx/Datatype.h"

namespace {

void Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "check failed: %s\n", what);
        std::abort();
    }
}

// A text that loads must serialise to a text that loads to an equal value.
void RoundTrip(vtxhost::CKernelServices& kernel, const char* classId, const std::string& text) {
    Vtx::IDatatype* value = kernel.CreateDatatype("kernel", classId);
    Vtx::IDatatype* again = kernel.CreateDatatype("kernel", classId);
    value->AddRef();
    again->AddRef();
    if (value->UnserializeString(text.c_str())) {
        Vtx::ProducedText form(value);
        Check(form && again->UnserializeString(form.get()), "a produced text loads");
        Check(again->IsEqual(value), "a produced text loads to an equal value");
    }
    again->Release();
    value->Release();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    vtxhost::memory_budget::SetLimit(std::size_t{256} << 20);
    Vtx::BuildSignatures(1033);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    vtxhost::CKernelServices kernel;
    kernel.AddCatalog(std::make_shared<vtxhost::CModuleCatalog>(Vtx::ChooseSignature(1033)));
    try {
        vtxhost::LoadedPatch loaded = vtxhost::LoadPatchText(kernel, text, "f.json", ".", {});
        try {
            loaded.patch->Start();
            loaded.patch->Run(3);
            loaded.patch->Stop();
        } catch (const vtxhost::PatchError&) {
            // A patch may fail to start (a block refusing to initialise, say).
        }
    } catch (const vtxhost::PatchError& e) {
        Check(std::string(e.what()).rfind("f.json:", 0) == 0, "a refusal names the file and line");
    }
    if (text.find('\0') == std::string::npos) {
        for (const char* classId : {"labeled_set", "generic_datatype", "string_pair", "double", "int"})
            RoundTrip(kernel, classId, text);
    }
    return 0;
}
