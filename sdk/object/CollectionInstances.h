#pragma once
// The collections the SDK hands out, by element type: the class-information collections of
// the module signature, the two reference collections of a block class and the property
// collection's base. Only declarations of the element types are needed here; whoever
// creates one of these includes the element's interface.
#include "sdk/object/CollectionImpl.h"
#include "sdk/object/CollectionObjectClassImpl.h"
#include "vtx/Collection.h"

namespace Vtx {

struct IObjectClass;
struct IObjectClassInfo;
struct ICategoryClassInfo;
struct ISignedObjectClassInfo;
struct ILibraryObjectClassInfo;
struct IDatatypeClassInfo;
struct IDatatypeConverterClassInfo;
struct IPatchStorageClassInfo;
struct IDeviceEnumeratorInfo;
struct ICategoryItemReference;

// Blocks and subpatches.
using ILibraryObjectClassInfoCollection = IObjectClassCollection<ILibraryObjectClassInfo>;
using CLibraryObjectClassInfoCollectionImpl = CObjectClassCollectionImpl<ILibraryObjectClassInfoCollection>;
// Datatypes.
using IDatatypeClassInfoCollection = IObjectClassCollection<IDatatypeClassInfo>;
using CDatatypeClassInfoCollectionImpl = CObjectClassCollectionImpl<IDatatypeClassInfoCollection>;
// Datatype domains, layouts and interfaces, devices, clocks.
using ISignedObjectClassInfoCollection = IObjectClassCollection<ISignedObjectClassInfo>;
using CSignedObjectClassInfoCollectionImpl = CObjectClassCollectionImpl<ISignedObjectClassInfoCollection>;
// Datatype converters.
using IDatatypeConverterClassInfoCollection = IObjectClassCollection<IDatatypeConverterClassInfo>;
using CDatatypeConverterClassInfoCollectionImpl = CObjectClassCollectionImpl<IDatatypeConverterClassInfoCollection>;
// Device enumerators.
using IDeviceEnumeratorInfoCollection = IObjectClassCollection<IDeviceEnumeratorInfo>;
using CDeviceEnumeratorInfoCollectionImpl = CObjectClassCollectionImpl<IDeviceEnumeratorInfoCollection>;
// Companies, authors, licences.
using IObjectClassInfoCollection = IObjectClassCollection<IObjectClassInfo>;
using CObjectClassInfoCollectionImpl = CObjectClassCollectionImpl<IObjectClassInfoCollection>;
// Categories.
using ICategoryClassInfoCollection = IObjectClassCollection<ICategoryClassInfo>;
using CCategoryClassInfoCollectionImpl = CObjectClassCollectionImpl<ICategoryClassInfoCollection>;
// Patch storages.
using IPatchStorageClassInfoCollection = IObjectClassCollection<IPatchStorageClassInfo>;
using CPatchStorageClassInfoCollectionImpl = CObjectClassCollectionImpl<IPatchStorageClassInfoCollection>;
// The object classes a block class refers to.
using IObjectClassObjectCollection = IObjectClassCollection<IObjectClass>;
using CObjectClassObjectCollectionImpl = CObjectClassCollectionImpl<IObjectClassObjectCollection>;
// The category references of a block class.
using ICategoryItemReferenceCollection = IObjectClassCollection<ICategoryItemReference>;
using CCategoryItemReferenceCollectionImpl = CObjectClassCollectionImpl<ICategoryItemReferenceCollection>;

} // namespace Vtx
