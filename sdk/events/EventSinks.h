#pragma once
// The ten event sinks, one per callback interface of the host's event dispatcher. Each
// queues the dispatcher's call (Invoke) with copies of its arguments and runs the user's
// handler (Handle, same arguments) on the sink's owner thread (see CMsgEventSinkImpl).
// A text argument is copied (null becomes empty) and handed to Handle as a C text valid
// during the handler; an object argument is held by a counted reference until the call has
// run or been discarded. Derive, implement Handle, Attach on the thread that runs the
// message loop, and Detach before the sink is destroyed.
#include "sdk/events/MsgEventSinkImpl.h"
#include "vtx/EventCallbacks.h"

namespace Vtx {

// Messages sent to the dispatcher.
class CMsgMessageEventSinkImpl : public virtual CMsgEventSinkImpl, public IEventDispatcher::IMessageCallback {
public:
    void Invoke(EventValue source, EventValue kind, const char* text) override;
    virtual void Handle(EventValue source, EventValue kind, const char* text) = 0;
};

// Changes of a block's signature.
class CMsgBlockSignatureChangedEventSinkImpl : public virtual CMsgEventSinkImpl,
                                               public IEventDispatcher::IBlockSignatureChangedCallback {
public:
    void Invoke(EventValue source, ulx::I_ReferenceCountedClass* signature) override;
    virtual void Handle(EventValue source, ulx::I_ReferenceCountedClass* signature) = 0;
};

// Changes of a parameter's layout.
class CMsgParameterLayoutChangedEventSinkImpl : public virtual CMsgEventSinkImpl,
                                                public IEventDispatcher::IParameterLayoutChangedCallback {
public:
    void Invoke(EventValue source, const char* parameterId, ulx::I_ReferenceCountedClass* layout) override;
    virtual void Handle(EventValue source, const char* parameterId, ulx::I_ReferenceCountedClass* layout) = 0;
};

// Changes of a parameter's value.
class CMsgParameterValueChangedEventSinkImpl : public virtual CMsgEventSinkImpl,
                                               public IEventDispatcher::IParameterValueChangedCallback {
public:
    void Invoke(EventValue source, EventValue parameterIndex, ulx::I_ReferenceCountedClass* value) override;
    virtual void Handle(EventValue source, EventValue parameterIndex,
                        ulx::I_ReferenceCountedClass* value) = 0;
};

// A parameter enabled or disabled.
class CMsgParameterEnabledEventSinkImpl : public virtual CMsgEventSinkImpl,
                                          public IEventDispatcher::IParameterEnabledCallback {
public:
    void Invoke(EventValue source, const char* parameterId, EventValue enabled) override;
    virtual void Handle(EventValue source, const char* parameterId, EventValue enabled) = 0;
};

// Changes of a block's bitmap.
class CMsgBitmapChangedEventSinkImpl : public virtual CMsgEventSinkImpl,
                                       public IEventDispatcher::IBitmapChangedCallback {
public:
    void Invoke(EventValue source, ulx::I_ReferenceCountedClass* bitmap) override;
    virtual void Handle(EventValue source, ulx::I_ReferenceCountedClass* bitmap) = 0;
};

// A block's owner-drawn area to be drawn again.
class CMsgOwnerDrawnAreaChangedEventSinkImpl : public virtual CMsgEventSinkImpl,
                                               public IEventDispatcher::IOwnerDrawnAreaChangedCallback {
public:
    void Invoke(EventValue source) override;
    virtual void Handle(EventValue source) = 0;
};

// Changes of a patch document's size.
class CMsgDocumentSizeChangedEventSinkImpl : public virtual CMsgEventSinkImpl,
                                             public IEventDispatcher::IDocumentSizeChangedCallback {
public:
    void Invoke(EventValue document) override;
    virtual void Handle(EventValue document) = 0;
};

// Changes of a patch's blocks or links.
class CMsgPatchTopologyChangedEventSinkImpl : public virtual CMsgEventSinkImpl,
                                              public IEventDispatcher::IPatchTopologyChangedCallback {
public:
    void Invoke(EventValue patch) override;
    virtual void Handle(EventValue patch) = 0;
};

// Changes of the pins a subpatch shows.
class CMsgSubpatchPinInfoChangedEventSinkImpl : public virtual CMsgEventSinkImpl,
                                                public IEventDispatcher::ISubpatchPinInfoChangedCallback {
public:
    void Invoke(EventValue subpatch) override;
    virtual void Handle(EventValue subpatch) = 0;
};

}  // namespace Vtx
