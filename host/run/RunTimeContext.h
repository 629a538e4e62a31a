#pragma once
// The run layer, the lowest of the host: what a running patch and its blocks report to and
// through: each block's run-time context, the message dispatcher and the registry of event
// sinks, the diagnostic log, the memory budget and the profiling statistics. It includes
// only the SDK and include/vtx, never another host layer.
//
// A block's run-time context: the activation wishes the block states, and the running
// state its patch sets.
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "sdk/object/ReferenceCounting.h"
#include "vtx/RunTimeContext.h"

namespace vtxhost {

class CPeriodicActivationSettings : public Vtx::IPeriodicActivationSettings {
public:
    virtual ~CPeriodicActivationSettings() = default;
    void SetEnabled(bool enabled) override { enabled_ = enabled; }
    bool GetEnabled() override { return enabled_; }
    void SetPeriod(std::int64_t period) override { period_ = period < 1 ? 1 : period; }
    std::int64_t GetPeriod() override { return period_; }

private:
    std::atomic<bool> enabled_{false};
    std::atomic<std::int64_t> period_{1};
};

class CInputActivationSettings : public Vtx::IInputActivationSettings {
public:
    virtual ~CInputActivationSettings() = default;
    void SetPinActivation(const char* pinId, bool enabled) override;
    bool GetPinActivation(const char* pinId) override;
    // Counts the changes, so that a running patch sees when to read the pins again.
    std::uint64_t Version() const { return version_.load(std::memory_order_acquire); }

private:
    std::atomic<std::uint64_t> version_{0};
    std::mutex mutex_;
    // A block mostly names one pin (every Vector and sink is made naming "input"): the
    // first pin named is held here, in a text short ids fit in without the heap; the
    // others in the map.
    bool hasFirst_ = false;
    bool firstEnabled_ = false;
    std::string firstId_;
    std::map<std::string, bool> pins_;
};

class CRunTimeContext : public ulx::default_delete<ulx::reference_counted_class_impl<Vtx::IRunTimeContext>> {
public:
    std::int32_t Destroy() override;
    bool IsPatchRunning() override { return running_; }
    void SetPeriodicActivation(bool enabled) override { periodic_ = enabled; }
    bool GetPeriodicActivation() override { return periodic_; }
    Vtx::IPeriodicActivationSettings* GetPeriodicActivationSettings() override { return &periodicSettings_; }
    void SetInputActivation(bool enabled) override { input_ = enabled; }
    bool GetInputActivation() override { return input_; }
    Vtx::IInputActivationSettings* GetInputActivationSettings() override { return &inputSettings_; }

    // Set by the patch around its running phase.
    void SetPatchRunning(bool running) { running_ = running; }

private:
    std::atomic<bool> running_{false};
    std::atomic<bool> periodic_{false};
    std::atomic<bool> input_{false};
    CPeriodicActivationSettings periodicSettings_;
    CInputActivationSettings inputSettings_;
};

} // namespace vtxhost
