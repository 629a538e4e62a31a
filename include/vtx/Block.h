#pragma once
// The block interface: what the host calls to give a block its signature of pins and
// parameters, to run it through its lifecycle and to change its parameters. A block
// object carries five interface tables, in this order: IBlock (with IObject and, after
// IBlock's own operations, the implementation's destructor and protected operations),
// IPropertyContainer, IEventSource, ICommandTarget and IAlarmTarget.
#include <cstdint>

#include "vtx/AlarmTarget.h"
#include "vtx/BlockClass.h"
#include "vtx/BlockGeometry.h"
#include "vtx/Command.h"
#include "vtx/EventSource.h"
#include "vtx/Fwd.h"
#include "vtx/Object.h"
#include "vtx/PropertyContainer.h"

namespace Vtx {

struct IParameterPinSignature;

// An object with property sets.
struct IPropertyObject : IObject, IPropertyContainer {
protected:
    ~IPropertyObject() = default;
};

// The kernel's clock as the host hands it to a block's Init: times in 100-ns units.
struct IKernelClock {
    virtual std::int64_t GetCurrentTime() = 0;

protected:
    ~IKernelClock() = default;
};

// An optional host extension of a block; a block with one passes it the extra word it
// receives with a stored signature.
struct IBlockExtension {
    virtual void PassExtra(std::uintptr_t extra) = 0;

protected:
    ~IBlockExtension() = default;
};

struct IBlock : IPropertyObject, IEventSource, ICommandTarget, IAlarmTarget {
    // Destroy through a block is the object's own (IAlarmTarget's is the same operation).
    using IPropertyObject::Destroy;

    // The block's class as the block class interface, or null when it has none.
    IBlockClass* GetBlockClass() { return dynamic_cast<IBlockClass*>(GetTypedObjectClass()); }

    // A null signature makes the block build its own; otherwise the given one (with its
    // layout) is installed and checked, and the block falls back to its own on failure.
    virtual void InitInstance(IBlockSignature* signature, IBlockLayout* layout, std::uintptr_t extra) = 0;
    virtual void DoneInstance() = 0;
    // Neither adds a reference.
    virtual IBlockSignature* GetSignature() = 0;
    virtual IBlockLayout* GetLayout() = 0;
    virtual IBlockExtension* GetExtensionA() = 0;
    virtual IBlockExtension* GetExtensionB() = 0;
    virtual IRunTimeContext* GetRunTimeContext() = 0;
    virtual bool GetOptionFlag0() = 0;

    // Lifecycle. A false result, or an exception the block trapped, has been reported to
    // the block's event dispatcher.
    virtual bool Init(IKernelClock* clock, void* context, std::uintptr_t word1, std::uintptr_t word2) = 0;
    virtual bool Check() = 0;
    virtual bool Start() = 0;
    virtual bool Execute(std::uintptr_t word) = 0;
    virtual void Stop() = 0;
    virtual void Done() = 0;
    // Whether the parameter now holds the new value (changed, or equal already).
    virtual bool SetParameter(IParameterPinSignature* parameter, IDatatype* newValue) = 0;

    // The drawing and option family, used by the patch editor.
    virtual bool GetOptionFlag6() = 0;
    virtual bool GetOptionFlag1() = 0;
    virtual bool HasOwnerDrawnArea() = 0;
    virtual bool GetOptionFlag3() = 0;
    virtual void* CreateOwnerDrawnWindow(void* parent) = 0;
    virtual void DestroyOwnerDrawnWindow() = 0;
    virtual bool GetOptionFlag4() = 0;
    virtual bool GetOptionFlag5() = 0;
    virtual void* CreatePropertyWindow(void* parent) = 0;
    virtual void DestroyPropertyWindow() = 0;
    virtual bool GetOptionFlag7() = 0;
    // Fills the caller's pair and returns it.
    virtual BlockSize* GetOwnerDrawnSize(BlockSize* size) = 0;
    virtual std::int32_t GetDrawingValue1() = 0;
    virtual std::int32_t GetDrawingValue2() = 0;
    virtual void OnDrawingEvent(std::uintptr_t a1, std::uintptr_t a2) = 0;
    virtual void OnDrawingEventEx(std::uintptr_t a1, std::uintptr_t a2, std::uintptr_t a3) = 0;
    virtual bool OnBackgroundChanged(void* value) = 0;
    virtual void OnAreasChanged(std::uintptr_t word, std::int32_t r1, std::int32_t r2, std::int32_t r3,
                                std::int32_t r4, std::int32_t r5, std::int32_t r6, std::int32_t r7,
                                std::int32_t r8, std::uintptr_t extra) = 0;
    // Paints the block's non-client areas into the device context with its background brush.
    virtual void PaintNCAreas(void* deviceContext, const BlockRect* areas, std::int32_t count,
                              std::uintptr_t extra) = 0;
    virtual bool ReleaseDrawingResources() = 0;

protected:
    ~IBlock() = default;
};

} // namespace Vtx
