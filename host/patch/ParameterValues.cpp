#include "host/patch/ParameterValues.h"

#include "host/patch/Patch.h"

namespace vtxhost {

std::vector<ParameterRefusal> SetParameterValues(CPatch& patch, const std::vector<ParameterValue>& values) {
    std::vector<ParameterRefusal> pending;
    for (std::size_t i = 0; i < values.size(); ++i) pending.push_back(ParameterRefusal{i, {}});
    // Each round either sets one more value or ends, so there are at most as many rounds as values.
    for (bool progress = true; progress && !pending.empty();) {
        progress = false;
        std::vector<ParameterRefusal> refused;
        for (ParameterRefusal& attempt : pending) {
            const ParameterValue& value = values[attempt.index];
            try {
                patch.SetParameter(value.block, value.parameter, value.text);
                progress = true;
            } catch (const PatchError& e) {
                refused.push_back(ParameterRefusal{attempt.index, e.what()});
            }
        }
        pending = std::move(refused);
    }
    return pending;
}

} // namespace vtxhost
