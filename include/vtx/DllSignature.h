#pragma once
// The module signature: everything a catalog module offers, in one language. The host gets
// it from VtxUserDll_GetDllSignature, reads the catalog's identity and properties and the
// fifteen collections of class-information records, and asks it to create objects by
// class identifier. The module owns every signature: the host must not call Destroy on one.
#include <cstdint>

#include "vtx/Collection.h"
#include "vtx/Fwd.h"
#include "vtx/Object.h"
#include "vtx/PropertyContainer.h"

namespace Vtx {

struct ILibraryObjectClassInfo;
struct IDatatypeClassInfo;
struct ISignedObjectClassInfo;
struct IDatatypeConverterClassInfo;
struct IDeviceEnumeratorInfo;
struct IObjectClassInfo;
struct ICategoryClassInfo;
struct IPatchStorageClassInfo;
struct IDevice;
struct IDeviceEnumerator;
struct IClock;
struct ISubpatchBlock;
struct IPatchStorage;

// The catalog's properties are the signature's property sets.
struct IDllSignature : IPropertyContainer {
    virtual std::int32_t Destroy() = 0;
    // Calls Clear on every record of every collection; the records stay in place.
    virtual void ClearClassInfos() = 0;
    // The catalog identifier, or null before any signature received one.
    virtual const char* GetCatalogId() = 0;
    virtual std::uint16_t GetLanguageId() = 0;
    virtual const char* GetName() = 0;
    virtual const char* GetDescription() = 0;
    // Resource id of the catalog bitmap in the module image.
    virtual std::uint32_t GetBitmapId() = 0;

    // The collections; none adds a reference.
    virtual IObjectClassCollection<ILibraryObjectClassInfo>* GetBlockClasses() = 0;
    virtual IObjectClassCollection<ILibraryObjectClassInfo>* GetSubpatchClasses() = 0;
    virtual IObjectClassCollection<IDatatypeClassInfo>* GetDatatypeClasses() = 0;
    virtual IObjectClassCollection<ISignedObjectClassInfo>* GetDatatypeDomainClasses() = 0;
    virtual IObjectClassCollection<ISignedObjectClassInfo>* GetDatatypeLayoutClasses() = 0;
    virtual IObjectClassCollection<ISignedObjectClassInfo>* GetDatatypeInterfaceClasses() = 0;
    virtual IObjectClassCollection<IDatatypeConverterClassInfo>* GetDatatypeConverterClasses() = 0;
    virtual IObjectClassCollection<ISignedObjectClassInfo>* GetDeviceClasses() = 0;
    virtual IObjectClassCollection<IDeviceEnumeratorInfo>* GetDeviceEnumerators() = 0;
    virtual IObjectClassCollection<ISignedObjectClassInfo>* GetClockClasses() = 0;
    virtual IObjectClassCollection<IObjectClassInfo>* GetCompanies() = 0;
    virtual IObjectClassCollection<IObjectClassInfo>* GetAuthors() = 0;
    virtual IObjectClassCollection<IObjectClassInfo>* GetLicences() = 0;
    virtual IObjectClassCollection<ICategoryClassInfo>* GetCategories() = 0;
    virtual IObjectClassCollection<IPatchStorageClassInfo>* GetPatchStorageClasses() = 0;

    // Create operations: a new object of the class (count 0, the caller takes the first
    // reference), or null when no record of that kind carries the identifier or the class
    // makes an object of another kind. The signature of the context's language is asked
    // first, then the English one, then the first one. Exceptions thrown by the class's
    // own creation pass to the caller.
    virtual IBlock* CreateBlock(const char* classId, const OBJECT_CREATIONCTX* context) = 0;
    virtual IDatatype* CreateDatatype(const char* classId, const OBJECT_CREATIONCTX* context) = 0;
    // Whether the datatype class makes init-information objects; false for an unknown one.
    virtual bool HasDatatypeInitInfo(const char* classId) = 0;
    virtual IDatatypeInitInfo* CreateDatatypeInitInfo(const char* classId, const OBJECT_CREATIONCTX* context) = 0;
    virtual IDatatypeDomain* CreateDatatypeDomain(const char* classId, const OBJECT_CREATIONCTX* context) = 0;
    virtual IDatatypeLayout* CreateDatatypeLayout(const char* classId, const OBJECT_CREATIONCTX* context) = 0;
    virtual IDatatypeConverter* CreateDatatypeConverter(const char* classId, const OBJECT_CREATIONCTX* context) = 0;
    virtual IDevice* CreateDevice(const char* classId, const OBJECT_CREATIONCTX* context) = 0;
    virtual IDeviceEnumerator* CreateDeviceEnumerator(const char* classId, const OBJECT_CREATIONCTX* context) = 0;
    virtual IClock* CreateClock(const char* classId, const OBJECT_CREATIONCTX* context) = 0;
    virtual ISubpatchBlock* CreateSubpatch(const char* classId, const OBJECT_CREATIONCTX* context) = 0;
    virtual IPatchStorage* CreatePatchStorage(const char* classId, const OBJECT_CREATIONCTX* context) = 0;

protected:
    ~IDllSignature() = default;
};

} // namespace Vtx
