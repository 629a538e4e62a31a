// An output's list of links: removal from either end, from the middle and of an input it
// does not hold, with the order of the links that stay kept.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

#include "host/signature/Pins.h"

namespace {

using vtxhost::CInputPinImpl;
using vtxhost::COutputPinImpl;

struct PinLinksTest : ::testing::Test {
    COutputPinImpl output{nullptr, "output", "", "", "kernel", "double", "", ""};
    std::vector<std::unique_ptr<CInputPinImpl>> inputs;

    void Link(std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            inputs.push_back(std::make_unique<CInputPinImpl>(nullptr, "input", "", "", "kernel", "double", false, false, false));
            output.AddLink(inputs.back().get());
        }
    }
    // The indices (into inputs) of the links, in the output's order.
    std::vector<std::size_t> Order() {
        std::vector<std::size_t> order;
        for (std::int32_t k = 0; k < output.GetLinkCount(); ++k)
            for (std::size_t i = 0; i < inputs.size(); ++i)
                if (output.GetLinkedInput(k) == inputs[i].get()) order.push_back(i);
        return order;
    }
};

TEST_F(PinLinksTest, RemovalKeepsTheOrderOfTheRest) {
    Link(8);
    output.RemoveLink(inputs[0].get());  // first
    output.RemoveLink(inputs[7].get());  // last
    output.RemoveLink(inputs[3].get());  // middle
    output.RemoveLink(inputs[4].get());  // beside the hole
    EXPECT_EQ(Order(), (std::vector<std::size_t>{1, 2, 5, 6}));
    output.RemoveLink(inputs[3].get());  // no longer linked: nothing changes
    EXPECT_EQ(output.GetLinkCount(), 4);
    output.RemoveLink(inputs[6].get());  // last, with a closed hole before it
    output.RemoveLink(inputs[1].get());
    EXPECT_EQ(Order(), (std::vector<std::size_t>{2, 5}));
    Link(1);  // linked again after removals: at the end
    EXPECT_EQ(Order(), (std::vector<std::size_t>{2, 5, 8}));
    output.RemoveLink(inputs[5].get());
    output.RemoveLink(inputs[2].get());
    output.RemoveLink(inputs[8].get());
    EXPECT_EQ(output.GetLinkCount(), 0);
    EXPECT_ANY_THROW(output.GetLinkedInput(0));
}

// Holes left in the middle and both ends removed in turn, without a look-up between them.
TEST_F(PinLinksTest, HolesAtBothEndsAreCountedOnce) {
    Link(5);
    output.RemoveLink(inputs[1].get());
    output.RemoveLink(inputs[3].get());
    output.RemoveLink(inputs[0].get());  // the first: the hole at 1 is passed over
    output.RemoveLink(inputs[4].get());  // the last: the hole at 3 is given back
    EXPECT_EQ(output.GetLinkCount(), 1);
    EXPECT_EQ(Order(), (std::vector<std::size_t>{2}));
}

// A teardown removes links from the front, one look-up each: 200 000 of them in a time
// that only a linear removal meets (a quadratic one takes tens of seconds).
TEST_F(PinLinksTest, ATeardownOfManyLinksFromTheFrontIsLinear) {
    Link(200000);
    const auto start = std::chrono::steady_clock::now();
    while (output.GetLinkCount() > 0) output.RemoveLink(static_cast<CInputPinImpl*>(output.GetLinkedInput(0)));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

} // namespace
