#include "host/patch/ParameterValues.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

#include "host/patch/Patch.h"

namespace vtxhost {

namespace {

// Sets what it can, round after round; the refusals left, in the order of the values. A
// failure other than a refusal ends it at once, as the first of the refusals; final is then set.
std::vector<ParameterRefusal> Retried(IParameterGroup& group, std::vector<ParameterRefusal> pending, bool& final) {
    final = false;
    // Each round either sets one more value or ends, so there are at most as many rounds as values.
    for (bool progress = true; progress && !pending.empty();) {
        progress = false;
        std::vector<ParameterRefusal> refused;
        for (std::size_t i = 0; i < pending.size(); ++i) {
            try {
                group.Set(pending[i].index);
                progress = true;
            } catch (const ParameterRefused& e) {
                refused.push_back(ParameterRefusal{pending[i].index, e.what()});
            } catch (const PatchError& e) {
                // The block failed, not refused: the value may be half taken, so it is not tried again.
                std::vector<ParameterRefusal> failed{ParameterRefusal{pending[i].index, e.what()}};
                failed.insert(failed.end(), refused.begin(), refused.end());
                failed.insert(failed.end(), pending.begin() + static_cast<std::ptrdiff_t>(i) + 1, pending.end());
                final = true;
                return failed;
            }
        }
        pending = std::move(refused);
    }
    return pending;
}

class PatchGroup : public IParameterGroup {
public:
    PatchGroup(CPatch& patch, const std::vector<ParameterValue>& values) : patch_(patch), values_(values) {}
    void Set(std::size_t index) override {
        const ParameterValue& value = values_[index];
        patch_.SetParameter(value.block, value.parameter, value.text);
    }
    std::function<void()> Install(std::size_t index) override {
        const ParameterValue& value = values_[index];
        return patch_.InstallParameterValue(value.block, value.parameter, value.text);
    }

private:
    CPatch& patch_;
    const std::vector<ParameterValue>& values_;
};

} // namespace

std::vector<ParameterRefusal> SetAsGroup(IParameterGroup& group, const std::vector<std::size_t>& indexes) {
    std::vector<ParameterRefusal> pending;
    for (std::size_t index : indexes) pending.push_back(ParameterRefusal{index, {}});
    bool final = false;
    pending = Retried(group, std::move(pending), final);
    if (pending.empty() || final) return pending;

    // Values that wait for each other: all of them in place at once, then each handed to
    // the block against the final values of the others.
    std::vector<std::pair<std::size_t, std::function<void()>>> installed;  // place in pending, put back
    for (std::size_t i = 0; i < pending.size(); ++i) {
        try {
            if (std::function<void()> putBack = group.Install(pending[i].index)) installed.emplace_back(i, std::move(putBack));
        } catch (const PatchError& e) {
            pending[i].error = e.what();  // the host refuses it: no order of values helps
        }
    }
    std::vector<bool> done(pending.size(), false);
    for (std::size_t k = 0; k < installed.size(); ++k) {
        const std::size_t i = installed[k].first;
        installed[k].second();  // the old value back, so that the block sees the change
        try {
            group.Set(pending[i].index);
            done[i] = true;
        } catch (const PatchError& e) {  // a refusal or a failure: either decides
            // The block refuses the final combination: the values not yet handed to it go
            // back to what they were, and this refusal is the one to report.
            for (std::size_t later = k + 1; later < installed.size(); ++later) installed[later].second();
            ParameterRefusal decided{pending[i].index, e.what()};
            std::vector<ParameterRefusal> refusals{decided};
            for (std::size_t j = 0; j < pending.size(); ++j)
                if (!done[j] && j != i) refusals.push_back(pending[j]);
            return refusals;
        }
    }
    std::vector<ParameterRefusal> left;
    for (std::size_t j = 0; j < pending.size(); ++j)
        if (!done[j]) left.push_back(pending[j]);
    // Parameters that came with a value just set (a count) take theirs now.
    return Retried(group, std::move(left), final);
}

std::vector<ParameterRefusal> SetParameterValues(CPatch& patch, const std::vector<ParameterValue>& values,
                                                 bool distinct) {
    // The last value given for a parameter wins: earlier ones are not set at all. Walked
    // from the end, the first value seen of each parameter is its last.
    std::unordered_set<std::string> seen;
    if (!distinct) seen.reserve(values.size());
    std::vector<std::size_t> indexes;
    indexes.reserve(values.size());
    std::string key;
    for (std::size_t i = values.size(); i-- > 0;) {
        if (distinct) {
            indexes.push_back(i);
            continue;
        }
        key.assign(values[i].block).push_back('\0');
        key.append(values[i].parameter);
        if (seen.insert(key).second) indexes.push_back(i);
    }
    std::reverse(indexes.begin(), indexes.end());
    PatchGroup group(patch, values);
    return SetAsGroup(group, indexes);
}

} // namespace vtxhost
