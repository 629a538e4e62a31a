#pragma once
// The message table: the fixed English texts of the exceptions the SDK throws.

namespace Vtx {
namespace Messages {

inline constexpr const char* kUnserializeFailed =
    "Unserialize failed.\n";
inline constexpr const char* kPropertySetIndexOutOfRange =
    "Property set index is out of range.\n";
inline constexpr const char* kBlockLayoutActionNotValid =
    "Block layout action is not valid.\n";
inline constexpr const char* kPinAlreadyHasDomain =
    "Pin already has a domain.\n";
inline constexpr const char* kCatalogPatchStorage =
    "Catalog error: failed to instantiate patch storage.\n";
inline constexpr const char* kCatalogClock =
    "Catalog error: failed to instantiate clock.\n";
inline constexpr const char* kCatalogDeviceEnumerator =
    "Catalog error: failed to instantiate device enumerator.\n";
inline constexpr const char* kCatalogDevice =
    "Catalog error: failed to instantiate device.\n";
inline constexpr const char* kCatalogDatatypeConverter =
    "Catalog error: failed to instantiate datatype converter.\n";
inline constexpr const char* kCatalogDatatypeLayout =
    "Catalog error: failed to instantiate datatype layout.\n";
inline constexpr const char* kCatalogDatatypeDomain =
    "Catalog error: failed to instantiate datatype domain.\n";
inline constexpr const char* kCatalogDatatypeInitInfo =
    "Catalog error: failed to instantiate datatype initinfo.\n";
inline constexpr const char* kCatalogDatatype =
    "Catalog error: failed to instantiate datatype.\n";
inline constexpr const char* kCatalogSubpatch =
    "Catalog error: failed to instantiate subpatch.\n";
inline constexpr const char* kCatalogBlock =
    "Catalog error: failed to instantiate block.\n";
inline constexpr const char* kCatalogDisabled =
    "Catalog Error: catalog is disabled, cannot instantiate objects.\n";
inline constexpr const char* kCatalogFactoryInvalidCatalog =
    "Catalog factory: invalid pointer to catalog.\n";
inline constexpr const char* kCatalogFactoryNullDestroyFn =
    "Catalog factory: null pointer (DestroyFnPtr).\n";
inline constexpr const char* kCatalogFactoryNullCreateFn =
    "Catalog factory: null pointer (CreateFnPtr).\n";
inline constexpr const char* kInvalidCatalogId =
    "Invalid catalog Id spcified.\n";
inline constexpr const char* kInvalidCatalogIndex =
    "Invalid catalog index spcified.\n";
inline constexpr const char* kFailedToSendCommand =
    "Failed to send command.";
inline constexpr const char* kDatatypesDifferentClassIds =
    "Datatypes are not compatible as they have different ClassIDs.\n";
inline constexpr const char* kDatatypesDifferentCatalogs =
    "Datatypes are not compatible as they belong to different catalogs.\n";
inline constexpr const char* kMethodNotOverridden =
    "Method has not been overriden inderived classes.\n";
inline constexpr const char* kPostThreadMessageFailed =
    "PostThreadMessage failed.\n";
inline constexpr const char* kUnknownThreadMode =
    "Unknown thread mode.\n";
inline constexpr const char* kWaitForSingleObjectFailed =
    "WaitForSingleObject failed.\n";
inline constexpr const char* kQueueApcFailed =
    "Failed to queue an Asynchronous Procedure Call (APC).\n";
inline constexpr const char* kCreateEventFailed =
    "Failed to create a Win32 event object.\n";
inline constexpr const char* kCreateThreadFailed =
    "Failed to create a thread handle.\n";
inline constexpr const char* kNullCommand =
    "Null pointer to command.\n";
inline constexpr const char* kNullDatatype =
    "Null pointer to datatype.\n";
inline constexpr const char* kInvalidComboSize =
    "The specified combo size is not valid.\n";
inline constexpr const char* kInvalidComboItemIndex =
    "The specified combo item index is not valid.\n";
inline constexpr const char* kCommandCreateCopyOutOfMemory =
    "ICommand::CreateCopy() out of memory.\n";
inline constexpr const char* kEventCreateCopyOutOfMemory =
    "IEvent::CreateCopy() out of memory.\n";
inline constexpr const char* kOutOfMemory =
    "Out of memory.\n";
inline constexpr const char* kCommandDeleteCopyNotCopy =
    "ICommand::DeleteCopy() called for a non copy command.\n";
inline constexpr const char* kEventDeleteCopyNotCopy =
    "IEvent::DeleteCopy() called for a non copy event.\n";
inline constexpr const char* kNullKernelPin =
    "Null pointer to kernel pin.\n";
inline constexpr const char* kNullKernelServices =
    "Null pointer to kernel services.\n";
inline constexpr const char* kNullDatatypeClass =
    "Null pointer to datatype class.\n";
inline constexpr const char* kInvalidCommandSource =
    "Invalid command source reference.\n";
inline constexpr const char* kInvalidEventSource =
    "Invalid event source reference.\n";
inline constexpr const char* kDisconnectTargetNotConnected =
    "Disconnecting a target not connected to the selected source.\n";
inline constexpr const char* kDisconnectSourceNotConnected =
    "Disconnecting a source not connected to the selected sink.\n";
inline constexpr const char* kDisconnectSinkNotConnected =
    "Disconnecting a sink not connected to the selected source.\n";
inline constexpr const char* kNullObjectIdentifier =
    "Null (zero) object identifier.\n";
inline constexpr const char* kNullCreationContext =
    "Null pointer to creation context.\n";
inline constexpr const char* kDatatypeAlreadyCreated =
    "The datatype has already been created.\n";
inline constexpr const char* kCannotLinkPins =
    "Cannot link pins.\n";
inline constexpr const char* kNullSinkPinInLink =
    "Null sink pin in link.\n";
inline constexpr const char* kNullSourcePinInLink =
    "Null source pin in link.\n";
inline constexpr const char* kInvalidTypeCast =
    "Invalid type cast.\n";
inline constexpr const char* kItemNotFoundClassId =
    "The item specified was not found in the collection.\nClass identifier (ClassID) of the searched item was \"%s\".\n";
inline constexpr const char* kIndexOutOfRange =
    "Error while accessing a collection.\nValid range index is [%d-%d]\nRequired index is %d.\n";
inline constexpr const char* kItemNotFoundPointer =
    "The item specified was not found in the collection.\nPointer to the searched item was 0x%p.\n";
inline constexpr const char* kItemNotFoundInstanceId =
    "The item specified was not found in the collection.\nInstance identifier (InstID) of the item was %I64u.\n";
inline constexpr const char* kItemNotFoundDefault =
    "The item specified was not found in the collection.\nInstance identifier (InstID) of the item was %I64u.\n";
inline constexpr const char* kFileAccessError =
    "Error accessing file on disk.\n";
inline constexpr const char* kInvalidPointer =
    "Error while accessing memory.\nPointer 0x%p is not valid.\n";
inline constexpr const char* kMemoryAccessError =
    "Error while accessing memory.\n";
inline constexpr const char* kNullBlock =
    "Null pointer to block.\n";
inline constexpr const char* kNullSerializable =
    "Null pointer to serializable object.\n";

// Every row in table order, for code that walks the table.
inline constexpr const char* const kTable[] = {
    kUnserializeFailed,
    kPropertySetIndexOutOfRange,
    kBlockLayoutActionNotValid,
    kPinAlreadyHasDomain,
    kCatalogPatchStorage,
    kCatalogClock,
    kCatalogDeviceEnumerator,
    kCatalogDevice,
    kCatalogDatatypeConverter,
    kCatalogDatatypeLayout,
    kCatalogDatatypeDomain,
    kCatalogDatatypeInitInfo,
    kCatalogDatatype,
    kCatalogSubpatch,
    kCatalogBlock,
    kCatalogDisabled,
    kCatalogFactoryInvalidCatalog,
    kCatalogFactoryNullDestroyFn,
    kCatalogFactoryNullCreateFn,
    kInvalidCatalogId,
    kInvalidCatalogIndex,
    kFailedToSendCommand,
    kDatatypesDifferentClassIds,
    kDatatypesDifferentCatalogs,
    kMethodNotOverridden,
    kPostThreadMessageFailed,
    kUnknownThreadMode,
    kWaitForSingleObjectFailed,
    kQueueApcFailed,
    kCreateEventFailed,
    kCreateThreadFailed,
    kNullCommand,
    kNullDatatype,
    kInvalidComboSize,
    kInvalidComboItemIndex,
    kCommandCreateCopyOutOfMemory,
    kEventCreateCopyOutOfMemory,
    kOutOfMemory,
    kCommandDeleteCopyNotCopy,
    kEventDeleteCopyNotCopy,
    kNullKernelPin,
    kNullKernelServices,
    kNullDatatypeClass,
    kInvalidCommandSource,
    kInvalidEventSource,
    kDisconnectTargetNotConnected,
    kDisconnectSourceNotConnected,
    kDisconnectSinkNotConnected,
    kNullObjectIdentifier,
    kNullCreationContext,
    kDatatypeAlreadyCreated,
    kCannotLinkPins,
    kNullSinkPinInLink,
    kNullSourcePinInLink,
    kInvalidTypeCast,
    kItemNotFoundClassId,
    kIndexOutOfRange,
    kItemNotFoundPointer,
    kItemNotFoundInstanceId,
    kItemNotFoundDefault,
    kFileAccessError,
    kInvalidPointer,
    kMemoryAccessError,
    kNullBlock,
    kNullSerializable,
};

} // namespace Messages
} // namespace Vtx
