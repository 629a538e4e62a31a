#pragma once
// The reference host's kernel services with this module's catalog added through its module
// signature, as a loaded module's would be: every block and Interval of the tests is made by
// the signature's create operations with a creation context of the host. The kernel records
// the parameters block signatures declare and remove, and can be told to refuse Intervals
// or labelled-set init information, for the cases where a block cannot get them.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/signature/BlockSignature.h"
#include "host/kernel/KernelServices.h"
#include "host/modules/ModuleCatalog.h"
#include "host/signature/Pins.h"
#include "host/run/RunTimeContext.h"
#include "module/SignatureList.h"
#include "sdk/object/Exceptions.h"
#include "sdk/object/SmartPtr.h"
#include "vtx/Block.h"
#include "vtx/BlockSignature.h"
#include "vtx/DllSignature.h"
#include "vtx/Interval.h"
#include "vtx/KernelDatatypes.h"
#include "vtx/Pin.h"

namespace catalogtest {

// A block signature that writes "declare ID" and "remove ID" into a shared journal.
class RecordingSignature : public vtxhost::CBlockSignatureImpl {
public:
    RecordingSignature(vtxhost::CKernelServices* services, Vtx::IBlock* block, std::vector<std::string>* journal)
        : CBlockSignatureImpl(services, block), journal_(journal) {}

    Vtx::IParameterPinSignature* CreateParameter(const char* id, const char* name, const char* description,
                                                 const char* typeCatalogId, const char* typeClassId,
                                                 const char* domainCatalogId, const char* domainClassId,
                                                 std::uint32_t creationWord) override {
        journal_->push_back(std::string("declare ") + id);
        return CBlockSignatureImpl::CreateParameter(id, name, description, typeCatalogId, typeClassId,
                                                    domainCatalogId, domainClassId, creationWord);
    }
    Vtx::IParameterPinSignature* RemoveParameter(const char* id) override {
        journal_->push_back(std::string("remove ") + id);
        return CBlockSignatureImpl::RemoveParameter(id);
    }

private:
    std::vector<std::string>* journal_;
};

class CatalogKernel : public vtxhost::CKernelServices {
public:
    Vtx::IBlockSignature* CreateBlockSignature(Vtx::IBlock* block) override {
        return new RecordingSignature(this, block, &journal);
    }
    Vtx::IDatatype* CreateDatatype(const char* catalogId, const char* classId) override {
        if (refuseIntervals && std::string(catalogId) == kIntervalCatalogId && std::string(classId) == kIntervalClassId)
            return nullptr;
        return CKernelServices::CreateDatatype(catalogId, classId);
    }
    Vtx::IDatatypeInitInfo* CreateDatatypeInitInfo(const char* catalogId, const char* classId) override {
        if (refuseInitInfo) return nullptr;
        return CKernelServices::CreateDatatypeInitInfo(catalogId, classId);
    }

    std::vector<std::string> journal;
    bool refuseIntervals = false;
    bool refuseInitInfo = false;
};

// A kernel clock that says what the test tells it.
struct FixedClock : Vtx::IKernelClock {
    std::int64_t now = 1000;
    std::int64_t GetCurrentTime() override { return now; }
};

// Holds one reference to a host object and gives it back at the end.
template <class I>
using Held = Vtx::CSmartPtr<I, Vtx::CBlockFactory>;

class CatalogFixture : public ::testing::Test {
protected:
    CatalogFixture() {
        Vtx::BuildSignatures(1033);
        Vtx::IDllSignature* signature = Vtx::ChooseSignature(1033);
        if (signature) kernel.AddCatalog(std::make_shared<vtxhost::CModuleCatalog>(signature));
    }
    ~CatalogFixture() override {
        for (auto& block : blocks_) {
            block->Done();
            block->DoneInstance();
            kernel.ForgetBlock(block.get());
        }
    }

    // A block of the catalog made through the module signature, named in the host.
    Vtx::IBlock* MakeBlock(const char* classId, const char* name = "B") {
        Vtx::IBlock* block = kernel.CreateBlock(kIntervalCatalogId, classId);
        EXPECT_NE(block, nullptr) << classId;
        if (!block) return nullptr;
        blocks_.emplace_back(block);
        kernel.SetBlockInstanceName(block, name);
        return block;
    }
    // A block with its own signature built.
    Vtx::IBlock* MakeSignedBlock(const char* classId, const char* name = "B") {
        Vtx::IBlock* block = MakeBlock(classId, name);
        if (block) block->InitInstance(nullptr, nullptr, 0);
        return block;
    }

    // A new datatype through the kernel, held by the fixture.
    template <class T>
    T* Make(const char* catalogId, const char* classId) {
        Vtx::IDatatype* datatype = kernel.CreateDatatype(catalogId, classId);
        EXPECT_NE(datatype, nullptr) << classId;
        values_.emplace_back(datatype);
        return Vtx::interface_cast<T>(datatype);
    }

    // Sets a parameter through the block as the host does, from the value's text form.
    bool Set(Vtx::IBlock* block, const char* id, const std::string& text) {
        Vtx::IParameterPinSignature* parameter = block->GetSignature()->FindParameter(id);
        Vtx::IDatatype* current = parameter->GetValue();
        Vtx::IObjectClass* valueClass = current->GetObjectClass();
        Vtx::IDatatype* value =
            kernel.CreateDatatype(valueClass->GetCatalog()->GetClassId(), valueClass->GetClassId());
        values_.emplace_back(value);
        EXPECT_TRUE(value->UnserializeString(text.c_str())) << id << " = " << text;
        return block->SetParameter(parameter, value);
    }
    // Fires a trigger parameter.
    bool Fire(Vtx::IBlock* block, const char* id) {
        auto* trigger = Make<Vtx::ITrigger>("kernel", "trigger");
        trigger->Fire();
        return block->SetParameter(block->GetSignature()->FindParameter(id), trigger);
    }

    template <class T>
    static T* ParameterValue(Vtx::IBlock* block, const char* id) {
        return Vtx::interface_cast<T>(block->GetSignature()->FindParameter(id)->GetValue());
    }
    static std::vector<std::string> ParameterIds(Vtx::IBlockSignature* signature) {
        std::vector<std::string> ids;
        auto* parameters = signature->GetParameters();
        for (std::int32_t i = 0; i < parameters->GetCount(); ++i) ids.push_back(parameters->GetAt(i)->GetId());
        return ids;
    }

    // Every pin and parameter as "id|name|description": inputs, outputs, then parameters,
    // each in declaration order.
    static std::vector<std::string> PinTexts(Vtx::IBlockSignature* signature) {
        std::vector<std::string> texts;
        auto add = [&](auto* pins) {
            for (std::int32_t i = 0; i < pins->GetCount(); ++i) {
                Vtx::IBlockPin* pin = pins->GetAt(i);
                texts.push_back(std::string(pin->GetId()) + "|" + pin->GetName() + "|" + pin->GetDescription());
            }
        };
        add(signature->GetInputPins());
        add(signature->GetOutputPins());
        add(signature->GetParameters());
        return texts;
    }

    static void SetRunning(Vtx::IBlock* block, bool running) {
        dynamic_cast<vtxhost::CRunTimeContext&>(*block->GetRunTimeContext()).SetPatchRunning(running);
    }

    // Messages the block sent to the dispatcher, of one kind.
    std::vector<std::string> MessagesOf(Vtx::IBlock* block, std::int32_t kind) {
        std::vector<std::string> texts;
        for (const auto& message : kernel.Dispatcher().Messages())
            if (message.source == static_cast<Vtx::IEventSource*>(block) && message.kind == kind)
                texts.push_back(message.text);
        return texts;
    }

    CatalogKernel kernel;
    FixedClock clock;

private:
    std::vector<Held<Vtx::IBlock>> blocks_;
    std::vector<Held<Vtx::IDatatype>> values_;
};

} // namespace catalogtest
