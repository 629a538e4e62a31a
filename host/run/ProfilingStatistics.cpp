#include "host/run/ProfilingStatistics.h"

#include <cstdio>

namespace vtxhost {

std::string FormatDuration(double nanoseconds) {
    char text[64];
    if (nanoseconds < 1e3)
        std::snprintf(text, sizeof text, "%.0f ns", nanoseconds);
    else if (nanoseconds < 1e6)
        std::snprintf(text, sizeof text, "%.3f us", nanoseconds / 1e3);
    else if (nanoseconds < 1e9)
        std::snprintf(text, sizeof text, "%.3f ms", nanoseconds / 1e6);
    else
        std::snprintf(text, sizeof text, "%.3f s", nanoseconds / 1e9);
    return text;
}

std::string FormatProfilingInfo(const std::string& classText, const std::string& idText, const ProfilingSamples& samples) {
    std::string text = "Profiling info class - id: " + classText + " - " + idText + "\n";
    text += "\t# samples: " + std::to_string(samples.count) + "\n";
    if (samples.count == 0) return text;
    text += "\tMean     : " + FormatDuration(static_cast<double>(samples.totalNs) / static_cast<double>(samples.count)) + "\n";
    text += "\tMin      : " + FormatDuration(static_cast<double>(samples.minimumNs)) + "\n";
    text += "\tMax      : " + FormatDuration(static_cast<double>(samples.maximumNs)) + "\n";
    text += "\tTotal    : " + FormatDuration(static_cast<double>(samples.totalNs)) + "\n";
    return text;
}

} // namespace vtxhost
