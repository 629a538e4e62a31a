#include <gtest/gtest.h>

#include <stdexcept>

#include "sdk/object/ReferenceCounting.h"
#include "sdk/object/ScopedStateSaver.h"

namespace {

struct IProbe : ulx::I_ReferenceCountedClass {
    virtual int Value() = 0;
};

// Counts live objects so that a test can see exactly when deletion happened.
struct Probe : ulx::default_destroy<ulx::default_delete<ulx::reference_counted_class_impl<IProbe>>> {
    static int live;
    Probe() { ++live; }
    ~Probe() override { --live; }
    int Value() override { return 7; }
};
int Probe::live = 0;

TEST(ReferenceCounting, CountStartsAtZeroAndLastReleaseOrDestroyDeletes) {
    auto* probe = new Probe;
    EXPECT_EQ(probe->ReferenceCount(), 0);
    EXPECT_EQ(probe->AddRef(), 1);
    EXPECT_EQ(probe->AddRef(), 2);
    EXPECT_EQ(probe->Release(), 1);
    EXPECT_EQ(Probe::live, 1);
    EXPECT_EQ(probe->Release(), 0);
    EXPECT_EQ(Probe::live, 0);

    // Destroy deletes whatever the count.
    probe = new Probe;
    probe->AddRef();
    probe->AddRef();
    EXPECT_EQ(probe->Destroy(), 0);
    EXPECT_EQ(Probe::live, 0);
}

TEST(ScopedStateSaver, RestoresOnNormalAndExceptionalExit) {
    bool flag = false;
    {
        auto saver = ulx::make_scoped_state_saver(&flag, true);
        EXPECT_TRUE(flag);
    }
    EXPECT_FALSE(flag);
    try {
        auto saver = ulx::make_scoped_state_saver(&flag, true);
        throw std::runtime_error("leave");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(flag);
}

} // namespace
