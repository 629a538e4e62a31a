// The live session through its protocol: a table of commands with the answers they must get
// (every refusal among them), the description of a patch, the event store's coalescing, and
// commands from several threads while the patch runs.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "host/kernel/KernelServices.h"
#include "host/modules/ModuleOpener.h"
#include "host/patch/PatchFile.h"
#include "host/modules/ModuleCatalog.h"
#include "host/live/Protocol.h"
#include "host/live/Session.h"
#include "module/SignatureList.h"
#include "sdk/block/BlockImplBase.h"
#include "sdk/block/PinDescription.h"
#include "sdk/object/Exceptions.h"
#include "vtx/KernelDatatypes.h"

using namespace Vtx;
using vtxhost::CKernelServices;
using vtxhost::Json;
using vtxhost::LoadedPatch;
using vtxhost::live::CEventPump;
using vtxhost::live::CProtocol;
using vtxhost::live::CSession;
using vtxhost::live::CSubscriptionStore;
using vtxhost::live::Pacing;

namespace {

// A block of this test whose parameters exercise every refusal and every layout kind:
// "level" (0 to 10, a combo) refuses 5 and throws on 7; "frozen" may change only while
// running.
class PickyBlock : public CBlockImplBase<IBlock> {
public:
    using CBlockImplBase::CBlockImplBase;

protected:
    void InitSignature() override {
        AddParameter(pin_description("level").attach_int_domain().set_int_minimum(0, true).set_int_maximum(10, true)
                         .add_combo_item("low").add_combo_item("high"));
        AddParameter(pin_description("frozen").set_type("kernel", "int").set_designtime_change(false));
        AddParameter(pin_description("file").set_type("kernel", "string").attach_filename_layout("*.json", true, false, false));
        AddParameter(pin_description("folder").set_type("kernel", "string").attach_foldername_layout(true));
        AddParameter(pin_description("kind").set_type("kernel", "string").add_datatype_selector_item("kernel", "int"));
    }
    bool OnChangingParameter(const std::string& id, IDatatype* value) override {
        if (id != "level") return true;
        const std::int32_t level = dynamic_cast<IInt*>(value)->GetValue();
        if (level == 7) throw CLogicExceptionImpl("seven is not a level\n");
        return level != 5;
    }
};

const char* kPatch = R"(
  "blocks": [
    {"name": "gen", "catalog": "Brennick2010", "class": "LabelledSetIntervalGenerator",
     "parameters": {"num_items": 2, "label_0": "a", "max_0": 1}},
    {"name": "sets", "class": "sink"},
    {"name": "numbers", "class": "sequence_source", "parameters": {"values": [1, 2, 3], "repeat": true}},
    {"name": "store", "catalog": "Brennick2010", "class": "Vector", "parameters": {"size": 2}}],
  "links": [{"from": "gen.output", "to": "sets.input"}, {"from": "numbers.output", "to": "store.input"}]})";

struct LiveSession : ::testing::Test {
    CKernelServices kernel;
    std::unique_ptr<CSession> session;
    std::unique_ptr<CProtocol> protocol;

    void Open(Pacing pacing = Pacing::Stepped) {
        LoadedPatch loaded = vtxhost::LoadPatchText(
            kernel, std::string("{\"name\": \"live\", \"modules\": [\"") + VTX_MODULE_PATH + "\"]," + kPatch, "live.json",
            ".", vtxhost::OpenModuleCatalog);
        OBJECT_CREATIONCTX context = kernel.MakeCreationContext(vtxhost::ObjectKind::Block, "test", "picky");
        loaded.patch->AdoptBlock("picky", new PickyBlock(&context));
        session = std::make_unique<CSession>(kernel, std::move(loaded), pacing);
        protocol = std::make_unique<CProtocol>(*session);
    }
    void TearDown() override {
        protocol.reset();
        session.reset();
    }
    Json Ask(const std::string& line) { return protocol->HandleLine(line); }
    // The value the description gives the block's parameter.
    std::string ParameterValue(const std::string& block, const std::string& parameter) {
        const Json description = session->Describe();
        for (const Json& entry : description["blocks"])
            if (entry["name"] == block)
                for (const Json& p : entry["parameters"])
                    if (p["id"] == parameter) return p["value"].get<std::string>();
        return "(none)";
    }
};

struct Row {
    const char* command;
    const char* expected;  // the fields the answer must have, with these values
};

// In order, on one session: each command meets the state the ones before left.
const Row kRows[] = {
    // Lines that are no command.
    {R"(nonsense)", R"({"id": null, "ok": false})"},
    {R"([1, 2])", R"({"id": null, "ok": false, "error": "a command is a JSON object"})"},
    {R"({"id": 1})", R"({"id": 1, "ok": false, "error": "a command needs \"cmd\", the command's name"})"},
    {R"({"id": "x", "cmd": "fly"})", R"({"id": "x", "cmd": "fly", "ok": false, "error": "unknown command \"fly\""})"},
    {R"({"cmd": "start", "now": true})", R"({"ok": false, "error": "\"start\" takes no field \"now\""})"},
    {R"({"cmd": "set", "block": "picky", "value": 1})", R"({"ok": false, "error": "\"set\" needs \"parameter\""})"},
    {R"({"cmd": "set", "block": 3, "parameter": "level", "value": 1})", R"({"ok": false, "error": "\"block\" must be a text"})"},
    {R"({"cmd": "step", "rounds": "two"})", R"({"ok": false, "error": "\"rounds\" must be an integer"})"},
    {R"({"cmd": "subscribe", "topic": "weather"})",
     R"j({"ok": false, "error": "unknown topic \"weather\" (values, sinks, messages, profiling, state)"})j"},
    {R"({"cmd": "subscribe", "topic": "values"})", R"({"ok": false, "error": "the topic \"values\" needs \"block\""})"},
    {R"({"cmd": "subscribe", "topic": "state", "block": "gen"})", R"({"ok": false, "error": "the topic \"state\" takes no \"block\""})"},
    {R"({"cmd": "subscribe", "topic": "values", "block": "ghost"})", R"({"ok": false, "error": "unknown block \"ghost\""})"},
    {R"({"cmd": "unsubscribe", "topic": "values", "block": "gen"})",
     R"({"ok": false, "error": "no subscription to the values of \"gen\""})"},
    {R"({"cmd": "pacing", "mode": "slow"})", R"j({"ok": false, "error": "unknown pacing \"slow\" (realtime, fast, stepped)"})j"},
    // Parameters at design time.
    {R"({"id": 2, "cmd": "set", "block": "picky", "parameter": "level", "value": 3})",
     R"({"id": 2, "cmd": "set", "ok": true, "value": "3", "round": 0})"},
    {R"({"cmd": "set", "block": "ghost", "parameter": "level", "value": 3})", R"({"ok": false, "error": "unknown block \"ghost\""})"},
    {R"({"cmd": "set", "block": "picky", "parameter": "volume", "value": 3})",
     R"({"ok": false, "error": "block \"picky\" has no parameter \"volume\""})"},
    {R"({"cmd": "set", "block": "picky", "parameter": "level", "value": "three"})",
     R"({"ok": false, "error": "\"three\" is not a valid int value"})"},
    {R"({"cmd": "set", "block": "picky", "parameter": "level", "value": 11})",
     R"({"ok": false, "error": "\"11\" lies outside the domain of parameter \"level\" of block \"picky\": [0 inclusive, 10 inclusive]"})"},
    {R"({"cmd": "set", "block": "picky", "parameter": "level", "value": 5})",
     R"({"ok": false, "error": "parameter \"level\" of block \"picky\": the block refused the value \"5\""})"},
    {R"({"cmd": "set", "block": "picky", "parameter": "level", "value": 7})",
     R"({"ok": false, "error": "parameter \"level\" of block \"picky\": seven is not a level"})"},
    {R"({"cmd": "set", "block": "picky", "parameter": "frozen", "value": 1})",
     R"({"ok": false, "error": "parameter \"frozen\" of block \"picky\" may not change while the patch is stopped"})"},
    {R"({"cmd": "fire", "block": "picky", "parameter": "level"})",
     R"({"ok": false, "error": "parameter \"level\" of block \"picky\" is not a trigger"})"},
    {R"({"cmd": "set", "block": "gen", "parameter": "num_items", "value": 3})", R"({"ok": true, "value": "3"})"},
    // State changes that do not fit.
    {R"({"cmd": "stop"})", R"({"ok": false, "error": "the patch is not running"})"},
    {R"({"cmd": "pause"})", R"({"ok": false, "error": "the patch is not running"})"},
    {R"({"cmd": "resume"})", R"({"ok": false, "error": "the patch is not paused"})"},
    {R"({"cmd": "step"})", R"({"ok": false, "error": "the patch is not running"})"},
    // Blocks and links at design time, with the loader's checks.
    {R"({"cmd": "add_block", "block": {"name": "more", "class": "Nope"}})",
     R"x({"ok": false, "error": "unknown block class \"Nope\" in catalog \"kernel\" (its block classes: sequence_source, sink)"})x"},
    {R"({"cmd": "add_block", "block": {"name": "sets", "class": "sink"}})",
     R"({"ok": false, "error": "block name \"sets\" is used twice"})"},
    {R"({"cmd": "add_block", "block": {"name": "v", "catalog": "Brennick2010", "class": "Vector", "parameters": {"size": 0}}})",
     R"x({"ok": false, "error": "block \"v\", parameter \"size\": \"0\" is outside the parameter's domain [1, +inf)"})x"},
    {R"({"cmd": "add_block", "block": {"name": "copy", "catalog": "Brennick2010", "class": "Vector"}})", R"({"ok": true})"},
    {R"({"cmd": "add_link", "from": "gen.output", "to": "sets.input"})",
     R"({"ok": false, "error": "input \"sets.input\" is already linked"})"},
    {R"({"cmd": "add_link", "from": "copy.output", "to": "store.input"})",
     R"({"ok": false, "error": "link \"copy.output\" -> \"store.input\": a block must come before the blocks it feeds"})"},
    {R"({"cmd": "add_link", "from": "sets", "to": "copy.input"})", R"({"ok": false, "error": "\"from\" must read BLOCK.PIN"})"},
    {R"({"cmd": "add_link", "from": "numbers.output", "to": "copy.input"})", R"({"ok": true})"},
    {R"({"cmd": "remove_link", "from": "gen.output", "to": "copy.input"})",
     R"({"ok": false, "error": "there is no link \"gen.output\" -> \"copy.input\""})"},
    {R"({"cmd": "remove_link", "from": "numbers.output", "to": "copy.input"})", R"({"ok": true})"},
    {R"({"cmd": "remove_block", "block": "ghost"})", R"({"ok": false, "error": "unknown block \"ghost\""})"},
    {R"({"cmd": "remove_block", "block": "copy"})", R"({"ok": true, "blocks": ["gen", "sets", "numbers", "store", "picky"]})"},
    {R"({"cmd": "save", "path": "/nonexistent/folder/x.json"})",
     R"({"ok": false, "error": "/nonexistent/folder/x.json: the patch file cannot be written: No such file or directory"})"},
    // Running.
    {R"({"cmd": "start"})", R"({"ok": true, "state": "running", "pacing": "stepped", "round": 0})"},
    {R"({"cmd": "start"})", R"({"ok": false, "error": "the patch is already running"})"},
    {R"({"cmd": "resume"})", R"({"ok": false, "error": "the patch is not paused"})"},
    {R"({"cmd": "step", "rounds": 0})", R"({"ok": false, "error": "\"rounds\" lies outside 1 to 1000000"})"},
    {R"({"cmd": "step", "rounds": 2})", R"({"ok": true, "round": 2, "time": 800000})"},
    {R"({"cmd": "set", "block": "gen", "parameter": "num_items", "value": 4})",
     R"({"ok": false, "error": "parameter \"num_items\" of block \"gen\" may not change while the patch runs"})"},
    {R"({"cmd": "set", "block": "store", "parameter": "size", "value": 4})",
     R"({"ok": false, "error": "parameter \"size\" of block \"store\" may not change while the patch runs"})"},
    {R"({"cmd": "set", "block": "picky", "parameter": "frozen", "value": 1})", R"({"ok": true, "value": "1", "round": 2})"},
    {R"({"cmd": "set", "block": "store", "parameter": "read_position", "value": 1})", R"({"ok": true, "value": "1"})"},
    {R"({"cmd": "fire", "block": "store", "parameter": "reset"})", R"({"ok": true, "value": "1"})"},
    {R"({"cmd": "fire", "block": "store", "parameter": "reset"})", R"({"ok": true, "value": "2"})"},
    {R"({"cmd": "add_block", "block": {"name": "late", "class": "sink"}})",
     R"({"ok": false, "error": "blocks and links change only while the patch is stopped"})"},
    {R"({"cmd": "remove_block", "block": "sets"})",
     R"({"ok": false, "error": "blocks and links change only while the patch is stopped"})"},
    {R"({"cmd": "add_link", "from": "numbers.output", "to": "sets.input"})",
     R"({"ok": false, "error": "blocks and links change only while the patch is stopped"})"},
    {R"({"cmd": "remove_link", "from": "gen.output", "to": "sets.input"})",
     R"({"ok": false, "error": "blocks and links change only while the patch is stopped"})"},
    {R"({"cmd": "pacing", "mode": "fast"})", R"({"ok": true, "pacing": "fast"})"},
    {R"({"cmd": "pause"})", R"({"ok": true, "state": "paused"})"},
    {R"({"cmd": "pause"})", R"({"ok": false, "error": "the patch is already paused"})"},
    {R"({"cmd": "start"})", R"({"ok": false, "error": "the patch is already paused"})"},
    {R"({"cmd": "resume"})", R"({"ok": true, "state": "running"})"},
    {R"({"cmd": "step"})", R"j({"ok": false, "error": "the patch runs by itself (fast); pause it, or choose stepped pacing, to step"})j"},
    {R"({"cmd": "stop"})", R"({"ok": true, "state": "stopped"})"},
};

TEST_F(LiveSession, EveryCommandGetsItsAnswerAndEveryRefusalItsReason) {
    Open();
    for (const Row& row : kRows) {
        const Json answer = Ask(row.command);
        const Json expected = Json::parse(row.expected);
        SCOPED_TRACE(row.command);
        EXPECT_FALSE(answer.contains("event"));
        EXPECT_TRUE(answer.contains("id"));
        for (auto it = expected.begin(); it != expected.end(); ++it)
            EXPECT_EQ(answer.value(it.key(), Json("(missing)")), it.value()) << answer.dump();
        if (answer["ok"] == false) {
            EXPECT_TRUE(answer["error"].is_string()) << answer.dump();
        }
    }
}

TEST_F(LiveSession, RefusedChangesLeaveTheValueAsItWas) {
    Open();
    EXPECT_EQ(Ask(R"({"cmd": "set", "block": "picky", "parameter": "level", "value": 4})")["ok"], true);
    for (const char* value : {"5", "7", "11", "\"x\""})
        EXPECT_EQ(Ask(std::string(R"({"cmd": "set", "block": "picky", "parameter": "level", "value": )") + value + "}")["ok"],
                  false);
    EXPECT_EQ(ParameterValue("picky", "level"), "4");
    // The generator kept its items: a refused count while running adds no parameter.
    Ask(R"({"cmd": "start"})");
    Ask(R"({"cmd": "set", "block": "gen", "parameter": "num_items", "value": 4})");
    EXPECT_EQ(ParameterValue("gen", "num_items"), "2");
    EXPECT_EQ(ParameterValue("gen", "label_3"), "(none)");
}

TEST_F(LiveSession, DescriptionGivesPinsParametersPermissionsLayoutsAndLinks) {
    Open();
    const Json answer = Ask(R"({"id": 9, "cmd": "describe"})");
    ASSERT_EQ(answer["ok"], true) << answer.dump();
    EXPECT_EQ(answer["name"], "live");
    EXPECT_EQ(answer["state"], "stopped");
    EXPECT_EQ(answer["links"], Json::parse(R"([{"from": "gen.output", "to": "sets.input"},
                                              {"from": "numbers.output", "to": "store.input"}])"));
    std::map<std::string, Json> blocks;
    for (const Json& block : answer["blocks"]) blocks[block["name"].get<std::string>()] = block;
    ASSERT_EQ(blocks.size(), 5u);
    EXPECT_EQ(blocks["store"]["catalog"], "Brennick2010");
    EXPECT_EQ(blocks["store"]["class"], "Vector");
    std::map<std::string, Json> store;
    for (const Json& p : blocks["store"]["parameters"]) store[p["id"].get<std::string>()] = p;
    EXPECT_EQ(store["size"]["value"], "2");
    EXPECT_EQ(store["size"]["bounds_text"], "[1 inclusive, none]");
    EXPECT_EQ(store["size"]["changeable"]["run_time"], false);
    EXPECT_EQ(store["size"]["changeable"]["design_time"], true);
    EXPECT_EQ(store["read_position"]["changeable"]["run_time"], true);
    EXPECT_EQ(store["reset"]["datatype"], Json::parse(R"(["kernel", "trigger"])"));
    EXPECT_EQ(blocks["store"]["inputs"][0]["required_interfaces"], Json::parse(R"([["kernel", "scalar_arith_op_double"]])"));
    EXPECT_EQ(blocks["store"]["outputs"][0]["follows"], "input");

    std::map<std::string, Json> picky;
    for (const Json& p : blocks["picky"]["parameters"]) picky[p["id"].get<std::string>()] = p;
    EXPECT_EQ(picky["level"]["layout"], Json::parse(R"({"kind": "combo", "items": ["low", "high"]})"));
    EXPECT_EQ(picky["file"]["layout"], Json::parse(R"({"kind": "filename", "filter": "*.json", "must_exist": true,
                                                       "for_saving": false, "multiple_selection": false})"));
    EXPECT_EQ(picky["folder"]["layout"], Json::parse(R"({"kind": "foldername", "must_exist": true})"));
    EXPECT_EQ(picky["kind"]["layout"], Json::parse(R"({"kind": "datatype_selector_combo", "items": [["kernel", "int"]]})"));
    EXPECT_EQ(picky["frozen"]["layout"], nullptr);
    EXPECT_EQ(picky["frozen"]["changeable"]["design_time"], false);
}

TEST_F(LiveSession, SubscribedValuesMessagesProfilesAndStateArriveAsEvents) {
    Open();
    for (const char* line : {R"({"cmd": "subscribe", "topic": "values", "block": "store"})",
                             R"({"cmd": "subscribe", "topic": "sinks"})", R"({"cmd": "subscribe", "topic": "messages"})",
                             R"({"cmd": "subscribe", "topic": "profiling"})", R"({"cmd": "subscribe", "topic": "state"})",
                             R"({"cmd": "set", "block": "store", "parameter": "read_position", "value": 0})",
                             R"({"cmd": "set", "block": "store", "parameter": "write_position", "value": 0})",
                             R"({"cmd": "start"})", R"({"cmd": "step"})"})
        ASSERT_EQ(Ask(line)["ok"], true) << line;
    std::map<std::string, Json> events;
    for (const Json& event : session->Events().Take())
        events[event["event"].get<std::string>() + ":" + event.value("block", "")] = event;
    EXPECT_EQ(events["value:store"]["value"], "1");
    EXPECT_EQ(events["value:store"]["pin"], "output");
    EXPECT_EQ(events["value:store"]["round"], 1);
    EXPECT_EQ(events["value:sets"]["value"],
              R"({"element":["Brennick2010","Interval"],"items":[{"label":"a","value":"0,1"}]})");
    EXPECT_EQ(events["profile:numbers"]["count"], 1);
    EXPECT_EQ(events["profile:numbers"]["class"], "kernel/sequence_source");
    EXPECT_EQ(events["state:"]["state"], "running");
    EXPECT_EQ(events["state:"]["round"], 1);

    // A failed command reaches the reader as the block's kind-2 message.
    Ask(R"({"cmd": "set", "block": "picky", "parameter": "level", "value": 7})");
    const std::vector<Json> later = session->Events().Take();
    ASSERT_EQ(later.size(), 1u);
    EXPECT_EQ(later[0], Json::parse(R"({"event": "message", "kind": 2, "block": "picky", "method": "ExecuteCommand",
                                        "text": "seven is not a level"})"));
    // The store's value follows the newest write, one round later.
    Ask(R"({"cmd": "step", "rounds": 3})");
    for (const Json& event : session->Events().Take())
        if (event["event"] == "value" && event["block"] == "store") {
            EXPECT_EQ(event["value"], "1") << event.dump();
        }
}

// Paced by the wall clock, round 3 of a patch whose rounds are 40 ms apart comes no sooner
// than 120 ms after the start; paused, no round runs; resumed, they go on.
TEST_F(LiveSession, RealtimeRoundsFollowTheWallClockAndStopWhilePaused) {
    Open(Pacing::Realtime);
    const auto begin = std::chrono::steady_clock::now();
    ASSERT_EQ(Ask(R"({"cmd": "start"})")["ok"], true);
    ASSERT_TRUE(session->WaitForRound(3, std::chrono::seconds(20)));
    EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(120));
    const Json paused = Ask(R"({"cmd": "pause"})");
    ASSERT_EQ(paused["state"], "paused");
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(session->RoundsRun(), paused["round"].get<std::int64_t>());
    ASSERT_EQ(Ask(R"({"cmd": "step"})")["round"], paused["round"].get<std::int64_t>() + 1);
    ASSERT_EQ(Ask(R"({"cmd": "resume"})")["ok"], true);
    EXPECT_TRUE(session->WaitForRound(paused["round"].get<std::int64_t>() + 3, std::chrono::seconds(20)));
}

// A session may run for good: the dispatcher keeps only the newest messages blocks sent.
TEST_F(LiveSession, TheDispatcherKeepsTheNewestMessagesOnly) {
    Open();
    for (int i = 0; i < 1100; ++i) kernel.Dispatcher().SendMessage(nullptr, 3, std::to_string(i).c_str());
    const auto messages = kernel.Dispatcher().Messages();
    ASSERT_EQ(messages.size(), 1024u);
    EXPECT_EQ(messages.front().text, "76");
    EXPECT_EQ(messages.back().text, "1099");
}

TEST(LiveStore, NewerValuesReplaceWaitingOnesAndMessagesStayBounded) {
    CSubscriptionStore store(3);
    for (int i = 0; i < 1000; ++i) {
        store.Put("value:a", Json{{"n", i}});
        store.Put("value:b", Json{{"n", -i}});
    }
    for (int i = 0; i < 5; ++i) store.Append(Json{{"m", i}});
    EXPECT_EQ(store.MeasureUsage().waiting, 5u);  // two values, three messages
    const std::vector<Json> events = store.Take();
    ASSERT_EQ(events.size(), 6u);
    EXPECT_EQ(events[0], Json::parse(R"({"event": "dropped", "messages": 2})"));
    EXPECT_EQ(events[1], (Json{{"n", 999}}));
    EXPECT_EQ(events[2], (Json{{"n", -999}}));
    EXPECT_EQ(events[3], (Json{{"m", 2}}));
    EXPECT_EQ(events[5], (Json{{"m", 4}}));
    EXPECT_TRUE(store.Take().empty());
    // A key taken and written again waits behind the keys written since.
    store.Put("value:b", Json(1));
    store.Put("value:a", Json(2));
    EXPECT_EQ(store.Take(), (std::vector<Json>{Json(1), Json(2)}));
    EXPECT_EQ(store.MeasureUsage().bytes, 0u);
}

TEST(LiveStore, PumpDeliversInOrderAndFlushesWhatIsLeft) {
    CSubscriptionStore store;
    std::vector<Json> seen;
    std::mutex mutex;
    {
        CEventPump pump(store, [&](const Json& event) {
            std::lock_guard<std::mutex> lock(mutex);
            seen.push_back(event);
        });
        for (int i = 0; i < 50; ++i) store.Append(Json(i));
    }
    ASSERT_EQ(seen.size(), 50u);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(seen[i], Json(i));
}

// Commands from four threads while the patch runs by itself, with a reader taking events:
// each is answered, the rounds go on, and the patch stops cleanly.
// The catalog is the one linked into this program (not the module loaded with dlopen), so
// that the thread sanitizer sees all of its code.
TEST(LiveSessionConcurrency, CommandsFromSeveralThreadsWhileThePatchRuns) {
    CKernelServices kernel;
    BuildSignatures(1033);
    kernel.AddCatalog(std::make_shared<vtxhost::CModuleCatalog>(ChooseSignature(1033)));
    LoadedPatch loaded = vtxhost::LoadPatchText(kernel, std::string("{") + kPatch, "live.json", ".", nullptr);
    CSession session(kernel, std::move(loaded), Pacing::Fast);
    CProtocol protocol(session);
    std::atomic<int> delivered{0};
    CEventPump pump(session.Events(), [&](const Json&) { ++delivered; });
    ASSERT_EQ(protocol.Handle(Json{{"cmd", "subscribe"}, {"topic", "sinks"}})["ok"], true);
    ASSERT_EQ(protocol.Handle(Json{{"cmd", "start"}})["ok"], true);
    const std::set<std::string> allowedRefusals = {"the patch is already paused", "the patch is not paused"};
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 60; ++i) {
                Json command;
                switch ((i + t) % 6) {
                case 0: command = {{"cmd", "set"}, {"block", "store"}, {"parameter", "read_position"}, {"value", i % 2}}; break;
                case 1: command = {{"cmd", "set"}, {"block", "gen"}, {"parameter", "label_1"}, {"value", "t" + std::to_string(t)}}; break;
                case 2: command = {{"cmd", "status"}}; break;
                case 3: command = {{"cmd", (t % 2) ? "pause" : "resume"}}; break;
                case 4: command = {{"cmd", "subscribe"}, {"topic", "values"}, {"block", "store"}}; break;
                default: command = {{"cmd", "describe"}}; break;
                }
                command["id"] = t * 1000 + i;
                const Json answer = protocol.Handle(command);
                if (answer["id"] != command["id"]) ++failures;
                if (answer["ok"] != true && !allowedRefusals.count(answer.value("error", ""))) ++failures;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(failures.load(), 0);
    protocol.Handle(Json{{"cmd", "resume"}});
    const std::int64_t reached = session.RoundsRun();
    EXPECT_TRUE(session.WaitForRound(reached + 3, std::chrono::seconds(10)));
    EXPECT_EQ(protocol.Handle(Json{{"cmd", "stop"}})["state"], "stopped");
    EXPECT_GT(delivered.load() + static_cast<int>(session.Events().Take().size()), 0);
}

} // namespace
