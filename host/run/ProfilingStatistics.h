#pragma once
// Profiling statistics of a measured operation in the platform's text form: a heading that
// names the class and the instance, then the number of samples and the mean, minimum,
// maximum and total time, one tab-indented line each with the labels aligned:
//
//   Profiling info class - id: Brennick2010/Vector - store
//   	# samples: 3
//   	Mean     : 1.250 us
//   	Min      : 800 ns
//   	Max      : 2.100 us
//   	Total    : 3.750 us
#include <cstdint>
#include <string>

namespace vtxhost {

struct ProfilingSamples {
    std::int64_t count = 0;
    std::int64_t totalNs = 0;
    std::int64_t minimumNs = 0;
    std::int64_t maximumNs = 0;
};

std::string FormatProfilingInfo(const std::string& classText, const std::string& idText, const ProfilingSamples& samples);

// A duration in the largest unit below it: "640 ns", "12.500 us", "3.000 ms", "1.250 s".
std::string FormatDuration(double nanoseconds);

} // namespace vtxhost
