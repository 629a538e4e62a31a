#pragma once
// The patch layer: a patch and its scheduler, the patch file (its JSON document, reader
// and writer), the graph of links between pins, parameter values set from texts, stored
// signatures and the probe that learns what a block class declares. It includes the
// modules, kernel, signature and run layers below it, never the validator.
//
// A patch: named block instances, their parameter values and the links from output pins
// to input pins, run by a scheduler.
//
// Lifecycle of every block, in patch order (the order blocks were added, which links may
// not contradict: a link always runs from an earlier block to a later one):
//   creation and InitInstance (the block builds its signature) when the block is added;
//   SetParameter for each parameter value given;
//   Init (after the block's generic inputs took the datatype class of their linked outputs,
//   and outputs following an input took that input's class), then Start, when the patch
//   starts; Execute on activation; Stop of every block, then Done of every block, both
//   in reverse patch order, when it stops; DoneInstance and the
//   last Release when the patch is destroyed.
//
// Activation: the patch runs in rounds on the kernel clock. Each round is at the next time
// a periodically activated block is due (blocks that asked for periodic activation with
// enabled settings; a period is in 100-ns units). In a round, in patch order, a block runs
// when it is due, when it asked for input activation and one of its activating input pins
// received a new value, or when it asked for neither. After a block ran, each of its output
// values that carries a timestamp other than the one last delivered is copied (value and
// times) into every linked input, which marks those inputs as holding new data. A patch
// without periodic blocks runs its rounds one default period apart
// (("kernel", "default_period"), 400000 when unset).
//
// Kernel switches read when the patch starts: ("kernel", "log_graphviz") writes the patch
// as a Graphviz graph (PatchGraph.h); ("kernel", "log_profiling_info") times every Execute
// (as SetProfiling does), which ExecuteProfiles then reports per block.
#include <cstdint>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "host/run/ProfilingStatistics.h"
#include "vtx/Block.h"

namespace vtxhost {

class CKernelServices;
class CBlockSignatureImpl;
class CInputPinImpl;
class COutputPinImpl;
class CInputActivationSettings;
class CParameterPinImpl;

// A patch that cannot be built or run; the text says which block or pin and why.
class PatchError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A parameter value refused before anything changed: by the host's checks (its text, its
// domain, the permission), because the block has no such parameter (yet), or by the block
// itself (it answered false or threw a logic exception with its reason). Set again later,
// with other values in, it may be taken; any other PatchError from SetParameter is final.
class ParameterRefused : public PatchError {
public:
    using PatchError::PatchError;
};

class CPatch : public Vtx::IKernelClock {
public:
    CPatch(CKernelServices& kernel, std::string name);
    // Stops a running patch, then DoneInstance and release of every block.
    virtual ~CPatch();
    CPatch(const CPatch&) = delete;
    CPatch& operator=(const CPatch&) = delete;

    // The kernel clock as the blocks see it (the first object their Init receives).
    std::int64_t GetCurrentTime() override;

    // Creates the block through its catalog and lets it build its signature.
    Vtx::IBlock* AddBlock(const std::string& instanceName, const std::string& catalogId, const std::string& classId);
    // Adds a block made elsewhere (count 0 or more); the patch takes a reference.
    Vtx::IBlock* AdoptBlock(const std::string& instanceName, Vtx::IBlock* block);
    // Creates the block and gives it a stored signature: restore fills a new signature made
    // for the block, which the block's InitInstance then checks (with a new layout). A block
    // that rejects the stored signature builds its own and reports why to the dispatcher.
    using SignatureRestorer = std::function<void(Vtx::IBlockSignature* signature)>;
    Vtx::IBlock* AddStoredBlock(const std::string& instanceName, const std::string& catalogId,
                                const std::string& classId, const SignatureRestorer& restore);
    Vtx::IBlock* FindBlock(const std::string& instanceName) const;
    std::vector<std::string> BlockNames() const;

    // Loads the text into a new value of the parameter's class and hands it to the block's
    // SetParameter; a text the class cannot read, or a value the block refuses, throws
    // ParameterRefused; an exception of another kind from the block, a PatchError.
    void SetParameter(const std::string& instanceName, const std::string& parameterId, const std::string& valueText);
    // The value put in place past the block's own check (the host's checks apply: the
    // text, the domain, the permission), for values that depend on each other and are set
    // as one group (ParameterValues.h); answers a function that puts the replaced value
    // back, or an empty one when the block has no such parameter.
    std::function<void()> InstallParameterValue(const std::string& instanceName, const std::string& parameterId,
                                                const std::string& valueText);
    // The block's trace level (its signature's trace-level datum).
    void SetTraceLevel(const std::string& instanceName, std::int32_t level);
    void Link(const std::string& fromInstance, const std::string& outputId, const std::string& toInstance,
              const std::string& inputId);
    // The reverse of Link; only while the patch is stopped.
    void Unlink(const std::string& fromInstance, const std::string& outputId, const std::string& toInstance,
                const std::string& inputId);
    // Takes the block out of the patch with its links (DoneInstance, then the patch's
    // reference is released); only while the patch is stopped.
    void RemoveBlock(const std::string& instanceName);

    void Start();
    // Runs rounds; after each the observer gets the round number (from 1) and its time
    // relative to the start, in 100-ns units. The gate, when given, is asked before each
    // round with the round's time; false ends the run there (a host pacing rounds by the
    // wall clock waits in it, a host stopped by the user answers false). The rounds run.
    using RoundObserver = std::function<void(std::int64_t round, std::int64_t time)>;
    using RoundGate = std::function<bool(std::int64_t time)>;
    std::int64_t Run(std::int64_t rounds, const RoundObserver& observer = {}, const RoundGate& gate = {});
    void Stop();

    // Execute timing: on from the next Start (the switch "log_profiling_info" turns it on too);
    // turned on while running, it times from the next round.
    void SetProfiling(bool on) {
        profilingRequested_ = on;
        if (on && running_) profiling_ = true;
    }
    bool IsProfiling() const { return profiling_; }
    struct ExecuteProfile {
        std::string name;
        std::string catalogId;
        std::string classId;
        ProfilingSamples execute;
    };
    // Per block in patch order, since the last Start.
    std::vector<ExecuteProfile> ExecuteProfiles() const;
    // The outputs ("BLOCK.PIN") whose value changed during the last run while their
    // timestamp never did: no input ever received them, since only a new timestamp is
    // delivered. Known once the patch stopped.
    const std::vector<std::string>& UnstampedOutputs() const { return unstampedOutputs_; }
    // The file the switch "log_graphviz" wrote at the last Start, or empty.
    const std::string& GraphvizFileWritten() const { return graphvizFile_; }
    bool IsRunning() const { return running_; }
    // Rounds run since the last Start, and the last round's time relative to it.
    std::int64_t RoundsRun() const { return rounds_; }
    std::int64_t LastRoundTime() const { return now_ - startTime_; }
    const std::string& GetName() const { return name_; }
    CKernelServices& GetKernel() const { return kernel_; }

private:
    struct Entry {
        std::string name;
        Vtx::IBlock* block;  // one reference
        std::int64_t nextDue = 0;
        // Resolved by Start for the rounds: the block's signature and the input pins whose
        // new data activates it, read again from the round after the block's settings change.
        CBlockSignatureImpl* signature = nullptr;
        std::vector<CInputPinImpl*> activatingInputs;
        CInputActivationSettings* inputSettings = nullptr;
        std::uint64_t inputSettingsVersion = 0;
        ProfilingSamples execute;
    };
    void ExecuteTimed(Entry& entry);
    void WriteGraphviz();
    Vtx::IBlock* Adopt(const std::string& instanceName, Vtx::IBlock* block,
                       const std::function<void(Vtx::IBlock*)>& initInstance);
    Entry& EntryOf(const std::string& instanceName);
    // The output and input a link joins; a PatchError while running or for an unknown pin.
    std::pair<COutputPinImpl*, CInputPinImpl*> LinkEnds(const std::string& fromInstance, const std::string& outputId,
                                                        const std::string& toInstance, const std::string& inputId);
    Vtx::IDatatype* NewParameterValue(CParameterPinImpl* parameter, const std::string& where,
                                      const std::string& valueText);
    CBlockSignatureImpl* SignatureOf(const Entry& entry);
    void ResolveTypes(Entry& entry);
    void ResolveActivation(Entry& entry);
    void Deliver(Entry& entry);
    void SetContextsRunning(bool running);
    void WatchOutputs();
    void FindUnstampedOutputs();
    std::size_t IndexOf(const std::string& instanceName) const;

    CKernelServices& kernel_;
    std::string name_;
    std::vector<Entry> blocks_;
    std::unordered_map<std::string, std::size_t> blockIndex_;  // instance name to place in blocks_
    bool initialised_ = false;
    bool running_ = false;
    std::int64_t rounds_ = 0;
    std::int64_t now_ = 0;
    std::int64_t startTime_ = 0;
    bool profilingRequested_ = false;
    bool profiling_ = false;
    std::string graphvizFile_;
    // Every output's timestamp and binary form when the patch started.
    struct OutputSnapshot {
        std::string pin;
        Vtx::IOutputPin* output;
        std::int64_t stamp;
        std::vector<std::uint8_t> form;
    };
    std::vector<OutputSnapshot> outputSnapshots_;
    std::vector<std::string> unstampedOutputs_;
};

} // namespace vtxhost
