// The binary contract with the host, type by type: every operation of every host-facing
// interface with the function type its published description gives it (result, parameters,
// const-ness, calling convention), the entry points with theirs, and the size and field
// offsets of the plain records handed across. All of it is checked when this file
// compiles: a header or an implementation that changes a type fails the build with the
// interface and the operation named. The slot tables beside it (InterfaceContractTest.cpp)
// check the order.
//
// Counts and indices are 32-bit (`std::int32_t`, the platform's `int` wherever the host
// runs), language ids 16-bit, object identifiers 64-bit, times 64-bit signed. The
// headers name no calling convention, so every operation has the platform's default; one
// declared with another (an `__attribute__((ms_abi))`, a `__stdcall` where it exists) has
// another function type and fails here.
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "VirtualSlots.h"
#include "module/CatalogFactory.h"
#include "module/DllSignature.h"
#include "sdk/events/EventSinks.h"
#include "sdk/events/MsgEventSinkImpl.h"
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
#include "vtx/Exception.h"
#include "vtx/Exports.h"
#include "vtx/Interval.h"
#include "vtx/KernelServices.h"
#include "vtx/Object.h"
#include "vtx/ObjectClass.h"
#include "vtx/ObjectClassReference.h"
#include "vtx/Pin.h"
#include "vtx/Property.h"
#include "vtx/PropertyContainer.h"
#include "vtx/RunTimeContext.h"
#include "vtx/ThreadSpecificValue.h"

namespace contract_types {

using namespace Vtx;
using std::int16_t;
using std::int32_t;
using std::int64_t;
using std::uint16_t;
using std::uint32_t;
using std::uint64_t;
using std::uintptr_t;
using RC = ulx::I_ReferenceCountedClass;
using Text = const char*;

// ---- the entry points ------------------------------------------------------------------

static_assert(std::is_same_v<VtxGetSDKVersionFn, const char* (*)()>, "VtxUserDll_GetSDKVersion");
static_assert(std::is_same_v<VtxGetDllIdentifierFn, const char* (*)()>, "VtxUserDll_GetDllIdentifier");
static_assert(std::is_same_v<VtxIsDebugBuildFn, bool (*)()>, "VtxUserDll_IsDebugBuild: a one-byte bool");
static_assert(sizeof(bool) == 1, "VtxUserDll_IsDebugBuild answers one byte");
static_assert(std::is_same_v<VtxGetDllSignatureFn, IDllSignature* (*)(uint16_t)>,
              "VtxUserDll_GetDllSignature takes a 16-bit language id");
static_assert(std::is_same_v<VtxGetDllLanguageIDCountFn, int32_t (*)()>, "VtxUserDll_GetDllLanguageIDCount");
static_assert(std::is_same_v<VtxGetDllLanguageIDFn, uint16_t (*)(int32_t)>,
              "VtxUserDll_GetDllLanguageID takes an index, answers a 16-bit language id");
static_assert(std::is_same_v<VtxSetThreadSpecificPtrFn, void (*)(IThreadSpecificValue*)>,
              "VtxUserDll_SetThreadSpecificPtr");
static_assert(std::is_same_v<VtxDllMainFn, int (*)(void*, unsigned long, void*)>, "DllMain");

// ---- reference counting and the module boundary ----------------------------------------

VTX_TYPE(RC, Destroy, int32_t());
VTX_TYPE(RC, AddRef, int32_t());
VTX_TYPE(RC, Release, int32_t());

VTX_TYPE(IThreadSpecificValue, AcquireThreadValue, void*());
VTX_TYPE(IThreadSpecificValue, ReleaseThreadValue, void());
VTX_TYPE(IThreadSpecificValue, GetText, Text());
VTX_TYPE(IThreadSpecificValue, SetText, void(Text));

VTX_TYPE(IDllSignature, Destroy, int32_t());
VTX_TYPE(IDllSignature, ClearClassInfos, void());
VTX_TYPE(IDllSignature, GetCatalogId, Text());
VTX_TYPE(IDllSignature, GetLanguageId, uint16_t());
VTX_TYPE(IDllSignature, GetName, Text());
VTX_TYPE(IDllSignature, GetDescription, Text());
VTX_TYPE(IDllSignature, GetBitmapId, uint32_t());
VTX_TYPE(IDllSignature, GetBlockClasses, IObjectClassCollection<ILibraryObjectClassInfo>*());
VTX_TYPE(IDllSignature, GetSubpatchClasses, IObjectClassCollection<ILibraryObjectClassInfo>*());
VTX_TYPE(IDllSignature, GetDatatypeClasses, IObjectClassCollection<IDatatypeClassInfo>*());
VTX_TYPE(IDllSignature, GetDatatypeDomainClasses, IObjectClassCollection<ISignedObjectClassInfo>*());
VTX_TYPE(IDllSignature, GetDatatypeLayoutClasses, IObjectClassCollection<ISignedObjectClassInfo>*());
VTX_TYPE(IDllSignature, GetDatatypeInterfaceClasses, IObjectClassCollection<ISignedObjectClassInfo>*());
VTX_TYPE(IDllSignature, GetDatatypeConverterClasses, IObjectClassCollection<IDatatypeConverterClassInfo>*());
VTX_TYPE(IDllSignature, GetDeviceClasses, IObjectClassCollection<ISignedObjectClassInfo>*());
VTX_TYPE(IDllSignature, GetDeviceEnumerators, IObjectClassCollection<IDeviceEnumeratorInfo>*());
VTX_TYPE(IDllSignature, GetClockClasses, IObjectClassCollection<ISignedObjectClassInfo>*());
VTX_TYPE(IDllSignature, GetCompanies, IObjectClassCollection<IObjectClassInfo>*());
VTX_TYPE(IDllSignature, GetAuthors, IObjectClassCollection<IObjectClassInfo>*());
VTX_TYPE(IDllSignature, GetLicences, IObjectClassCollection<IObjectClassInfo>*());
VTX_TYPE(IDllSignature, GetCategories, IObjectClassCollection<ICategoryClassInfo>*());
VTX_TYPE(IDllSignature, GetPatchStorageClasses, IObjectClassCollection<IPatchStorageClassInfo>*());
using Context = const OBJECT_CREATIONCTX*;
VTX_TYPE(IDllSignature, CreateBlock, IBlock*(Text, Context));
VTX_TYPE(IDllSignature, CreateDatatype, IDatatype*(Text, Context));
VTX_TYPE(IDllSignature, HasDatatypeInitInfo, bool(Text));
VTX_TYPE(IDllSignature, CreateDatatypeInitInfo, IDatatypeInitInfo*(Text, Context));
VTX_TYPE(IDllSignature, CreateDatatypeDomain, IDatatypeDomain*(Text, Context));
VTX_TYPE(IDllSignature, CreateDatatypeLayout, IDatatypeLayout*(Text, Context));
VTX_TYPE(IDllSignature, CreateDatatypeConverter, IDatatypeConverter*(Text, Context));
VTX_TYPE(IDllSignature, CreateDevice, IDevice*(Text, Context));
VTX_TYPE(IDllSignature, CreateDeviceEnumerator, IDeviceEnumerator*(Text, Context));
VTX_TYPE(IDllSignature, CreateClock, IClock*(Text, Context));
VTX_TYPE(IDllSignature, CreateSubpatch, ISubpatchBlock*(Text, Context));
VTX_TYPE(IDllSignature, CreatePatchStorage, IPatchStorage*(Text, Context));

// The catalog factory's opaque argument and result are as wide as a pointer: 32 bits where
// the platform's pointers are, and wide enough here for what a create function passes
// through them (an object's address).
static_assert(sizeof(CatalogArgument) == sizeof(void*) && std::is_unsigned_v<CatalogArgument>,
              "ICatalogFactory's opaque word is an unsigned word of a pointer's width");
VTX_TYPE(ICatalogFactory, Destroy, int32_t());
VTX_TYPE(ICatalogFactory, GetCatalogsCount, int32_t());
VTX_TYPE(ICatalogFactory, GetCatalogId, Text(int32_t));
VTX_TYPE(ICatalogFactory, GetCatalogIndex, int32_t(Text));
VTX_TYPE(ICatalogFactory, CreateCatalog, uintptr_t(int32_t, uintptr_t));
VTX_TYPE(CCatalogFactoryImpl, AddRef, int32_t());
VTX_TYPE(CCatalogFactoryImpl, Release, int32_t());

// ---- class-information records ---------------------------------------------------------

VTX_TYPE(IObjectClassInfo, GetClassId, Text());
VTX_TYPE(IObjectClassInfo, Clear, void());
VTX_TYPE(IObjectClassInfo, GetName, Text());
VTX_TYPE(IObjectClassInfo, GetDescription, Text());
VTX_TYPE(IObjectClassInfo, GetThirdText, Text());
VTX_TYPE(IObjectClassInfo, GetFourthText, Text());
VTX_TYPE(IObjectClassInfo, GetBitmapId, uint32_t());
VTX_TYPE(ICategoryClassInfo, GetCategoryEntries, TEXT_TRIPLE_LIST*());
VTX_TYPE(ICategoryClassInfo, FreeCategoryEntries, void(TEXT_TRIPLE_LIST*));
VTX_TYPE(ISignedObjectClassInfo, GetAuthorIds, TEXT_LIST*());
VTX_TYPE(ISignedObjectClassInfo, GetCompanyId, Text());
VTX_TYPE(ISignedObjectClassInfo, GetLicenceId, Text());
VTX_TYPE(ISignedObjectClassInfo, GetTextTriples, TEXT_TRIPLE_LIST*());
VTX_TYPE(ILibraryObjectClassInfo, GetLibraryPath, Text());
VTX_TYPE(IDatatypeClassInfo, HasInitInfo, bool());
VTX_TYPE(IDatatypeClassInfo, GetTextPairs, IObjectClassReferenceCollection*());
VTX_TYPE(IDatatypeConverterClassInfo, GetConverterText1, Text());
VTX_TYPE(IDatatypeConverterClassInfo, GetConverterText2, Text());
VTX_TYPE(IDatatypeConverterClassInfo, GetConverterText3, Text());
VTX_TYPE(IDatatypeConverterClassInfo, GetConverterText4, Text());
VTX_TYPE(IDatatypeConverterClassInfo, GetConverterValue, int32_t());
VTX_TYPE(IPatchStorageClassInfo, GetStorageFlag1, bool());
VTX_TYPE(IPatchStorageClassInfo, GetStorageFlag2, bool());
VTX_TYPE(IPatchStorageClassInfo, GetStorageFlag3, bool());
VTX_TYPE(IPatchStorageClassInfo, GetStorageText, Text());
VTX_TYPE(IDeviceEnumeratorInfo, GetClassId, Text());
VTX_TYPE(IDeviceEnumeratorInfo, Clear, void());
VTX_TYPE(IDeviceEnumeratorInfo, GetFlag, bool());

// ---- collections, properties, class references, exceptions --------------------------------

using Item = IObjectClassInfo;
using Base = ICollectionBase<Item>;
using Collection = ICollection<Item>;
using ClassCollection = IObjectClassCollection<Item>;
VTX_TYPE(Base, GetCount, int32_t());
VTX_TYPE(Base, IsEmpty, bool());
VTX_TYPE(Base, Clear, void());
VTX_TYPE(Base, GetSize, int32_t());
VTX_TYPE(Collection, GetAt, Item*(int32_t));
VTX_TYPE(Collection, GetItem, Item*(int32_t));
VTX_TYPE(Collection, Contains, bool(Item*));
VTX_TYPE(Collection, Remove, void(Item*));
VTX_TYPE(Collection, RemoveAt, void(int32_t));
VTX_TYPE(Collection, Add, int32_t(Item*));
VTX_TYPE(Collection, SetAt, void(int32_t, Item*));
VTX_TYPE(ClassCollection, HasClassId, bool(Text));
VTX_TYPE(ClassCollection, GetItemByClassId, Item*(Text));
VTX_TYPE(ClassCollection, GetIndex, int32_t(Text));

VTX_TYPE(IProperty, GetType, int32_t());
VTX_TYPE(IProperty, GetName, Text());
VTX_TYPE(IProperty, SetName, void(Text));
VTX_TYPE(IProperty, GetValueText, Text());
VTX_TYPE(IProperty, CopyValue, void(IProperty*));
VTX_TYPE(IProperty, SetValueText, void(Text));
VTX_TYPE(IProperty, GetInt, int32_t());
VTX_TYPE(IProperty, SetInt, void(int32_t));
VTX_TYPE(IProperty, GetBool, bool());
VTX_TYPE(IProperty, SetBool, void(bool));
VTX_TYPE(IProperty, GetDouble, double());
VTX_TYPE(IProperty, SetDouble, void(double));
VTX_TYPE(IProperty, GetFloat, float());
VTX_TYPE(IProperty, SetFloat, void(float));
VTX_TYPE(IProperty, GetString, Text());
VTX_TYPE(IProperty, SetString, void(Text));
VTX_TYPE(IProperty, GetChar, char());
VTX_TYPE(IProperty, SetChar, void(char));
VTX_TYPE(IProperty, GetShort, int16_t());
VTX_TYPE(IProperty, SetShort, void(int16_t));
VTX_TYPE(IProperty, GetInt64, int64_t());
VTX_TYPE(IProperty, SetInt64, void(int64_t));
VTX_TYPE(IProperty, GetInt64B, int64_t());
VTX_TYPE(IProperty, SetInt64B, void(int64_t));
VTX_TYPE(IPropertyCollection, GetName, Text());
VTX_TYPE(IPropertyCollection, HasProperty, bool(Text));
VTX_TYPE(IPropertyCollection, GetPropertyByName, IProperty*(Text));
VTX_TYPE(IPropertyCollection, GetIndexByName, int32_t(Text));

using PC = IPropertyContainer;
VTX_TYPE(PC, AddPropertySet, void(Text));
VTX_TYPE(PC, GetPropertySetCount, int32_t());
VTX_TYPE(PC, GetPropertySet, IPropertyCollection*(Text));
VTX_TYPE(PC, GetPropertySetAt, IPropertyCollection*(int32_t));
VTX_TYPE(PC, HasPropertySet, bool(Text));
VTX_TYPE(PC, HasProperty, bool(Text, Text));
VTX_TYPE(PC, GetPropertyValueText, Text(Text, Text));
VTX_TYPE(PC, SetProperty, void(Text, IProperty*));
VTX_TYPE(PC, SetPropertyValueText, void(Text, Text, Text));
VTX_TYPE(PC, GetIntProperty, int32_t(Text, Text));
VTX_TYPE(PC, SetIntProperty, void(Text, Text, int32_t));
VTX_TYPE(PC, GetBoolProperty, bool(Text, Text));
VTX_TYPE(PC, SetBoolProperty, void(Text, Text, bool));
VTX_TYPE(PC, GetDoubleProperty, double(Text, Text));
VTX_TYPE(PC, SetDoubleProperty, void(Text, Text, double));
VTX_TYPE(PC, GetFloatProperty, float(Text, Text));
VTX_TYPE(PC, SetFloatProperty, void(Text, Text, float));
VTX_TYPE(PC, GetStringProperty, Text(Text, Text));
VTX_TYPE(PC, SetStringProperty, void(Text, Text, Text));
VTX_TYPE(PC, GetCharProperty, char(Text, Text));
VTX_TYPE(PC, SetCharProperty, void(Text, Text, char));
VTX_TYPE(PC, GetShortProperty, int16_t(Text, Text));
VTX_TYPE(PC, SetShortProperty, void(Text, Text, int16_t));
VTX_TYPE(PC, GetInt64Property, int64_t(Text, Text));
VTX_TYPE(PC, SetInt64Property, void(Text, Text, int64_t));
VTX_TYPE(PC, GetInt64BProperty, int64_t(Text, Text));
VTX_TYPE(PC, SetInt64BProperty, void(Text, Text, int64_t));
VTX_TYPE(PC, RemoveProperty, void(Text, Text));
VTX_TYPE(PC, RemoveAllProperties, void(Text));

VTX_TYPE(IObjectClassReference, GetCatalogId, Text());
VTX_TYPE(IObjectClassReference, SetCatalogId, void(Text));
VTX_TYPE(IObjectClassReference, GetClassId, Text());
VTX_TYPE(IObjectClassReference, SetClassId, void(Text));
VTX_TYPE(ICategoryItemReference, GetThirdText, Text());
VTX_TYPE(ICategoryItemReference, SetThirdText, void(Text));
using References = IObjectClassReferenceCollection;
VTX_TYPE(References, GetCount, int32_t());
VTX_TYPE(References, Add, void(Text, Text));
VTX_TYPE(References, AddAll, void(References*));
VTX_TYPE(References, Remove, void(Text, Text));
VTX_TYPE(References, Contains, bool(Text, Text));
VTX_TYPE(References, GetItemByIds, IObjectClassReference*(Text, Text));
VTX_TYPE(References, GetItem, IObjectClassReference*(int32_t));
VTX_TYPE(References, ContainsAll, bool(References*));
VTX_TYPE(References, Clear, void());

VTX_TYPE(IException, Destroy, int32_t());
VTX_TYPE(IException, GetMessageText, Text());

// ---- objects, classes, blocks ----------------------------------------------------------

VTX_TYPE(IObject, DeleteInstance, void());
VTX_TYPE(IObject, GetObjectIdentifier, uint64_t());
VTX_TYPE(IObject, GetObjectClass, IObjectClass*());
VTX_TYPE(IObject, GetTypedObjectClass, IObjectClass*());
VTX_OVERLOAD_TYPE(IObject, GetKernelServices, IKernelServices*());
VTX_OVERLOAD_TYPE(IObject, GetKernelServices, IKernelServices*() const);

VTX_TYPE(IObjectClass, GetClassId, Text());
VTX_TYPE(IObjectClass, GetText1, Text());
VTX_TYPE(IObjectClass, GetText2, Text());
VTX_TYPE(IObjectClass, GetText3, Text());
VTX_TYPE(IObjectClass, GetText4, Text());
VTX_TYPE(IObjectClass, GetBitmap, BitmapHandle());
VTX_TYPE(IObjectClass, GetCatalog, IObjectClass*());
VTX_TYPE(IBlockClass, GetObjectClasses, IObjectClassCollection<IObjectClass>*());
VTX_TYPE(IBlockClass, GetWord1, uint32_t());
VTX_TYPE(IBlockClass, GetWord2, uint32_t());
VTX_TYPE(IBlockClass, GetCategories, IObjectClassCollection<ICategoryItemReference>*());
VTX_TYPE(IBlockClass, SetText1, void(Text));
VTX_TYPE(IBlockClass, SetText2, void(Text));
VTX_TYPE(IBlockClass, SetText3, void(Text));
VTX_TYPE(IBlockClass, SetText4, void(Text));
VTX_TYPE(IBlockClass, SetBitmap, void(BitmapHandle));
VTX_TYPE(IBlockClass, SetKeyedText1, void(Text, Text));
VTX_TYPE(IBlockClass, GetKeyedText1, Text(Text));
VTX_TYPE(IBlockClass, SetKeyedText2, void(Text, Text));
VTX_TYPE(IBlockClass, GetKeyedText2, Text(Text));
VTX_TYPE(IBlockClass, SetKeyedText3, void(Text, Text));
VTX_TYPE(IBlockClass, GetKeyedText3, Text(Text));
VTX_TYPE(IBlockClass, SetKeyedText4, void(Text, Text));
VTX_TYPE(IBlockClass, GetKeyedText4, Text(Text));
VTX_TYPE(IBlockClass, SetKeyedText5, void(Text, Text));
VTX_TYPE(IBlockClass, GetKeyedText5, Text(Text));
VTX_TYPE(IBlockClass, SetKeyedText6, void(Text, Text));
VTX_TYPE(IBlockClass, GetKeyedText6, Text(Text));

VTX_TYPE(IBlock, InitInstance, void(IBlockSignature*, IBlockLayout*, uintptr_t));
VTX_TYPE(IBlock, DoneInstance, void());
VTX_TYPE(IBlock, GetSignature, IBlockSignature*());
VTX_TYPE(IBlock, GetLayout, IBlockLayout*());
VTX_TYPE(IBlock, GetExtensionA, IBlockExtension*());
VTX_TYPE(IBlock, GetExtensionB, IBlockExtension*());
VTX_TYPE(IBlock, GetRunTimeContext, IRunTimeContext*());
VTX_TYPE(IBlock, GetOptionFlag0, bool());
VTX_TYPE(IBlock, Init, bool(IKernelClock*, void*, uintptr_t, uintptr_t));
VTX_TYPE(IBlock, Check, bool());
VTX_TYPE(IBlock, Start, bool());
VTX_TYPE(IBlock, Execute, bool(uintptr_t));
VTX_TYPE(IBlock, Stop, void());
VTX_TYPE(IBlock, Done, void());
VTX_TYPE(IBlock, SetParameter, bool(IParameterPinSignature*, IDatatype*));
VTX_TYPE(IBlock, GetOptionFlag6, bool());
VTX_TYPE(IBlock, GetOptionFlag1, bool());
VTX_TYPE(IBlock, HasOwnerDrawnArea, bool());
VTX_TYPE(IBlock, GetOptionFlag3, bool());
VTX_TYPE(IBlock, CreateOwnerDrawnWindow, void*(void*));
VTX_TYPE(IBlock, DestroyOwnerDrawnWindow, void());
VTX_TYPE(IBlock, GetOptionFlag4, bool());
VTX_TYPE(IBlock, GetOptionFlag5, bool());
VTX_TYPE(IBlock, CreatePropertyWindow, void*(void*));
VTX_TYPE(IBlock, DestroyPropertyWindow, void());
VTX_TYPE(IBlock, GetOptionFlag7, bool());
VTX_TYPE(IBlock, GetOwnerDrawnSize, BlockSize*(BlockSize*));
VTX_TYPE(IBlock, GetDrawingValue1, int32_t());
VTX_TYPE(IBlock, GetDrawingValue2, int32_t());
VTX_TYPE(IBlock, OnDrawingEvent, void(uintptr_t, uintptr_t));
VTX_TYPE(IBlock, OnDrawingEventEx, void(uintptr_t, uintptr_t, uintptr_t));
VTX_TYPE(IBlock, OnBackgroundChanged, bool(void*));
VTX_TYPE(IBlock, OnAreasChanged, void(uintptr_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                                      int32_t, uintptr_t));
VTX_TYPE(IBlock, PaintNCAreas, void(void*, const BlockRect*, int32_t, uintptr_t));
VTX_TYPE(IBlock, ReleaseDrawingResources, bool());

VTX_TYPE(IEventSource, SetEventDispatcher, void(IMessageDispatcher*));
VTX_OVERLOAD_TYPE(IEventSource, GetEventDispatcher, IMessageDispatcher*());
VTX_OVERLOAD_TYPE(IEventSource, GetEventDispatcher, const IMessageDispatcher*() const);
VTX_TYPE(ICommandTarget, ExecuteCommand, bool(ICommand*));
VTX_TYPE(IAlarmTarget, Destroy, int32_t());
VTX_TYPE(IAlarmTarget, OnAlarm, void(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t));
VTX_TYPE(IAlarmTarget, OnAlarmEx, void(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                       uintptr_t, uintptr_t));

// ---- datatypes and the converter -------------------------------------------------------

VTX_TYPE(ISerialize, SerializeBinary, SerializeBuffer*());
VTX_TYPE(ISerialize, FreeBinary, void(SerializeBuffer*));
VTX_TYPE(ISerialize, UnserializeBinary, bool(const SerializeBuffer*));
VTX_TYPE(ISerialize, SerializeString, char*());
VTX_TYPE(ISerialize, FreeString, void(char*));
VTX_TYPE(ISerialize, UnserializeString, bool(Text));
VTX_TYPE(ISerialize, CopyFrom, void(ISerialize*));
VTX_TYPE(ISerialize, IsEqual, bool(ISerialize*));
static_assert(std::is_same_v<DatatypeTime, int64_t>, "datatype times are 64-bit signed");
VTX_TYPE(IDatatype, InitInstance, void(IDatatypeInitInfo*));
VTX_TYPE(IDatatype, DoneInstance, void());
VTX_TYPE(IDatatype, GetInitInfo, IDatatypeInitInfo*());
VTX_TYPE(IDatatype, Swap, void(IDatatype*));
VTX_TYPE(IDatatype, GetTimestamp, int64_t());
VTX_TYPE(IDatatype, SetTimestamp, void(int64_t));
VTX_TYPE(IDatatype, GetTimeA, int64_t());
VTX_TYPE(IDatatype, SetTimeA, void(int64_t));
VTX_TYPE(IDatatype, GetTimeB, int64_t());
VTX_TYPE(IDatatype, SetTimeB, void(int64_t));
VTX_TYPE(IDatatype, GetTimeD, int64_t());
VTX_TYPE(IDatatype, SetTimeD, void(int64_t));
VTX_TYPE(IDatatype, GetTimeC, int64_t());
VTX_TYPE(IDatatype, SetTimeC, void(int64_t));
VTX_TYPE(IDatatype, SetTimeFactor, void(double));
VTX_TYPE(IDatatype, GetTimeFactor, double());
VTX_TYPE(IInterval, SetLower, void(double));
VTX_TYPE(IInterval, SetUpper, void(double));
VTX_TYPE(IInterval, GetLower, double());
VTX_TYPE(IInterval, GetUpper, double());
VTX_TYPE(IDatatypeConverter, SetConverterText1, void(Text));
VTX_TYPE(IDatatypeConverter, SetConverterText2, void(Text));
VTX_TYPE(IDatatypeConverter, SetConverterText3, void(Text));
VTX_TYPE(IDatatypeConverter, SetConverterText4, void(Text));
VTX_TYPE(IDatatypeConverter, GetConverterText1, Text());
VTX_TYPE(IDatatypeConverter, GetConverterText2, Text());
VTX_TYPE(IDatatypeConverter, GetConverterText3, Text());
VTX_TYPE(IDatatypeConverter, GetConverterText4, Text());
VTX_TYPE(IDatatypeConverter, CanConvert, bool(IDatatype*, IDatatype*));
VTX_TYPE(IDatatypeConverter, Convert, bool(IDatatype*, IDatatype*));

// ---- what the host supplies ------------------------------------------------------------

VTX_TYPE(IKernelServices, DestroyObject, int32_t(IObject*));
VTX_TYPE(IKernelServices, CreateDatatype, IDatatype*(Text, Text));
VTX_TYPE(IKernelServices, CreateDatatypeInitInfo, IDatatypeInitInfo*(Text, Text));
VTX_TYPE(IKernelServices, CreateBlockSignature, IBlockSignature*(IBlock*));
VTX_TYPE(IKernelServices, CreateBlockLayout, IBlockLayout*(IBlock*));
VTX_TYPE(IKernelServices, CreateRunTimeContext, IRunTimeContext*(IBlock*));
VTX_TYPE(IKernelServices, GetMessageDispatcher, IMessageDispatcher*());
VTX_TYPE(IKernelServices, GetDiagnosticLog, IDiagnosticLog*());
VTX_TYPE(IKernelServices, GetBlockInstanceName, Text(IBlock*));
VTX_TYPE(IKernelServices, GetKernelClock, IKernelClock*());
VTX_TYPE(IKernelSettings, HasSetting, bool(Text, Text));
VTX_TYPE(IKernelSettings, GetBoolSetting, bool(Text, Text));
VTX_TYPE(IKernelSettings, GetInt64Setting, int64_t(Text, Text));

VTX_TYPE(IRunTimeContext, IsPatchRunning, bool());
VTX_TYPE(IRunTimeContext, SetPeriodicActivation, void(bool));
VTX_TYPE(IRunTimeContext, GetPeriodicActivation, bool());
VTX_TYPE(IRunTimeContext, GetPeriodicActivationSettings, IPeriodicActivationSettings*());
VTX_TYPE(IRunTimeContext, SetInputActivation, void(bool));
VTX_TYPE(IRunTimeContext, GetInputActivation, bool());
VTX_TYPE(IRunTimeContext, GetInputActivationSettings, IInputActivationSettings*());
VTX_TYPE(IPeriodicActivationSettings, SetEnabled, void(bool));
VTX_TYPE(IPeriodicActivationSettings, GetEnabled, bool());
VTX_TYPE(IPeriodicActivationSettings, SetPeriod, void(int64_t));
VTX_TYPE(IPeriodicActivationSettings, GetPeriod, int64_t());
VTX_TYPE(IInputActivationSettings, SetPinActivation, void(Text, bool));
VTX_TYPE(IInputActivationSettings, GetPinActivation, bool(Text));

VTX_TYPE(IBlockSignature, GetBlock, IBlock*());
VTX_TYPE(IBlockSignature, CreateInputPin, IInputPin*(Text, Text, Text, Text, Text, bool, bool, bool));
VTX_TYPE(IBlockSignature, CreateOutputPin, IOutputPin*(Text, Text, Text, Text, Text, Text, Text));
VTX_TYPE(IBlockSignature, CreateParameter, IParameterPinSignature*(Text, Text, Text, Text, Text, Text, Text, uint32_t));
VTX_TYPE(IBlockSignature, GetInputPins, IPinCollection<IInputPin>*());
VTX_TYPE(IBlockSignature, GetOutputPins, IPinCollection<IOutputPin>*());
VTX_TYPE(IBlockSignature, GetParameters, IPinCollection<IParameterPinSignature>*());
VTX_TYPE(IBlockSignature, FindInputPin, IInputPin*(Text));
VTX_TYPE(IBlockSignature, FindOutputPin, IOutputPin*(Text));
VTX_TYPE(IBlockSignature, FindParameter, IParameterPinSignature*(Text));
VTX_TYPE(IBlockSignature, RemoveParameter, IParameterPinSignature*(Text));
VTX_TYPE(IBlockSignature, GetTraceLevel, IDatatype*());
VTX_TYPE(IBlockSignature, Clear, void());
using Pins = IPinCollection<IInputPin>;
VTX_TYPE(Pins, GetCount, int32_t());
VTX_TYPE(Pins, GetAt, IInputPin*(int32_t));
VTX_TYPE(Pins, HasId, bool(Text));
VTX_TYPE(Pins, GetById, IInputPin*(Text));
VTX_TYPE(Pins, IndexOf, int32_t(Text));

VTX_TYPE(IBlockPin, GetId, Text());
VTX_TYPE(IBlockPin, GetName, Text());
VTX_TYPE(IBlockPin, GetDescription, Text());
VTX_TYPE(IBlockPin, GetTypeCatalogId, Text());
VTX_TYPE(IBlockPin, GetTypeClassId, Text());
VTX_TYPE(IBlockPin, GetDatatype, IDatatype*());
VTX_TYPE(IBlockPin, GetBlock, IBlock*());
// The parameter's five flags and its mode word, each a setter then its getter.
VTX_TYPE(IParameterPin, SetPersistent, void(bool));
VTX_TYPE(IParameterPin, GetPersistent, bool());
VTX_TYPE(IParameterPin, SetChangeableAtDesignTime, void(bool));
VTX_TYPE(IParameterPin, GetChangeableAtDesignTime, bool());
VTX_TYPE(IParameterPin, SetChangeableAtRunTime, void(bool));
VTX_TYPE(IParameterPin, GetChangeableAtRunTime, bool());
VTX_TYPE(IParameterPin, SetInitInfoChangeableAtDesignTime, void(bool));
VTX_TYPE(IParameterPin, GetInitInfoChangeableAtDesignTime, bool());
VTX_TYPE(IParameterPin, SetInitInfoChangeableAtRunTime, void(bool));
VTX_TYPE(IParameterPin, GetInitInfoChangeableAtRunTime, bool());
VTX_TYPE(IParameterPin, SetModeWord, void(uint32_t));
VTX_TYPE(IParameterPin, GetModeWord, uint32_t());
VTX_TYPE(IParameterPin, GetDomain, IDatatypeDomain*());
VTX_TYPE(IParameterPin, GetValue, IDatatype*());
VTX_TYPE(IParameterPin, SetCompareBeforeSet, void(bool));
VTX_TYPE(IParameterPin, GetCompareBeforeSet, bool());

// ---- event sinks: the dispatcher's callback and the user's handler, one type -------------

using V = EventValue;
using Object = RC*;
VTX_TYPE(CMsgEventSinkImpl, Notify, void());
VTX_TYPE(CMsgMessageEventSinkImpl, Invoke, void(V, V, Text));
VTX_TYPE(CMsgMessageEventSinkImpl, Handle, void(V, V, Text));
VTX_TYPE(CMsgBlockSignatureChangedEventSinkImpl, Invoke, void(V, Object));
VTX_TYPE(CMsgBlockSignatureChangedEventSinkImpl, Handle, void(V, Object));
VTX_TYPE(CMsgParameterLayoutChangedEventSinkImpl, Invoke, void(V, Text, Object));
VTX_TYPE(CMsgParameterLayoutChangedEventSinkImpl, Handle, void(V, Text, Object));
VTX_TYPE(CMsgParameterValueChangedEventSinkImpl, Invoke, void(V, V, Object));
VTX_TYPE(CMsgParameterValueChangedEventSinkImpl, Handle, void(V, V, Object));
VTX_TYPE(CMsgParameterEnabledEventSinkImpl, Invoke, void(V, Text, V));
VTX_TYPE(CMsgParameterEnabledEventSinkImpl, Handle, void(V, Text, V));
VTX_TYPE(CMsgBitmapChangedEventSinkImpl, Invoke, void(V, Object));
VTX_TYPE(CMsgBitmapChangedEventSinkImpl, Handle, void(V, Object));
VTX_TYPE(CMsgOwnerDrawnAreaChangedEventSinkImpl, Invoke, void(V));
VTX_TYPE(CMsgOwnerDrawnAreaChangedEventSinkImpl, Handle, void(V));
VTX_TYPE(CMsgDocumentSizeChangedEventSinkImpl, Invoke, void(V));
VTX_TYPE(CMsgDocumentSizeChangedEventSinkImpl, Handle, void(V));
VTX_TYPE(CMsgPatchTopologyChangedEventSinkImpl, Invoke, void(V));
VTX_TYPE(CMsgPatchTopologyChangedEventSinkImpl, Handle, void(V));
VTX_TYPE(CMsgSubpatchPinInfoChangedEventSinkImpl, Invoke, void(V));
VTX_TYPE(CMsgSubpatchPinInfoChangedEventSinkImpl, Handle, void(V));

// ---- the plain records handed across ---------------------------------------------------

constexpr std::size_t AlignedTo(std::size_t offset, std::size_t alignment) {
    return (offset + alignment - 1) / alignment * alignment;
}
constexpr std::size_t kPointer = sizeof(void*);

// The creation context: a 64-bit identifier, a 16-bit language id, the class, the kernel
// services, each at its natural alignment.
static_assert(std::is_standard_layout_v<OBJECT_CREATIONCTX>, "OBJECT_CREATIONCTX is a plain record");
static_assert(std::is_same_v<decltype(OBJECT_CREATIONCTX::objectId), uint64_t>, "OBJECT_CREATIONCTX::objectId");
static_assert(std::is_same_v<decltype(OBJECT_CREATIONCTX::languageId), uint16_t>, "OBJECT_CREATIONCTX::languageId");
static_assert(std::is_same_v<decltype(OBJECT_CREATIONCTX::objectClass), IObjectClass*>, "OBJECT_CREATIONCTX::objectClass");
static_assert(std::is_same_v<decltype(OBJECT_CREATIONCTX::kernelServices), IKernelServices*>,
              "OBJECT_CREATIONCTX::kernelServices");
static_assert(offsetof(OBJECT_CREATIONCTX, objectId) == 0, "OBJECT_CREATIONCTX::objectId comes first");
static_assert(offsetof(OBJECT_CREATIONCTX, languageId) == 8, "OBJECT_CREATIONCTX::languageId follows the identifier");
static_assert(offsetof(OBJECT_CREATIONCTX, objectClass) == AlignedTo(10, alignof(IObjectClass*)),
              "OBJECT_CREATIONCTX::objectClass follows the language id");
static_assert(offsetof(OBJECT_CREATIONCTX, kernelServices) == offsetof(OBJECT_CREATIONCTX, objectClass) + kPointer,
              "OBJECT_CREATIONCTX::kernelServices follows the class");
static_assert(sizeof(OBJECT_CREATIONCTX) ==
                  AlignedTo(offsetof(OBJECT_CREATIONCTX, kernelServices) + kPointer, alignof(OBJECT_CREATIONCTX)),
              "OBJECT_CREATIONCTX has no field after the kernel services");

// The text list and the text-triple list: the array, then a signed 32-bit count.
static_assert(std::is_standard_layout_v<TEXT_LIST> && std::is_standard_layout_v<TEXT_TRIPLE_LIST>,
              "the lists are plain records");
static_assert(std::is_same_v<decltype(TEXT_LIST::texts), char**>, "TEXT_LIST::texts");
static_assert(std::is_same_v<decltype(TEXT_LIST::count), int32_t>, "TEXT_LIST::count");
static_assert(offsetof(TEXT_LIST, texts) == 0 && offsetof(TEXT_LIST, count) == kPointer, "TEXT_LIST's fields");
static_assert(sizeof(TEXT_LIST) == AlignedTo(kPointer + 4, alignof(char**)), "TEXT_LIST's size");
static_assert(std::is_same_v<decltype(TEXT_TRIPLE::first), char*> && std::is_same_v<decltype(TEXT_TRIPLE::second), char*> &&
                  std::is_same_v<decltype(TEXT_TRIPLE::third), char*>,
              "TEXT_TRIPLE holds three texts");
static_assert(offsetof(TEXT_TRIPLE, second) == kPointer && offsetof(TEXT_TRIPLE, third) == 2 * kPointer &&
                  sizeof(TEXT_TRIPLE) == 3 * kPointer,
              "TEXT_TRIPLE's fields");
static_assert(std::is_same_v<decltype(TEXT_TRIPLE_LIST::triples), TEXT_TRIPLE*>, "TEXT_TRIPLE_LIST::triples");
static_assert(std::is_same_v<decltype(TEXT_TRIPLE_LIST::count), int32_t>, "TEXT_TRIPLE_LIST::count");
static_assert(offsetof(TEXT_TRIPLE_LIST, triples) == 0 && offsetof(TEXT_TRIPLE_LIST, count) == kPointer,
              "TEXT_TRIPLE_LIST's fields");
static_assert(sizeof(TEXT_TRIPLE_LIST) == AlignedTo(kPointer + 4, alignof(TEXT_TRIPLE*)), "TEXT_TRIPLE_LIST's size");

}  // namespace contract_types
