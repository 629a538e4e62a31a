#pragma once
// Forward declarations of the interfaces shared between the module and its host.

namespace Vtx {

struct IObject;
struct IObjectClass;
struct IBlockClass;
struct IDatatypeClass;
struct IDatatypeConverterClass;
struct IKernelServices;
struct IKernelSettings;
struct IBlock;
struct IBlockSignature;
struct IBlockLayout;
struct IRunTimeContext;
struct IMessageDispatcher;
struct IDatatype;
struct IDatatypeInitInfo;
struct IDatatypeConverter;
struct ISerialize;
struct SerializeBuffer;
struct IDllSignature;
struct IEventSource;
struct IDiagnosticLog;
struct IKernelClock;
struct IDatatypeDomain;
struct IDatatypeLayout;
struct IBlockPin;
struct ISyncInPin;
struct ISyncOutPin;
struct IInputPin;
struct IOutputPin;
struct IParameterPin;
struct IParameterPinSignature;

} // namespace Vtx
