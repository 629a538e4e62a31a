#pragma once
// Where blocks send their messages and notifications. The dispatcher belongs to the
// kernel services and lives as long as they do; it is not reference counted. Observers
// subscribe to what it receives through the event dispatcher's callbacks.
#include <cstdint>

#include "vtx/Fwd.h"

namespace Vtx {

struct IMessageDispatcher {
    // A message from a source (a block's event-source interface) of a kind such as those in
    // EventSource.h. The text is delivered as given (cut at kMaxDispatcherMessageLength
    // characters), never used as a format.
    virtual void SendMessage(IEventSource* source, std::int32_t kind, const char* text) = 0;
    // The source's block signature has gained or lost pins or parameters.
    virtual void NotifySignatureChanged(IEventSource* source, IBlockSignature* signature) = 0;

protected:
    ~IMessageDispatcher() = default;
};

} // namespace Vtx
