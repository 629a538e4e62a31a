#include <gtest/gtest.h>

#include <thread>

#include "sdk/object/CachedCast.h"

namespace {

// Two interfaces and objects that hold them at different places, so that conversions of
// alternating kinds need different adjustments.
struct Left {
    virtual ~Left() = default;
    int left = 1;
};
struct Right {
    virtual ~Right() = default;
    int right = 2;
};
struct Both : Left, Right {};
struct RightFirst : Right, Left {};
struct OnlyLeft : Left {};
struct Padded {
    virtual ~Padded() = default;
    double padding[3] = {};
};
struct Far : Padded, Left, Right {};
// Two Left subobjects: the same object seen through either needs its own adjustment.
struct TwoLefts : OnlyLeft, Both {};

TEST(CachedCastTest, EveryKindConvertsAsDynamicCastDoesWhateverCameBefore) {
    Both both;
    RightFirst rightFirst;
    OnlyLeft onlyLeft;
    Far far;
    Left* lefts[] = {&both, &rightFirst, &onlyLeft, &far, &both, &far, &onlyLeft, &rightFirst};
    for (int round = 0; round < 2; ++round) {
        for (Left* left : lefts) {
            EXPECT_EQ(Vtx::CachedDynamicCast<Right>(left), dynamic_cast<Right*>(left));
            EXPECT_EQ(Vtx::CachedDynamicCast<Padded>(left), dynamic_cast<Padded*>(left));
        }
    }
    // Seen through its other base, the same object converts with another adjustment.
    Right* right = &far;
    EXPECT_EQ(Vtx::CachedDynamicCast<Left>(right), static_cast<Left*>(&far));
    EXPECT_EQ(Vtx::CachedDynamicCast<Far>(right), &far);
    EXPECT_EQ(Vtx::CachedDynamicCast<Far>(static_cast<Right*>(&both)), nullptr);
    EXPECT_EQ(Vtx::CachedDynamicCast<Right>(static_cast<Left*>(nullptr)), nullptr);
    TwoLefts twoLefts;
    Left* first = static_cast<OnlyLeft*>(&twoLefts);
    Left* second = static_cast<Both*>(&twoLefts);
    for (Left* left : {first, second, first}) EXPECT_EQ(Vtx::CachedDynamicCast<Right>(left), static_cast<Right*>(&twoLefts));
}

TEST(CachedCastTest, ThreadsRememberTheirOwnKinds) {
    Both both;
    OnlyLeft onlyLeft;
    int wrong = 0;
    std::thread other([&] {
        for (int i = 0; i < 10000; ++i)
            if (Vtx::CachedDynamicCast<Right>(static_cast<Left*>(&onlyLeft)) != nullptr) ++wrong;
    });
    for (int i = 0; i < 10000; ++i)
        if (Vtx::CachedDynamicCast<Right>(static_cast<Left*>(&both)) != static_cast<Right*>(&both)) ++wrong;
    other.join();
    EXPECT_EQ(wrong, 0);
}

} // namespace
