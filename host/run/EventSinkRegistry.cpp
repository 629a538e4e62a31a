#include "host/run/EventSinkRegistry.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "vtx/Exception.h"

namespace vtxhost {

struct CEventSinkRegistry::Attachment {
    Kind kind;
    void* callback;
    bool detached = false;
    // The threads calling this callback now, one entry per call in progress.
    std::vector<std::thread::id> callers;
};

CEventSinkRegistry::CEventSinkRegistry() = default;
CEventSinkRegistry::~CEventSinkRegistry() = default;

void CEventSinkRegistry::Add(Kind kind, void* callback) {
    if (!callback) return;
    auto attachment = std::make_shared<Attachment>();
    attachment->kind = kind;
    attachment->callback = callback;
    std::lock_guard<std::mutex> lock(mutex_);
    attachments_.push_back(std::move(attachment));
}

void CEventSinkRegistry::Remove(Kind kind, void* callback) {
    std::unique_lock<std::mutex> lock(mutex_);
    auto found = std::find_if(attachments_.begin(), attachments_.end(), [&](const auto& a) {
        return a->kind == kind && a->callback == callback;
    });
    if (found == attachments_.end()) return;
    std::shared_ptr<Attachment> attachment = *found;
    attachments_.erase(found);
    attachment->detached = true;
    const std::thread::id self = std::this_thread::get_id();
    callFinished_.wait(lock, [&] {
        return std::all_of(attachment->callers.begin(), attachment->callers.end(),
                           [&](std::thread::id caller) { return caller == self; });
    });
}

template <class Callback, class... Args>
void CEventSinkRegistry::NotifyAll(Kind kind, Args... args) {
    const std::thread::id self = std::this_thread::get_id();
    std::vector<std::shared_ptr<Attachment>> targets;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto& attachment : attachments_)
            if (attachment->kind == kind) targets.push_back(attachment);
    }
    for (const auto& attachment : targets) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (attachment->detached) continue;
            attachment->callers.push_back(self);
        }
        std::string failure;
        try {
            static_cast<Callback*>(attachment->callback)->Invoke(args...);
        } catch (Vtx::IException& e) {
            failure = e.GetMessageText();
        } catch (const std::exception& e) {
            failure = e.what();
        } catch (...) {
            failure = "unknown exception";
        }
        std::lock_guard<std::mutex> lock(mutex_);
        auto& callers = attachment->callers;
        callers.erase(std::find(callers.begin(), callers.end(), self));
        if (!failure.empty()) failures_.push_back(std::move(failure));
        callFinished_.notify_all();
    }
}

std::size_t CEventSinkRegistry::GetAttachedCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return attachments_.size();
}

std::vector<std::string> CEventSinkRegistry::TakeFailures() {
    std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(failures_, {});
}

#define VTX_EVENT_CALLBACK_KIND(Name)                                                                        \
    void CEventSinkRegistry::Attach(Dispatcher::I##Name##Callback* callback) { Add(Kind::Name, callback); } \
    void CEventSinkRegistry::Detach(Dispatcher::I##Name##Callback* callback) { Remove(Kind::Name, callback); }

VTX_EVENT_CALLBACK_KIND(Message)
VTX_EVENT_CALLBACK_KIND(BlockSignatureChanged)
VTX_EVENT_CALLBACK_KIND(ParameterLayoutChanged)
VTX_EVENT_CALLBACK_KIND(ParameterValueChanged)
VTX_EVENT_CALLBACK_KIND(ParameterEnabled)
VTX_EVENT_CALLBACK_KIND(BitmapChanged)
VTX_EVENT_CALLBACK_KIND(OwnerDrawnAreaChanged)
VTX_EVENT_CALLBACK_KIND(DocumentSizeChanged)
VTX_EVENT_CALLBACK_KIND(PatchTopologyChanged)
VTX_EVENT_CALLBACK_KIND(SubpatchPinInfoChanged)

#undef VTX_EVENT_CALLBACK_KIND

void CEventSinkRegistry::NotifyMessage(EventValue source, EventValue kind, const char* text) {
    NotifyAll<Dispatcher::IMessageCallback>(Kind::Message, source, kind, text);
}

void CEventSinkRegistry::NotifyBlockSignatureChanged(EventValue source, Object* signature) {
    NotifyAll<Dispatcher::IBlockSignatureChangedCallback>(Kind::BlockSignatureChanged, source, signature);
}

void CEventSinkRegistry::NotifyParameterLayoutChanged(EventValue source, const char* parameterId,
                                                      Object* layout) {
    NotifyAll<Dispatcher::IParameterLayoutChangedCallback>(Kind::ParameterLayoutChanged, source, parameterId,
                                                           layout);
}

void CEventSinkRegistry::NotifyParameterValueChanged(EventValue source, EventValue parameterIndex,
                                                     Object* value) {
    NotifyAll<Dispatcher::IParameterValueChangedCallback>(Kind::ParameterValueChanged, source, parameterIndex,
                                                          value);
}

void CEventSinkRegistry::NotifyParameterEnabled(EventValue source, const char* parameterId, EventValue enabled) {
    NotifyAll<Dispatcher::IParameterEnabledCallback>(Kind::ParameterEnabled, source, parameterId, enabled);
}

void CEventSinkRegistry::NotifyBitmapChanged(EventValue source, Object* bitmap) {
    NotifyAll<Dispatcher::IBitmapChangedCallback>(Kind::BitmapChanged, source, bitmap);
}

void CEventSinkRegistry::NotifyOwnerDrawnAreaChanged(EventValue source) {
    NotifyAll<Dispatcher::IOwnerDrawnAreaChangedCallback>(Kind::OwnerDrawnAreaChanged, source);
}

void CEventSinkRegistry::NotifyDocumentSizeChanged(EventValue document) {
    NotifyAll<Dispatcher::IDocumentSizeChangedCallback>(Kind::DocumentSizeChanged, document);
}

void CEventSinkRegistry::NotifyPatchTopologyChanged(EventValue patch) {
    NotifyAll<Dispatcher::IPatchTopologyChangedCallback>(Kind::PatchTopologyChanged, patch);
}

void CEventSinkRegistry::NotifySubpatchPinInfoChanged(EventValue subpatch) {
    NotifyAll<Dispatcher::ISubpatchPinInfoChangedCallback>(Kind::SubpatchPinInfoChanged, subpatch);
}

} // namespace vtxhost
