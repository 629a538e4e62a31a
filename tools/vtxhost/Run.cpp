// vtxhost run PATCH [--activations N] [--trace-level L]
// Loads a patch file, runs it for N activation rounds (10 by default) and prints, per
// round, what each sink received, every message the blocks send and, with a trace level,
// the diagnostic log as it is written.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "host/KernelBlocks.h"
#include "host/KernelServices.h"
#include "host/ModuleOpener.h"
#include "host/PatchFile.h"
#include "tools/vtxhost/Commands.h"

namespace vtxhost {

namespace {

bool ReadCount(const char* text, long long minimum, long long& value) {
    if (!text || !*text) return false;
    char* end = nullptr;
    const long long parsed = std::strtoll(text, &end, 10);
    if (*end != '\0' || parsed < minimum) return false;
    value = parsed;
    return true;
}

std::string WithoutTrailingNewlines(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

int RunPatch(int argc, char** argv) {
    const char* path = nullptr;
    long long activations = 10;
    long long traceLevel = -1;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--activations") && i + 1 < argc) {
            if (!ReadCount(argv[++i], 0, activations)) {
                std::fprintf(stderr, "vtxhost run: --activations takes a count, not \"%s\"\n", argv[i]);
                return 2;
            }
        } else if (!std::strcmp(argv[i], "--trace-level") && i + 1 < argc) {
            if (!ReadCount(argv[++i], 0, traceLevel) || traceLevel > 1000) {
                std::fprintf(stderr, "vtxhost run: --trace-level takes a level from 0, not \"%s\"\n", argv[i]);
                return 2;
            }
        } else if (argv[i][0] == '-' || path) {
            std::fprintf(stderr, "usage: vtxhost run PATCH [--activations N] [--trace-level L]\n");
            return 2;
        } else {
            path = argv[i];
        }
    }
    if (!path) {
        std::fprintf(stderr, "usage: vtxhost run PATCH [--activations N] [--trace-level L]\n");
        return 2;
    }

    CKernelServices kernel;
    if (traceLevel >= 0) {
        kernel.SetInt64Setting("kernel", "trace_level", traceLevel);
        kernel.Log().SetObserver([](const LogEntry& entry) {
            std::printf("log: %s\n", WithoutTrailingNewlines(entry.text).c_str());
        });
    }
    std::map<Vtx::IEventSource*, std::string> sources;
    kernel.Dispatcher().SubscribeMessages([&sources](const DispatchedMessage& message) {
        auto found = sources.find(message.source);
        const std::string from = found == sources.end() ? "the host" : found->second;
        std::printf("message (kind %d) from %s: %s\n", static_cast<int>(message.kind), from.c_str(),
                    WithoutTrailingNewlines(message.text).c_str());
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
        patch.Run(activations, [&](std::int64_t round, std::int64_t time) {
            std::printf("[%lld] t=%.4f s\n", static_cast<long long>(round), static_cast<double>(time) / 1e7);
            for (auto& sink : sinks)
                for (const std::string& value : sink.second->TakeNew())
                    std::printf("  %s: %s\n", sink.first.c_str(), value.c_str());
        });
        patch.Stop();
    } catch (const PatchError& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "vtxhost run: %s\n", e.what());
        return 1;
    }
    return 0;
}

const CommandRegistrar registrar("run", "run PATCH [--activations N] [--trace-level L]", RunPatch);

} // namespace

} // namespace vtxhost
