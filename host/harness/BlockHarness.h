#pragma once
// The harness: a catalog author's in-process tests of a block, without a patch file.
//
//   vtxhost::CBlockHarness harness("build/libMyCatalog.so");   // the module, once per process
//   harness.MakeBlock("Mix");                                   // a block of the module's class
//   harness.SetParameters({{"combine", "sum"}, {"mode", "average"}});
//   harness.Push("a", "1.5");
//   harness.Push("b", "2.5");
//   harness.Run();                                              // one round
//   EXPECT_EQ(harness.TakeOutput("output"), std::vector<std::string>{"2"});
//   EXPECT_TRUE(harness.TakeMessages().empty());
//
// A module attaches once per process: the harness keeps every module it opened loaded
// until the process ends, and hands the same module to every later harness and, through
// SharedModuleOpener, to patches the test loads (LoadPatchText), which a second load of
// the file would refuse. The block runs in a patch of the harness's own kernel: the block
// under test, named "block", a sink behind each of its outputs (added when the patch first
// starts), and the inputs fed by Push. Rounds run as in any patch (Patch.h): the block
// executes when it is due, when an activating input got a new value, or every round when
// it asked for neither.
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/kernel/KernelServices.h"
#include "host/patch/Patch.h"
#include "host/patch/PatchFile.h"

namespace vtxhost {

// A ModuleOpener (PatchFile.h) that opens each module file once per process and adds its
// catalog to the kernel given; the result removes the catalog again, the module stays.
std::shared_ptr<void> SharedModuleOpener(CKernelServices& kernel, const std::string& path);

struct HarnessMessage {
    std::int32_t kind;  // 2 failed command, 3 error in a method, 4 trapped exception
    std::string text;   // without its trailing line break
};

class CBlockHarness {
public:
    // A kernel of its own, with the module's catalog when a path is given (loaded once per
    // process); a catalog id ("MyCatalog") names libMyCatalog.so in the module search path
    // (ModuleSearch.h: VTX_MODULE_PATH, then the installed modules). std::runtime_error
    // when the module cannot be found or loaded.
    explicit CBlockHarness(const std::string& modulePath = "");
    ~CBlockHarness();
    CBlockHarness(const CBlockHarness&) = delete;
    CBlockHarness& operator=(const CBlockHarness&) = delete;

    // Another module's catalog, for blocks that use its datatypes.
    void AddModule(const std::string& modulePath);

    // Creates the block under test, which builds its signature. The catalog is the first
    // module's when none is given. PatchError when the class cannot be made.
    Vtx::IBlock* MakeBlock(const std::string& classId, const std::string& catalogId = "");
    Vtx::IBlock* Block() const { return block_; }

    // One value through the block's own check: ParameterRefused with the reason (the
    // block's own, when it threw one) when it is refused.
    void SetParameter(const std::string& id, const std::string& text);
    // Several values as one group, as a patch file's (ParameterValues.h): the last value of
    // a parameter wins; values that depend on each other may come in any order.
    void SetParameters(const std::vector<std::pair<std::string, std::string>>& values);
    // The parameter's current value as text.
    std::string Parameter(const std::string& id) const;

    // Queues a value, as its text form, for the input: each round hands the oldest queued
    // value of every input to it with a new timestamp. A generic input takes values of the
    // class given (kernel double by default), chosen before the patch first starts.
    void Push(const std::string& input, const std::string& text);
    void SetInputClass(const std::string& input, const std::string& catalogId, const std::string& classId);

    // Starts the patch (Init, Start) if it is not running, then runs the rounds.
    void Run(int rounds = 1);
    // Stop and Done; the next Run starts again.
    void Stop();

    // The values the output delivered (each a text form) since the last call: only values
    // with a new timestamp are delivered.
    std::vector<std::string> TakeOutput(const std::string& output);
    // The output's current value as text, delivered or not.
    std::string OutputValue(const std::string& output) const;
    // The messages the block sent since the last call.
    std::vector<HarnessMessage> TakeMessages();
    // The outputs written but never time-stamped in the last run (known after Stop).
    const std::vector<std::string>& UnstampedOutputs() const { return patch_->UnstampedOutputs(); }

    CKernelServices& Kernel() { return kernel_; }
    CPatch& Patch() { return *patch_; }

private:
    void Prepare();

    CKernelServices kernel_;
    std::vector<std::shared_ptr<void>> modules_;
    std::string firstCatalog_;
    std::unique_ptr<CPatch> patch_;
    Vtx::IBlock* block_ = nullptr;
    bool prepared_ = false;
    std::map<std::string, std::deque<std::string>> queued_;
    std::map<std::string, std::pair<std::string, std::string>> inputClasses_;
    std::map<std::string, std::string> sinks_;  // output id to sink name
    std::int64_t pushed_ = 0;
};

} // namespace vtxhost
