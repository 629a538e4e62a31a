#pragma once
// Setting several parameter values at once, as one group, when some depend on others: a
// block may refuse a value because another parameter still holds its old value (a lower
// bound above the old upper bound; a mode the old combination forbids), or may not have
// the parameter yet (it comes with a larger count).
//
// The last value given for a parameter is the one set; earlier ones are dropped. Values
// refused are set again once the others are in, round after round as long as a round sets
// at least one more. When two values each wait for the other (neither is accepted against
// the other's old value), the values still refused are put in place together by the host
// (its own checks still apply: the text, the domain, the permission) and then handed to the
// block one by one, each against the final values of all the others: the group is accepted
// when the block accepts its final combination, in whatever order the values came.
#include <cstddef>
#include <functional>
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

// The refusals left; the first is the one that decided (the block's refusal of the final
// combination when it came to that), the others follow in the order of the values. Values
// before a refusal stay set.
// distinct says that no parameter comes twice (the keys of one JSON object), which spares
// the search for repeated ones.
std::vector<ParameterRefusal> SetParameterValues(CPatch& patch, const std::vector<ParameterValue>& values,
                                                 bool distinct = false);

// The same algorithm over any target that can set value i through the block's own check
// (throwing PatchError with the reason when refused) and install it past that check.
class IParameterGroup {
public:
    virtual ~IParameterGroup() = default;
    // Through the block's own check; throws ParameterRefused with the reason when refused,
    // PatchError when it failed otherwise.
    virtual void Set(std::size_t index) = 0;
    // Past the block's own check (the host's checks apply and throw PatchError); answers a
    // function that puts the replaced value back, or an empty one when the parameter is
    // not there (yet).
    virtual std::function<void()> Install(std::size_t index) = 0;
};
std::vector<ParameterRefusal> SetAsGroup(IParameterGroup& group, const std::vector<std::size_t>& indexes);

} // namespace vtxhost
