#pragma once
// vtxhost run PATCH --control: the patch in a live session (host/live/Session.h), driven by
// JSON lines on standard input, answered with JSON lines on standard output.
#include <string>
#include <vector>

#include "host/patch/ParameterValues.h"

namespace vtxhost {

struct ControlOptions {
    const char* path;
    std::vector<ParameterValue> settings;   // --set, applied after loading
    std::vector<std::string> settingTexts;  // the same as given, for messages
    bool realtime;                          // pacing "realtime" instead of "stepped"
    bool profile;
};

// The exit status: 0 when the input ended and the patch stopped, 1 when the patch or a
// --set value was refused.
int RunControlled(const ControlOptions& options);

} // namespace vtxhost
