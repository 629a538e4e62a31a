// The binary contract with the host: every operation of every host-facing interface in the
// table slot its place in the interface's published operation list gives it, and the
// interface tables of each object in their order. The lists below are written from those
// published lists, not from our headers: a header that reorders, inserts or drops an
// operation fails here with the interface and the operation named.
#include <gtest/gtest.h>

#include "VirtualSlots.h"
#include "host/kernel/KernelServices.h"
#include "module/CatalogFactory.h"
#include "module/DllSignature.h"
#include "module/ThreadSpecificValue.h"
#include "sdk/events/EventSinks.h"
#include "sdk/object/CollectionObjectClassImpl.h"
#include "sdk/object/Exceptions.h"
#include "sdk/object/ObjectClassReferenceCollectionImpl.h"
#include "sdk/object/PropertyCollectionImpl.h"
#include "vtx/AlarmTarget.h"
#include "vtx/Block.h"
#include "vtx/BlockClass.h"
#include "vtx/BlockSignature.h"
#include "vtx/CatalogFactory.h"
#include "vtx/ClassInfo.h"
#include "vtx/Command.h"
#include "vtx/Datatype.h"
#include "vtx/DatatypeConverter.h"
#include "vtx/DllSignature.h"
#include "vtx/EventSource.h"
#include "vtx/Interval.h"
#include "vtx/KernelServices.h"
#include "vtx/ObjectClass.h"
#include "vtx/ObjectClassReference.h"
#include "vtx/Pin.h"
#include "vtx/Property.h"
#include "vtx/PropertyContainer.h"
#include "vtx/RunTimeContext.h"
#include "vtx/ThreadSpecificValue.h"

using namespace Vtx;
using contract::Destructor;
using contract::End;
using contract::ExpectTable;
using contract::ExpectTablesInOrder;
using contract::Operations;

namespace {

using RC = ulx::I_ReferenceCountedClass;

const Operations kReferenceCounted = {VTX_OP(RC, Destroy), VTX_OP(RC, AddRef), VTX_OP(RC, Release)};

// Slot 6, the typed class accessor, answers the class as the implementation's own class
// interface: the implementations declare it with that result (CObjectImpl<T, IClass> answers
// IClass*), and as every class interface derives from IObjectClass alone the pointer in the
// slot is that one, bit for bit (ObjectImplTest checks it). Slot 8 is the second view of the
// kernel services: the same pointer, through a const object.
const Operations kObject =
    kReferenceCounted +
    Operations{VTX_OP(IObject, DeleteInstance), VTX_OP(IObject, GetObjectIdentifier), VTX_OP(IObject, GetObjectClass),
               VTX_OP(IObject, GetTypedObjectClass),
               contract::Op("GetKernelServices", static_cast<IKernelServices* (IObject::*)()>(&IObject::GetKernelServices)),
               contract::Op("GetKernelServices (second view)",
                            static_cast<IKernelServices* (IObject::*)() const>(&IObject::GetKernelServices))};

const Operations kPropertyContainer = {
    VTX_OP(IPropertyContainer, AddPropertySet),        VTX_OP(IPropertyContainer, GetPropertySetCount),
    VTX_OP(IPropertyContainer, GetPropertySet),        VTX_OP(IPropertyContainer, GetPropertySetAt),
    VTX_OP(IPropertyContainer, HasPropertySet),        VTX_OP(IPropertyContainer, HasProperty),
    VTX_OP(IPropertyContainer, GetPropertyValueText),  VTX_OP(IPropertyContainer, SetProperty),
    VTX_OP(IPropertyContainer, SetPropertyValueText),  VTX_OP(IPropertyContainer, GetIntProperty),
    VTX_OP(IPropertyContainer, SetIntProperty),        VTX_OP(IPropertyContainer, GetBoolProperty),
    VTX_OP(IPropertyContainer, SetBoolProperty),       VTX_OP(IPropertyContainer, GetDoubleProperty),
    VTX_OP(IPropertyContainer, SetDoubleProperty),     VTX_OP(IPropertyContainer, GetFloatProperty),
    VTX_OP(IPropertyContainer, SetFloatProperty),      VTX_OP(IPropertyContainer, GetStringProperty),
    VTX_OP(IPropertyContainer, SetStringProperty),     VTX_OP(IPropertyContainer, GetCharProperty),
    VTX_OP(IPropertyContainer, SetCharProperty),       VTX_OP(IPropertyContainer, GetShortProperty),
    VTX_OP(IPropertyContainer, SetShortProperty),      VTX_OP(IPropertyContainer, GetInt64Property),
    VTX_OP(IPropertyContainer, SetInt64Property),      VTX_OP(IPropertyContainer, GetInt64BProperty),
    VTX_OP(IPropertyContainer, SetInt64BProperty),     VTX_OP(IPropertyContainer, RemoveProperty),
    VTX_OP(IPropertyContainer, RemoveAllProperties)};

// The class-information family.
const Operations kObjectClassInfo =
    kReferenceCounted + Operations{VTX_OP(IObjectClassInfo, GetClassId),     VTX_OP(IObjectClassInfo, Clear),
                                   VTX_OP(IObjectClassInfo, GetName),        VTX_OP(IObjectClassInfo, GetDescription),
                                   VTX_OP(IObjectClassInfo, GetThirdText),   VTX_OP(IObjectClassInfo, GetFourthText),
                                   VTX_OP(IObjectClassInfo, GetBitmapId)};
const Operations kSignedObjectClassInfo =
    kObjectClassInfo + Operations{VTX_OP(ISignedObjectClassInfo, GetAuthorIds),
                                  VTX_OP(ISignedObjectClassInfo, GetCompanyId),
                                  VTX_OP(ISignedObjectClassInfo, GetLicenceId),
                                  VTX_OP(ISignedObjectClassInfo, GetTextTriples)};

// The collection family: the main table, then the container table at the second interface.
template <class T>
Operations CollectionOperations() {
    using C = ICollection<T>;
    return kReferenceCounted + Operations{VTX_OP(C, GetAt),    VTX_OP(C, GetItem), VTX_OP(C, Contains),
                                          VTX_OP(C, Remove),   VTX_OP(C, RemoveAt), VTX_OP(C, Add),
                                          VTX_OP(C, SetAt)};
}
template <class T>
Operations ObjectClassCollectionOperations() {
    using C = IObjectClassCollection<T>;
    return CollectionOperations<T>() +
           Operations{VTX_OP(C, HasClassId), VTX_OP(C, GetItemByClassId), VTX_OP(C, GetIndex)};
}
template <class T>
Operations ContainerOperations() {
    using C = ICollectionBase<T>;
    return {VTX_OP(C, GetCount), VTX_OP(C, IsEmpty), VTX_OP(C, Clear), VTX_OP(C, GetSize)};
}

const Operations kSerialize =
    kObject + Operations{VTX_OP(ISerialize, SerializeBinary),   VTX_OP(ISerialize, FreeBinary),
                         VTX_OP(ISerialize, UnserializeBinary), VTX_OP(ISerialize, SerializeString),
                         VTX_OP(ISerialize, FreeString),        VTX_OP(ISerialize, UnserializeString),
                         VTX_OP(ISerialize, CopyFrom),          VTX_OP(ISerialize, IsEqual)};
const Operations kDatatype =
    kSerialize + Operations{VTX_OP(IDatatype, InitInstance),  VTX_OP(IDatatype, DoneInstance),
                            VTX_OP(IDatatype, GetInitInfo),   VTX_OP(IDatatype, Swap),
                            VTX_OP(IDatatype, GetTimestamp),  VTX_OP(IDatatype, SetTimestamp),
                            VTX_OP(IDatatype, GetTimeA),      VTX_OP(IDatatype, SetTimeA),
                            VTX_OP(IDatatype, GetTimeB),      VTX_OP(IDatatype, SetTimeB),
                            VTX_OP(IDatatype, GetTimeD),      VTX_OP(IDatatype, SetTimeD),
                            VTX_OP(IDatatype, GetTimeC),      VTX_OP(IDatatype, SetTimeC),
                            VTX_OP(IDatatype, SetTimeFactor), VTX_OP(IDatatype, GetTimeFactor)};

// Every concrete exception: the interface's two operations and destructor, then the count.
template <class E>
Operations ExceptionOperations() {
    return {VTX_OP(E, Destroy),  VTX_OP(E, GetMessageText), Destructor(),
            VTX_OP(E, AddRef),   VTX_OP(E, Release),        End<E>()};
}

// Every sink: the dispatcher's callback, then the handler the user writes; then only the
// destructor, which has entries of its own in the sink's table because it overrides the
// shared sink base's (a virtual base), and nothing after it.
template <class S>
Operations SinkOperations() {
    return {VTX_OP(S, Invoke), VTX_OP(S, Handle), Destructor(), End<S>()};
}

using ClassInfoCollection = CObjectClassCollectionImpl<IObjectClassCollection<IObjectClassInfo>>;

TEST(InterfaceContract, ModuleBoundary) {
    ExpectTable("IThreadSpecificValue",
                kReferenceCounted + Operations{VTX_OP(IThreadSpecificValue, AcquireThreadValue),
                                               VTX_OP(IThreadSpecificValue, ReleaseThreadValue),
                                               VTX_OP(IThreadSpecificValue, GetText),
                                               VTX_OP(IThreadSpecificValue, SetText), Destructor(),
                                               End<IThreadSpecificValue>()});
    // The property-container operations first, then the signature's own; the implementation
    // adds its destructor, AddRef and Release.
    const Operations signature =
        kPropertyContainer +
        Operations{VTX_OP(IDllSignature, Destroy),
                   VTX_OP(IDllSignature, ClearClassInfos),
                   VTX_OP(IDllSignature, GetCatalogId),
                   VTX_OP(IDllSignature, GetLanguageId),
                   VTX_OP(IDllSignature, GetName),
                   VTX_OP(IDllSignature, GetDescription),
                   VTX_OP(IDllSignature, GetBitmapId),
                   VTX_OP(IDllSignature, GetBlockClasses),
                   VTX_OP(IDllSignature, GetSubpatchClasses),
                   VTX_OP(IDllSignature, GetDatatypeClasses),
                   VTX_OP(IDllSignature, GetDatatypeDomainClasses),
                   VTX_OP(IDllSignature, GetDatatypeLayoutClasses),
                   VTX_OP(IDllSignature, GetDatatypeInterfaceClasses),
                   VTX_OP(IDllSignature, GetDatatypeConverterClasses),
                   VTX_OP(IDllSignature, GetDeviceClasses),
                   VTX_OP(IDllSignature, GetDeviceEnumerators),
                   VTX_OP(IDllSignature, GetClockClasses),
                   VTX_OP(IDllSignature, GetCompanies),
                   VTX_OP(IDllSignature, GetAuthors),
                   VTX_OP(IDllSignature, GetLicences),
                   VTX_OP(IDllSignature, GetCategories),
                   VTX_OP(IDllSignature, GetPatchStorageClasses),
                   VTX_OP(IDllSignature, CreateBlock),
                   VTX_OP(IDllSignature, CreateDatatype),
                   VTX_OP(IDllSignature, HasDatatypeInitInfo),
                   VTX_OP(IDllSignature, CreateDatatypeInitInfo),
                   VTX_OP(IDllSignature, CreateDatatypeDomain),
                   VTX_OP(IDllSignature, CreateDatatypeLayout),
                   VTX_OP(IDllSignature, CreateDatatypeConverter),
                   VTX_OP(IDllSignature, CreateDevice),
                   VTX_OP(IDllSignature, CreateDeviceEnumerator),
                   VTX_OP(IDllSignature, CreateClock),
                   VTX_OP(IDllSignature, CreateSubpatch),
                   VTX_OP(IDllSignature, CreatePatchStorage)};
    ExpectTable("IDllSignature", signature + Operations{End<IDllSignature>()});
    ExpectTable("CDllSignatureImpl", signature + Operations{Destructor(), VTX_OP(CDllSignatureImpl, AddRef),
                                                            VTX_OP(CDllSignatureImpl, Release),
                                                            End<CDllSignatureImpl>()});

    ExpectTable("ICatalogFactory",
                {VTX_OP(ICatalogFactory, Destroy), VTX_OP(ICatalogFactory, GetCatalogsCount),
                 VTX_OP(ICatalogFactory, GetCatalogId), VTX_OP(ICatalogFactory, GetCatalogIndex),
                 VTX_OP(ICatalogFactory, CreateCatalog), Destructor(), VTX_OP(CCatalogFactoryImpl, AddRef),
                 VTX_OP(CCatalogFactoryImpl, Release), End<CCatalogFactoryImpl>()});

    ExpectTable("IObjectClassInfo", kObjectClassInfo + Operations{End<IObjectClassInfo>()});
    ExpectTable("ICategoryClassInfo",
                kObjectClassInfo + Operations{VTX_OP(ICategoryClassInfo, GetCategoryEntries),
                                              VTX_OP(ICategoryClassInfo, FreeCategoryEntries),
                                              End<ICategoryClassInfo>()});
    ExpectTable("ISignedObjectClassInfo", kSignedObjectClassInfo + Operations{End<ISignedObjectClassInfo>()});
    ExpectTable("ILibraryObjectClassInfo",
                kSignedObjectClassInfo + Operations{VTX_OP(ILibraryObjectClassInfo, GetLibraryPath),
                                                    End<ILibraryObjectClassInfo>()});
    ExpectTable("IDatatypeClassInfo", kSignedObjectClassInfo + Operations{VTX_OP(IDatatypeClassInfo, HasInitInfo),
                                                                          VTX_OP(IDatatypeClassInfo, GetTextPairs),
                                                                          End<IDatatypeClassInfo>()});
    ExpectTable("IDatatypeConverterClassInfo",
                kSignedObjectClassInfo + Operations{VTX_OP(IDatatypeConverterClassInfo, GetConverterText1),
                                                    VTX_OP(IDatatypeConverterClassInfo, GetConverterText2),
                                                    VTX_OP(IDatatypeConverterClassInfo, GetConverterText3),
                                                    VTX_OP(IDatatypeConverterClassInfo, GetConverterText4),
                                                    VTX_OP(IDatatypeConverterClassInfo, GetConverterValue),
                                                    End<IDatatypeConverterClassInfo>()});
    ExpectTable("IPatchStorageClassInfo",
                kSignedObjectClassInfo + Operations{VTX_OP(IPatchStorageClassInfo, GetStorageFlag1),
                                                    VTX_OP(IPatchStorageClassInfo, GetStorageFlag2),
                                                    VTX_OP(IPatchStorageClassInfo, GetStorageFlag3),
                                                    VTX_OP(IPatchStorageClassInfo, GetStorageText),
                                                    End<IPatchStorageClassInfo>()});
    ExpectTable("IDeviceEnumeratorInfo",
                kReferenceCounted + Operations{VTX_OP(IDeviceEnumeratorInfo, GetClassId),
                                               VTX_OP(IDeviceEnumeratorInfo, Clear),
                                               VTX_OP(IDeviceEnumeratorInfo, GetFlag), End<IDeviceEnumeratorInfo>()});
}

TEST(InterfaceContract, ObjectModel) {
    ExpectTable("IObjectClassCollection", ObjectClassCollectionOperations<IObjectClassInfo>() +
                                              Operations{End<IObjectClassCollection<IObjectClassInfo>>()});
    ExpectTable("CObjectClassCollectionImpl",
                ObjectClassCollectionOperations<IObjectClassInfo>() +
                    Operations{Destructor(), VTX_OP(ClassInfoCollection, SetCursor),
                               VTX_OP(ClassInfoCollection, GetCursor), VTX_OP(ClassInfoCollection, CheckIndex)});
    ExpectTable("ICollectionBase",
                ContainerOperations<IObjectClassInfo>() + Operations{End<ICollectionBase<IObjectClassInfo>>()});
    ExpectTable("IPropertyCollection",
                CollectionOperations<IProperty>() + Operations{VTX_OP(IPropertyCollection, GetName),
                                                               VTX_OP(IPropertyCollection, HasProperty),
                                                               VTX_OP(IPropertyCollection, GetPropertyByName),
                                                               VTX_OP(IPropertyCollection, GetIndexByName),
                                                               End<IPropertyCollection>()});

    ExpectTable("IProperty",
                kReferenceCounted + Operations{VTX_OP(IProperty, GetType),    VTX_OP(IProperty, GetName),
                                               VTX_OP(IProperty, SetName),    VTX_OP(IProperty, GetValueText),
                                               VTX_OP(IProperty, CopyValue),  VTX_OP(IProperty, SetValueText),
                                               VTX_OP(IProperty, GetInt),     VTX_OP(IProperty, SetInt),
                                               VTX_OP(IProperty, GetBool),    VTX_OP(IProperty, SetBool),
                                               VTX_OP(IProperty, GetDouble),  VTX_OP(IProperty, SetDouble),
                                               VTX_OP(IProperty, GetFloat),   VTX_OP(IProperty, SetFloat),
                                               VTX_OP(IProperty, GetString),  VTX_OP(IProperty, SetString),
                                               VTX_OP(IProperty, GetChar),    VTX_OP(IProperty, SetChar),
                                               VTX_OP(IProperty, GetShort),   VTX_OP(IProperty, SetShort),
                                               VTX_OP(IProperty, GetInt64),   VTX_OP(IProperty, SetInt64),
                                               VTX_OP(IProperty, GetInt64B),  VTX_OP(IProperty, SetInt64B),
                                               End<IProperty>()});
    const Operations reference =
        kReferenceCounted + Operations{VTX_OP(IObjectClassReference, GetCatalogId),
                                       VTX_OP(IObjectClassReference, SetCatalogId),
                                       VTX_OP(IObjectClassReference, GetClassId),
                                       VTX_OP(IObjectClassReference, SetClassId)};
    ExpectTable("IObjectClassReference", reference + Operations{End<IObjectClassReference>()});
    ExpectTable("ICategoryItemReference", reference + Operations{VTX_OP(ICategoryItemReference, GetThirdText),
                                                                 VTX_OP(ICategoryItemReference, SetThirdText),
                                                                 End<ICategoryItemReference>()});
    using RefCollection = IObjectClassReferenceCollection;
    ExpectTable("IObjectClassReferenceCollection",
                kReferenceCounted +
                    Operations{VTX_OP(RefCollection, GetCount),     VTX_OP(RefCollection, Add),
                               VTX_OP(RefCollection, AddAll),       VTX_OP(RefCollection, Remove),
                               VTX_OP(RefCollection, Contains),     VTX_OP(RefCollection, GetItemByIds),
                               VTX_OP(RefCollection, GetItem),      VTX_OP(RefCollection, ContainsAll),
                               VTX_OP(RefCollection, Clear),        Destructor(),
                               VTX_OP(CObjectClassReferenceCollectionImpl, GetIndex),
                               End<CObjectClassReferenceCollectionImpl>()});

    ExpectTable("CLogicExceptionImpl", ExceptionOperations<CLogicExceptionImpl>());
    ExpectTable("CCollectionExceptionImpl", ExceptionOperations<CCollectionExceptionImpl>());
    ExpectTable("CIOExceptionImpl", ExceptionOperations<CIOExceptionImpl>());
    ExpectTable("CCastExceptionImpl", ExceptionOperations<CCastExceptionImpl>());
    ExpectTable("CMemoryExceptionImpl", ExceptionOperations<CMemoryExceptionImpl>());
    ExpectTable("CStdExceptionImpl", ExceptionOperations<CStdExceptionImpl>());

    ExpectTable("IObject", kObject + Operations{End<IObject>()});
}

TEST(InterfaceContract, BlockTables) {
    // The block's list has 44 operations: the object's nine, the fifteen of its lifecycle and
    // parameters, and the drawing and option family's twenty. A total of 47 would count three
    // that no list names or places, so there is nothing to put in them: the table ends after
    // the 44th, and the event source's three operations are a table of their own (below).
    ExpectTable("IBlock",
                kObject + Operations{VTX_OP(IBlock, InitInstance),
                                     VTX_OP(IBlock, DoneInstance),
                                     VTX_OP(IBlock, GetSignature),
                                     VTX_OP(IBlock, GetLayout),
                                     VTX_OP(IBlock, GetExtensionA),
                                     VTX_OP(IBlock, GetExtensionB),
                                     VTX_OP(IBlock, GetRunTimeContext),
                                     VTX_OP(IBlock, GetOptionFlag0),
                                     VTX_OP(IBlock, Init),
                                     VTX_OP(IBlock, Check),
                                     VTX_OP(IBlock, Start),
                                     VTX_OP(IBlock, Execute),
                                     VTX_OP(IBlock, Stop),
                                     VTX_OP(IBlock, Done),
                                     VTX_OP(IBlock, SetParameter),
                                     // The drawing and option family, twenty in their order.
                                     VTX_OP(IBlock, GetOptionFlag6),
                                     VTX_OP(IBlock, GetOptionFlag1),
                                     VTX_OP(IBlock, HasOwnerDrawnArea),
                                     VTX_OP(IBlock, GetOptionFlag3),
                                     VTX_OP(IBlock, CreateOwnerDrawnWindow),
                                     VTX_OP(IBlock, DestroyOwnerDrawnWindow),
                                     VTX_OP(IBlock, GetOptionFlag4),
                                     VTX_OP(IBlock, GetOptionFlag5),
                                     VTX_OP(IBlock, CreatePropertyWindow),
                                     VTX_OP(IBlock, DestroyPropertyWindow),
                                     VTX_OP(IBlock, GetOptionFlag7),
                                     VTX_OP(IBlock, GetOwnerDrawnSize),
                                     VTX_OP(IBlock, GetDrawingValue1),
                                     VTX_OP(IBlock, GetDrawingValue2),
                                     VTX_OP(IBlock, OnDrawingEvent),
                                     VTX_OP(IBlock, OnDrawingEventEx),
                                     VTX_OP(IBlock, OnBackgroundChanged),
                                     VTX_OP(IBlock, OnAreasChanged),
                                     VTX_OP(IBlock, PaintNCAreas),
                                     VTX_OP(IBlock, ReleaseDrawingResources),
                                     End<IBlock>()});
    ExpectTable("IPropertyContainer", kPropertyContainer + Operations{End<IPropertyContainer>()});

    // The host's class objects: the block class adds its operations after the object class's
    // and ends with its destructor.
    const Operations objectClass =
        kReferenceCounted + Operations{VTX_OP(IObjectClass, GetClassId), VTX_OP(IObjectClass, GetText1),
                                       VTX_OP(IObjectClass, GetText2),   VTX_OP(IObjectClass, GetText3),
                                       VTX_OP(IObjectClass, GetText4),   VTX_OP(IObjectClass, GetBitmap),
                                       VTX_OP(IObjectClass, GetCatalog)};
    ExpectTable("IObjectClass", objectClass + Operations{End<IObjectClass>()});
    ExpectTable("IBlockClass",
                objectClass + Operations{VTX_OP(IBlockClass, GetObjectClasses), VTX_OP(IBlockClass, GetWord1),
                                         VTX_OP(IBlockClass, GetWord2),         VTX_OP(IBlockClass, GetCategories),
                                         VTX_OP(IBlockClass, SetText1),         VTX_OP(IBlockClass, SetText2),
                                         VTX_OP(IBlockClass, SetText3),         VTX_OP(IBlockClass, SetText4),
                                         VTX_OP(IBlockClass, SetBitmap),        VTX_OP(IBlockClass, SetKeyedText1),
                                         VTX_OP(IBlockClass, GetKeyedText1),    VTX_OP(IBlockClass, SetKeyedText2),
                                         VTX_OP(IBlockClass, GetKeyedText2),    VTX_OP(IBlockClass, SetKeyedText3),
                                         VTX_OP(IBlockClass, GetKeyedText3),    VTX_OP(IBlockClass, SetKeyedText4),
                                         VTX_OP(IBlockClass, GetKeyedText4),    VTX_OP(IBlockClass, SetKeyedText5),
                                         VTX_OP(IBlockClass, GetKeyedText5),    VTX_OP(IBlockClass, SetKeyedText6),
                                         VTX_OP(IBlockClass, GetKeyedText6),    Destructor(),
                                         End<IBlockClass>()});

    // Pins and parameters: the pin's operations, then each kind's; a parameter's five flags
    // and its mode word, each a setter and then its getter, in that order.
    const Operations pin =
        kReferenceCounted + Operations{VTX_OP(IBlockPin, GetId),          VTX_OP(IBlockPin, GetName),
                                       VTX_OP(IBlockPin, GetDescription), VTX_OP(IBlockPin, GetTypeCatalogId),
                                       VTX_OP(IBlockPin, GetTypeClassId), VTX_OP(IBlockPin, GetDatatype),
                                       VTX_OP(IBlockPin, GetBlock)};
    ExpectTable("IBlockPin", pin + Operations{End<IBlockPin>()});
    const Operations syncIn = pin + Operations{VTX_OP(ISyncInPin, GetLinkedOutput), VTX_OP(ISyncInPin, HasNewData)};
    const Operations syncOut =
        pin + Operations{VTX_OP(ISyncOutPin, GetLinkCount), VTX_OP(ISyncOutPin, GetLinkedInput)};
    ExpectTable("ISyncInPin", syncIn + Operations{End<ISyncInPin>()});
    ExpectTable("ISyncOutPin", syncOut + Operations{End<ISyncOutPin>()});
    ExpectTable("IInputPin", syncIn + Operations{VTX_OP(IInputPin, GetInputFlag),
                                                 VTX_OP(IInputPin, GetRequiredInterfaces), End<IInputPin>()});
    ExpectTable("IOutputPin", syncOut + Operations{VTX_OP(IOutputPin, GetOutputTag),
                                                   VTX_OP(IOutputPin, GetTypeSourcePinId), End<IOutputPin>()});
    const Operations parameter =
        pin + Operations{VTX_OP(IParameterPin, SetPersistent),
                         VTX_OP(IParameterPin, GetPersistent),
                         VTX_OP(IParameterPin, SetChangeableAtDesignTime),
                         VTX_OP(IParameterPin, GetChangeableAtDesignTime),
                         VTX_OP(IParameterPin, SetChangeableAtRunTime),
                         VTX_OP(IParameterPin, GetChangeableAtRunTime),
                         VTX_OP(IParameterPin, SetInitInfoChangeableAtDesignTime),
                         VTX_OP(IParameterPin, GetInitInfoChangeableAtDesignTime),
                         VTX_OP(IParameterPin, SetInitInfoChangeableAtRunTime),
                         VTX_OP(IParameterPin, GetInitInfoChangeableAtRunTime),
                         VTX_OP(IParameterPin, SetModeWord),
                         VTX_OP(IParameterPin, GetModeWord),
                         VTX_OP(IParameterPin, GetDomain),
                         VTX_OP(IParameterPin, GetValue),
                         VTX_OP(IParameterPin, SetCompareBeforeSet),
                         VTX_OP(IParameterPin, GetCompareBeforeSet)};
    ExpectTable("IParameterPin", parameter + Operations{End<IParameterPin>()});
    ExpectTable("IParameterPinSignature",
                parameter + Operations{VTX_OP(IParameterPinSignature, GetDomainCatalogId),
                                       VTX_OP(IParameterPinSignature, GetDomainClassId),
                                       VTX_OP(IParameterPinSignature, GetCreationWord), End<IParameterPinSignature>()});
    ExpectTable("IEventSource",
                {VTX_OP(IEventSource, SetEventDispatcher),
                 contract::Op("GetEventDispatcher",
                              static_cast<IMessageDispatcher* (IEventSource::*)()>(&IEventSource::GetEventDispatcher)),
                 contract::Op("GetEventDispatcher (second view)",
                              static_cast<const IMessageDispatcher* (IEventSource::*)() const>(
                                  &IEventSource::GetEventDispatcher)),
                 End<IEventSource>()});
    ExpectTable("ICommandTarget", {VTX_OP(ICommandTarget, ExecuteCommand), End<ICommandTarget>()});
    ExpectTable("IAlarmTarget",
                {VTX_OP(IAlarmTarget, Destroy), VTX_OP(IAlarmTarget, OnAlarm), VTX_OP(IAlarmTarget, OnAlarmEx),
                 End<IAlarmTarget>()});
}

TEST(InterfaceContract, DatatypesAndConverter) {
    ExpectTable("ISerialize", kSerialize + Operations{End<ISerialize>()});
    ExpectTable("IDatatypeInitInfo", kSerialize + Operations{End<IDatatypeInitInfo>()});
    ExpectTable("IDatatype", kDatatype + Operations{End<IDatatype>()});
    ExpectTable("IInterval", kDatatype + Operations{VTX_OP(IInterval, SetLower), VTX_OP(IInterval, SetUpper),
                                                    VTX_OP(IInterval, GetLower), VTX_OP(IInterval, GetUpper),
                                                    End<IInterval>()});
    ExpectTable("IIntervalInitInfo", kSerialize + Operations{End<IIntervalInitInfo>()});
    ExpectTable("IDatatypeConverter",
                kObject + Operations{VTX_OP(IDatatypeConverter, SetConverterText1),
                                     VTX_OP(IDatatypeConverter, SetConverterText2),
                                     VTX_OP(IDatatypeConverter, SetConverterText3),
                                     VTX_OP(IDatatypeConverter, SetConverterText4),
                                     VTX_OP(IDatatypeConverter, GetConverterText1),
                                     VTX_OP(IDatatypeConverter, GetConverterText2),
                                     VTX_OP(IDatatypeConverter, GetConverterText3),
                                     VTX_OP(IDatatypeConverter, GetConverterText4),
                                     VTX_OP(IDatatypeConverter, CanConvert),
                                     VTX_OP(IDatatypeConverter, Convert),
                                     End<IDatatypeConverter>()});
}

// What the host supplies and the module calls: the operations named by the module's calls
// first, in the order they are listed, then those named by role.
TEST(InterfaceContract, HostServices) {
    ExpectTable("IKernelServices",
                {VTX_OP(IKernelServices, DestroyObject), VTX_OP(IKernelServices, CreateDatatype),
                 VTX_OP(IKernelServices, CreateDatatypeInitInfo), VTX_OP(IKernelServices, CreateBlockSignature),
                 VTX_OP(IKernelServices, CreateBlockLayout), VTX_OP(IKernelServices, CreateRunTimeContext),
                 VTX_OP(IKernelServices, GetMessageDispatcher), VTX_OP(IKernelServices, GetDiagnosticLog),
                 VTX_OP(IKernelServices, GetBlockInstanceName), VTX_OP(IKernelServices, GetKernelClock),
                 Destructor(), End<IKernelServices>()});
    ExpectTable("IKernelSettings", {VTX_OP(IKernelSettings, HasSetting), VTX_OP(IKernelSettings, GetBoolSetting),
                                    VTX_OP(IKernelSettings, GetInt64Setting), Destructor(),
                                    End<IKernelSettings>()});
    ExpectTable("IRunTimeContext",
                kReferenceCounted + Operations{VTX_OP(IRunTimeContext, IsPatchRunning),
                                               VTX_OP(IRunTimeContext, SetPeriodicActivation),
                                               VTX_OP(IRunTimeContext, GetPeriodicActivation),
                                               VTX_OP(IRunTimeContext, GetPeriodicActivationSettings),
                                               VTX_OP(IRunTimeContext, SetInputActivation),
                                               VTX_OP(IRunTimeContext, GetInputActivation),
                                               VTX_OP(IRunTimeContext, GetInputActivationSettings),
                                               End<IRunTimeContext>()});
    ExpectTable("IPeriodicActivationSettings",
                {VTX_OP(IPeriodicActivationSettings, SetEnabled), VTX_OP(IPeriodicActivationSettings, GetEnabled),
                 VTX_OP(IPeriodicActivationSettings, SetPeriod), VTX_OP(IPeriodicActivationSettings, GetPeriod),
                 End<IPeriodicActivationSettings>()});
    ExpectTable("IInputActivationSettings", {VTX_OP(IInputActivationSettings, SetPinActivation),
                                             VTX_OP(IInputActivationSettings, GetPinActivation),
                                             End<IInputActivationSettings>()});
    ExpectTable("IBlockSignature",
                kReferenceCounted + Operations{VTX_OP(IBlockSignature, GetBlock),
                                               VTX_OP(IBlockSignature, CreateInputPin),
                                               VTX_OP(IBlockSignature, CreateOutputPin),
                                               VTX_OP(IBlockSignature, CreateParameter),
                                               VTX_OP(IBlockSignature, GetInputPins),
                                               VTX_OP(IBlockSignature, GetOutputPins),
                                               VTX_OP(IBlockSignature, GetParameters),
                                               VTX_OP(IBlockSignature, FindInputPin),
                                               VTX_OP(IBlockSignature, FindOutputPin),
                                               VTX_OP(IBlockSignature, FindParameter),
                                               VTX_OP(IBlockSignature, RemoveParameter),
                                               VTX_OP(IBlockSignature, GetTraceLevel),
                                               VTX_OP(IBlockSignature, Clear), End<IBlockSignature>()});
    using Pins = IPinCollection<IInputPin>;
    ExpectTable("IPinCollection", {VTX_OP(Pins, GetCount), VTX_OP(Pins, GetAt), VTX_OP(Pins, HasId),
                                   VTX_OP(Pins, GetById), VTX_OP(Pins, IndexOf), End<Pins>()});
}

TEST(InterfaceContract, EventSinks) {
    ExpectTable("CMsgEventSinkImpl", {Destructor(), VTX_OP(CMsgEventSinkImpl, Notify), End<CMsgEventSinkImpl>()});
    ExpectTable("CMsgMessageEventSinkImpl", SinkOperations<CMsgMessageEventSinkImpl>());
    ExpectTable("CMsgBlockSignatureChangedEventSinkImpl", SinkOperations<CMsgBlockSignatureChangedEventSinkImpl>());
    ExpectTable("CMsgParameterLayoutChangedEventSinkImpl", SinkOperations<CMsgParameterLayoutChangedEventSinkImpl>());
    ExpectTable("CMsgParameterValueChangedEventSinkImpl", SinkOperations<CMsgParameterValueChangedEventSinkImpl>());
    ExpectTable("CMsgParameterEnabledEventSinkImpl", SinkOperations<CMsgParameterEnabledEventSinkImpl>());
    ExpectTable("CMsgBitmapChangedEventSinkImpl", SinkOperations<CMsgBitmapChangedEventSinkImpl>());
    ExpectTable("CMsgOwnerDrawnAreaChangedEventSinkImpl", SinkOperations<CMsgOwnerDrawnAreaChangedEventSinkImpl>());
    ExpectTable("CMsgDocumentSizeChangedEventSinkImpl", SinkOperations<CMsgDocumentSizeChangedEventSinkImpl>());
    ExpectTable("CMsgPatchTopologyChangedEventSinkImpl", SinkOperations<CMsgPatchTopologyChangedEventSinkImpl>());
    ExpectTable("CMsgSubpatchPinInfoChangedEventSinkImpl", SinkOperations<CMsgSubpatchPinInfoChangedEventSinkImpl>());
}

// The objects with more than one interface table: the tables in their order. (The block's
// five are checked with the block tests.)
struct PlainMessageSink : CMsgMessageEventSinkImpl {
    void Handle(EventValue, EventValue, const char*) override {}
};

TEST(InterfaceContract, TablesInsideObjects) {
    auto* collection = new ClassInfoCollection;
    IObjectClassCollection<IObjectClassInfo>* asCollection = collection;
    ExpectTablesInOrder("CObjectClassCollectionImpl", collection,
                        {static_cast<RC*>(asCollection), static_cast<ICollectionBase<IObjectClassInfo>*>(asCollection)});
    collection->Destroy();

    vtxhost::CKernelServices services;
    ExpectTablesInOrder("CKernelServices", &services,
                        {static_cast<IKernelServices*>(&services), static_cast<IKernelSettings*>(&services)});

    // A sink's callback comes first; the shared sink base is reached through the virtual base.
    PlainMessageSink sink;
    ExpectTablesInOrder("CMsgMessageEventSinkImpl", &sink,
                        {static_cast<IEventDispatcher::IMessageCallback*>(&sink),
                         static_cast<CMsgEventSinkImpl*>(&sink)});
}

}  // namespace
