#pragma once
// Forward declarations of the interfaces shared between the module and its host.

namespace Vtx {

struct IObject;
struct IObjectClass;
struct IBlockClass;
struct IDatatypeClass;
struct IKernelServices;
struct IKernelSettings;
struct IBlock;
struct IBlockSignature;
struct IBlockLayout;
struct IRunTimeContext;
struct IMessageDispatcher;
struct IDatatype;
struct IDatatypeInitInfo;
struct IDllSignature;

} // namespace Vtx
