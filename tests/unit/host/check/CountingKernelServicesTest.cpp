// The object count of CCountingKernelServices: objects held only by the host are let go of,
// including those another tracked object held until it went; objects someone else keeps are
// named as leaks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/check/CountingKernelServices.h"
#include "sdk/object/ReferenceCounting.h"
#include "vtx/Datatype.h"

namespace {

using vtxhost::CCountingKernelServices;

// A counted object that may hold another one, and says when it is deleted.
class Node : public ulx::default_destroy<ulx::default_delete<ulx::reference_counted_class_impl<ulx::I_ReferenceCountedClass>>> {
public:
    Node(std::vector<std::string>& deleted, std::string name, Node* held = nullptr)
        : deleted_(deleted), name_(std::move(name)), held_(held) {
        if (held_) held_->AddRef();
    }
    ~Node() override {
        if (held_) held_->Release();
        deleted_.push_back(name_);
    }

private:
    std::vector<std::string>& deleted_;
    std::string name_;
    Node* held_;
};

TEST(CountingKernelServices, LetsGoOfChainsWhateverTheOrderAndNamesWhatOthersKeep) {
    std::vector<std::string> deleted;
    CCountingKernelServices kernel;
    // The child is tracked first and is still held by its parent when the first pass meets it.
    auto* child = new Node(deleted, "child");
    kernel.Track(child, "child");
    auto* parent = new Node(deleted, "parent", child);
    kernel.Track(parent, "parent");
    auto* kept = new Node(deleted, "kept");
    kernel.Track(kept, "kept node");
    kept->AddRef();  // someone outside the host keeps it

    EXPECT_EQ(kernel.Settle(), std::vector<std::string>{"kept node, held 1 more time"});
    EXPECT_EQ(deleted, (std::vector<std::string>{"parent", "child"}));
    EXPECT_EQ(kernel.TrackedCount(), 0u);
    EXPECT_EQ(kept->Release(), 0);
    EXPECT_EQ(deleted.back(), "kept");
}

TEST(CountingKernelServices, CountsWhatItCreatesAndForgetsWhatIsDestroyedOnRequest) {
    CCountingKernelServices kernel;
    Vtx::IDatatype* released = kernel.CreateDatatype("kernel", "double");
    Vtx::IDatatype* destroyed = kernel.CreateDatatype("kernel", "int");
    Vtx::IDatatype* leaked = kernel.CreateDatatype("kernel", "bool");
    ASSERT_TRUE(released && destroyed && leaked);
    EXPECT_EQ(kernel.CreateDatatype("kernel", "no_such_class"), nullptr);
    EXPECT_EQ(kernel.TrackedCount(), 3u);
    released->AddRef();
    released->Release();
    destroyed->Destroy();
    EXPECT_EQ(kernel.TrackedCount(), 2u);
    leaked->AddRef();
    EXPECT_EQ(kernel.Settle(), std::vector<std::string>{"kernel/bool datatype, held 1 more time"});
    EXPECT_EQ(leaked->Release(), 0);
}

} // namespace
