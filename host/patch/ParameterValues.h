#pragma once
// Setting several parameter values at once, when some depend on others: a block may refuse
// a value because another parameter still holds its default (a lower bound above the
// default upper bound), or may not have the parameter yet (it comes with a larger count).
// Values refused are therefore set again once the others are in, round after round as long
// as a round sets at least one more; only what is still refused then is an error.
#include <cstddef>
#include <string>
#include <vector>

namespace vtxhost {

class CPatch;

struct ParameterValue {
    std::string block;
    std::string parameter;
    std::string text;
};

struct ParameterRefusal {
    std::size_t index;  // into the values given
    std::string error;  // the last refusal's text (a PatchError's)
};

// The refusals left, in the order of the values.
std::vector<ParameterRefusal> SetParameterValues(CPatch& patch, const std::vector<ParameterValue>& values);

} // namespace vtxhost
