#pragma once
// The kernel layer: the kernel services every module is handed, the catalogs they create
// objects from, the kernel clock and settings, and the host's own "kernel" catalog (its
// datatypes, domains, layouts and the sequence_source and sink blocks). It includes the
// signature and run layers below it, never the module loader, the patch or the validator.
//
// The host's kernel services: object creation by class identity across every catalog,
// block signatures, layouts and run-time contexts, the message dispatcher, the diagnostic
// log, the kernel clock, block instance names and the kernel settings.
//
// Settings: ("kernel", "abort_timeout") is always present (default 5000); others may be
// added with SetInt64Setting / SetBoolSetting. A missing setting reads as 0 / false.
// ("kernel", "trace_level") is the trace level new block signatures start with (default 0).
#include <atomic>
#include <functional>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "host/kernel/Catalog.h"
#include "host/run/DiagnosticLog.h"
#include "host/kernel/HostObjectClass.h"
#include "host/kernel/KernelClock.h"
#include "host/run/MessageDispatcher.h"
#include "host/signature/SignatureServices.h"
#include "host/kernel/ModuleObjectKeeper.h"
#include "vtx/Block.h"
#include "vtx/BlockClass.h"
#include "vtx/Domain.h"
#include "vtx/KernelServices.h"
#include "vtx/Layout.h"

namespace vtxhost {

class CKernelServices : public Vtx::IKernelServices, public Vtx::IKernelSettings, public ISignatureServices {
public:
    // The "kernel" catalog is always there.
    CKernelServices();
    ~CKernelServices() override;
    CKernelServices(const CKernelServices&) = delete;
    CKernelServices& operator=(const CKernelServices&) = delete;

    // Deletes the object at once and answers 0.
    std::int32_t DestroyObject(Vtx::IObject* object) override;
    Vtx::IDatatype* CreateDatatype(const char* catalogId, const char* classId) override;
    Vtx::IDatatypeInitInfo* CreateDatatypeInitInfo(const char* catalogId, const char* classId) override;
    Vtx::IBlockSignature* CreateBlockSignature(Vtx::IBlock* block) override;
    Vtx::IBlockLayout* CreateBlockLayout(Vtx::IBlock* block) override;
    Vtx::IRunTimeContext* CreateRunTimeContext(Vtx::IBlock* block) override;
    Vtx::IMessageDispatcher* GetMessageDispatcher() override { return &dispatcher_; }
    Vtx::IDiagnosticLog* GetDiagnosticLog() override { return log_; }
    const char* GetBlockInstanceName(Vtx::IBlock* block) override;
    Vtx::IKernelClock* GetKernelClock() override { return &clock_; }

    bool HasSetting(const char* section, const char* name) override;
    bool GetBoolSetting(const char* section, const char* name) override;
    std::int64_t GetInt64Setting(const char* section, const char* name) override;

    void SetInt64Setting(const std::string& section, const std::string& name, std::int64_t value);
    void SetBoolSetting(const std::string& section, const std::string& name, bool value);

    // Catalogs. A catalog whose id is already known is refused with a logic exception.
    void AddCatalog(std::shared_ptr<CCatalog> catalog);
    void RemoveCatalog(const std::string& catalogId);
    CCatalog* FindCatalog(const std::string& catalogId);
    // Keepers of module objects, told of every catalog removed (before it goes) until they
    // unregister; a keeper registered twice is told once.
    void AddKeeper(IModuleObjectKeeper* keeper);
    void RemoveKeeper(IModuleObjectKeeper* keeper);
    std::vector<std::string> CatalogIds();

    // Creation of the other kinds by class identity; null when the class is unknown.
    Vtx::IBlock* CreateBlock(const std::string& catalogId, const std::string& classId);
    Vtx::IDatatypeDomain* CreateDomain(const std::string& catalogId, const std::string& classId) override;
    Vtx::IDatatypeLayout* CreateLayout(const std::string& catalogId, const std::string& classId) override;
    Vtx::IObject* CreateObject(ObjectKind kind, std::string_view catalogId, std::string_view classId);

    // A creation context with a fresh object id, for objects the host makes itself (tests
    // construct their own blocks with it). The class object is the host's for the identity.
    Vtx::OBJECT_CREATIONCTX MakeCreationContext(ObjectKind kind, const std::string& catalogId,
                                                const std::string& classId);

    void SetBlockInstanceName(Vtx::IBlock* block, const std::string& name);
    void ForgetBlock(Vtx::IBlock* block);

    CMessageDispatcher& Dispatcher() { return dispatcher_; }
    CDiagnosticLog& Log() { return *log_; }
    CKernelClock& Clock() { return clock_; }
    std::uint16_t GetLanguageId() const { return languageId_; }

private:
    Vtx::IObjectClass* ClassObject(ObjectKind kind, const std::string& catalogId, const std::string& classId);

    // What creating an object of a class identity needs, found once per identity: its
    // catalog (which has the class) and the host's class object. Identities a catalog does
    // not have are not kept (a catalog may add classes); the entries of a removed catalog
    // go. An entry is never changed once made.
    struct Creation {
        ObjectKind kind;
        std::string catalogId;
        std::string classId;
        bool cTexts;  // neither id holds a zero character
        CCatalog* catalog;
        Vtx::IObjectClass* objectClass;
    };
    // The creation entry of a class identity, or null when no catalog has the class; the
    // context gets a fresh object id and the class object.
    const Creation* Resolve(ObjectKind kind, std::string_view catalogId, std::string_view classId,
                            Vtx::OBJECT_CREATIONCTX& context);
    // Resolve for the C texts of the creation calls: the entry resolved last is matched
    // against them without the kernel's lock, the map, or measuring the texts first.
    const Creation* Resolve(ObjectKind kind, const char* catalogId, const char* classId,
                            Vtx::OBJECT_CREATIONCTX& context);
    const Creation* ResolveLocked(ObjectKind kind, std::string_view catalogId, std::string_view classId);
    void FillContext(const Creation& creation, Vtx::OBJECT_CREATIONCTX& context);
    using CreationKey = std::tuple<int, std::string, std::string>;
    std::map<CreationKey, std::unique_ptr<Creation>, std::less<>> creations_;
    // The entry resolved last: objects of one class are mostly created one after another,
    // and a match skips the kernel's lock and the search of the map. It is read, matched
    // and changed only under its own short lock, which the removal of a catalog takes too
    // before its entries go, so a match never reads an entry being freed.
    const Creation* lastCreation_ = nullptr;
    std::atomic_flag lastCreationLock_ = ATOMIC_FLAG_INIT;

    std::recursive_mutex mutex_;
    // Keyed by (section, name); looked up by views of the caller's texts.
    std::map<std::tuple<std::string, std::string>, std::int64_t, std::less<>> int64Settings_;
    std::map<std::tuple<std::string, std::string>, bool, std::less<>> boolSettings_;
    // ("kernel", "abort_timeout") as the maps hold it, kept up to date by the setters: every
    // new object reads it, and it is answered without the lock or a search.
    std::atomic<std::int64_t> abortTimeout_{5000};
    // Any other setting, looked up in the maps under the lock (kept out of line, so that
    // the abort timeout's answer stays a few instructions).
    [[gnu::noinline]] std::int64_t StoredInt64Setting(const char* section, const char* name);
    std::map<std::string, std::shared_ptr<CCatalog>> catalogs_;
    std::map<std::string, std::unique_ptr<CHostObjectClass>> catalogClasses_;
    std::map<std::tuple<int, std::string, std::string>, std::unique_ptr<CHostObjectClass>> objectClasses_;
    std::map<std::tuple<std::string, std::string>, std::unique_ptr<CHostDatatypeClass>> datatypeClasses_;
    std::map<std::tuple<std::string, std::string>, Vtx::IBlockClass*> blockClasses_;  // one reference each
    std::map<Vtx::IBlock*, std::string> blockNames_;
    std::vector<IModuleObjectKeeper*> keepers_;
    std::atomic<std::uint64_t> nextObjectId_{1};
    std::uint16_t languageId_ = 1033;
    CMessageDispatcher dispatcher_;
    CDiagnosticLog* log_;  // one reference
    CKernelClock clock_;
};

} // namespace vtxhost
