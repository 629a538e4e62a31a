// vtxhost run PATCH --control, as a patch editor or a script drives it: commands on standard
// input, answers and events on standard output, the main job's patch changed while it runs.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/module/ToolRun.h"

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

// Removes the folder when the test program ends.
struct RemovedAtExit {
    fs::path path;
    ~RemovedAtExit() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

const fs::path& Folder() {
    static const RemovedAtExit folder{[] {
        const fs::path d = fs::temp_directory_path() / ("vtxhost_control_" + std::to_string(::getpid()));
        fs::create_directories(d);
        return d;
    }()};
    return folder.path;
}

// The main job's patch, with the module of this build.
fs::path MainJob() {
    const fs::path path = Folder() / "intervals.json";
    if (!fs::exists(path)) {
        std::ifstream in(std::string(VTX_SOURCE_DIR) + "/examples/intervals.json");
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string relative = "\"Brennick2010\"";
        text.replace(text.find(relative), relative.size(), std::string("\"") + VTX_MODULE_PATH + "\"");
        std::ofstream(path) << text;
    }
    return path;
}

struct Transcript {
    int status;
    std::vector<Json> lines;

    const Json& Answer(int id) const {
        for (const Json& line : lines)
            if (!line.contains("event") && line["id"] == id) return line;
        static const Json missing = {{"missing", true}};
        return missing;
    }
    // What the sink received, one entry per round it received something, in order.
    std::vector<std::string> Values(const std::string& block) const {
        std::vector<std::string> values;
        for (const Json& line : lines)
            if (line.value("event", "") == "value" && line["block"] == block) values.push_back(line["value"]);
        return values;
    }
};

// Runs the session on the commands (one per line); every output line must be JSON.
Transcript Control(const std::vector<std::string>& commands, const std::string& options = "") {
    const fs::path input = Folder() / "commands.txt";
    std::ofstream file(input);
    for (const std::string& command : commands) file << command << "\n";
    file.close();
    const ToolRun run = RunVtxhost("run " + MainJob().string() + " --control " + options + " < " + input.string());
    Transcript transcript{run.status, {}};
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);) {
        try {
            transcript.lines.push_back(Json::parse(line));
        } catch (const std::exception&) {
            ADD_FAILURE() << "not a JSON line: " << line;
        }
    }
    return transcript;
}

const std::string kLowHigh = R"({"element":["Brennick2010","Interval"],"items":[{"label":"low","value":"0,1"},)"
                             R"({"label":"high","value":"10,20"}]})";

// "num_items" may not change while the patch runs (the block says so); the per-item values
// may, and the next round's set holds them. Stopped, the count grows to 5, and the first
// round after the new start holds the five items.
TEST(LiveControl, GeneratorItemsChangeWhileRunningAndTheCountBetweenRuns) {
    const Transcript t = Control({
        R"({"id": 1, "cmd": "subscribe", "topic": "values", "block": "sets"})",
        R"({"id": 2, "cmd": "subscribe", "topic": "state"})",
        R"({"id": 3, "cmd": "start"})",
        R"({"id": 4, "cmd": "step"})",
        R"({"id": 5, "cmd": "set", "block": "generator", "parameter": "num_items", "value": 5})",
        R"({"id": 6, "cmd": "set", "block": "generator", "parameter": "label_1", "value": "mid"})",
        R"({"id": 7, "cmd": "step"})",
        R"({"id": 8, "cmd": "stop"})",
        R"({"id": 9, "cmd": "set", "block": "generator", "parameter": "num_items", "value": 5})",
        R"({"id": 10, "cmd": "set", "block": "generator", "parameter": "label_3", "value": "four"})",
        R"({"id": 11, "cmd": "set", "block": "generator", "parameter": "max_3", "value": 4})",
        R"({"id": 12, "cmd": "set", "block": "generator", "parameter": "label_4", "value": "five"})",
        R"({"id": 13, "cmd": "start"})",
        R"({"id": 14, "cmd": "step"})",
    });
    EXPECT_EQ(t.status, 0);
    EXPECT_EQ(t.Answer(5)["error"], "parameter \"num_items\" of block \"generator\" may not change while the patch runs");
    EXPECT_EQ(t.Answer(6)["round"], 1);
    EXPECT_EQ(t.Answer(9)["ok"], true);
    const std::string withMid = R"({"element":["Brennick2010","Interval"],"items":[{"label":"low","value":"0,1"},)"
                                R"({"label":"mid","value":"0,0"},{"label":"high","value":"10,20"}]})";
    const std::string five = R"({"element":["Brennick2010","Interval"],"items":[{"label":"low","value":"0,1"},)"
                             R"({"label":"mid","value":"0,0"},{"label":"high","value":"10,20"},)"
                             R"({"label":"four","value":"0,4"},{"label":"five","value":"0,0"}]})";
    EXPECT_EQ(t.Values("sets"), (std::vector<std::string>{kLowHigh, withMid, five}));
    // The end of the input stopped the patch: the last line says so.
    ASSERT_FALSE(t.lines.empty());
    EXPECT_EQ(t.lines.back()["event"], "state");
    EXPECT_EQ(t.lines.back()["state"], "stopped");
}

// The Vector reads another position from the round after the change; its size may not
// change while running. A fresh entry holds the value of the input's init information, here
// the source's first interval, "0,1".
TEST(LiveControl, VectorReadPositionChangesWhileRunning) {
    const Transcript t = Control({
        R"({"id": 1, "cmd": "subscribe", "topic": "values", "block": "store"})",
        R"({"id": 2, "cmd": "start"})",
        R"({"id": 3, "cmd": "step"})",
        R"({"id": 4, "cmd": "set", "block": "store", "parameter": "read_position", "value": 0})",
        R"({"id": 5, "cmd": "step"})",
        R"({"id": 6, "cmd": "set", "block": "store", "parameter": "read_position", "value": 1})",
        R"({"id": 7, "cmd": "step"})",
        R"({"id": 8, "cmd": "set", "block": "store", "parameter": "size", "value": 3})",
    });
    // Unchanged, round 2 would read "2,3" from position 1.
    EXPECT_EQ(t.Values("store"), (std::vector<std::string>{"0,1", "0,1", "4,5"}));
    EXPECT_EQ(t.Answer(4)["round"], 1);
    EXPECT_EQ(t.Answer(8)["ok"], false);
    EXPECT_EQ(t.Answer(8)["error"], "parameter \"size\" of block \"store\" may not change while the patch runs");
}

// One fire resets the array once: with writing off, the next round reads the fresh entry
// instead of the stored "2,3"; with writing on again, the array stores as before.
TEST(LiveControl, TriggerFiresOnce) {
    const Transcript t = Control({
        R"({"id": 1, "cmd": "subscribe", "topic": "sinks"})",
        R"({"id": 2, "cmd": "subscribe", "topic": "messages"})",
        R"({"id": 3, "cmd": "set", "block": "bounds", "parameter": "repeat", "value": true})",
        R"({"id": 4, "cmd": "start"})",
        R"({"id": 5, "cmd": "step"})",
        R"({"id": 6, "cmd": "step"})",
        R"({"id": 7, "cmd": "set", "block": "store", "parameter": "enable_write", "value": false})",
        R"({"id": 8, "cmd": "fire", "block": "store", "parameter": "reset"})",
        R"({"id": 9, "cmd": "step"})",
        R"({"id": 10, "cmd": "step"})",
        R"({"id": 11, "cmd": "set", "block": "store", "parameter": "enable_write", "value": true})",
        R"({"id": 12, "cmd": "step"})",
        R"({"id": 13, "cmd": "step"})",
        R"({"id": 14, "cmd": "fire", "block": "generator", "parameter": "num_items"})",
    });
    EXPECT_EQ(t.Answer(8)["value"], "1");
    EXPECT_EQ(t.Values("stored"), (std::vector<std::string>{"0,1", "2,3", "0,1", "0,1", "2,3", "4,5"}));
    EXPECT_EQ(t.Answer(14)["error"], "parameter \"num_items\" of block \"generator\" is not a trigger");
    for (const Json& line : t.lines) EXPECT_NE(line.value("event", ""), "message") << line.dump();
}

// Blocks and links change only while stopped; added ones run from the next start.
TEST(LiveControl, AddedVectorAndLinkTakeEffectAfterStart) {
    const Transcript t = Control({
        R"({"id": 1, "cmd": "subscribe", "topic": "sinks"})",
        R"({"id": 2, "cmd": "start"})",
        R"({"id": 3, "cmd": "step"})",
        R"({"id": 4, "cmd": "add_block", "block": {"name": "copy", "catalog": "Brennick2010", "class": "Vector"}})",
        R"({"id": 5, "cmd": "stop"})",
        R"({"id": 6, "cmd": "add_block", "block": {"name": "copy", "catalog": "Brennick2010", "class": "Vector"}})",
        R"({"id": 7, "cmd": "add_block", "block": {"name": "copied", "class": "sink"}})",
        R"({"id": 8, "cmd": "add_link", "from": "bounds.output", "to": "copy.input"})",
        R"({"id": 9, "cmd": "add_link", "from": "copy.output", "to": "copied.input"})",
        R"({"id": 10, "cmd": "subscribe", "topic": "sinks"})",
        R"({"id": 11, "cmd": "start"})",
        R"({"id": 12, "cmd": "step"})",
        R"({"id": 13, "cmd": "step"})",
    });
    EXPECT_EQ(t.Answer(4)["error"], "blocks and links change only while the patch is stopped");
    for (int id : {6, 7, 8, 9, 11}) EXPECT_EQ(t.Answer(id)["ok"], true) << t.Answer(id).dump();
    EXPECT_EQ(t.Values("copied"), (std::vector<std::string>{"0,1", "2,3"}));
}

// What a session saves loads again into the same rounds, through the plain run.
TEST(LiveControl, SavedPatchReloadsToTheSameOutput) {
    const fs::path saved = Folder() / "saved.json";
    const Transcript t = Control({
        R"({"id": 1, "cmd": "set", "block": "generator", "parameter": "label_1", "value": "mid"})",
        R"({"id": 2, "cmd": "set", "block": "store", "parameter": "read_position", "value": 0})",
        R"({"id": 3, "cmd": "set", "block": "store", "parameter": "write_position", "value": 0})",
        R"({"id": 4, "cmd": "save", "path": ")" + saved.string() + R"("})",
        R"({"id": 5, "cmd": "subscribe", "topic": "sinks"})",
        R"({"id": 6, "cmd": "start"})",
        R"({"id": 7, "cmd": "step", "rounds": 1})",
        R"({"id": 8, "cmd": "step", "rounds": 1})",
        R"({"id": 9, "cmd": "step", "rounds": 1})",
    });
    ASSERT_EQ(t.Answer(4)["ok"], true) << t.Answer(4).dump();
    const ToolRun plain = RunVtxhost("run " + saved.string() + " --activations 3");
    ASSERT_EQ(plain.status, 0) << plain.output;
    std::map<std::string, std::vector<std::string>> printed;
    std::istringstream lines(plain.output);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("  ", 0) != 0) continue;
        const std::size_t colon = line.find(": ");
        printed[line.substr(2, colon - 2)].push_back(line.substr(colon + 2));
    }
    EXPECT_EQ(printed["sets"], t.Values("sets"));
    EXPECT_EQ(printed["stored"], t.Values("stored"));
    EXPECT_EQ(printed["stored"], (std::vector<std::string>{"0,1", "2,3", "4,5"}));
    EXPECT_EQ(t.Values("sets").size(), 3u);
}

TEST(LiveControl, ControlTakesNoActivationCount) {
    const ToolRun run = RunVtxhostSplit("run " + MainJob().string() + " --control --activations 3 </dev/null");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.errors.find("--control runs rounds as commands ask; it takes no --activations"), std::string::npos)
        << run.errors;
}

} // namespace
