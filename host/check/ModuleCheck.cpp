#include "host/check/ModuleCheck.h"

#include <dlfcn.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <regex>
#include <set>
#include <type_traits>
#include <vector>

#include "host/check/BlockCheck.h"
#include "host/check/CheckReport.h"
#include "host/check/CountingKernelServices.h"
#include "host/check/DatatypeCheck.h"
#include "host/modules/ModuleCatalog.h"
#include "host/modules/ModuleLoader.h"
#include "host/modules/ModuleResources.h"
#include "host/modules/ChildProcess.h"
#include "host/run/PrintableText.h"
#include "platform/Dib.h"
#include "platform/Resources.h"
#include "vtx/ClassInfo.h"
#include "vtx/DllSignature.h"
#include "vtx/Exception.h"
#include "vtx/Exports.h"

namespace vtxhost {

namespace {

constexpr const char* kHostSdkVersion = "5.1.0";
constexpr std::uint16_t kEnglish = 1033;
// Ids beyond this many records are not looked at: a broken count must not stall the check.
constexpr int kMaxRecords = 100000;
constexpr std::int32_t kMaxListCount = 100000;
// How long the trial load in a child process may take.
constexpr unsigned kTrialSeconds = 30;

std::string Quoted(const char* text) { return text ? "\"" + std::string(text) + "\"" : "null"; }

void Require(bool condition, const std::string& reason) {
    if (!condition) throw CheckFailure(reason);
}

// ---- records ---------------------------------------------------------------------------

// The credits every record names, to be matched with the credit records.
struct Credits {
    std::set<std::string> authors, companies, licences;
};

void RequireText(const char* text, const std::string& what) { Require(text != nullptr, "null " + what); }

// Texts a host shows and writes as JSON must be UTF-8.
void RequireUtf8(const char* text, const std::string& what) {
    Require(!text || IsUtf8(text), what + " " + QuotedText(text ? text : "") + " is not UTF-8 text");
}

void CheckTextList(Vtx::TEXT_LIST* list, const std::string& what, std::set<std::string>* names) {
    if (!list) return;
    const std::int32_t count = list->count;
    const bool sane = count >= 0 && count <= kMaxListCount && (count == 0 || list->texts);
    std::string problem;
    if (!sane) {
        problem = what + " list has count " + std::to_string(count) + (list->texts ? "" : " and no texts");
    } else {
        for (std::int32_t i = 0; i < count && problem.empty(); ++i) {
            if (!list->texts[i]) problem = what + " list entry " + std::to_string(i) + " is null";
            else if (names) names->insert(list->texts[i]);
        }
    }
    if (sane) Vtx::FreeTextList(list);  // a list with a broken count cannot be freed safely
    Require(problem.empty(), problem);
}

void CheckTripleList(Vtx::TEXT_TRIPLE_LIST* list, const std::string& what, bool ownFree,
                     Vtx::ICategoryClassInfo* category) {
    if (!list) return;
    const std::int32_t count = list->count;
    const bool sane = count >= 0 && count <= kMaxListCount && (count == 0 || list->triples);
    std::string problem = sane ? "" : what + " list has count " + std::to_string(count);
    if (sane)
        for (std::int32_t i = 0; i < count && problem.empty(); ++i)
            if (!list->triples[i].first || !list->triples[i].second || !list->triples[i].third)
                problem = what + " entry " + std::to_string(i) + " has a null text";
    if (sane) {
        if (ownFree) category->FreeCategoryEntries(list);
        else Vtx::FreeTextTripleList(list);
    }
    Require(problem.empty(), problem);
}

// Reads every text and list of the record, freeing the lists as a host does, and checks
// that the record's reference count comes back to where it was.
template <class Record>
void CheckRecord(Record* record, Credits& credits) {
    Require(record != nullptr, "the collection holds a null record");
    const std::int32_t before = record->AddRef();
    record->Release();
    const char* classId = record->GetClassId();
    RequireText(classId, "class id");
    Require(*classId, "empty class id");
    RequireUtf8(classId, "the class id");
    if constexpr (std::is_base_of_v<Vtx::IObjectClassInfo, Record>) {
        RequireText(record->GetName(), "name");
        RequireText(record->GetDescription(), "description");
        record->GetThirdText();
        record->GetFourthText();
    }
    if constexpr (std::is_base_of_v<Vtx::ICategoryClassInfo, Record>)
        CheckTripleList(record->GetCategoryEntries(), "category", true, record);
    if constexpr (std::is_base_of_v<Vtx::ISignedObjectClassInfo, Record>) {
        CheckTextList(record->GetAuthorIds(), "author", &credits.authors);
        if (const char* company = record->GetCompanyId()) credits.companies.insert(company);
        if (const char* licence = record->GetLicenceId()) credits.licences.insert(licence);
        CheckTripleList(record->GetTextTriples(), "category triple", false, nullptr);
    }
    if constexpr (std::is_base_of_v<Vtx::ILibraryObjectClassInfo, Record>) RequireText(record->GetLibraryPath(), "library path");
    if constexpr (std::is_base_of_v<Vtx::IDatatypeClassInfo, Record>) {
        record->HasInitInfo();
        if (Vtx::IObjectClassReferenceCollection* pairs = record->GetTextPairs())
            for (int i = 0; i < pairs->GetCount(); ++i) {
                Vtx::IObjectClassReference* pair = pairs->GetItem(i);
                Require(pair && pair->GetCatalogId() && pair->GetClassId(), "text pair " + std::to_string(i) + " has a null text");
            }
    }
    const std::int32_t after = record->AddRef();
    record->Release();
    Require(after == before, "its reference count moved from " + std::to_string(before - 1) + " to " +
                                 std::to_string(after - 1) + " while it was read");
}

template <class Record>
void CheckCollection(CCheckReport& report, const char* title, Vtx::IObjectClassCollection<Record>* collection,
                     Credits& credits, std::vector<std::string>* ids = nullptr) {
    // Empty collections, most of them in a typical catalog, are not worth a line.
    if (!collection || collection->GetCount() == 0) return;
    report.Run(std::string("records: ") + title, [&] {
        const int count = collection->GetCount();
        Require(count >= 0 && count <= kMaxRecords, "the collection has count " + std::to_string(count));
        std::set<std::string> seen;
        for (int i = 0; i < count; ++i) {
            Record* record = collection->GetItem(i);
            const char* id = record ? record->GetClassId() : nullptr;
            try {
                CheckRecord(record, credits);
            } catch (const CheckFailure& e) {
                throw CheckFailure("record " + std::to_string(i) + " (" + Quoted(id) + "): " + e.what());
            }
            Require(seen.insert(id).second, "class id " + Quoted(id) + " is listed twice");
            if (ids) ids->push_back(id);
        }
        return std::to_string(count) + " record" + (count == 1 ? "" : "s");
    });
}

// Class ids of a credit collection.
template <class Record>
std::set<std::string> IdsOf(Vtx::IObjectClassCollection<Record>* collection) {
    std::set<std::string> ids;
    if (!collection) return ids;
    for (int i = 0; i < collection->GetCount() && i < kMaxRecords; ++i)
        if (Record* record = collection->GetItem(i); record && record->GetClassId()) ids.insert(record->GetClassId());
    return ids;
}

void RequireCredited(const std::set<std::string>& named, const std::set<std::string>& listed, const char* kind) {
    for (const std::string& id : named)
        Require(listed.count(id) > 0, std::string("a class credits ") + kind + " \"" + id + "\", which no " + kind +
                                          " record describes");
}

// ---- bitmaps ---------------------------------------------------------------------------

template <class Record>
void CollectBitmaps(Vtx::IObjectClassCollection<Record>* collection, std::vector<std::pair<std::string, std::uint32_t>>& ids) {
    if constexpr (std::is_base_of_v<Vtx::IObjectClassInfo, Record>) {
        if (!collection) return;
        for (int i = 0; i < collection->GetCount() && i < kMaxRecords; ++i)
            if (Record* record = collection->GetItem(i); record && record->GetBitmapId())
                ids.emplace_back(record->GetClassId() ? record->GetClassId() : "", record->GetBitmapId());
    }
}

// ---- signature and languages -----------------------------------------------------------

using LanguageIdFunction = unsigned short (*)(int);

std::string CheckLanguages(CModuleLoader& module) {
    auto languageIdAt = reinterpret_cast<LanguageIdFunction>(dlsym(module.GetHandle(), "VtxUserDll_GetDllLanguageID"));
    const std::vector<std::uint16_t> languages = module.GetLanguageIds();
    Require(!languages.empty(), "no language is listed after a signature was asked for");
    const int count = static_cast<int>(languages.size());
    Require(languageIdAt(count) == 0 && languageIdAt(-1) == 0,
            "VtxUserDll_GetDllLanguageID answers a language for an index outside 0.." + std::to_string(count - 1));
    std::string listed;
    std::set<std::uint16_t> asked;
    for (std::uint16_t language : languages) {
        if (!asked.insert(language).second) continue;
        Vtx::IDllSignature* signature = module.GetSignature(language);
        Require(signature != nullptr, "no signature for listed language " + std::to_string(language));
        Require(signature->GetLanguageId() == language, "the signature for language " + std::to_string(language) +
                                                            " says it is for " + std::to_string(signature->GetLanguageId()));
        if (asked.size() <= 16) listed += (listed.empty() ? "" : ", ") + std::to_string(language);
    }
    if (asked.size() > 16) listed += " and " + std::to_string(asked.size() - 16) + " more";
    // A language the module does not list gets the English signature, or the first.
    std::uint16_t unlisted = 0;
    if (!FindUnlistedLanguage(languages, unlisted))
        return "languages " + listed + ": every id is listed, none is left to try the fallback with";
    Vtx::IDllSignature* fallback = module.GetSignature(unlisted);
    Require(fallback != nullptr, "no signature for unlisted language " + std::to_string(unlisted));
    const bool hasEnglish = std::find(languages.begin(), languages.end(), kEnglish) != languages.end();
    const std::uint16_t expected = hasEnglish ? kEnglish : languages.front();
    Require(fallback->GetLanguageId() == expected, "language " + std::to_string(unlisted) + " falls back to " +
                                                       std::to_string(fallback->GetLanguageId()) + " instead of " +
                                                       std::to_string(expected));
    return "languages " + listed + "; an unlisted language falls back to " + std::to_string(expected);
}

} // namespace

namespace {

void CheckLoadedModule(const std::string& path, CModuleLoader* module, CCheckReport& report) {
    report.Run("identity", [&] {
        const char* version = module->GetSdkVersion();
        Require(version && std::string(version) == kHostSdkVersion,
                "SDK version " + Quoted(version) + ", this host speaks " + kHostSdkVersion);
        const char* identifier = module->GetIdentifier();
        static const std::regex form("[A-Z][A-Z0-9]*_\\{[0-9A-Fa-f]{8}(-[0-9A-Fa-f]{4}){3}-[0-9A-Fa-f]{12}\\}");
        Require(identifier && std::regex_match(identifier, form),
                "identifier " + Quoted(identifier) + " is not CATALOGWORD_{GUID}");
        Require(!module->IsDebugBuild(), "the module says it is a debug build");
        return std::string("SDK ") + version + ", " + identifier;
    });

    Vtx::IDllSignature* signature = nullptr;
    if (!report.Run("signature", [&] {
            signature = module->GetSignature(kEnglish);
            Require(signature != nullptr, "VtxUserDll_GetDllSignature(1033) answers null");
            RequireText(signature->GetCatalogId(), "catalog id");
            Require(*signature->GetCatalogId(), "empty catalog id");
            RequireUtf8(signature->GetCatalogId(), "the catalog id");
            RequireText(signature->GetName(), "catalog name");
            RequireUtf8(signature->GetName(), "the catalog name");
            RequireText(signature->GetDescription(), "catalog description");
            RequireUtf8(signature->GetDescription(), "the catalog description");
            return std::string("catalog ") + signature->GetCatalogId();
        }))
        return;
    report.Run("languages", [&] { return CheckLanguages(*module); });
    signature = module->GetSignature(kEnglish);
    const std::string catalogId = signature->GetCatalogId();

    Credits credits;
    std::vector<std::string> blockIds, datatypeIds;
    CheckCollection(report, "block classes", signature->GetBlockClasses(), credits, &blockIds);
    CheckCollection(report, "subpatch classes", signature->GetSubpatchClasses(), credits);
    CheckCollection(report, "datatype classes", signature->GetDatatypeClasses(), credits, &datatypeIds);
    CheckCollection(report, "datatype domain classes", signature->GetDatatypeDomainClasses(), credits);
    CheckCollection(report, "datatype layout classes", signature->GetDatatypeLayoutClasses(), credits);
    CheckCollection(report, "datatype interface classes", signature->GetDatatypeInterfaceClasses(), credits);
    CheckCollection(report, "datatype converter classes", signature->GetDatatypeConverterClasses(), credits);
    CheckCollection(report, "device classes", signature->GetDeviceClasses(), credits);
    CheckCollection(report, "device enumerators", signature->GetDeviceEnumerators(), credits);
    CheckCollection(report, "clock classes", signature->GetClockClasses(), credits);
    CheckCollection(report, "companies", signature->GetCompanies(), credits);
    CheckCollection(report, "authors", signature->GetAuthors(), credits);
    CheckCollection(report, "licences", signature->GetLicences(), credits);
    CheckCollection(report, "categories", signature->GetCategories(), credits);
    CheckCollection(report, "patch storage classes", signature->GetPatchStorageClasses(), credits);
    report.Run("credits", [&] {
        RequireCredited(credits.authors, IdsOf(signature->GetAuthors()), "author");
        RequireCredited(credits.companies, IdsOf(signature->GetCompanies()), "company");
        RequireCredited(credits.licences, IdsOf(signature->GetLicences()), "licence");
        return "every credited author, company and licence is described";
    });

    report.Run("bitmaps", [&] {
        std::vector<std::pair<std::string, std::uint32_t>> ids;
        if (signature->GetBitmapId()) ids.emplace_back("the catalog", signature->GetBitmapId());
        CollectBitmaps(signature->GetBlockClasses(), ids);
        CollectBitmaps(signature->GetDatatypeClasses(), ids);
        CollectBitmaps(signature->GetSubpatchClasses(), ids);
        if (ids.empty()) return std::string("none named");
        const CModuleResources resources = CModuleResources::ReadFromFile(path);
        for (const auto& [owner, id] : ids) {
            const CModuleResource* resource = resources.Find(static_cast<std::uint32_t>(platform::RT_BITMAP), id, kEnglish);
            Require(resource != nullptr, owner + " names bitmap " + std::to_string(id) + ", which the module does not hold");
            Require(!platform::MakeBmpFile(resource->data.data(), resource->data.size()).empty(),
                    owner + " names bitmap " + std::to_string(id) + ", which cannot be read");
        }
        return std::to_string(ids.size()) + " bitmap" + (ids.size() == 1 ? "" : "s") + " readable";
    });

    {
        CCountingKernelServices kernel;
        try {
            kernel.AddCatalog(std::make_shared<CModuleCatalog>(signature));
        } catch (const std::exception& e) {
            report.Fail("catalog", e.what());
            return;
        }
        for (const std::string& id : datatypeIds) CheckDatatypeClass(kernel, catalogId, id, report);
        for (const std::string& id : blockIds) CheckBlockClass(kernel, catalogId, id, report);
        report.Run("objects released", [&] {
            const std::size_t counted = kernel.TrackedCount();
            std::vector<std::string> leaks = kernel.Settle();
            if (!leaks.empty()) {
                std::string list;
                for (const std::string& leak : leaks) list += (list.empty() ? "" : "; ") + leak;
                throw CheckFailure(std::to_string(leaks.size()) + " of " + std::to_string(counted) +
                                   " objects still held at the end: " + list);
            }
            return "all " + std::to_string(counted) + " objects the host counted were released";
        });
        kernel.RemoveCatalog(catalogId);
    }
}

} // namespace

bool FindUnlistedLanguage(const std::vector<std::uint16_t>& listed, std::uint16_t& unlisted) {
    std::vector<bool> taken(0x10000, false);
    for (std::uint16_t id : listed) taken[id] = true;
    for (long id = 0x7FFF; id >= 0; --id)
        if (!taken[static_cast<std::size_t>(id)]) return unlisted = static_cast<std::uint16_t>(id), true;
    for (long id = 0x8000; id <= 0xFFFF; ++id)
        if (!taken[static_cast<std::size_t>(id)]) return unlisted = static_cast<std::uint16_t>(id), true;
    return false;
}

void CheckModule(const std::string& path, CCheckReport& report) {
    // The kernel services made for the classes outlive the module's objects but not the
    // module: they are settled before it is unloaded.
    std::unique_ptr<CModuleLoader> module;
    if (!report.Run("exports", [&] {
            // A module may crash, hang, throw through the dynamic loader or play with the
            // process while it loads: it is loaded in a child process first, and only a
            // module that loads there and describes itself is loaded here.
            const unsigned seconds = LoadSeconds(kTrialSeconds);
            const ChildOutcome trial = RunInChild(
                [&] {
                    try {
                        CModuleLoader trialModule(path);
                        return std::string(trialModule.GetSignature(kEnglish) ? "loaded" : "no signature");
                    } catch (const std::exception& e) {
                        return std::string("failed: ") + e.what();
                    } catch (...) {
                        return std::string("failed: it threw an exception of a type the host does not know");
                    }
                },
                seconds);
            if (trial.late)
                throw CheckFailure("loading it in a child process did not finish within " + std::to_string(seconds) +
                                   " s");
            if (trial.answer.rfind("failed: ", 0) == 0) throw CheckFailure(trial.answer.substr(8));
            if (trial.answer.empty())
                throw CheckFailure("loading it in a child process ended it (" + DescribeFailure(trial) + ")");
            module = std::make_unique<CModuleLoader>(path);
            return std::string("the seven entry points and DllMain; the module attached");
        }))
        return;
    // Each check catches what the module throws; this is for a failure between checks.
    try {
        CheckLoadedModule(path, module.get(), report);
    } catch (Vtx::IException& e) {
        report.Fail("module", std::string("the module threw: ") + (e.GetMessageText() ? e.GetMessageText() : "(no text)"));
    } catch (const std::exception& e) {
        report.Fail("module", e.what());
    } catch (...) {
        report.Fail("module", "the module threw an exception of a type the host does not know");
    }
}

} // namespace vtxhost
