#include "host/run/RunTimeContext.h"

namespace vtxhost {

void CInputActivationSettings::SetPinActivation(const char* pinId, bool enabled) {
    const char* id = pinId ? pinId : "";
    std::lock_guard<std::mutex> lock(mutex_);
    if (!hasFirst_) {
        firstId_.assign(id);
        hasFirst_ = true;
    }
    if (firstId_ == id)
        firstEnabled_ = enabled;
    else
        pins_[id] = enabled;
    version_.fetch_add(1, std::memory_order_acq_rel);
}

bool CInputActivationSettings::GetPinActivation(const char* pinId) {
    const char* id = pinId ? pinId : "";
    std::lock_guard<std::mutex> lock(mutex_);
    if (hasFirst_ && firstId_ == id) return firstEnabled_;
    auto found = pins_.find(id);
    return found != pins_.end() && found->second;
}

// Contexts live by their reference count; an explicit Destroy deletes at once.
std::int32_t CRunTimeContext::Destroy() {
    delete this;
    return 0;
}

} // namespace vtxhost
