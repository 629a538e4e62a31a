// What vtxhost writes is its result: a full disk, a closed standard output or a reader that
// went away make it fail with the reason on standard error; a signal that stops a run
// loses no round already delivered, and SIGTERM and SIGHUP stop it as Ctrl-C does.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "tests/module/ToolRun.h"

namespace {

const std::string kTool = VTX_HOST_TOOL_PATH;
const std::string kPatch = std::string(VTX_SOURCE_DIR) + "/examples/kernel-sequence.json";
const std::string kEndless = std::string(VTX_SOURCE_DIR) + "/tests/hostile/patches/endless.json";

// Runs a bash script; its standard output and exit status.
ToolRun Bash(const std::string& script) {
    std::string quoted = "'";
    for (char c : script) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return RunCommand("bash -c " + quoted + "'");
}

TEST(Output, AFullOrClosedStandardOutputFailsEveryCommandWithTheReason) {
    const std::string commands[] = {"run " + kPatch, "dot " + kPatch, "inspect kernel", "inspect kernel --json",
                                    "list /nonexistent-folder-is-not-given", "check " + std::string(VTX_MODULE_PATH),
                                    "help", "help run", "--version"};
    for (const std::string& command : commands) {
        if (command.rfind("list", 0) == 0) continue;  // list prints nothing for no module
        ToolRun run = Bash(kTool + " " + command + " 2>&1 >/dev/full; echo \"status $?\"");
        EXPECT_NE(run.output.find("standard output could not be written: No space left on device"), std::string::npos)
            << command << ": " << run.output;
        EXPECT_EQ(run.output.substr(run.output.size() - 9), "status 1\n") << command << ": " << run.output;
        run = Bash(kTool + " " + command + " 2>&1 >&-; echo \"status $?\"");
        EXPECT_NE(run.output.find("standard output could not be written: Bad file descriptor"), std::string::npos)
            << command << ": " << run.output;
        EXPECT_EQ(run.output.substr(run.output.size() - 9), "status 1\n") << command << ": " << run.output;
    }
    ToolRun run = Bash(kTool + " list " + std::string(VTX_HOSTILE_MODULE_DIR) + " 2>&1 >/dev/full; echo \"status $?\"");
    EXPECT_NE(run.output.find("vtxhost list: standard output could not be written"), std::string::npos) << run.output;
}

// A reader that stops after one line: the run ends at once with status 1, SIGPIPE ignored
// by the shell or not, in real time as well.
TEST(Output, ARunWhoseReaderWentAwayEnds) {
    for (const std::string& shell : {std::string(""), std::string("trap '' PIPE; ")}) {
        ToolRun run = Bash(shell + "timeout 20 " + kTool + " run " + kEndless +
                           " --activations 100000000 2>err.$$ | head -1 >/dev/null; echo \"${PIPESTATUS[0]}\"; cat err.$$; rm -f err.$$");
        EXPECT_EQ(run.output, "1\nvtxhost run: standard output could not be written: Broken pipe\n") << shell;
    }
    ToolRun run = Bash("timeout 20 " + kTool + " run " + kEndless + " --realtime 2>/dev/null | head -1 >/dev/null; "
                       "echo \"${PIPESTATUS[0]}\"");
    EXPECT_EQ(run.output, "1\n");
}

// Ctrl-C while the reader is slow: the write it interrupts goes on, so the rounds printed
// are the rounds the closing line counts.
TEST(Output, AnInterruptedWriteLosesNoRound) {
    ToolRun run = Bash("dir=$(mktemp -d); mkfifo $dir/f; (exec 3< $dir/f; sleep 1.5; cat <&3 > $dir/out) & reader=$!; " + kTool +
                       " run " + kEndless + " --activations 9223372036854775807 > $dir/f 2> $dir/err & tool=$!; "
                       "sleep 0.7; kill -INT $tool; wait $tool; echo \"status $?\"; wait $reader; "
                       "grep -c '^\\[' $dir/out; cat $dir/err; rm -rf $dir");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(run.output, match,
                                  std::regex("status 130\n([0-9]+)\nvtxhost run: interrupted; the patch was stopped after "
                                             "([0-9]+) rounds\n")))
        << run.output;
    EXPECT_EQ(match[1], match[2]);
}

TEST(Output, SigtermAndSighupStopARunAsCtrlCDoes) {
    const struct {
        const char* signal;
        const char* expected;
    } cases[] = {{"TERM", "status 143\nvtxhost run: stopped by SIGTERM; the patch was stopped after "},
                 {"HUP", "status 129\nvtxhost run: stopped by SIGHUP; the patch was stopped after "}};
    for (const auto& c : cases) {
        ToolRun run = Bash(kTool + " run " + kEndless + " --activations 9223372036854775807 --trace-level 1000 "
                                                         "> out.$$ 2> err.$$ & tool=$!; sleep 0.5; kill -" +
                           c.signal + " $tool; wait $tool; echo \"status $?\"; grep -v '^log: ' err.$$; "
                           "grep -m1 'method Done' err.$$; rm -f out.$$ err.$$");
        EXPECT_EQ(run.output.rfind(c.expected, 0), 0u) << run.output;
        // The blocks were stopped and done before the run ended, as after Ctrl-C.
        EXPECT_NE(run.output.find("Done"), std::string::npos) << run.output;
    }
}

} // namespace
