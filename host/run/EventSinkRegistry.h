#pragma once
// The callbacks attached to the host's message dispatcher, one list per callback interface,
// and the notifications that call them. The dispatcher owns one registry; it notifies from
// whichever thread a block reports on, and the callbacks (usually event sinks) carry the
// calls on to their own threads.
//
// Callbacks are called outside the registry's lock, so a callback may attach, detach or
// cause new notifications. Once Detach returns, the callback is not called again: Detach
// waits for calls of it still running on other threads (not for one running on its own
// thread, which is the caller's). A callback that throws does not keep the others from
// being called; its failure text is kept for TakeFailures.
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "vtx/EventCallbacks.h"

namespace vtxhost {

class CEventSinkRegistry {
public:
    using Dispatcher = Vtx::IEventDispatcher;
    using EventValue = Vtx::EventValue;
    using Object = ulx::I_ReferenceCountedClass;

    CEventSinkRegistry();
    ~CEventSinkRegistry();
    CEventSinkRegistry(const CEventSinkRegistry&) = delete;
    CEventSinkRegistry& operator=(const CEventSinkRegistry&) = delete;

    // Attaching the same callback twice to one list has it called twice per notification;
    // each Detach removes one attachment. Detaching what is not attached does nothing.
    void Attach(Dispatcher::IMessageCallback* callback);
    void Attach(Dispatcher::IBlockSignatureChangedCallback* callback);
    void Attach(Dispatcher::IParameterLayoutChangedCallback* callback);
    void Attach(Dispatcher::IParameterValueChangedCallback* callback);
    void Attach(Dispatcher::IParameterEnabledCallback* callback);
    void Attach(Dispatcher::IBitmapChangedCallback* callback);
    void Attach(Dispatcher::IOwnerDrawnAreaChangedCallback* callback);
    void Attach(Dispatcher::IDocumentSizeChangedCallback* callback);
    void Attach(Dispatcher::IPatchTopologyChangedCallback* callback);
    void Attach(Dispatcher::ISubpatchPinInfoChangedCallback* callback);

    void Detach(Dispatcher::IMessageCallback* callback);
    void Detach(Dispatcher::IBlockSignatureChangedCallback* callback);
    void Detach(Dispatcher::IParameterLayoutChangedCallback* callback);
    void Detach(Dispatcher::IParameterValueChangedCallback* callback);
    void Detach(Dispatcher::IParameterEnabledCallback* callback);
    void Detach(Dispatcher::IBitmapChangedCallback* callback);
    void Detach(Dispatcher::IOwnerDrawnAreaChangedCallback* callback);
    void Detach(Dispatcher::IDocumentSizeChangedCallback* callback);
    void Detach(Dispatcher::IPatchTopologyChangedCallback* callback);
    void Detach(Dispatcher::ISubpatchPinInfoChangedCallback* callback);

    // Calls every callback of the list, in the order they were attached.
    void NotifyMessage(EventValue source, EventValue kind, const char* text);
    void NotifyBlockSignatureChanged(EventValue source, Object* signature);
    void NotifyParameterLayoutChanged(EventValue source, const char* parameterId, Object* layout);
    void NotifyParameterValueChanged(EventValue source, EventValue parameterIndex, Object* value);
    void NotifyParameterEnabled(EventValue source, const char* parameterId, EventValue enabled);
    void NotifyBitmapChanged(EventValue source, Object* bitmap);
    void NotifyOwnerDrawnAreaChanged(EventValue source);
    void NotifyDocumentSizeChanged(EventValue document);
    void NotifyPatchTopologyChanged(EventValue patch);
    void NotifySubpatchPinInfoChanged(EventValue subpatch);

    // Number of attachments, over all lists.
    std::size_t GetAttachedCount() const;
    // The failure texts of callbacks that threw, oldest first; taking them clears them.
    std::vector<std::string> TakeFailures();

private:
    enum class Kind {
        Message,
        BlockSignatureChanged,
        ParameterLayoutChanged,
        ParameterValueChanged,
        ParameterEnabled,
        BitmapChanged,
        OwnerDrawnAreaChanged,
        DocumentSizeChanged,
        PatchTopologyChanged,
        SubpatchPinInfoChanged,
    };
    struct Attachment;

    void Add(Kind kind, void* callback);
    void Remove(Kind kind, void* callback);
    template <class Callback, class... Args>
    void NotifyAll(Kind kind, Args... args);

    mutable std::mutex mutex_;
    std::condition_variable callFinished_;
    std::vector<std::shared_ptr<Attachment>> attachments_;
    std::vector<std::string> failures_;
};

} // namespace vtxhost
