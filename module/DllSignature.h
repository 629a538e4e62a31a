#pragma once
// CDllSignatureImpl: the module signature of one language. The module owns every
// signature (the signature list holds the one reference each is made with); its fifteen
// collections hold the class-information records.
#include <cstdint>
#include <string>

#include "sdk/block/PropertyContainerImpl.h"
#include "sdk/object/CollectionInstances.h"
#include "sdk/object/ReferenceCounting.h"
#include "vtx/CatalogObjects.h"
#include "vtx/ClassInfo.h"
#include "vtx/DllSignature.h"

namespace Vtx {

class catalog_class_registrant;

class CDllSignatureImpl
    : public ulx::default_destroy<
          ulx::default_delete<ulx::reference_counted_class_impl<CPropertyContainerImpl<IDllSignature>>>> {
public:
    // Language 1033, empty texts, bitmap 0, fifteen empty collections, count 1.
    CDllSignatureImpl();
    CDllSignatureImpl(const CDllSignatureImpl&) = delete;
    CDllSignatureImpl& operator=(const CDllSignatureImpl&) = delete;
    // Releases the collections in reverse order, and so the records.
    ~CDllSignatureImpl() override;

    void ClearClassInfos() override;
    const char* GetCatalogId() override;
    std::uint16_t GetLanguageId() override { return languageId_; }
    const char* GetName() override { return name_.c_str(); }
    const char* GetDescription() override { return description_.c_str(); }
    std::uint32_t GetBitmapId() override { return bitmapId_; }

    ILibraryObjectClassInfoCollection* GetBlockClasses() override { return blockClasses_; }
    ILibraryObjectClassInfoCollection* GetSubpatchClasses() override { return subpatchClasses_; }
    IDatatypeClassInfoCollection* GetDatatypeClasses() override { return datatypeClasses_; }
    ISignedObjectClassInfoCollection* GetDatatypeDomainClasses() override { return datatypeDomainClasses_; }
    ISignedObjectClassInfoCollection* GetDatatypeLayoutClasses() override { return datatypeLayoutClasses_; }
    ISignedObjectClassInfoCollection* GetDatatypeInterfaceClasses() override { return datatypeInterfaceClasses_; }
    IDatatypeConverterClassInfoCollection* GetDatatypeConverterClasses() override {
        return datatypeConverterClasses_;
    }
    ISignedObjectClassInfoCollection* GetDeviceClasses() override { return deviceClasses_; }
    IDeviceEnumeratorInfoCollection* GetDeviceEnumerators() override { return deviceEnumerators_; }
    ISignedObjectClassInfoCollection* GetClockClasses() override { return clockClasses_; }
    IObjectClassInfoCollection* GetCompanies() override { return companies_; }
    IObjectClassInfoCollection* GetAuthors() override { return authors_; }
    IObjectClassInfoCollection* GetLicences() override { return licences_; }
    ICategoryClassInfoCollection* GetCategories() override { return categories_; }
    IPatchStorageClassInfoCollection* GetPatchStorageClasses() override { return patchStorageClasses_; }

    IBlock* CreateBlock(const char* classId, const OBJECT_CREATIONCTX* context) override;
    IDatatype* CreateDatatype(const char* classId, const OBJECT_CREATIONCTX* context) override;
    bool HasDatatypeInitInfo(const char* classId) override;
    IDatatypeInitInfo* CreateDatatypeInitInfo(const char* classId, const OBJECT_CREATIONCTX* context) override;
    IDatatypeDomain* CreateDatatypeDomain(const char* classId, const OBJECT_CREATIONCTX* context) override;
    IDatatypeLayout* CreateDatatypeLayout(const char* classId, const OBJECT_CREATIONCTX* context) override;
    IDatatypeConverter* CreateDatatypeConverter(const char* classId, const OBJECT_CREATIONCTX* context) override;
    IDevice* CreateDevice(const char* classId, const OBJECT_CREATIONCTX* context) override;
    IDeviceEnumerator* CreateDeviceEnumerator(const char* classId, const OBJECT_CREATIONCTX* context) override;
    IClock* CreateClock(const char* classId, const OBJECT_CREATIONCTX* context) override;
    ISubpatchBlock* CreateSubpatch(const char* classId, const OBJECT_CREATIONCTX* context) override;
    IPatchStorage* CreatePatchStorage(const char* classId, const OBJECT_CREATIONCTX* context) override;

    void SetLanguageId(std::uint16_t languageId) { languageId_ = languageId; }
    void SetName(std::string name) { name_ = std::move(name); }
    void SetDescription(std::string description) { description_ = std::move(description); }
    void SetBitmapId(std::uint32_t bitmapId) { bitmapId_ = bitmapId; }

    // The module-wide catalog identifier: the first one given is kept, later ones are
    // ignored. Forgotten when the signatures are deleted.
    static void SetCatalogId(const std::string& catalogId);
    static void ForgetCatalogId();

private:
    std::uint16_t languageId_ = 1033;
    std::string name_;
    std::string description_;
    std::uint32_t bitmapId_ = 0;
    CLibraryObjectClassInfoCollectionImpl* blockClasses_;
    CLibraryObjectClassInfoCollectionImpl* subpatchClasses_;
    CDatatypeClassInfoCollectionImpl* datatypeClasses_;
    CSignedObjectClassInfoCollectionImpl* datatypeDomainClasses_;
    CSignedObjectClassInfoCollectionImpl* datatypeLayoutClasses_;
    CSignedObjectClassInfoCollectionImpl* datatypeInterfaceClasses_;
    CDatatypeConverterClassInfoCollectionImpl* datatypeConverterClasses_;
    CSignedObjectClassInfoCollectionImpl* deviceClasses_;
    CDeviceEnumeratorInfoCollectionImpl* deviceEnumerators_;
    CSignedObjectClassInfoCollectionImpl* clockClasses_;
    CObjectClassInfoCollectionImpl* companies_;
    CObjectClassInfoCollectionImpl* authors_;
    CObjectClassInfoCollectionImpl* licences_;
    CCategoryClassInfoCollectionImpl* categories_;
    CPatchStorageClassInfoCollectionImpl* patchStorageClasses_;
};

// Copies every property set of the catalog registrant into the container, each property
// through the typed setter its tag stands for. A tag outside 0..6 throws std::runtime_error.
void HandOverProperties(const catalog_class_registrant& catalog, IPropertyContainer& container);

} // namespace Vtx
