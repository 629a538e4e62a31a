#include "module/DllSignature.h"

#include <cstring>
#include <stdexcept>
#include <type_traits>
#include <typeinfo>

#include <boost/variant/get.hpp>

#include "module/SignatureList.h"
#include "sdk/object/Exceptions.h"
#include "sdk/registration/PlainClassInfo.h"
#include "sdk/registration/RegistrantClassInfo.h"
#include "sdk/registration/Registrants.h"
#include "vtx/Datatype.h"
#include "vtx/DatatypeConverter.h"
#include "vtx/Domain.h"
#include "vtx/Layout.h"

namespace Vtx {

namespace {

constexpr std::uint16_t kEnglish = 0x0409;

// The module-wide catalog identifier; a heap copy made the first time a signature is
// given one.
char* catalogId = nullptr;

template <class Collection>
Collection* NewCollection() {
    auto* collection = new Collection;
    collection->AddRef();
    return collection;
}

template <class Collection>
void ReleaseCollection(Collection*& collection) {
    if (collection) collection->Release();
    collection = nullptr;
}

// Clear on every record, index 0 upward; the count is read again before each record.
template <class Collection>
void ClearRecords(Collection* collection) {
    for (int i = 0; i < collection->GetCount(); ++i) collection->GetItem(i)->Clear();
}

// Runs a plain record's create function; a record without one makes nothing.
template <class Function>
auto CallCreate(Function create, const OBJECT_CREATIONCTX* context) -> decltype(create(context)) {
    return create ? create(context) : nullptr;
}

// The common path of every create operation: the signature of the context's language
// (else the English one, else the first), the record of the identifier in the collection
// the getter names, the object that `make` creates from the record, converted to the
// result interface. An identifier no record carries, a record of a foreign type, or an
// object of another kind than asked for: null, and nothing created is left behind.
template <class Result, class Collection, class Make>
Result* CreateFromRecord(Collection* (CDllSignatureImpl::*collectionOf)(), const char* classId,
                         const OBJECT_CREATIONCTX* context, Make make) {
    // A missing context is the class's to refuse; the English signature answers for it.
    const std::uint16_t languageId = context ? context->languageId : kEnglish;
    CDllSignatureImpl* signature = BuildAndChooseSignature(languageId);
    if (!signature) return nullptr;
    IObject* created = nullptr;
    try {
        // GetItemByClassId is GetIndex and then GetItem of that index, under one lock.
        auto* record = ((signature->*collectionOf)())->GetItemByClassId(classId);
        created = make(record, context);
        if (!created) return nullptr;
        Result* result = CachedDynamicCast<Result>(created);
        if (!result) throw CCastExceptionImpl();
        return result;
    } catch (ICollectionException&) {
        if (created) created->Destroy();
        return nullptr;
    } catch (ICastException&) {
        if (created) created->Destroy();
        return nullptr;
    }
}

// The record as class C, or null. Objects are created often and from records of the same
// few kinds, which the cached cast recognises by their type alone.
template <class C, class Record>
C* RecordAs(Record* record) {
    return CachedDynamicCast<C>(record);
}

// A record that is either the plain implementation or the registrant-based one. The
// catalog's own records are registrant-based ones of exactly that class, recognised by
// their type identity alone; as neither implementation derives from the other, such a
// record is not a plain one, and trying the plain one first would give the same answer.
template <class Plain, class FromRegistrant, class Record>
IObject* CreateWithEither(Record* record, const OBJECT_CREATIONCTX* context) {
    static_assert(!std::is_base_of_v<Plain, FromRegistrant> && !std::is_base_of_v<FromRegistrant, Plain>);
    if (typeid(*record) == typeid(FromRegistrant)) return static_cast<FromRegistrant*>(record)->Create(context);
    if (auto* plain = RecordAs<Plain>(record)) return CallCreate(plain->GetCreateFunction(), context);
    if (auto* registrantBased = RecordAs<FromRegistrant>(record)) return registrantBased->Create(context);
    throw CCastExceptionImpl();
}

template <class Plain, class Record>
IObject* CreateWithPlain(Record* record, const OBJECT_CREATIONCTX* context) {
    if (auto* plain = dynamic_cast<Plain*>(record)) return CallCreate(plain->GetCreateFunction(), context);
    throw CCastExceptionImpl();
}

template <class FromRegistrant, class Record>
IObject* CreateWithRegistrant(Record* record, const OBJECT_CREATIONCTX* context) {
    if (auto* registrantBased = dynamic_cast<FromRegistrant*>(record)) return registrantBased->Create(context);
    throw CCastExceptionImpl();
}

void HandOverProperty(const std::string& setName, const class_property& property, IPropertyContainer& container) {
    const char* set = setName.c_str();
    const char* name = property.name.c_str();
    switch (property.type) {
    case property_bool:
        container.SetBoolProperty(set, name, boost::get<std::int64_t>(property.value) != 0);
        break;
    case property_int:
        container.SetIntProperty(set, name, static_cast<std::int32_t>(boost::get<std::int64_t>(property.value)));
        break;
    case property_int64:
        container.SetInt64Property(set, name, boost::get<std::int64_t>(property.value));
        break;
    case property_float:
        container.SetFloatProperty(set, name, static_cast<float>(boost::get<double>(property.value)));
        break;
    case property_double:
        container.SetDoubleProperty(set, name, boost::get<double>(property.value));
        break;
    case property_text:
        container.SetStringProperty(set, name, boost::get<std::string>(property.value).c_str());
        break;
    case property_int64b:
        container.SetInt64BProperty(set, name,
                                    static_cast<std::int64_t>(boost::get<std::uint64_t>(property.value) / 10));
        break;
    default:
        throw std::runtime_error("Unknown property_type (object_class_properties<catalog_class_registrant>)");
    }
}

} // namespace

void HandOverProperties(const catalog_class_registrant& catalog, IPropertyContainer& container) {
    for (const auto& [setName, set] : catalog.property_sets())
        for (const class_property& property : set->properties()) HandOverProperty(setName, property, container);
}

CDllSignatureImpl::CDllSignatureImpl()
    : blockClasses_(NewCollection<CLibraryObjectClassInfoCollectionImpl>()),
      subpatchClasses_(NewCollection<CLibraryObjectClassInfoCollectionImpl>()),
      datatypeClasses_(NewCollection<CDatatypeClassInfoCollectionImpl>()),
      datatypeDomainClasses_(NewCollection<CSignedObjectClassInfoCollectionImpl>()),
      datatypeLayoutClasses_(NewCollection<CSignedObjectClassInfoCollectionImpl>()),
      datatypeInterfaceClasses_(NewCollection<CSignedObjectClassInfoCollectionImpl>()),
      datatypeConverterClasses_(NewCollection<CDatatypeConverterClassInfoCollectionImpl>()),
      deviceClasses_(NewCollection<CSignedObjectClassInfoCollectionImpl>()),
      deviceEnumerators_(NewCollection<CDeviceEnumeratorInfoCollectionImpl>()),
      clockClasses_(NewCollection<CSignedObjectClassInfoCollectionImpl>()),
      companies_(NewCollection<CObjectClassInfoCollectionImpl>()),
      authors_(NewCollection<CObjectClassInfoCollectionImpl>()),
      licences_(NewCollection<CObjectClassInfoCollectionImpl>()),
      categories_(NewCollection<CCategoryClassInfoCollectionImpl>()),
      patchStorageClasses_(NewCollection<CPatchStorageClassInfoCollectionImpl>()) {
    AddRef();  // the signature list's reference
}

CDllSignatureImpl::~CDllSignatureImpl() {
    ReleaseCollection(patchStorageClasses_);
    ReleaseCollection(categories_);
    ReleaseCollection(licences_);
    ReleaseCollection(authors_);
    ReleaseCollection(companies_);
    ReleaseCollection(clockClasses_);
    ReleaseCollection(deviceEnumerators_);
    ReleaseCollection(deviceClasses_);
    ReleaseCollection(datatypeConverterClasses_);
    ReleaseCollection(datatypeInterfaceClasses_);
    ReleaseCollection(datatypeLayoutClasses_);
    ReleaseCollection(datatypeDomainClasses_);
    ReleaseCollection(datatypeClasses_);
    ReleaseCollection(subpatchClasses_);
    ReleaseCollection(blockClasses_);
}

void CDllSignatureImpl::SetCatalogId(const std::string& id) {
    if (!catalogId) catalogId = DuplicateText(id.c_str());
}

void CDllSignatureImpl::ForgetCatalogId() {
    std::free(catalogId);
    catalogId = nullptr;
}

const char* CDllSignatureImpl::GetCatalogId() { return catalogId; }

void CDllSignatureImpl::ClearClassInfos() {
    ClearRecords(blockClasses_);
    ClearRecords(subpatchClasses_);
    ClearRecords(datatypeClasses_);
    ClearRecords(datatypeDomainClasses_);
    ClearRecords(datatypeLayoutClasses_);
    ClearRecords(datatypeInterfaceClasses_);
    ClearRecords(datatypeConverterClasses_);
    ClearRecords(deviceClasses_);
    ClearRecords(deviceEnumerators_);
    ClearRecords(clockClasses_);
    ClearRecords(companies_);
    ClearRecords(authors_);
    ClearRecords(licences_);
    ClearRecords(categories_);
    ClearRecords(patchStorageClasses_);
}

IBlock* CDllSignatureImpl::CreateBlock(const char* classId, const OBJECT_CREATIONCTX* context) {
    return CreateFromRecord<IBlock>(&CDllSignatureImpl::GetBlockClasses, classId, context, [](auto* record, auto* ctx) {
        return CreateWithEither<CBlockClassInfoImpl, block_class_info_impl>(record, ctx);
    });
}

IDatatype* CDllSignatureImpl::CreateDatatype(const char* classId, const OBJECT_CREATIONCTX* context) {
    return CreateFromRecord<IDatatype>(&CDllSignatureImpl::GetDatatypeClasses, classId, context,
                                       [](auto* record, auto* ctx) {
                                           return CreateWithEither<CDatatypeClassInfoImpl, datatype_class_info_impl>(
                                               record, ctx);
                                       });
}

bool CDllSignatureImpl::HasDatatypeInitInfo(const char* classId) {
    try {
        BuildSignatures(kEnglish);
        CDllSignatureImpl* signature = ChooseSignature(kEnglish);
        if (!signature) return false;
        IDatatypeClassInfoCollection* datatypes = signature->GetDatatypeClasses();
        IDatatypeClassInfo* record = datatypes->GetItem(datatypes->GetIndex(classId));
        if (auto* plain = dynamic_cast<CDatatypeClassInfoImpl*>(record)) return plain->HasInitInfo();
        if (auto* registrantBased = dynamic_cast<datatype_class_info_impl*>(record)) return registrantBased->HasInitInfo();
        return false;
    } catch (IException&) {
        return false;
    }
}

IDatatypeInitInfo* CDllSignatureImpl::CreateDatatypeInitInfo(const char* classId, const OBJECT_CREATIONCTX* context) {
    return CreateFromRecord<IDatatypeInitInfo>(
        &CDllSignatureImpl::GetDatatypeClasses, classId, context,
        [](IDatatypeClassInfo* record, const OBJECT_CREATIONCTX* ctx) -> IObject* {
            if (auto* plain = dynamic_cast<CDatatypeClassInfoImpl*>(record))
                return CallCreate(plain->GetInitInfoCreateFunction(), ctx);
            if (auto* registrantBased = dynamic_cast<datatype_class_info_impl*>(record))
                return registrantBased->CreateInitInfo(ctx);
            throw CCastExceptionImpl();
        });
}

IDatatypeDomain* CDllSignatureImpl::CreateDatatypeDomain(const char* classId, const OBJECT_CREATIONCTX* context) {
    return CreateFromRecord<IDatatypeDomain>(&CDllSignatureImpl::GetDatatypeDomainClasses, classId, context,
                                             [](auto* record, auto* ctx) {
                                                 return CreateWithPlain<CDatatypeDomainClassInfoImpl>(record, ctx);
                                             });
}

IDatatypeLayout* CDllSignatureImpl::CreateDatatypeLayout(const char* classId, const OBJECT_CREATIONCTX* context) {
    return CreateFromRecord<IDatatypeLayout>(&CDllSignatureImpl::GetDatatypeLayoutClasses, classId, context,
                                             [](auto* record, auto* ctx) {
                                                 return CreateWithPlain<CDatatypeLayoutClassInfoImpl>(record, ctx);
                                             });
}

IDatatypeConverter* CDllSignatureImpl::CreateDatatypeConverter(const char* classId,
                                                               const OBJECT_CREATIONCTX* context) {
    return CreateFromRecord<IDatatypeConverter>(
        &CDllSignatureImpl::GetDatatypeConverterClasses, classId, context, [](auto* record, auto* ctx) {
            return CreateWithEither<CDatatypeConverterClassInfoImpl, datatype_converter_class_info_impl>(record, ctx);
        });
}

IDevice* CDllSignatureImpl::CreateDevice(const char* classId, const OBJECT_CREATIONCTX* context) {
    return CreateFromRecord<IDevice>(&CDllSignatureImpl::GetDeviceClasses, classId, context,
                                     [](auto* record, auto* ctx) {
                                         return CreateWithPlain<CDeviceClassInfoImpl>(record, ctx);
                                     });
}

IDeviceEnumerator* CDllSignatureImpl::CreateDeviceEnumerator(const char* classId,
                                                             const OBJECT_CREATIONCTX* context) {
    return CreateFromRecord<IDeviceEnumerator>(&CDllSignatureImpl::GetDeviceEnumerators, classId, context,
                                               [](auto* record, auto* ctx) {
                                                   return CreateWithPlain<CDeviceEnumeratorInfoImpl>(record, ctx);
                                               });
}

IClock* CDllSignatureImpl::CreateClock(const char* classId, const OBJECT_CREATIONCTX* context) {
    return CreateFromRecord<IClock>(&CDllSignatureImpl::GetClockClasses, classId, context,
                                    [](auto* record, auto* ctx) {
                                        return CreateWithPlain<CClockClassInfoImpl>(record, ctx);
                                    });
}

ISubpatchBlock* CDllSignatureImpl::CreateSubpatch(const char* classId, const OBJECT_CREATIONCTX* context) {
    return CreateFromRecord<ISubpatchBlock>(&CDllSignatureImpl::GetSubpatchClasses, classId, context,
                                            [](auto* record, auto* ctx) {
                                                return CreateWithPlain<CSubpatchClassInfoImpl>(record, ctx);
                                            });
}

IPatchStorage* CDllSignatureImpl::CreatePatchStorage(const char* classId, const OBJECT_CREATIONCTX* context) {
    return CreateFromRecord<IPatchStorage>(&CDllSignatureImpl::GetPatchStorageClasses, classId, context,
                                           [](auto* record, auto* ctx) {
                                               return CreateWithRegistrant<patch_storage_class_info_impl>(record, ctx);
                                           });
}

} // namespace Vtx
