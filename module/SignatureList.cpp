#include "module/SignatureList.h"

#include <atomic>
#include <vector>

#include "sdk/object/Exceptions.h"
#include "sdk/registration/RegistrantClassInfo.h"
#include "sdk/registration/Registrants.h"
#include "sdk/registration/RegistrationLists.h"

namespace Vtx {

namespace {

constexpr std::uint16_t kEnglish = 0x0409;

bool built = false;
// The signature BuildAndChooseSignature chose last for its own language; null until then
// and once the signatures are deleted.
std::atomic<CDllSignatureImpl*> lastChosen{nullptr};
// Set when the one build threw: what it left is half a catalog, which no request gets.
bool buildFailed = false;

// One record of the kind for each registrant of the list, added to the collection.
template <class Record, class Collection>
void AddRecords(Collection* collection, std::uint16_t languageId) {
    using Registrant = typename Record::registrant_type;
    for (Registrant* registrant : registration_list<Registrant>::snapshot()) {
        auto* record = new Record(registrant, languageId);
        try {
            collection->Add(record);
        } catch (...) {
            delete record;
            throw;
        }
    }
}

// The catalog registrant's identity and properties become the signature's own.
void DescribeCatalog(CDllSignatureImpl& signature, const catalog_class_registrant& catalog,
                     std::uint16_t languageId) {
    const auto& entry = catalog.get_language(languageId);
    CDllSignatureImpl::SetCatalogId(catalog.class_id());
    signature.SetBitmapId(entry.bitmap());
    signature.SetLanguageId(languageId);
    signature.SetName(entry.name());
    signature.SetDescription(entry.description());
    HandOverProperties(catalog, signature);
}

// Every signature of the list was made by NewModuleSignature below.
CDllSignatureImpl* Own(IDllSignature* signature) { return static_cast<CDllSignatureImpl*>(signature); }

} // namespace

IDllSignature* NewModuleSignature(std::uint16_t languageId) {
    auto* signature = new CDllSignatureImpl;
    signature->SetLanguageId(languageId);
    return signature;
}

std::int32_t GetSignatureCount() { return ModuleSignatures::Count(); }

std::uint16_t GetSignatureLanguageId(std::int32_t index) { return ModuleSignatures::LanguageIdAt(index); }

CDllSignatureImpl* FindSignature(std::uint16_t languageId) { return Own(ModuleSignatures::Find(languageId)); }

CDllSignatureImpl* FirstSignature() { return Own(ModuleSignatures::First()); }

CDllSignatureImpl* ChooseSignature(std::uint16_t languageId) {
    if (buildFailed) return nullptr;
    if (CDllSignatureImpl* signature = FindSignature(languageId)) return signature;
    if (languageId != kEnglish)
        if (CDllSignatureImpl* signature = FindSignature(kEnglish)) return signature;
    return FirstSignature();
}

CDllSignatureImpl* BuildAndChooseSignature(std::uint16_t languageId) {
    CDllSignatureImpl* last = lastChosen.load(std::memory_order_acquire);
    if (last && last->GetLanguageId() == languageId) return last;
    BuildSignatures(languageId);
    CDllSignatureImpl* chosen = ChooseSignature(languageId);
    if (chosen && chosen->GetLanguageId() == languageId) lastChosen.store(chosen, std::memory_order_release);
    return chosen;
}

CDllSignatureImpl* GetOrCreateSignature(std::uint16_t languageId) {
    return Own(ModuleSignatures::FindOrCreate(languageId));
}

void BuildSignatures(std::uint16_t languageId) {
    if (built) return;
    // Set before any work: a build that fails part-way is not retried.
    built = true;
    struct FailureMark {
        bool done = false;
        ~FailureMark() {
            if (!done) buildFailed = true;
        }
    } mark;
    TranslateStdExceptions([&] {
        for (catalog_class_registrant* catalog : registration_list<catalog_class_registrant>::snapshot())
            DescribeCatalog(*GetOrCreateSignature(languageId), *catalog, languageId);

        CDllSignatureImpl& signature = *GetOrCreateSignature(languageId);
        AddRecords<block_class_info_impl>(signature.GetBlockClasses(), languageId);
        AddRecords<datatype_class_info_impl>(signature.GetDatatypeClasses(), languageId);
        AddRecords<datatype_converter_class_info_impl>(signature.GetDatatypeConverterClasses(), languageId);
        AddRecords<datatype_interface_class_info_impl>(signature.GetDatatypeInterfaceClasses(), languageId);
        AddRecords<patch_storage_class_info_impl>(signature.GetPatchStorageClasses(), languageId);
        AddRecords<author_info_impl>(signature.GetAuthors(), languageId);
        AddRecords<company_info_impl>(signature.GetCompanies(), languageId);
        AddRecords<licence_info_impl>(signature.GetLicences(), languageId);
        AddRecords<category_info_impl>(signature.GetCategories(), languageId);
    });
    mark.done = true;
}

void DeleteSignatures() {
    lastChosen.store(nullptr, std::memory_order_release);
    for (IDllSignature* signature : ModuleSignatures::TakeAll()) delete Own(signature);
    CDllSignatureImpl::ForgetCatalogId();
}

void ResetSignatureBuild() {
    DeleteSignatures();
    built = false;
    buildFailed = false;
}

} // namespace Vtx
