#include "host/kernel/KernelServices.h"

#include "host/signature/BlockSignature.h"
#include "host/kernel/KernelCatalog.h"
#include "host/signature/Layouts.h"
#include "host/run/RunTimeContext.h"
#include <algorithm>
#include <cstring>
#include <thread>

#include "sdk/registration/BlockClassImpl.h"
#include "sdk/object/Exceptions.h"
#include "vtx/Datatype.h"

namespace vtxhost {

namespace {
std::string_view View(const char* text) { return text ? std::string_view(text) : std::string_view(); }
std::tuple<std::string_view, std::string_view> SettingKey(const char* section, const char* name) {
    return {View(section), View(name)};
}
bool IsAbortTimeout(std::string_view section, std::string_view name) {
    return section == "kernel" && name == "abort_timeout";
}
// Every object's construction asks for this one setting: it is recognised without
// measuring the texts first.
bool IsAbortTimeout(const char* section, const char* name) {
    return section && name && std::strcmp(section, "kernel") == 0 && std::strcmp(name, "abort_timeout") == 0;
}
// Whether the C text (null counting as empty) holds exactly the characters of the string.
// A string with a zero character inside equals no C text.
bool SameText(const std::string& known, bool knownIsCText, const char* text) {
    if (!text) return known.empty();
    return knownIsCText && std::strcmp(text, known.c_str()) == 0;
}
bool IsCText(const std::string& text) { return text.find('\0') == std::string::npos; }
// A lock of a few instructions for a section of a few dozen: the match of the identity
// created last.
class CSpinGuard {
public:
    explicit CSpinGuard(std::atomic_flag& flag) : flag_(flag) {
        while (flag_.test_and_set(std::memory_order_acquire)) std::this_thread::yield();
    }
    ~CSpinGuard() { flag_.clear(std::memory_order_release); }
    CSpinGuard(const CSpinGuard&) = delete;
    CSpinGuard& operator=(const CSpinGuard&) = delete;

private:
    std::atomic_flag& flag_;
};
} // namespace

CKernelServices::CKernelServices() : log_(new CDiagnosticLog) {
    log_->AddRef();
    int64Settings_[{"kernel", "abort_timeout"}] = 5000;
    int64Settings_[{"kernel", "trace_level"}] = 0;
    AddCatalog(std::make_shared<CKernelCatalog>());
}

CKernelServices::~CKernelServices() {
    for (IModuleObjectKeeper* keeper : keepers_) keeper->ForgetKernelServices();
    keepers_.clear();
    {
        CSpinGuard last(lastCreationLock_);
        lastCreation_ = nullptr;
    }
    creations_.clear();
    catalogs_.clear();
    for (auto& entry : blockClasses_) entry.second->Release();
    log_->Release();
}

std::int32_t CKernelServices::DestroyObject(Vtx::IObject* object) {
    if (object) object->DeleteInstance();
    return 0;
}

const CKernelServices::Creation* CKernelServices::ResolveLocked(ObjectKind kind, std::string_view catalogId,
                                                                std::string_view classId) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto found = creations_.find(std::make_tuple(static_cast<int>(kind), catalogId, classId));
    if (found == creations_.end()) {
        const std::string catalogText(catalogId), classText(classId);
        CCatalog* catalog = FindCatalog(catalogText);
        if (!catalog || !catalog->HasClass(kind, classText)) return nullptr;
        auto creation = std::make_unique<Creation>(Creation{kind, catalogText, classText,
                                                            IsCText(catalogText) && IsCText(classText), catalog,
                                                            ClassObject(kind, catalogText, classText)});
        found = creations_.emplace(CreationKey{static_cast<int>(kind), catalogText, classText}, std::move(creation))
                    .first;
    }
    const Creation* creation = found->second.get();
    CSpinGuard last(lastCreationLock_);
    lastCreation_ = creation;
    return creation;
}

void CKernelServices::FillContext(const Creation& creation, Vtx::OBJECT_CREATIONCTX& context) {
    context = Vtx::OBJECT_CREATIONCTX{};
    context.objectId = nextObjectId_.fetch_add(1, std::memory_order_relaxed);
    context.languageId = languageId_;
    context.objectClass = creation.objectClass;
    context.kernelServices = this;
}

const CKernelServices::Creation* CKernelServices::Resolve(ObjectKind kind, std::string_view catalogId,
                                                          std::string_view classId, Vtx::OBJECT_CREATIONCTX& context) {
    const Creation* creation;
    {
        CSpinGuard last(lastCreationLock_);
        creation = lastCreation_;
        if (creation && (creation->kind != kind || creation->classId != classId || creation->catalogId != catalogId))
            creation = nullptr;
    }
    if (!creation) creation = ResolveLocked(kind, catalogId, classId);
    if (creation) FillContext(*creation, context);
    return creation;
}

const CKernelServices::Creation* CKernelServices::Resolve(ObjectKind kind, const char* catalogId, const char* classId,
                                                          Vtx::OBJECT_CREATIONCTX& context) {
    const Creation* creation;
    {
        CSpinGuard last(lastCreationLock_);
        creation = lastCreation_;
        if (creation && (creation->kind != kind || !SameText(creation->classId, creation->cTexts, classId) ||
                         !SameText(creation->catalogId, creation->cTexts, catalogId)))
            creation = nullptr;
    }
    if (!creation) creation = ResolveLocked(kind, View(catalogId), View(classId));
    if (creation) FillContext(*creation, context);
    return creation;
}

Vtx::IObject* CKernelServices::CreateObject(ObjectKind kind, std::string_view catalogId, std::string_view classId) {
    Vtx::OBJECT_CREATIONCTX context;
    const Creation* creation = Resolve(kind, catalogId, classId, context);
    return creation ? creation->catalog->Create(kind, creation->classId, &context) : nullptr;
}

Vtx::IDatatype* CKernelServices::CreateDatatype(const char* catalogId, const char* classId) {
    Vtx::OBJECT_CREATIONCTX context;
    const Creation* creation = Resolve(ObjectKind::Datatype, catalogId, classId, context);
    return creation ? creation->catalog->CreateDatatype(creation->classId, &context) : nullptr;
}

Vtx::IDatatypeInitInfo* CKernelServices::CreateDatatypeInitInfo(const char* catalogId, const char* classId) {
    return dynamic_cast<Vtx::IDatatypeInitInfo*>(
        CreateObject(ObjectKind::DatatypeInitInfo, View(catalogId), View(classId)));
}

Vtx::IBlock* CKernelServices::CreateBlock(const std::string& catalogId, const std::string& classId) {
    Vtx::OBJECT_CREATIONCTX context;
    const Creation* creation = Resolve(ObjectKind::Block, std::string_view(catalogId), std::string_view(classId), context);
    return creation ? creation->catalog->CreateBlock(creation->classId, &context) : nullptr;
}

Vtx::IDatatypeDomain* CKernelServices::CreateDomain(const std::string& catalogId, const std::string& classId) {
    return dynamic_cast<Vtx::IDatatypeDomain*>(CreateObject(ObjectKind::Domain, catalogId, classId));
}

Vtx::IDatatypeLayout* CKernelServices::CreateLayout(const std::string& catalogId, const std::string& classId) {
    return dynamic_cast<Vtx::IDatatypeLayout*>(CreateObject(ObjectKind::Layout, catalogId, classId));
}

Vtx::IBlockSignature* CKernelServices::CreateBlockSignature(Vtx::IBlock* block) {
    return new CBlockSignatureImpl(this, block);
}

Vtx::IBlockLayout* CKernelServices::CreateBlockLayout(Vtx::IBlock*) { return new CBlockLayoutImpl(this); }

Vtx::IRunTimeContext* CKernelServices::CreateRunTimeContext(Vtx::IBlock*) { return new CRunTimeContext; }

const char* CKernelServices::GetBlockInstanceName(Vtx::IBlock* block) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto found = blockNames_.find(block);
    return found == blockNames_.end() ? "" : found->second.c_str();
}

void CKernelServices::SetBlockInstanceName(Vtx::IBlock* block, const std::string& name) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    blockNames_[block] = name;
}

void CKernelServices::ForgetBlock(Vtx::IBlock* block) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    blockNames_.erase(block);
}

bool CKernelServices::HasSetting(const char* section, const char* name) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    const auto key = SettingKey(section, name);
    return int64Settings_.count(key) || boolSettings_.count(key);
}

bool CKernelServices::GetBoolSetting(const char* section, const char* name) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    const auto key = SettingKey(section, name);
    if (auto found = boolSettings_.find(key); found != boolSettings_.end()) return found->second;
    if (auto found = int64Settings_.find(key); found != int64Settings_.end()) return found->second != 0;
    return false;
}

std::int64_t CKernelServices::GetInt64Setting(const char* section, const char* name) {
    if (IsAbortTimeout(section, name)) return abortTimeout_.load(std::memory_order_relaxed);
    return StoredInt64Setting(section, name);
}

std::int64_t CKernelServices::StoredInt64Setting(const char* section, const char* name) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    const auto key = SettingKey(section, name);
    if (auto found = int64Settings_.find(key); found != int64Settings_.end()) return found->second;
    if (auto found = boolSettings_.find(key); found != boolSettings_.end()) return found->second ? 1 : 0;
    return 0;
}

void CKernelServices::SetInt64Setting(const std::string& section, const std::string& name, std::int64_t value) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    boolSettings_.erase({section, name});
    int64Settings_[{section, name}] = value;
    if (IsAbortTimeout(section, name)) abortTimeout_.store(value, std::memory_order_relaxed);
}

void CKernelServices::SetBoolSetting(const std::string& section, const std::string& name, bool value) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    int64Settings_.erase({section, name});
    boolSettings_[{section, name}] = value;
    if (IsAbortTimeout(section, name)) abortTimeout_.store(value ? 1 : 0, std::memory_order_relaxed);
}

void CKernelServices::AddCatalog(std::shared_ptr<CCatalog> catalog) {
    if (!catalog) throw Vtx::CLogicExceptionImpl(Vtx::Messages::kCatalogFactoryInvalidCatalog);
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    const std::string id = catalog->GetCatalogId();
    if (catalogs_.count(id)) throw Vtx::CLogicExceptionImpl("The catalog \"%s\" is already loaded.\n", id.c_str());
    catalogs_[id] = std::move(catalog);
}

void CKernelServices::RemoveCatalog(const std::string& catalogId) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    // What a keeper lets go of may take another keeper with it: one that has unregistered
    // meanwhile is not told.
    const std::vector<IModuleObjectKeeper*> keepers = keepers_;
    for (IModuleObjectKeeper* keeper : keepers)
        if (std::find(keepers_.begin(), keepers_.end(), keeper) != keepers_.end()) keeper->ReleaseKeptOf(catalogId);
    for (auto it = creations_.begin(); it != creations_.end();) {
        if (std::get<1>(it->first) != catalogId) {
            ++it;
            continue;
        }
        {
            CSpinGuard last(lastCreationLock_);
            if (lastCreation_ == it->second.get()) lastCreation_ = nullptr;
        }
        it = creations_.erase(it);
    }
    catalogs_.erase(catalogId);
}

void CKernelServices::AddKeeper(IModuleObjectKeeper* keeper) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (std::find(keepers_.begin(), keepers_.end(), keeper) == keepers_.end()) keepers_.push_back(keeper);
}

void CKernelServices::RemoveKeeper(IModuleObjectKeeper* keeper) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    keepers_.erase(std::remove(keepers_.begin(), keepers_.end(), keeper), keepers_.end());
}

CCatalog* CKernelServices::FindCatalog(const std::string& catalogId) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto found = catalogs_.find(catalogId);
    return found == catalogs_.end() ? nullptr : found->second.get();
}

std::vector<std::string> CKernelServices::CatalogIds() {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    std::vector<std::string> ids;
    for (const auto& entry : catalogs_) ids.push_back(entry.first);
    return ids;
}

Vtx::IObjectClass* CKernelServices::ClassObject(ObjectKind kind, const std::string& catalogId,
                                                const std::string& classId) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    auto& catalogClass = catalogClasses_[catalogId];
    if (!catalogClass) catalogClass = std::make_unique<CHostObjectClass>(catalogId, nullptr);
    if (kind == ObjectKind::Datatype) {
        auto& datatypeClass = datatypeClasses_[{catalogId, classId}];
        if (!datatypeClass) datatypeClass = std::make_unique<CHostDatatypeClass>(classId, catalogClass.get());
        return datatypeClass.get();
    }
    if (kind == ObjectKind::Block) {
        auto& blockClass = blockClasses_[{catalogId, classId}];
        if (!blockClass) {
            blockClass = new Vtx::CBlockClassImpl(classId, catalogClass.get());
            blockClass->AddRef();
        }
        return blockClass;
    }
    auto& objectClass = objectClasses_[{static_cast<int>(kind), catalogId, classId}];
    if (!objectClass) objectClass = std::make_unique<CHostObjectClass>(classId, catalogClass.get());
    return objectClass.get();
}

Vtx::OBJECT_CREATIONCTX CKernelServices::MakeCreationContext(ObjectKind kind, const std::string& catalogId,
                                                             const std::string& classId) {
    Vtx::OBJECT_CREATIONCTX context{};
    context.objectId = nextObjectId_++;
    context.languageId = languageId_;
    context.objectClass = ClassObject(kind, catalogId, classId);
    context.kernelServices = this;
    return context;
}

} // namespace vtxhost
