// What `vtxhost serve` adds to a round when no page is open: the main job's patch in the
// session of a listening editor server, stepped one round per command, against the same
// session without a server (BM_LiveSessionRound in LiveSessionBench.cpp). Both sessions are
// stepped from the benchmark's thread through the same command path, so the difference is
// the server's own share: its event pump, its flush timer and whatever a round does for a
// server that nobody watches.
#include <benchmark/benchmark.h>

#include "bench/FixedIterations.h"

#include <filesystem>
#include <string>
#include <thread>

#include "bench/MainJobPatch.h"
#include "host/kernel/KernelServices.h"
#include "host/live/Session.h"
#include "host/serve/EditorServer.h"
#include "host/serve/EditorWorkspace.h"

namespace {

void BM_ServedSessionRound(benchmark::State& state) {
    vtxhost::CKernelServices kernel;
    const std::string folder = std::filesystem::temp_directory_path().string();
    vtxhost::CEditorWorkspace workspace(kernel, {folder}, {});
    vtxhost::EditorServerOptions options;
    options.webFolder = folder;
    vtxhost::CEditorServer server(kernel, workspace, benchpatch::Load(kernel), "", options);
    std::thread serving([&server] { server.Run(); });
    vtxhost::live::CSession& session = server.Session();
    session.SetPacing(vtxhost::live::Pacing::Stepped);
    session.Start();
    for (auto _ : state) session.Step(1);
    const bool allRounds = session.RoundsRun() == state.iterations();
    session.Stop();
    server.Stop();
    serving.join();
    if (!allRounds) state.SkipWithError("the session missed a round");
}
VTX_BENCHMARK(BM_ServedSessionRound);

} // namespace
