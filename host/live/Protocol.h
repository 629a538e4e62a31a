#pragma once
// The live session's protocol: commands and answers as JSON objects, events as JSON objects,
// whatever carries them (lines on standard input and output, a WebSocket).
//
// A command is {"cmd": NAME, "id": ANY, ...fields}; "id" is optional and given back as it
// came (null when absent). Its answer is {"id", "cmd", "ok": true, ...fields of the answer}
// or {"id", "cmd", "ok": false, "error": REASON}; an answer never has "event", an event
// always has it (Session.h lists them). A command that is not an object, has no "cmd", names
// an unknown command, misses a field, has a field of the wrong type or one the command does
// not take, or does not fit the session's state, is answered with an error and changes
// nothing.
//
// Commands (fields; ? optional):
//   describe                      the patch: blocks with pins and parameters, links, state
//   status                        state, pacing, round, time
//   set      block, parameter, value   value: the text form, or any other JSON value for its JSON text
//   fire     block, parameter     a trigger parameter fires once
//   start | stop | pause | resume
//   step     rounds?              1 by default; while paused, or running stepped
//   pacing   mode                 "realtime", "fast" or "stepped"
//   add_block  block              a patch file's block entry; stopped only
//   remove_block  block           a block name; stopped only
//   add_link | remove_link  from, to   "BLOCK.PIN" each; stopped only
//   save     path                 the writer of `vtxhost save`
//   properties  block             the block's named property sets: {"sets": [{"name",
//                                 "properties": [{"name", "type", "value"}]}]}
//   set_property  block, set, property, value   one property, from its text form
//   subscribe | unsubscribe  topic, block?   topic "values" (with block), "sinks",
//                                 "messages", "profiling" or "state"
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "host/kernel/JsonDocument.h"
#include "host/live/Session.h"

namespace vtxhost::live {

class CProtocol {
public:
    explicit CProtocol(CSession& session) : session_(session) {}

    // The answer to one command; never throws.
    Json Handle(const Json& command);
    // The answer to one line of text holding a command; a line that is no JSON is answered
    // with an error.
    Json HandleLine(const std::string& line);

private:
    CSession& session_;
};

// Hands the session's events to a callback, on a thread of its own, as they come: a reader
// slower than the events gets them coalesced (SubscriptionStore.h).
class CEventPump {
public:
    using Callback = std::function<void(const Json& event)>;
    CEventPump(CSubscriptionStore& store, Callback callback);
    // Delivers what still waits, then ends the thread.
    ~CEventPump();
    CEventPump(const CEventPump&) = delete;
    CEventPump& operator=(const CEventPump&) = delete;
    // Delivers what waits now, on the calling thread (before an answer, for instance).
    void Flush();

private:
    CSubscriptionStore& store_;
    Callback callback_;
    std::mutex delivering_;
    std::atomic<bool> ending_{false};
    std::thread thread_;
};

} // namespace vtxhost::live
