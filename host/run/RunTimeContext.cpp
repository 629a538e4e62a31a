#include "host/run/RunTimeContext.h"

namespace vtxhost {

void CInputActivationSettings::SetPinActivation(const char* pinId, bool enabled) {
    std::lock_guard<std::mutex> lock(mutex_);
    pins_[pinId ? pinId : ""] = enabled;
    version_.fetch_add(1, std::memory_order_acq_rel);
}

bool CInputActivationSettings::GetPinActivation(const char* pinId) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = pins_.find(pinId ? pinId : "");
    return found != pins_.end() && found->second;
}

// Contexts live by their reference count; an explicit Destroy deletes at once.
std::int32_t CRunTimeContext::Destroy() {
    delete this;
    return 0;
}

} // namespace vtxhost
