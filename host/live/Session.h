#pragma once
// A live session: one patch that can be looked at and changed while it runs.
//
// The session owns the patch and runs its scheduler on a thread of its own. Every call on
// the patch and its blocks is made from that thread: the session's operations may be called
// from any thread, are queued (CommandQueue.h) and run between two rounds, in the order they
// came, and return when they ran. A change made while running is therefore seen by the
// next round.
//
// States: "stopped" (design time: blocks and links may change), "running" and "paused"
// (the patch is running for its blocks: run-time permissions apply; paused runs no round
// until resumed or stepped). Pacing: "realtime" runs each round when the wall clock reaches
// its kernel time, "fast" runs rounds one after the other, "stepped" runs a round only when
// asked (Step).
//
// What the reader subscribed to is put in the session's store (SubscriptionStore.h) as
// JSON events, coalesced per pin, block or topic:
//   {"event": "value", "block", "pin", "value" (text form), "time" (the value's kernel
//    time stamp, 100-ns units), "round"}: an output of a subscribed block whose time stamp
//    changed in the round, or the latest value a subscribed sink received (pin "input");
//   {"event": "message", "kind", "block", "method", "text"}: what a block sent to the
//    dispatcher (2 failed command, 3 error in a method, 4 unhandled exception);
//   {"event": "profile", "block", "class", "count", "mean_ns", "min_ns", "max_ns",
//    "total_ns"}: Execute timing per block, after each round;
//   {"event": "state", "state", "pacing", "round", "time"[, "error"]}: on every change.
// Values of sinks are taken from them after every round, subscribed or not, so that a
// long session does not grow.
//
// Refusals throw Refusal with the reason; nothing has changed then.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "host/kernel/JsonDocument.h"
#include "host/patch/PatchFile.h"
#include "host/live/CommandQueue.h"
#include "host/live/SubscriptionStore.h"

namespace Vtx {
struct IEventSource;
}

namespace vtxhost {
class CKernelServices;
class IReceivedValues;
class COutputPinImpl;
struct DispatchedMessage;
} // namespace vtxhost

namespace vtxhost::live {

// A command that does not fit: the reason, for the one who asked.
class Refusal : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class SessionState { Stopped, Running, Paused };
enum class Pacing { Realtime, Fast, Stepped };

const char* StateName(SessionState state);
const char* PacingName(Pacing pacing);
// False for a name that is none of "realtime", "fast", "stepped".
bool PacingFromName(const std::string& name, Pacing& pacing);

// What a subscription is to: a block's values, every sink, block messages, profiling, state.
enum class Topic { Values, Sinks, Messages, Profiling, State };
bool TopicFromName(const std::string& name, Topic& topic);

class CSession {
public:
    // The kernel services outlive the session; the patch is the session's from now on.
    CSession(CKernelServices& kernel, LoadedPatch loaded, Pacing pacing = Pacing::Stepped);
    // Stops the patch (on the scheduler thread) and ends the thread.
    ~CSession();
    CSession(const CSession&) = delete;
    CSession& operator=(const CSession&) = delete;

    // Every operation answers the fields of its answer.
    Json Describe();
    Json Status();
    // Through the block's own command path (ExecuteCommand with a parameter command). The
    // text is the value's text form. Answers the value now held and "round", the number of
    // rounds run before the change: the change is seen from the round after.
    Json SetParameter(const std::string& block, const std::string& parameter, const std::string& text);
    // A trigger parameter gets a value fired once more than its current one.
    Json Fire(const std::string& block, const std::string& parameter);
    Json Start();
    Json Stop();
    Json Pause();
    Json Resume();
    // Runs rounds now (paused, or running stepped); answers "round" and "time" after them.
    Json Step(std::int64_t rounds = 1);
    Json SetPacing(Pacing pacing);
    // Design time only. The entries are a patch file's (PatchFile.h).
    Json AddBlock(const Json& entry);
    Json RemoveBlock(const std::string& name);
    Json AddLink(const Json& entry);
    Json RemoveLink(const std::string& from, const std::string& to);
    // The writer of `vtxhost save`.
    Json Save(const std::string& path);
    // The block's named property sets, the ones editors read and write, with each
    // property's type and text.
    Json Properties(const std::string& block);
    // One property of a set from its text form; answers the text it then holds. A property
    // the set does not have is refused.
    Json SetProperty(const std::string& block, const std::string& set, const std::string& property,
                     const std::string& text);
    // block only for Topic::Values.
    Json Subscribe(Topic topic, const std::string& block = "");
    Json Unsubscribe(Topic topic, const std::string& block = "");

    CSubscriptionStore& Events() { return events_; }
    SessionState State() const { return state_.load(); }
    std::int64_t RoundsRun() const { return roundsRun_.load(); }
    // Waits until at least `round` rounds ran since the last start; false on timeout.
    bool WaitForRound(std::int64_t round, std::chrono::milliseconds timeout);

private:
    struct SinkEntry {
        std::string name;
        IReceivedValues* received;
        bool subscribed = false;
    };
    struct OutputWatch {
        std::string block;
        std::string pin;
        COutputPinImpl* output;
        std::int64_t lastStamp;
    };

    Json Run(const std::function<Json()>& work);
    void Loop();
    void RunRounds(std::int64_t rounds, bool paced);
    bool Gate(std::int64_t time, bool paced);
    void AfterRound(std::int64_t round, std::int64_t time);
    void PublishState(const std::string& error = "");
    void RefreshBlocks();
    void OnMessage(const DispatchedMessage& message);
    Json StateFields() const;
    Json SetValue(const std::string& block, const std::string& parameter, const std::string& text, bool fire);
    void RequireStopped(const char* what) const;

    CKernelServices& kernel_;
    LoadedPatch loaded_;
    CPatch& patch_;
    CCommandQueue queue_;
    CSubscriptionStore events_;

    // Scheduler-thread state.
    Pacing pacing_;
    std::chrono::steady_clock::time_point wallOrigin_;
    std::vector<SinkEntry> sinks_;
    std::vector<OutputWatch> watches_;
    std::set<std::string> valueBlocks_;
    bool sinksSubscribed_ = false;
    bool profilingSubscribed_ = false;
    bool stateSubscribed_ = false;
    std::int64_t lastTime_ = 0;
    // The text of a failed command the block reported while the session asked it.
    Vtx::IEventSource* capturing_ = nullptr;
    std::string captured_;

    // Read from any thread.
    std::atomic<SessionState> state_{SessionState::Stopped};
    std::atomic<std::int64_t> roundsRun_{0};
    std::atomic<bool> messagesSubscribed_{false};
    std::mutex namesMutex_;
    std::map<Vtx::IEventSource*, std::string> names_;
    std::mutex roundMutex_;
    std::condition_variable roundDone_;
    std::atomic<int> roundWaiters_{0};
    std::int32_t messageSubscription_ = 0;

    std::thread thread_;
};

} // namespace vtxhost::live
