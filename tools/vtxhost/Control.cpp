// One command per input line, one answer or event per output line. The events that came
// before a command's answer (those of the rounds it ran, for instance) are written before
// it; others as they come. Blank lines are skipped. At the end of the input the patch stops
// and what is left of the events is written.
#include "tools/vtxhost/Control.h"

#include <cstdio>
#include <iostream>
#include <mutex>
#include <new>

#include "host/kernel/KernelServices.h"
#include "host/modules/ModuleOpener.h"
#include "host/patch/PatchFile.h"
#include "host/live/Protocol.h"
#include "host/live/Session.h"
#include "tools/vtxhost/ExitStatus.h"

namespace vtxhost {

int RunControlled(const ControlOptions& options) {
    CKernelServices kernel;
    LoadedPatch loaded;
    try {
        loaded = LoadPatchFile(kernel, options.path, OpenModuleCatalog);
        const std::vector<ParameterRefusal> refused = SetParameterValues(*loaded.patch, options.settings);
        if (!refused.empty())
            throw PatchError("--set " + options.settingTexts[refused.front().index] + ": " + refused.front().error);
    } catch (const PatchError& e) {
        std::fprintf(stderr, "vtxhost run: %s\n", e.what());
        return kExitRefused;
    }
    if (options.profile) loaded.patch->SetProfiling(true);

    live::CSession session(kernel, std::move(loaded), options.realtime ? live::Pacing::Realtime : live::Pacing::Stepped);
    live::CProtocol protocol(session);
    std::mutex output;
    const auto writeLine = [&output](const Json& message) {
        const std::string line = message.dump(-1, ' ', false, Json::error_handler_t::replace);
        std::lock_guard<std::mutex> lock(output);
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    };
    live::CEventPump pump(session.Events(), writeLine);
    std::string line;
    while (std::getline(std::cin, line)) {
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        const Json answer = protocol.HandleLine(line);
        pump.Flush();
        writeLine(answer);
    }
    if (session.State() != live::SessionState::Stopped) {
        try {
            session.Stop();
        } catch (const live::Refusal&) {
            // Stopped meanwhile by a failing round.
        }
    }
    pump.Flush();
    return kExitSuccess;
}

} // namespace vtxhost
