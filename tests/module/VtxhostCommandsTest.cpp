// Every verb and option of vtxhost, run as a user runs it: what it prints on each stream and
// its exit status, for the accepted and the refused uses alike.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/module/ToolRun.h"

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// Removes the folder when the test program ends.
struct RemovedAtExit {
    fs::path path;
    ~RemovedAtExit() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

// A folder of patch files and module links that the cases below run against; made once.
const fs::path& Workspace() {
    static const RemovedAtExit workspace{[] {
        const fs::path d = fs::temp_directory_path() / ("vtxhost_commands_" + std::to_string(::getpid()));
        fs::remove_all(d);
        const std::string module = VTX_MODULE_PATH;
        const std::string source = R"("blocks": [
  {"name": "numbers", "class": "sequence_source", "parameters": {"values": [1.5, 2, 3]}},
  {"name": "show", "class": "sink"}],
 "links": [{"from": "numbers.output", "to": "show.input"}])";
        WriteFile(d / "seq.json", "{\"name\": \"seq\",\n " + source + "}\n");
        WriteFile(d / "switches.json", "{\"name\": \"switched patch\",\n \"kernel\": {\"log_graphviz\": true, "
                                       "\"log_profiling_info\": true},\n " + source + "}\n");
        WriteFile(d / "badswitch.json", "{\"kernel\": {\"log_everything\": true}}\n");
        WriteFile(d / "text.json", R"({"blocks": [
  {"name": "words", "class": "sequence_source",
   "parameters": {"class": "string", "values": ["a\nb\tc\u0001d"]}},
  {"name": "show", "class": "sink"}],
 "links": [{"from": "words.output", "to": "show.input"}]})");
        // The generator's item parameters come before the count that declares them.
        const auto generator = [&](const std::string& parameters) {
            return "{\"modules\": [\"" + module + "\"],\n\"blocks\": [\n"
                   "  {\"name\": \"gen\", \"catalog\": \"Brennick2010\", \"class\": \"LabelledSetIntervalGenerator\",\n"
                   "   \"parameters\": {" + parameters + "}},\n"
                   "  {\"name\": \"show\", \"class\": \"sink\"}],\n"
                   "\"links\": [{\"from\": \"gen.output\", \"to\": \"show.input\"}]}\n";
        };
        WriteFile(d / "gen.json", generator(R"("label_1": "b", "min_1": 1, "max_1": 2, "num_items": 2)"));
        WriteFile(d / "genbad.json", generator(R"("label_5": "x", "num_items": 2)"));
        std::string intervals = ReadFile(std::string(VTX_SOURCE_DIR) + "/examples/intervals.json");
        const std::string named = "\"Brennick2010\"";
        intervals.replace(intervals.find(named), named.size(), "\"" + module + "\"");
        WriteFile(d / "intervals.json", intervals);
        fs::create_directories(d / "mods");
        fs::create_symlink(module, d / "mods" / "libBrennick2010.so");
        WriteFile(d / "mods" / "junk.so", "not an ELF file");
        WriteFile(d / "mods" / "notes.txt", "not a candidate");
        WriteFile(d / "rel" / "p.json", "{\"name\": \"rel\", \"modules\": [\"../mods/libBrennick2010.so\"]}\n");
        return d;
    }()};
    return workspace.path;
}

std::string Expand(std::string text) {
    for (std::size_t at; (at = text.find("{dir}")) != std::string::npos;) text.replace(at, 5, Workspace().string());
    for (std::size_t at; (at = text.find("{module}")) != std::string::npos;) text.replace(at, 8, VTX_MODULE_PATH);
    return text;
}

struct Case {
    const char* arguments;
    int status;
    std::vector<std::string> output;  // each found in standard output
    std::vector<std::string> errors;  // each found in standard error
    std::vector<std::string> absent = {};
    const char* prefix = "";
};

void Check(const Case& c) {
    const std::string arguments = Expand(c.arguments);
    SCOPED_TRACE(arguments);
    const ToolRun run = RunVtxhostSplit(arguments, Expand(c.prefix));
    EXPECT_EQ(run.status, c.status) << run.output << run.errors;
    for (const std::string& text : c.output) EXPECT_NE(run.output.find(text), std::string::npos) << text << "\n" << run.output;
    for (const std::string& text : c.errors) EXPECT_NE(run.errors.find(text), std::string::npos) << text << "\n" << run.errors;
    for (const std::string& text : c.absent) EXPECT_EQ(run.output.find(text), std::string::npos) << text;
    // Usage errors and refusals explain themselves on standard error only.
    if (c.status != 0) {
        EXPECT_FALSE(run.errors.empty());
    }
    if (c.status == 2) {
        EXPECT_TRUE(run.output.empty()) << run.output;
    }
}

TEST(VtxhostCommands, HelpVersionAndUsage) {
    const Case cases[] = {
        {"--version", 0, {"vtxhost ", " (catalog SDK 5.1.0)\n"}, {}},
        {"help", 0, {"usage: vtxhost COMMAND", "  dot PATCH\n", "  help [COMMAND]\n", "  inspect MODULE.so|kernel [CLASS]",
                     "  list [DIR...]\n", "  run PATCH [--activations N]", "  save PATCH OUTPUT\n"}, {}},
        {"--help", 0, {"usage: vtxhost COMMAND"}, {}},
        {"help run", 0, {"usage: vtxhost run PATCH", "--set BLOCK.PARAM=TEXT", "--realtime", "--profile", "130"}, {}},
        {"run --help", 0, {"usage: vtxhost run PATCH", "--activations N"}, {}},
        {"dot -h", 0, {"usage: vtxhost dot PATCH\n", "dot -Tsvg"}, {}},
        {"help list", 0, {"VTX_MODULE_PATH"}, {}},
        {"help inspect", 0, {"kernel"}, {}},
        {"help save", 0, {"relative"}, {}},
        {"", 2, {}, {"usage: vtxhost COMMAND"}},
        {"frobnicate", 2, {}, {"unknown command \"frobnicate\""}},
        {"help frobnicate", 2, {}, {"unknown command \"frobnicate\""}},
        {"help run save", 2, {}, {"usage: vtxhost COMMAND"}},
        {"inspect", 2, {}, {"no module given", "usage: vtxhost inspect"}},
        {"save {dir}/seq.json", 2, {}, {"usage: vtxhost save PATCH OUTPUT"}},
        {"dot", 2, {}, {"usage: vtxhost dot PATCH"}},
        {"list --all", 2, {}, {"unexpected argument \"--all\"", "usage: vtxhost list"}},
        {"run", 2, {}, {"no patch given", "usage: vtxhost run"}},
        {"run {dir}/seq.json --bogus", 2, {}, {"unexpected argument \"--bogus\""}},
        {"run {dir}/seq.json --activations -1", 2, {}, {"--activations takes a count from 0 to 9223372036854775807, not \"-1\""}},
        {"run {dir}/seq.json --activations 99999999999999999999", 2, {}, {"--activations takes a count"}},
        {"run {dir}/seq.json --activations ' 5'", 2, {}, {"--activations takes a count from 0 to 9223372036854775807, not \" 5\""}},
        {"run {dir}/seq.json --activations +5", 2, {}, {"--activations takes a count from 0 to 9223372036854775807, not \"+5\""}},
        // An option's value that reads like --help is the option's value.
        {"run {dir}/seq.json --set --help", 2, {}, {"--set takes BLOCK.PARAM=TEXT, not \"--help\""}},
        {"run {dir}/seq.json --activations --help", 2, {}, {"--activations takes a count from 0 to 9223372036854775807, not \"--help\""}},
        {"run {dir}/seq.json --help --set", 0, {"usage: vtxhost run PATCH"}, {}},
        {"run {dir}/seq.json --set numbers.period", 2, {}, {"--set takes BLOCK.PARAM=TEXT, not \"numbers.period\""}},
        {"run {dir}/seq.json --set .period=3", 2, {}, {"--set takes BLOCK.PARAM=TEXT"}},
    };
    for (const Case& c : cases) Check(c);
}

TEST(VtxhostCommands, InspectListAndDot) {
    const Case cases[] = {
        {"inspect kernel", 0, {"Catalog kernel\n", "  sequence_source\n    Parameters (5)\n", "  sink\n    Inputs (1)\n",
                               "  double\n    Example: 2.5\n", "  labeled_set\n    Example: {", "\"label\":\"low\"",
                               "  string_pair\n    Example: [\"key\",\"value\"]\n", "  int-domain\n", "  combo\n",
                               "      period\n        Name: Period\n", "Domain: [1, +inf) (kernel/int-domain)"},
         {}, {"<error", "(0)\n", "Third text", ": \n"}},
        {"inspect kernel sink", 0, {"  sink\n", "      input\n"}, {}, {"sequence_source"}},
        {"inspect kernel Nope", 1, {}, {"the kernel catalog has no class \"Nope\" (its classes: sequence_source, sink, "}},
        {"inspect kernel --bitmaps {dir}/bmp", 0, {"Catalog kernel\n"},
         {"the kernel catalog has no bitmaps; nothing written to "}},
        {"inspect {module} --bitmaps {dir}/bmp", 0, {"Catalog Brennick2010\n"}, {"wrote 3 bitmaps to "}},
        {"inspect {module} Interval", 0, {"  Interval\n", "    Example: 0,1\n"}, {}, {"(0)\n", "Third text"}},
        {"inspect {module} Vector", 0, {"  Vector\n", "      write_position\n", "Takes the datatype of input: input\n"},
         {}, {"LabelledSetIntervalGenerator", "Companies"}},
        {"inspect {module} Nope", 1, {},
         {"has no class \"Nope\" (its classes: LabelledSetIntervalGenerator, Vector, Interval; class ids are "
          "case-sensitive)"}},
        {"inspect {dir}/mods/junk.so", 1, {}, {"junk.so"}},
        {"list {dir}/mods", 0, {"/mods/libBrennick2010.so: catalog Brennick2010, SDK 5.1.0, 2 block classes, 1 datatype class\n",
                                "/mods/junk.so: not a module: "},
         {}, {"notes.txt"}},
        {"list", 0, {"/mods/libBrennick2010.so: catalog Brennick2010", " found in /nonexistent-folder (missing), /"},
         {}, {}, "VTX_MODULE_PATH=/nonexistent-folder::{dir}/mods"},
        {"list {dir}/nonexistent", 1, {}, {"nonexistent: No such file or directory"}},
        {"dot {dir}/intervals.json", 0, {"digraph \"intervals\" {\n", "b3 [label=\"store\\nBrennick2010 / Vector\"];\n",
                                         "b0 -> b1 [label=\"kernel/labeled_set\"",
                                         "b2 -> b3 [label=\"Brennick2010/Interval\"",
                                         "b3 -> b4 [label=\"Brennick2010/Interval\", taillabel=\"output\", headlabel=\"input\"]"},
         {}},
        {"dot {dir}/missing.json", 1, {}, {"missing.json: the patch file cannot be opened"}},
        {"dot {dir}/genbad.json", 1, {}, {"has no parameter \"label_5\""}},
    };
    for (const Case& c : cases) Check(c);
    // A folder named twice lists its modules once.
    const std::string twice = RunVtxhost(Expand("list {dir}/mods {dir}/mods/")).output;
    const std::size_t first = twice.find("libBrennick2010.so: catalog");
    EXPECT_NE(first, std::string::npos);
    EXPECT_EQ(twice.find("libBrennick2010.so: catalog", first + 1), std::string::npos) << twice;
}

TEST(VtxhostCommands, RunSetProfileSwitchesAndPrinting) {
    const fs::path graph = Workspace() / "switched_patch.dot";
    fs::remove(graph);
    const Case cases[] = {
        {"run {dir}/seq.json --activations 1", 0, {"patch \"seq\": 2 blocks, 1 activation\n[1] t=0.0400 s\n  show: 1.5\n"}, {}},
        {"run {dir}/seq.json --activations 2 --set 'numbers.values=[7,8]'", 0, {"  show: 7\n", "  show: 8\n"}, {}, {"1.5"}},
        {"run {dir}/seq.json --set numbers.period=0", 1, {},
         {"vtxhost run: --set numbers.period=0: block \"numbers\", parameter \"period\": \"0\" is outside the "
          "parameter's domain"}},
        {"run {dir}/seq.json --set numbers.period=soon", 1, {}, {"\"soon\" is not a valid int value"}},
        {"run {dir}/seq.json --set ghost.period=5", 1, {}, {"unknown block \"ghost\""}},
        {"run {dir}/seq.json --set numbers.volume=5", 1, {}, {"has no parameter \"volume\""}},
        // Values that depend on each other, in either order, from the file and from --set.
        {"run {dir}/gen.json --activations 1", 0, {"{\"label\":\"b\",\"value\":\"1,2\"}"}, {}},
        {"run {dir}/gen.json --activations 1 --set gen.label_2=c --set gen.max_2=9 --set gen.min_2=5 --set gen.num_items=3",
         0, {"{\"label\":\"c\",\"value\":\"5,9\"}"}, {}},
        {"run {dir}/gen.json --set gen.label_4=c --set gen.num_items=3", 1, {},
         {"--set gen.label_4=c: block \"gen\" has no parameter \"label_4\""}},
        {"run {dir}/genbad.json", 1, {}, {"genbad.json:4: block \"gen\" has no parameter \"label_5\""}},
        {"run {dir}/text.json --activations 1", 0, {"  show: a\\nb\\tc\\x01d\n"}, {}},
        {"run {dir}/seq.json --activations 3 --profile", 0,
         {"Profiling info class - id: kernel/sequence_source - numbers\n\t# samples: 3\n\tMean     : ", "\tMin      : ",
          "\tMax      : ", "Profiling info class - id: kernel/sink - show\n\t# samples: 3\n"},
         {}},
        {"run switches.json --activations 1", 0,
         {"graph: switched_patch.dot\n", "Profiling info class - id: kernel/sink - show\n\t# samples: 1\n"}, {}, {},
         "cd {dir} &&"},
        {"run {dir}/badswitch.json", 1, {}, {"badswitch.json:1: unknown kernel switch \"log_everything\""}},
    };
    for (const Case& c : cases) Check(c);
    EXPECT_NE(ReadFile(graph).find("b0 -> b1 [label=\"kernel/double\""), std::string::npos);
}

TEST(VtxhostCommands, InspectShowsWhatANewBlockDeclares) {
    const ToolRun run = RunVtxhost(std::string("inspect --json ") + VTX_MODULE_PATH);
    ASSERT_EQ(run.status, 0);
    const auto model = nlohmann::json::parse(run.output);
    const auto declarationsOf = [&](const std::string& classId) {
        for (const auto& record : model["collections"][0]["records"])
            if (record["classId"] == classId) return record["declarations"];
        return nlohmann::json();
    };
    struct Declared {
        const char* blockClass;
        const char* kind;
        const char* id;
        const char* datatype;
        nlohmann::json defaultText;  // null for pins
        bool whileRunning;
    };
    const Declared declared[] = {
        {"LabelledSetIntervalGenerator", "parameters", "num_items", "kernel/int", "1", false},
        {"LabelledSetIntervalGenerator", "parameters", "label_0", "kernel/string", "", true},
        {"LabelledSetIntervalGenerator", "parameters", "min_0", "kernel/double", "0", true},
        {"LabelledSetIntervalGenerator", "parameters", "max_0", "kernel/double", "0", true},
        {"LabelledSetIntervalGenerator", "outputs", "output", "kernel/labeled_set", nullptr, false},
        {"Vector", "parameters", "size", "kernel/int", "1", false},
        {"Vector", "parameters", "reset", "kernel/trigger", "0", true},
        {"Vector", "parameters", "enable_read", "kernel/bool", "true", true},
        {"Vector", "parameters", "read_position", "kernel/int", "0", true},
        {"Vector", "parameters", "enable_write", "kernel/bool", "true", true},
        {"Vector", "parameters", "write_position", "kernel/int", "0", true},
        {"Vector", "inputs", "input", "kernel/generic_datatype", nullptr, false},
        {"Vector", "outputs", "output", "kernel/generic_datatype", nullptr, false},
    };
    for (const Declared& d : declared) {
        SCOPED_TRACE(std::string(d.blockClass) + " " + d.id);
        nlohmann::json found;
        const nlohmann::json pins = declarationsOf(d.blockClass)[d.kind];
        for (const auto& pin : pins)
            if (pin["id"] == d.id) found = pin;
        ASSERT_TRUE(found.is_object());
        EXPECT_EQ(found["datatype"], d.datatype);
        if (!d.defaultText.is_null()) {
            EXPECT_EQ(found["default"], d.defaultText);
            EXPECT_EQ(found["changeableWhileRunning"], d.whileRunning);
        }
    }
    const auto generator = declarationsOf("LabelledSetIntervalGenerator");
    EXPECT_EQ(generator["parameters"].size(), 4u) << "only item 0 at first";
    EXPECT_EQ(generator["parameters"][0]["domain"]["minimum"], (nlohmann::json{{"value", 0}, {"inclusive", true}}));
    EXPECT_TRUE(generator["parameters"][0]["domain"]["maximum"].is_null());
    ASSERT_EQ(generator["growth"].size(), 1u);
    EXPECT_EQ(generator["growth"][0]["parameter"], "num_items");
    EXPECT_EQ(generator["growth"][0]["adds"], (nlohmann::json{"label_1", "min_1", "max_1"}));
    const auto vector = declarationsOf("Vector");
    EXPECT_TRUE(vector["growth"].empty());
    EXPECT_EQ(vector["outputs"][0]["followsInput"], "input");
    EXPECT_EQ(vector["inputs"][0]["requiredInterfaces"], (nlohmann::json{"kernel/scalar_arith_op_double"}));
    EXPECT_EQ(vector["parameters"][0]["domain"]["minimum"], (nlohmann::json{{"value", 1}, {"inclusive", true}}));

    // The text form lists the same under each class, each pin with its datatype and default.
    const std::string text = RunVtxhost(std::string("inspect ") + VTX_MODULE_PATH).output;
    for (const Declared& d : declared) {
        const std::size_t owner = text.find(std::string("\n  ") + d.blockClass + "\n");
        const std::size_t section = text.find(std::string("\n      ") + d.id + "\n", owner);
        ASSERT_NE(section, std::string::npos) << d.id;
        // The pin's lines: up to the next line indented as little as the pin's own.
        std::size_t end = text.find('\n', section + 1);
        while (end != std::string::npos && text.compare(end, 9, "\n        ") == 0) end = text.find('\n', end + 1);
        const std::string body = text.substr(section, end - section);
        EXPECT_NE(body.find(std::string("Datatype: ") + d.datatype), std::string::npos) << body;
        if (!d.defaultText.is_null()) {
            const std::string shown = d.defaultText.get<std::string>().empty() ? "(empty)" : d.defaultText.get<std::string>();
            EXPECT_NE(body.find("Default: " + shown + "\n"), std::string::npos) << body;
        }
    }
    EXPECT_NE(text.find("More with \"num_items\": at 2 the block also declares label_1, min_1, max_1\n"), std::string::npos);
}

TEST(VtxhostCommands, GraphvizAcceptsTheMainExamplePatch) {
    ASSERT_EQ(std::system("command -v dot >/dev/null"), 0) << "Graphviz's dot is missing (scripts/install-deps.sh)";
    const std::string graph = (Workspace() / "intervals.dot").string();
    const ToolRun run = RunCommand(std::string(VTX_HOST_TOOL_PATH) + " dot " + (Workspace() / "intervals.json").string() +
                                   " >" + graph + " && dot -Tsvg " + graph + " 2>&1");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("<svg"), std::string::npos);
    EXPECT_NE(run.output.find("Brennick2010/Interval"), std::string::npos);
}

TEST(VtxhostCommands, SaveKeepsRelativeModulePathsRelativeToTheSavedFile) {
    const fs::path saved = Workspace() / "out" / "deeper" / "saved.json";
    fs::create_directories(saved.parent_path());
    const ToolRun run = RunVtxhost("save " + (Workspace() / "rel" / "p.json").string() + " " + saved.string());
    ASSERT_EQ(run.status, 0) << run.output;
    const auto document = nlohmann::json::parse(ReadFile(saved));
    EXPECT_EQ(document["modules"], (nlohmann::json{"../../mods/libBrennick2010.so"}));
    EXPECT_EQ(RunVtxhost("run " + saved.string() + " --activations 1").status, 0);
}

TEST(VtxhostCommands, RealtimeRoundsFollowTheWallClock) {
    const auto begin = std::chrono::steady_clock::now();
    const ToolRun run = RunVtxhost("run " + (Workspace() / "seq.json").string() + " --realtime --activations 3");
    const auto elapsed = std::chrono::steady_clock::now() - begin;
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.output.find("patch \"seq\": 2 blocks, 3 activations in real time\n"), std::string::npos) << run.output;
    // The third round is due 120 ms after the start.
    EXPECT_GE(elapsed, std::chrono::milliseconds(120));
}

// Reads the pipe until the text holds needle, the pipe ends or the time runs out.
void ReadUntil(int fd, std::string& text, const std::string& needle, int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (needle.empty() || text.find(needle) == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        pollfd watch{fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&watch, 1, static_cast<int>(left.count())) <= 0) return;
        char buffer[4096];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) return;
        text.append(buffer, static_cast<std::size_t>(n));
    }
}

TEST(VtxhostCommands, CtrlCStopsARealtimeRunCleanly) {
    const std::string patch = (Workspace() / "gen.json").string();
    const std::string errorFile = (Workspace() / "interrupted.txt").string();
    const std::string logFile = (Workspace() / "interrupted.log").string();
    int channel[2];
    ASSERT_EQ(pipe(channel), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(channel[1], 1);
        if (FILE* errors = std::fopen(errorFile.c_str(), "w")) dup2(fileno(errors), 2);
        close(channel[0]);
        // Trace level 5: the lifecycle and signature methods of the generator are logged,
        // to a file of their own.
        execl(VTX_HOST_TOOL_PATH, "vtxhost", "run", patch.c_str(), "--realtime", "--trace-level", "5", "--log",
              logFile.c_str(), nullptr);
        _exit(127);
    }
    close(channel[1]);
    std::string output;
    ReadUntil(channel[0], output, "[2] t=", 10000);
    ASSERT_NE(output.find("activations until Ctrl-C in real time"), std::string::npos) << output;
    // Twice at once, as tools that signal the process and its group do: still one clean stop.
    kill(child, SIGINT);
    kill(child, SIGINT);
    ReadUntil(channel[0], output, "", 10000);
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << output;
    EXPECT_EQ(WEXITSTATUS(status), 130);
    const std::string log = ReadFile(logFile);
    EXPECT_EQ(output.find("log: "), std::string::npos) << output;  // the log is apart from the values
    EXPECT_NE(log.find("log: Block gen: parameter \"num_items\" set to \"2\"\n"), std::string::npos) << log;
    const std::size_t stop = log.find("log: Block gen: method Stop returned");
    const std::size_t done = log.find("log: Block gen: method Done returned");
    const std::size_t doneSignature = log.find("log: Block gen: method DoneSignature returned");
    EXPECT_NE(stop, std::string::npos) << log;
    EXPECT_LT(log.find("log: Block gen: method Start returned"), stop);
    EXPECT_LT(stop, done);
    EXPECT_NE(doneSignature, std::string::npos);
    EXPECT_LT(done, doneSignature);
    EXPECT_NE(ReadFile(errorFile).find("vtxhost run: interrupted; the patch was stopped after "), std::string::npos);
}

} // namespace
