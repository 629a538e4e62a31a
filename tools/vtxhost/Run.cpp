// vtxhost run PATCH [--activations N] [--trace-level L] [--memory-limit MIB]
// Loads a patch file, runs it for N activation rounds (10 by default) and prints, per
// round, what each sink received, every message the blocks send and, with a trace level,
// the diagnostic log as it is written. The C++ allocations of the run, the blocks' own
// included, are held to a memory budget (MIB mebibytes; 0 for none): a block that asks
// for more fails as it would when memory runs out, and the message says so.
//
// Exit status (ExitStatus.h): 0 for a run without errors, 1 for a patch refused while
// loading or starting, 2 for a wrong command line, 3 when a block reported an error or a
// trapped exception during the run, 130 when Ctrl-C stopped it (the patch is stopped
// cleanly first).
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <climits>
#include <cstring>
#include <new>
#include <map>
#include <string>

#include "host/KernelBlocks.h"
#include "host/KernelServices.h"
#include "host/MemoryBudget.h"
#include "host/ModuleOpener.h"
#include "host/PatchFile.h"
#include "tools/vtxhost/Commands.h"
#include "tools/vtxhost/ExitStatus.h"
#include "vtx/EventSource.h"

namespace vtxhost {

namespace {

constexpr const char* kUsage = "run PATCH [--activations N] [--trace-level L] [--memory-limit MIB]";

// A decimal count from minimum to maximum, nothing around it.
bool ReadCount(const char* text, long long minimum, long long maximum, long long& value) {
    if (!text || !*text) return false;
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text, &end, 10);
    if (errno == ERANGE || *end != '\0' || parsed < minimum || parsed > maximum) return false;
    value = parsed;
    return true;
}

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int) { interrupted = 1; }

std::string WithoutTrailingNewlines(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

int RunPatch(int argc, char** argv) {
    const char* path = nullptr;
    long long activations = 10;
    long long traceLevel = -1;
    long long memoryLimitMiB = static_cast<long long>(memory_budget::Limit() >> 20);
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--activations") && i + 1 < argc) {
            if (!ReadCount(argv[++i], 0, LLONG_MAX, activations)) {
                std::fprintf(stderr, "vtxhost run: --activations takes a count from 0 to %lld, not \"%s\"\n", LLONG_MAX,
                             argv[i]);
                return kExitUsage;
            }
        } else if (!std::strcmp(argv[i], "--trace-level") && i + 1 < argc) {
            if (!ReadCount(argv[++i], 0, 1000, traceLevel)) {
                std::fprintf(stderr, "vtxhost run: --trace-level takes a level from 0 to 1000, not \"%s\"\n", argv[i]);
                return kExitUsage;
            }
        } else if (!std::strcmp(argv[i], "--memory-limit") && i + 1 < argc) {
            // Up to 1 TiB; 0 lifts the budget.
            if (!ReadCount(argv[++i], 0, 1LL << 20, memoryLimitMiB)) {
                std::fprintf(stderr, "vtxhost run: --memory-limit takes mebibytes from 0 to %lld, not \"%s\"\n",
                             1LL << 20, argv[i]);
                return kExitUsage;
            }
        } else if (argv[i][0] == '-' || path) {
            std::fprintf(stderr, "usage: vtxhost %s\n", kUsage);
            return kExitUsage;
        } else {
            path = argv[i];
        }
    }
    if (!path) {
        std::fprintf(stderr, "usage: vtxhost %s\n", kUsage);
        return kExitUsage;
    }
    memory_budget::SetLimit(static_cast<std::size_t>(memoryLimitMiB) << 20);
    // The reason to add to a failure, when the budget refused memory on the way (kept for
    // the error that ends the run, when a block message took it first).
    std::string lastBudgetNote;
    const auto budgetNote = [&lastBudgetNote] {
        memory_budget::Refusal refusal;
        if (memory_budget::TakeRefusal(refusal)) lastBudgetNote = " (" + memory_budget::Describe(refusal) + ")";
        return lastBudgetNote;
    };

    CKernelServices kernel;
    if (traceLevel >= 0) {
        kernel.SetInt64Setting("kernel", "trace_level", traceLevel);
        kernel.Log().SetObserver([](const LogEntry& entry) {
            std::printf("log: %s\n", WithoutTrailingNewlines(entry.text).c_str());
        });
    }
    std::map<Vtx::IEventSource*, std::string> sources;
    long long blockErrors = 0;
    kernel.Dispatcher().SubscribeMessages([&](const DispatchedMessage& message) {
        auto found = sources.find(message.source);
        const std::string from = found == sources.end() ? "the host" : found->second;
        std::string text = WithoutTrailingNewlines(message.text);
        if (message.kind == Vtx::kMessageErrorInMethod || message.kind == Vtx::kMessageUnhandledException) {
            ++blockErrors;
            memory_budget::Refusal refusal;
            if (memory_budget::TakeRefusal(refusal)) {
                lastBudgetNote = " (" + memory_budget::Describe(refusal) + ")";
                text += lastBudgetNote;
            }
        }
        std::printf("message (kind %d) from %s: %s\n", static_cast<int>(message.kind), from.c_str(), text.c_str());
    });

    try {
        LoadedPatch loaded = LoadPatchFile(kernel, path, OpenModuleCatalog);
        CPatch& patch = *loaded.patch;
        std::vector<std::pair<std::string, IReceivedValues*>> sinks;
        for (const std::string& name : patch.BlockNames()) {
            Vtx::IBlock* block = patch.FindBlock(name);
            sources[static_cast<Vtx::IEventSource*>(block)] = name;
            if (IReceivedValues* received = ReceivedValuesOf(block)) sinks.emplace_back(name, received);
        }
        std::printf("patch \"%s\": %zu blocks, %lld activations\n", patch.GetName().c_str(), patch.BlockNames().size(),
                    activations);
        patch.Start();
        // Ctrl-C ends the run after the round under way; the patch is stopped as usual.
        std::signal(SIGINT, OnInterrupt);
        for (long long round = 0; round < activations && !interrupted; ++round)
            patch.Run(1, [&](std::int64_t number, std::int64_t time) {
                std::printf("[%lld] t=%.4f s\n", static_cast<long long>(number), static_cast<double>(time) / 1e7);
                for (auto& sink : sinks)
                    for (const std::string& value : sink.second->TakeNew())
                        std::printf("  %s: %s\n", sink.first.c_str(), value.c_str());
            });
        std::signal(SIGINT, SIG_DFL);
        patch.Stop();
    } catch (const PatchError& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "vtxhost run: %s%s\n", e.what(), budgetNote().c_str());
        return kExitRefused;
    } catch (const std::bad_alloc&) {
        std::fflush(stdout);
        std::fprintf(stderr, "vtxhost run: %s: out of memory%s\n", path, budgetNote().c_str());
        return kExitRefused;
    }
    std::fflush(stdout);
    if (interrupted) {
        std::fprintf(stderr, "vtxhost run: interrupted; the patch was stopped\n");
        return kExitInterrupted;
    }
    if (blockErrors > 0) {
        std::fprintf(stderr, "vtxhost run: %lld error%s reported by blocks during the run\n", blockErrors,
                     blockErrors == 1 ? "" : "s");
        return kExitRunErrors;
    }
    return kExitSuccess;
}

const CommandRegistrar registrar("run", kUsage, RunPatch);

} // namespace

} // namespace vtxhost
