// Values set as one group: retried after the others, put in place together when they wait
// for each other, each then checked by the block against the final values of the others.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "host/patch/ParameterValues.h"
#include "host/patch/Patch.h"

using vtxhost::IParameterGroup;
using vtxhost::ParameterRefusal;
using vtxhost::ParameterRefused;
using vtxhost::PatchError;

namespace {

// A block of two parameters where "mode" depends on "combine"; "count" declares "item"
// when it is above 0. Set records every change the block accepted, in order.
class FakeBlock : public IParameterGroup {
public:
    std::map<std::string, std::string> values{{"combine", "product"}, {"mode", "conjugate"}, {"count", "0"}};
    std::vector<std::pair<std::string, std::string>> given;
    std::vector<std::string> accepted;
    bool failHard = false;

    void Set(std::size_t index) override {
        const auto& [id, value] = given[index];
        if (id == "item" && values["count"] == "0") throw ParameterRefused("no parameter \"item\"");
        if (failHard && value == "boom") throw PatchError("out of memory");
        std::map<std::string, std::string> next = values;
        next[id] = value;
        if (!Allowed(next)) throw ParameterRefused(id + " \"" + value + "\" does not suit the others");
        values = next;
        accepted.push_back(id + "=" + value);
    }
    std::function<void()> Install(std::size_t index) override {
        const auto& [id, value] = given[index];
        if (!values.count(id)) return {};
        const std::string old = values[id];
        values[id] = value;
        return [this, id = id, old] { values[id] = old; };
    }

    static bool Allowed(std::map<std::string, std::string>& v) {
        const std::string& mode = v["mode"];
        return mode == "plain" || (mode == "average" && v["combine"] == "sum") ||
               (mode == "conjugate" && v["combine"] == "product");
    }

    std::vector<ParameterRefusal> SetAll(std::vector<std::pair<std::string, std::string>> values) {
        given = std::move(values);
        std::vector<std::size_t> indexes;
        for (std::size_t i = 0; i < given.size(); ++i) indexes.push_back(i);
        return vtxhost::SetAsGroup(*this, indexes);
    }
};

TEST(ParameterGroup, ValuesThatWaitForEachOtherAreTakenInEitherOrderEachCheckedOnce) {
    for (bool combineFirst : {true, false}) {
        SCOPED_TRACE(combineFirst);
        FakeBlock block;
        std::vector<std::pair<std::string, std::string>> values{{"combine", "sum"}, {"mode", "average"}};
        if (!combineFirst) std::swap(values[0], values[1]);
        EXPECT_TRUE(block.SetAll(values).empty());
        EXPECT_EQ(block.values["combine"], "sum");
        EXPECT_EQ(block.values["mode"], "average");
        // Each value reached the block once, against the final value of the other.
        EXPECT_EQ(block.accepted.size(), 2u);
    }
}

TEST(ParameterGroup, ARefusedFinalCombinationIsReportedWithTheBlocksReasonAndPutBack) {
    FakeBlock block;
    const std::vector<ParameterRefusal> refused = block.SetAll({{"mode", "average"}, {"count", "1"}});
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].index, 0u);
    EXPECT_EQ(refused[0].error, "mode \"average\" does not suit the others");
    EXPECT_EQ(block.values["mode"], "conjugate");  // not left installed
    EXPECT_EQ(block.values["count"], "1");         // the value the block took stays
}

TEST(ParameterGroup, AParameterDeclaredByAnotherValueIsSetAfterItAndAFailureIsNotRetried) {
    FakeBlock block;
    block.values.erase("item");
    EXPECT_TRUE(block.SetAll({{"item", "x"}, {"count", "1"}}).empty());
    EXPECT_EQ(block.accepted, (std::vector<std::string>{"count=1", "item=x"}));

    FakeBlock failing;
    failing.failHard = true;
    const std::vector<ParameterRefusal> refused = failing.SetAll({{"mode", "average"}, {"count", "boom"}});
    ASSERT_EQ(refused.size(), 2u);
    EXPECT_EQ(refused[0].index, 1u);  // the failure comes first, and ends the group
    EXPECT_EQ(refused[0].error, "out of memory");
    EXPECT_TRUE(failing.accepted.empty());
}

} // namespace
