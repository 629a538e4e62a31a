#pragma once
// A small block of the test suite that records which overridables ran, and a fixture that
// creates it in the reference host's kernel services.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "host/kernel/KernelServices.h"
#include "sdk/block/BlockImplBase.h"
#include "sdk/object/SmartPtr.h"
#include "vtx/KernelDatatypes.h"

namespace blocktest {

using namespace Vtx;

class ProbeBlock : public CBlockImplBase<IBlock> {
public:
    explicit ProbeBlock(const OBJECT_CREATIONCTX* context) : CBlockImplBase(context) {}

    // How many times each overridable ran, by name.
    std::map<std::string, int> calls;
    int Calls(const std::string& name) const {
        auto it = calls.find(name);
        return it == calls.end() ? 0 : it->second;
    }

    // Results and actions of the lifecycle overridables.
    bool initResult = true, checkResult = true, startResult = true, executeResult = true;
    std::function<void()> onInit, onCheck, onStart, onExecute, onStop, onDone;
    // What the signature overridables do; the default InitSignature declares "gain".
    std::function<void(ProbeBlock&)> declare = [](ProbeBlock& b) {
        b.AddParameter(pin_description("gain").set_type("kernel", "int"));
    };
    std::function<void(ProbeBlock&)> check;
    std::function<void(ProbeBlock&)> onDoneSignature;
    // OnChangingParameter's answer and the ids seen.
    bool acceptChanges = true;
    std::vector<std::string> changing, changed;

    using CBlockImplBase::AddInputPin;
    using CBlockImplBase::AddOutputPin;
    using CBlockImplBase::AddParameter;
    using CBlockImplBase::GetBrush;
    using CBlockImplBase::GetInitClockTime;
    using CBlockImplBase::GetInputValue;
    using CBlockImplBase::GetOutputValue;
    using CBlockImplBase::GetParameterLayout;
    using CBlockImplBase::GetParameterValue;
    using CBlockImplBase::GetValueChangedListeners;
    using CBlockImplBase::GetValueChangingListeners;
    using CBlockImplBase::IsStarted;
    using CBlockImplBase::RemoveParameterListeners;
    using CBlockImplBase::SetBackgroundColour;

    IBlock* AsBlock() { return this; }

protected:
    void InitSignature() override {
        ++calls["InitSignature"];
        if (declare) declare(*this);
    }
    void DoneSignature() override {
        ++calls["DoneSignature"];
        if (onDoneSignature) onDoneSignature(*this);
    }
    void CheckSignature() override {
        ++calls["CheckSignature"];
        if (check) check(*this);
    }
    bool OnChangingParameter(const std::string& id, IDatatype*) override {
        changing.push_back(id);
        return acceptChanges;
    }
    void OnChangedParameter(const std::string& id) override { changed.push_back(id); }

    bool OnInit() override { return Run("Init", onInit, initResult); }
    bool OnCheck() override { return Run("Check", onCheck, checkResult); }
    bool OnStart() override { return Run("Start", onStart, startResult); }
    bool OnExecute() override { return Run("Execute", onExecute, executeResult); }
    void OnStop() override { Run("Stop", onStop, true); }
    void OnDone() override { Run("Done", onDone, true); }

private:
    bool Run(const char* name, const std::function<void()>& action, bool result) {
        ++calls[name];
        if (action) action();
        return result;
    }
};

// Kernel services of the reference host and blocks created in them, released at the end.
class BlockFixture : public ::testing::Test {
protected:
    ~BlockFixture() override {
        for (ProbeBlock* block : blocks_) {
            services.ForgetBlock(block);
            block->Release();
        }
    }

    // A probe block, named in the host unless the name is empty.
    ProbeBlock* MakeBlock(const std::string& name = "B1", IObjectClass* blockClass = nullptr) {
        OBJECT_CREATIONCTX context{nextId_++, 1033, blockClass, &services};
        auto* block = new ProbeBlock(&context);
        block->AddRef();
        blocks_.push_back(block);
        if (!name.empty()) services.SetBlockInstanceName(block, name);
        return block;
    }

    void SetTraceLevel(ProbeBlock* block, int level) {
        interface_cast<IInt>(block->GetSignature()->GetTraceLevel())->SetValue(level);
    }

    // A new datatype of the kernel catalog, held by the fixture.
    template <class T>
    T* Make(const char* classId) {
        IDatatype* datatype = services.CreateDatatype("kernel", classId);
        EXPECT_NE(datatype, nullptr) << classId;
        held_.emplace_back(datatype);
        return interface_cast<T>(datatype);
    }
    IInt* MakeInt(int value) {
        IInt* v = Make<IInt>("int");
        v->SetValue(value);
        return v;
    }

    std::vector<std::string> LogTexts() {
        std::vector<std::string> texts;
        for (const auto& entry : services.Log().Entries()) texts.push_back(entry.text);
        return texts;
    }
    std::vector<vtxhost::DispatchedMessage> Messages() { return services.Dispatcher().Messages(); }
    // The messages sent, each as "KIND TEXT".
    std::vector<std::string> Sent() {
        std::vector<std::string> sent;
        for (const auto& message : Messages()) sent.push_back(std::to_string(message.kind) + " " + message.text);
        return sent;
    }

    vtxhost::CKernelServices services;

private:
    std::vector<ProbeBlock*> blocks_;
    std::vector<CSmartPtr<IDatatype, CBlockFactory>> held_;
    std::uint64_t nextId_ = 1000;
};

} // namespace blocktest
