#pragma once
// The run-time context the kernel services create for each block: whether the patch is
// running, and how the block wishes to be activated. The settings objects belong to the
// context; pointers to them carry no reference.
#include <cstdint>

#include "vtx/Fwd.h"
#include "vtx/ReferenceCounted.h"

namespace Vtx {

// Activation by the scheduler's clock: a block with periodic activation switched on and
// these settings enabled runs once every period (kernel time units of 100 ns).
struct IPeriodicActivationSettings {
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool GetEnabled() = 0;
    // A period below 1 is stored as 1.
    virtual void SetPeriod(std::int64_t period) = 0;
    virtual std::int64_t GetPeriod() = 0;

protected:
    ~IPeriodicActivationSettings() = default;
};

// Activation by data: a block with input activation switched on runs when a new value
// reaches one of the input pins switched on here.
struct IInputActivationSettings {
    virtual void SetPinActivation(const char* pinId, bool enabled) = 0;
    // False for a pin never switched on.
    virtual bool GetPinActivation(const char* pinId) = 0;

protected:
    ~IInputActivationSettings() = default;
};

struct IRunTimeContext : ulx::I_ReferenceCountedClass {
    // True between the patch's Start and Stop phases.
    virtual bool IsPatchRunning() = 0;
    virtual void SetPeriodicActivation(bool enabled) = 0;
    virtual bool GetPeriodicActivation() = 0;
    virtual IPeriodicActivationSettings* GetPeriodicActivationSettings() = 0;
    virtual void SetInputActivation(bool enabled) = 0;
    virtual bool GetInputActivation() = 0;
    virtual IInputActivationSettings* GetInputActivationSettings() = 0;

protected:
    ~IRunTimeContext() = default;
};

} // namespace Vtx
