#pragma once
// CEventSourceImpl<I>: the layer of an object that reports to the host's event dispatcher.
// It stores the dispatcher pointer (without a reference: the dispatcher belongs to the
// kernel services and outlives the object) and adds no virtual operation of its own.
#include "vtx/EventSource.h"

namespace Vtx {

template <class I>
class CEventSourceImpl : public I {
public:
    void SetEventDispatcher(IMessageDispatcher* dispatcher) override { dispatcher_ = dispatcher; }
    IMessageDispatcher* GetEventDispatcher() override { return dispatcher_; }
    const IMessageDispatcher* GetEventDispatcher() const override { return dispatcher_; }

protected:
    CEventSourceImpl() = default;
    ~CEventSourceImpl() = default;

private:
    IMessageDispatcher* dispatcher_ = nullptr;
};

} // namespace Vtx
