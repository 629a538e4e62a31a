#pragma once
// Where an object's messages go: the host's event dispatcher, which the object stores
// without holding a reference.
#include "vtx/Fwd.h"

namespace Vtx {

// Kinds of the messages a block sends to its dispatcher.
inline constexpr int kMessageFailedCommand = 2;
inline constexpr int kMessageErrorInMethod = 3;
inline constexpr int kMessageUnhandledException = 4;

// Longest message text a block sends; longer texts are cut.
inline constexpr unsigned kMaxDispatcherMessageLength = 511;

struct IEventSource {
    virtual void SetEventDispatcher(IMessageDispatcher* dispatcher) = 0;
    virtual IMessageDispatcher* GetEventDispatcher() = 0;
    virtual const IMessageDispatcher* GetEventDispatcher() const = 0;

protected:
    ~IEventSource() = default;
};

} // namespace Vtx
