#pragma once
// Alarm notifications the host may send to an object. Its first operation is the same
// Destroy as the object's own.
#include <cstdint>

namespace Vtx {

struct IAlarmTarget {
    virtual std::int32_t Destroy() = 0;
    virtual void OnAlarm(std::uintptr_t a1, std::uintptr_t a2, std::uintptr_t a3, std::uintptr_t a4,
                         std::uintptr_t a5, std::uintptr_t a6, std::uintptr_t a7) = 0;
    virtual void OnAlarmEx(std::uintptr_t a1, std::uintptr_t a2, std::uintptr_t a3, std::uintptr_t a4,
                           std::uintptr_t a5, std::uintptr_t a6, std::uintptr_t a7, std::uintptr_t a8,
                           std::uintptr_t a9) = 0;

protected:
    ~IAlarmTarget() = default;
};

} // namespace Vtx
