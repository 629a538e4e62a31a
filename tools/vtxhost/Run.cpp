// vtxhost run PATCH [--activations N] [--trace-level L] [--memory-limit MIB]
//                   [--set BLOCK.PARAM=TEXT]... [--realtime] [--profile] [--log FILE] [--control]
// Loads a patch file, sets the values given with --set, runs it for N activation rounds
// (10 by default) and prints, per round, what each sink received, every message the blocks
// send and, with a trace level, the diagnostic log as it is written (on standard error, or
// to the file --log names, so that it never mixes with what the sinks received). The C++ allocations of
// the run, the blocks' own included, are held to a memory budget (MIB mebibytes; 0 for
// none): a block that asks for more fails as it would when memory runs out, and the message
// says so. Ctrl-C stops the patch cleanly between two rounds.
//
// Exit status (ExitStatus.h): 0 for a run without errors, 1 for a patch or --set value
// refused while loading or starting, 2 for a wrong command line, 3 when a block reported an
// error or a trapped exception during the run, 130 when Ctrl-C stopped it.
#include <signal.h>
#include <time.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "host/kernel/KernelBlocks.h"
#include "host/kernel/KernelServices.h"
#include "host/run/MemoryBudget.h"
#include "host/modules/ModuleOpener.h"
#include "host/patch/ParameterValues.h"
#include "host/patch/PatchFile.h"
#include "host/run/ProfilingStatistics.h"
#include "host/run/PrintableText.h"
#include "host/run/RoundText.h"
#include "tools/vtxhost/Commands.h"
#include "tools/vtxhost/Control.h"
#include "tools/vtxhost/ExitStatus.h"
#include "tools/vtxhost/Output.h"
#include "vtx/EventSource.h"

namespace vtxhost {

namespace {

constexpr const char* kHelp =
    "Loads PATCH, starts it, runs it and prints what every sink received per round (control\n"
    "characters escaped as \\n, \\t, \\xHH), every message a block sends (errors are kind 3,\n"
    "trapped exceptions kind 4) and, with --profile, how long each block's Execute took.\n"
    "Ctrl-C stops the patch cleanly between two rounds (Stop, Done, then every block is\n"
    "released) and exits with status 130; SIGTERM and SIGHUP stop it the same way (status\n"
    "143 and 129). A round that cannot be written to standard output (a full disk, a reader\n"
    "that went away) stops the run with status 1.\n"
    "\n"
    "  --activations N          run N rounds (10 by default; without it --realtime runs until\n"
    "                           Ctrl-C)\n"
    "  --trace-level L          print the host's diagnostic log on standard error; blocks\n"
    "                           write to it when their own \"trace_level\" (L for blocks\n"
    "                           that set none) reaches a method's threshold: 3 for Init,\n"
    "                           Start, Stop, Done, 4 for parameter changes (the host adds\n"
    "                           the parameter and the value), 5 for the signature, 6 for\n"
    "                           Execute\n"
    "  --log FILE               write the diagnostic log to FILE instead of standard error\n"
    "  --memory-limit MIB       the memory budget of the run in mebibytes (0 for none; half\n"
    "                           the machine's memory, at most 2 GiB, by default)\n"
    "  --set BLOCK.PARAM=TEXT   set a parameter after loading, through the block's own check,\n"
    "                           as a value of the patch file (repeatable)\n"
    "  --realtime               run each round when the wall clock reaches its kernel time\n"
    "  --profile                print per block the number of Execute calls and their mean,\n"
    "                           minimum, maximum and total time (the kernel switch\n"
    "                           \"log_profiling_info\" in the patch does the same)\n"
    "  --control                take commands as JSON lines on standard input and answer\n"
    "                           them, with the events subscribed to, as JSON lines on standard\n"
    "                           output (the README's \"Live control\" section); the patch\n"
    "                           starts on \"start\", runs a round per \"step\" (with --realtime,\n"
    "                           by the wall clock) and stops at the end of the input\n"
    "\n"
    "Exit status: 0 the run went through, 1 the patch or a --set value was refused, 2 wrong\n"
    "arguments, 3 a block reported an error or a trapped exception, 130 stopped by Ctrl-C.\n";

volatile sig_atomic_t interrupted = 0;  // the number of the first stopping signal
timespec firstInterrupt{};

// The first Ctrl-C asks for a clean stop. Another one a second or more later ends the
// process at once (a block may hang); one that follows at once is the same request, as
// tools that signal both the process and its group send it twice.
void OnInterrupt(int signalNumber) {
    const int saved = errno;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    if (!interrupted) {
        firstInterrupt = now;
        interrupted = signalNumber;
        errno = saved;
        return;
    }
    const long long elapsedMs = (static_cast<long long>(now.tv_sec) - firstInterrupt.tv_sec) * 1000 +
                                (now.tv_nsec - firstInterrupt.tv_nsec) / 1000000;
    if (elapsedMs >= 1000) {
        signal(signalNumber, SIG_DFL);
        raise(signalNumber);
    }
    errno = saved;
}

// Ctrl-C, SIGTERM and SIGHUP all ask for the same clean stop. SA_RESTART: a write the
// signal interrupts goes on, so that no round is lost half printed.
void CatchInterrupt() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&action.sa_mask, signalNumber);
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP}) sigaction(signalNumber, &action, nullptr);
}

// A decimal count from minimum to maximum, nothing around it.
bool ReadCount(const char* text, long long minimum, long long maximum, long long& value) {
    if (!text || !*text) return false;
    // Digits only (strtoll alone would also take leading blanks and a '+').
    const char* digits = text + (minimum < 0 && *text == '-' ? 1 : 0);
    if (!*digits) return false;
    for (const char* c = digits; *c; ++c)
        if (*c < '0' || *c > '9') return false;
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text, &end, 10);
    if (errno == ERANGE || *end != '\0' || parsed < minimum || parsed > maximum) return false;
    value = parsed;
    return true;
}

std::string Counted(long long count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// What a block's report means, where its standard text leaves the person guessing.
std::string MessageHint(std::int32_t kind, const std::string& text) {
    if (kind == Vtx::kMessageErrorInMethod) {
        for (const char* method : {"Init", "Check", "Start", "Execute"})
            if (text.find(std::string(": error in method ") + method) != std::string::npos)
                return std::string(" (the block's On") + method + " answered false without saying why)";
    }
    if (kind == Vtx::kMessageUnhandledException && text.find(" in method InitInstance;") != std::string::npos)
        return " (the block refused the stored signature the patch gave it, which lacks or mistypes what the block "
               "looks up; it built its own signature and kept the stored values it could)";
    return "";
}

// BLOCK.PARAM=TEXT: the block is what comes before the last '.' ahead of the first '='.
std::optional<ParameterValue> ParseSetting(const std::string& text) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) return std::nullopt;
    const std::string target = text.substr(0, equals);
    const std::size_t dot = target.rfind('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == target.size()) return std::nullopt;
    return ParameterValue{target.substr(0, dot), target.substr(dot + 1), text.substr(equals + 1)};
}

struct Options {
    const char* path = nullptr;
    long long activations = 10;
    bool activationsGiven = false;
    long long traceLevel = -1;
    long long memoryLimitMiB = static_cast<long long>(memory_budget::Limit() >> 20);
    std::vector<ParameterValue> settings;
    std::vector<std::string> settingTexts;
    bool realtime = false;
    bool profile = false;
    bool control = false;
    const char* logFile = nullptr;
};

std::optional<Options> ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--activations" && hasValue) {
            if (!ReadCount(argv[++i], 0, LLONG_MAX, options.activations)) {
                std::fprintf(stderr, "vtxhost run: --activations takes a count from 0 to %lld, not \"%s\"\n", LLONG_MAX,
                             argv[i]);
                return std::nullopt;
            }
            options.activationsGiven = true;
        } else if (argument == "--trace-level" && hasValue) {
            if (!ReadCount(argv[++i], 0, 1000, options.traceLevel)) {
                std::fprintf(stderr, "vtxhost run: --trace-level takes a level from 0 to 1000, not \"%s\"\n", argv[i]);
                return std::nullopt;
            }
        } else if (argument == "--memory-limit" && hasValue) {
            // Up to 1 TiB; 0 lifts the budget.
            if (!ReadCount(argv[++i], 0, 1LL << 20, options.memoryLimitMiB)) {
                std::fprintf(stderr, "vtxhost run: --memory-limit takes mebibytes from 0 to %lld, not \"%s\"\n",
                             1LL << 20, argv[i]);
                return std::nullopt;
            }
        } else if (argument == "--set" && hasValue) {
            const std::optional<ParameterValue> setting = ParseSetting(argv[++i]);
            if (!setting) {
                std::fprintf(stderr, "vtxhost run: --set takes BLOCK.PARAM=TEXT, not \"%s\"\n", argv[i]);
                return std::nullopt;
            }
            options.settings.push_back(*setting);
            options.settingTexts.push_back(argv[i]);
        } else if (argument == "--log" && hasValue) {
            options.logFile = argv[++i];
        } else if (argument == "--realtime") {
            options.realtime = true;
        } else if (argument == "--profile") {
            options.profile = true;
        } else if (argument == "--control") {
            options.control = true;
        } else if (argument.empty() || argument[0] == '-' || options.path) {
            std::fprintf(stderr, "vtxhost run: unexpected argument \"%s\"\n", argument.c_str());
            return std::nullopt;
        } else {
            options.path = argv[i];
        }
    }
    if (!options.path) {
        std::fprintf(stderr, "vtxhost run: no patch given\n");
        return std::nullopt;
    }
    if (options.control && options.activationsGiven) {
        std::fprintf(stderr, "vtxhost run: --control runs rounds as commands ask; it takes no --activations\n");
        return std::nullopt;
    }
    if (options.realtime && !options.activationsGiven) options.activations = LLONG_MAX;
    return options;
}

// Waits until the wall clock is the kernel time of the round past the start (100-ns units),
// in short steps so that Ctrl-C is seen at once. False when Ctrl-C came.
bool WaitUntil(const timespec& start, std::int64_t time) {
    const long long ns = static_cast<long long>(start.tv_nsec) + (time % 10000000) * 100;
    timespec due{start.tv_sec + static_cast<time_t>(time / 10000000) + static_cast<time_t>(ns / 1000000000),
                 static_cast<long>(ns % 1000000000)};
    while (!interrupted) {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        if (now.tv_sec > due.tv_sec || (now.tv_sec == due.tv_sec && now.tv_nsec >= due.tv_nsec)) return true;
        timespec step = now;
        step.tv_nsec += 50000000;
        if (step.tv_nsec >= 1000000000) {
            step.tv_nsec -= 1000000000;
            ++step.tv_sec;
        }
        if (step.tv_sec > due.tv_sec || (step.tv_sec == due.tv_sec && step.tv_nsec > due.tv_nsec)) step = due;
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &step, nullptr);
    }
    return false;
}

int RunPatch(int argc, char** argv) {
    const std::optional<Options> parsed = ParseOptions(argc, argv);
    if (!parsed) return UsageError("run");
    const Options& options = *parsed;
    memory_budget::SetLimit(static_cast<std::size_t>(options.memoryLimitMiB) << 20);
    if (options.control)
        return RunControlled(ControlOptions{options.path, options.settings, options.settingTexts, options.realtime,
                                            options.profile});
    // The reason to add to a failure, when the budget refused memory on the way (kept for
    // the error that ends the run, when a block message took it first).
    std::string lastBudgetNote;
    const auto budgetNote = [&lastBudgetNote] {
        memory_budget::Refusal refusal;
        if (memory_budget::TakeRefusal(refusal)) lastBudgetNote = " (" + memory_budget::Describe(refusal) + ")";
        return lastBudgetNote;
    };

    CKernelServices kernel;
    // The log goes apart from the sinks' values: to standard error, or to its own file.
    std::unique_ptr<FILE, int (*)(FILE*)> logFile(nullptr, std::fclose);
    if (options.logFile) {
        logFile.reset(std::fopen(options.logFile, "w"));
        if (!logFile) {
            std::fprintf(stderr, "vtxhost run: --log %s: the file cannot be written: %s\n", options.logFile,
                         std::strerror(errno));
            return kExitRefused;
        }
    }
    if (options.traceLevel >= 0) kernel.SetInt64Setting("kernel", "trace_level", options.traceLevel);
    if (options.traceLevel >= 0 || logFile) {
        FILE* logOut = logFile ? logFile.get() : stderr;
        kernel.Log().SetObserver([logOut](const LogEntry& entry) {
            std::fprintf(logOut, "log: %s\n", PrintableText(WithoutTrailingNewlines(entry.text)).c_str());
            std::fflush(logOut);
        });
    }
    std::map<Vtx::IEventSource*, std::string> sources;
    long long blockErrors = 0;
    kernel.Dispatcher().SubscribeMessages([&](const DispatchedMessage& message) {
        auto found = sources.find(message.source);
        std::string from = found == sources.end() ? "" : found->second;
        // A block that reports while the patch is still loading is not listed yet.
        if (from.empty())
            if (auto* block = dynamic_cast<Vtx::IBlock*>(message.source))
                if (const char* name = kernel.GetBlockInstanceName(block); name && *name) from = name;
        if (from.empty()) from = "the host";
        std::string text = WithoutTrailingNewlines(message.text);
        bool budget = false;
        if (message.kind == Vtx::kMessageErrorInMethod || message.kind == Vtx::kMessageUnhandledException) {
            ++blockErrors;
            memory_budget::Refusal refusal;
            if (memory_budget::TakeRefusal(refusal)) {
                lastBudgetNote = " (" + memory_budget::Describe(refusal) + ")";
                text += lastBudgetNote;
                budget = true;
            }
        }
        if (!budget) text += MessageHint(message.kind, message.text);
        std::printf("message (kind %d) from %s: %s\n", static_cast<int>(message.kind), from.c_str(),
                    PrintableText(text).c_str());
    });

    std::int64_t roundsRun = 0;
    bool outputLost = false;  // a round could not be printed: the run stops
    try {
        LoadedPatch loaded = LoadPatchFile(kernel, options.path, OpenModuleCatalog);
        CPatch& patch = *loaded.patch;
        const std::vector<ParameterRefusal> refused = SetParameterValues(patch, options.settings);
        if (!refused.empty())
            throw PatchError("--set " + options.settingTexts[refused.front().index] + ": " + refused.front().error);
        std::vector<std::pair<std::string, IReceivedValues*>> sinks;
        for (const std::string& name : patch.BlockNames()) {
            Vtx::IBlock* block = patch.FindBlock(name);
            sources[static_cast<Vtx::IEventSource*>(block)] = PrintableText(name);
            // Names come from the file: escaped, so that none can print a line of its own.
            // Each value's line starts "  name: ", made once.
            if (IReceivedValues* received = ReceivedValuesOf(block))
                sinks.emplace_back("  " + PrintableText(name) + ": ", received);
        }
        // A round's lines are built in one buffer, kept from round to round, and written at
        // once.
        std::string roundText;
        std::vector<std::string> taken;  // a sink's new values; its storage goes back and forth
        const auto appendSinks = [&sinks, &roundText, &taken] {
            for (auto& sink : sinks) {
                sink.second->TakeNewInto(taken);
                for (const std::string& value : taken) {
                    roundText += sink.first;
                    AppendPrintable(roundText, value);
                    roundText += '\n';
                }
            }
        };
        const auto printRoundText = [&roundText] {
            std::fwrite(roundText.data(), 1, roundText.size(), stdout);
            roundText.clear();
        };
        const long long blocks = static_cast<long long>(patch.BlockNames().size());
        std::printf("patch %s: %s, %s%s\n", QuotedText(patch.GetName()).c_str(), Counted(blocks, "block", "blocks").c_str(),
                    options.realtime && !options.activationsGiven
                        ? "activations until Ctrl-C"
                        : Counted(options.activations, "activation", "activations").c_str(),
                    options.realtime ? " in real time" : "");
        if (options.profile) patch.SetProfiling(true);
        CatchInterrupt();
        patch.Start();
        if (!patch.GraphvizFileWritten().empty()) std::printf("graph: %s\n", patch.GraphvizFileWritten().c_str());
        timespec start{};
        clock_gettime(CLOCK_MONOTONIC, &start);
        roundsRun = patch.Run(
            options.activations,
            [&](std::int64_t round, std::int64_t time) {
                AppendRoundHeader(roundText, round, time);
                appendSinks();
                printRoundText();
                if (!StandardOutputWritten("run")) outputLost = true;
            },
            [&](std::int64_t time) {
                if (outputLost) return false;
                return options.realtime ? WaitUntil(start, time) : !interrupted;
            });
        patch.Stop();
        // What the blocks handed to the sinks while they stopped.
        appendSinks();
        printRoundText();
        for (const std::string& output : patch.UnstampedOutputs())
            std::fprintf(stderr,
                         "vtxhost run: warning: output %s was written but never time-stamped, so no input "
                         "received it (a block stamps each new value with GetInitClockTime())\n",
                         QuotedText(output).c_str());
        if (patch.IsProfiling()) {
            for (const CPatch::ExecuteProfile& profile : patch.ExecuteProfiles())
                std::printf("%s", FormatProfilingInfo(profile.catalogId + "/" + profile.classId, PrintableText(profile.name),
                                                      profile.execute)
                                      .c_str());
        }
    } catch (const PatchError& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "vtxhost run: %s%s\n", ErrorLine(e.what()).c_str(), budgetNote().c_str());
        return kExitRefused;
    } catch (const std::bad_alloc&) {
        std::fflush(stdout);
        std::fprintf(stderr, "vtxhost run: %s: out of memory%s\n", options.path, budgetNote().c_str());
        return kExitRefused;
    }
    if (!StandardOutputWritten("run") || outputLost) return kExitRefused;
    if (interrupted) {
        std::fprintf(stderr, "vtxhost run: %s; the patch was stopped after %s\n",
                     interrupted == SIGINT ? "interrupted" : (std::string("stopped by SIG") + sigabbrev_np(interrupted)).c_str(),
                     Counted(roundsRun, "round", "rounds").c_str());
        return interrupted == SIGINT ? kExitInterrupted : 128 + interrupted;
    }
    if (blockErrors > 0) {
        std::fprintf(stderr, "vtxhost run: %s reported by blocks during the run\n",
                     Counted(blockErrors, "error", "errors").c_str());
        return kExitRunErrors;
    }
    return kExitSuccess;
}

const CommandRegistrar registrar("run",
                                 "run PATCH [--activations N] [--trace-level L] [--memory-limit MIB] "
                                 "[--set BLOCK.PARAM=TEXT]... [--realtime] [--profile] [--log FILE] [--control]",
                                 RunPatch, kHelp);

} // namespace

} // namespace vtxhost
