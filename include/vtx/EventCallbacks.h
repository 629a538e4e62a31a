#pragma once
// The callback interfaces through which the host's event dispatcher reports events to
// whoever attached a callback to it. The dispatcher may call them from any of its threads;
// the SDK's event sinks (sdk/events) carry each call to the thread that owns the sink.
//
// Argument kinds:
//   EventValue  a pointer-sized value passed through unchanged, never dereferenced by the
//               sinks (an object's address used as its identity, a kind, an index, a flag);
//   text        a C text, valid only during the call (a sink keeps its own copy; null is
//               read as empty);
//   object      a reference-counted interface pointer, valid during the call; whoever keeps
//               it past the call takes a reference (the caller passes it as the interface's
//               I_ReferenceCountedClass base; the receiver casts it to what it expects).
#include <cstdint>

#include "vtx/ReferenceCounted.h"

namespace Vtx {

using EventValue = std::uintptr_t;

// Scope of the dispatcher's callback interfaces: IEventDispatcher::IMessageCallback and so on.
// A dispatcher interface may derive from it to offer the names under its own.
struct IEventDispatcher {
    // A message: source (the address of the IEventSource that sent it), kind (0..4; 2 a
    // failed command, 3 an error in a method, 4 an unhandled exception), text.
    struct IMessageCallback {
        virtual void Invoke(EventValue source, EventValue kind, const char* text) = 0;

    protected:
        ~IMessageCallback() = default;
    };

    // A block's signature changed: source (the block's IEventSource address), the signature.
    struct IBlockSignatureChangedCallback {
        virtual void Invoke(EventValue source, ulx::I_ReferenceCountedClass* signature) = 0;

    protected:
        ~IBlockSignatureChangedCallback() = default;
    };

    // A parameter's layout changed: source, parameter id, the new layout.
    struct IParameterLayoutChangedCallback {
        virtual void Invoke(EventValue source, const char* parameterId,
                            ulx::I_ReferenceCountedClass* layout) = 0;

    protected:
        ~IParameterLayoutChangedCallback() = default;
    };

    // A parameter's value changed: source, parameter index, the new value.
    struct IParameterValueChangedCallback {
        virtual void Invoke(EventValue source, EventValue parameterIndex,
                            ulx::I_ReferenceCountedClass* value) = 0;

    protected:
        ~IParameterValueChangedCallback() = default;
    };

    // A parameter was enabled or disabled: source, parameter id, enabled (0 or 1).
    struct IParameterEnabledCallback {
        virtual void Invoke(EventValue source, const char* parameterId, EventValue enabled) = 0;

    protected:
        ~IParameterEnabledCallback() = default;
    };

    // A block's bitmap changed: source, the new bitmap object.
    struct IBitmapChangedCallback {
        virtual void Invoke(EventValue source, ulx::I_ReferenceCountedClass* bitmap) = 0;

    protected:
        ~IBitmapChangedCallback() = default;
    };

    // A block's owner-drawn area must be drawn again: source.
    struct IOwnerDrawnAreaChangedCallback {
        virtual void Invoke(EventValue source) = 0;

    protected:
        ~IOwnerDrawnAreaChangedCallback() = default;
    };

    // A patch document's size changed: the document (the patch's address).
    struct IDocumentSizeChangedCallback {
        virtual void Invoke(EventValue document) = 0;

    protected:
        ~IDocumentSizeChangedCallback() = default;
    };

    // Blocks or links were added to or removed from a patch: the patch.
    struct IPatchTopologyChangedCallback {
        virtual void Invoke(EventValue patch) = 0;

    protected:
        ~IPatchTopologyChangedCallback() = default;
    };

    // The pins a subpatch shows changed: the subpatch.
    struct ISubpatchPinInfoChangedCallback {
        virtual void Invoke(EventValue subpatch) = 0;

    protected:
        ~ISubpatchPinInfoChangedCallback() = default;
    };

protected:
    ~IEventDispatcher() = default;
};

}  // namespace Vtx
