#include "host/harness/BlockHarness.h"

#include <cstdlib>
#include <stdexcept>
#include <tuple>

#include "host/kernel/KernelBlocks.h"
#include "host/kernel/KernelDatatypeBase.h"
#include "host/modules/ModuleCatalog.h"
#include "host/modules/ModuleLoader.h"
#include "host/modules/ModuleSearch.h"
#include "host/patch/ParameterValues.h"
#include "host/run/PrintableText.h"
#include "host/run/ValueText.h"
#include "host/signature/BlockSignature.h"
#include "vtx/Exception.h"

namespace vtxhost {

namespace {

constexpr const char* kBlockName = "block";

// The modules of the process, by the file's canonical path; loaded once, kept to the end.
CModuleLoader& LoadedOnce(const std::string& path) {
    static std::map<std::string, std::unique_ptr<CModuleLoader>> modules;
    char* resolved = realpath(path.c_str(), nullptr);
    const std::string key = resolved ? resolved : path;
    std::free(resolved);
    auto found = modules.find(key);
    if (found == modules.end()) found = modules.emplace(key, std::make_unique<CModuleLoader>(path)).first;
    return *found->second;
}

// Removes the catalog from the kernel when the last holder lets go.
struct CatalogAdded {
    CatalogAdded(CKernelServices& kernel, std::string catalogId) : kernel(kernel), catalogId(std::move(catalogId)) {}
    CatalogAdded(const CatalogAdded&) = delete;
    CatalogAdded& operator=(const CatalogAdded&) = delete;
    ~CatalogAdded() { kernel.RemoveCatalog(catalogId); }
    CKernelServices& kernel;
    std::string catalogId;
};

} // namespace

std::shared_ptr<void> SharedModuleOpener(CKernelServices& kernel, const std::string& path) {
    CModuleLoader& module = LoadedOnce(path);
    try {
        Vtx::IDllSignature* signature = module.GetSignature(kernel.GetLanguageId());
        if (!signature) throw std::runtime_error("the module " + path + " offers no module signature");
        auto catalog = std::make_shared<CModuleCatalog>(signature);
        kernel.AddCatalog(catalog);
        return std::make_shared<CatalogAdded>(kernel, catalog->GetCatalogId());
    } catch (Vtx::IException& e) {
        throw std::runtime_error(e.GetMessageText() ? e.GetMessageText() : "the module's catalog cannot be used");
    }
}

CBlockHarness::CBlockHarness(const std::string& modulePath) : patch_(std::make_unique<CPatch>(kernel_, "harness")) {
    if (!modulePath.empty()) AddModule(modulePath);
}

CBlockHarness::~CBlockHarness() {
    patch_.reset();  // the blocks go before the catalogs they came from
    modules_.clear();
}

void CBlockHarness::AddModule(const std::string& modulePath) {
    std::string path = modulePath;
    if (IsCatalogIdName(modulePath)) {
        path = FindModuleFile(modulePath);
        if (path.empty())
            throw std::runtime_error("no module of catalog \"" + modulePath + "\": no lib" + modulePath + ".so in " +
                                     DescribeModuleSearch());
    }
    modules_.push_back(SharedModuleOpener(kernel_, path));
    if (firstCatalog_.empty()) firstCatalog_ = static_cast<CatalogAdded*>(modules_.back().get())->catalogId;
}

Vtx::IBlock* CBlockHarness::MakeBlock(const std::string& classId, const std::string& catalogId) {
    if (block_) throw PatchError("the harness has its block already");
    const std::string catalog = catalogId.empty() ? (firstCatalog_.empty() ? "kernel" : firstCatalog_) : catalogId;
    block_ = patch_->AddBlock(kBlockName, catalog, classId);
    return block_;
}

void CBlockHarness::SetParameter(const std::string& id, const std::string& text) {
    if (!block_) throw PatchError("the harness has no block yet (MakeBlock)");
    patch_->SetParameter(kBlockName, id, text);
}

void CBlockHarness::SetParameters(const std::vector<std::pair<std::string, std::string>>& values) {
    if (!block_) throw PatchError("the harness has no block yet (MakeBlock)");
    std::vector<ParameterValue> group;
    for (const auto& [id, text] : values) group.push_back(ParameterValue{kBlockName, id, text});
    const std::vector<ParameterRefusal> refused = SetParameterValues(*patch_, group);
    if (!refused.empty()) throw ParameterRefused(refused.front().error);
}

std::string CBlockHarness::Parameter(const std::string& id) const {
    auto* signature = block_ ? dynamic_cast<CBlockSignatureImpl*>(block_->GetSignature()) : nullptr;
    CParameterPinImpl* parameter = signature ? signature->Parameters().Find(id) : nullptr;
    if (!parameter) throw PatchError("the block has no parameter \"" + id + "\"");
    return TextOf(parameter->GetValue());
}

void CBlockHarness::Push(const std::string& input, const std::string& text) {
    auto* signature = block_ ? dynamic_cast<CBlockSignatureImpl*>(block_->GetSignature()) : nullptr;
    if (!signature || !signature->Inputs().Find(input)) throw PatchError("the block has no input \"" + input + "\"");
    queued_[input].push_back(text);
}

void CBlockHarness::SetInputClass(const std::string& input, const std::string& catalogId, const std::string& classId) {
    inputClasses_[input] = {catalogId, classId};
}

// Before the first start: a value object of its class in every input, a sink behind every output.
void CBlockHarness::Prepare() {
    if (prepared_) return;
    if (!block_) throw PatchError("the harness has no block yet (MakeBlock)");
    auto* signature = dynamic_cast<CBlockSignatureImpl*>(block_->GetSignature());
    for (std::size_t i = 0; i < signature->Inputs().Size(); ++i) {
        CInputPinImpl* input = signature->Inputs().At(i);
        auto chosen = inputClasses_.find(input->GetId());
        std::string catalogId = input->GetTypeCatalogId(), classId = input->GetTypeClassId();
        if (chosen != inputClasses_.end()) std::tie(catalogId, classId) = chosen->second;
        else if (IsGenericType(catalogId, classId)) catalogId = "kernel", classId = "double";
        if (input->GetDatatype() && CatalogIdOf(input->GetDatatype()) == catalogId &&
            ClassIdOf(input->GetDatatype()) == classId)
            continue;
        Vtx::IDatatype* value = kernel_.CreateDatatype(catalogId.c_str(), classId.c_str());
        if (!value)
            throw PatchError("input \"" + std::string(input->GetId()) + "\": the datatype " + catalogId + "/" + classId +
                             " cannot be created");
        value->AddRef();
        input->SetDatatype(value);
        value->Release();
    }
    for (std::size_t i = 0; i < signature->Outputs().Size(); ++i) {
        const std::string output = signature->Outputs().At(i)->GetId();
        const std::string sink = "sink:" + output;
        patch_->AddBlock(sink, "kernel", "sink");
        patch_->Link(kBlockName, output, sink, "input");
        sinks_[output] = sink;
    }
    prepared_ = true;
}

void CBlockHarness::Run(int rounds) {
    Prepare();
    if (!patch_->IsRunning()) patch_->Start();
    auto* signature = dynamic_cast<CBlockSignatureImpl*>(block_->GetSignature());
    for (int round = 0; round < rounds; ++round) {
        for (auto& [id, queue] : queued_) {
            if (queue.empty()) continue;
            CInputPinImpl* input = signature->Inputs().Find(id);
            Vtx::IDatatype* value = input ? input->GetDatatype() : nullptr;
            if (!value) throw PatchError("input \"" + id + "\" holds no value object");
            const std::string text = queue.front();
            queue.pop_front();
            if (!value->UnserializeString(text.c_str()))
                throw PatchError("input \"" + id + "\": \"" + text + "\" is not a valid " + ClassIdOf(value) + " value");
            value->SetTimestamp(kernel_.Clock().GetCurrentTime() + ++pushed_);
            input->SetNewData(true);
        }
        patch_->Run(1);
    }
}

void CBlockHarness::Stop() { patch_->Stop(); }

std::vector<std::string> CBlockHarness::TakeOutput(const std::string& output) {
    auto found = sinks_.find(output);
    if (found == sinks_.end()) {
        auto* signature = block_ ? dynamic_cast<CBlockSignatureImpl*>(block_->GetSignature()) : nullptr;
        if (!signature || !signature->Outputs().Find(output)) throw PatchError("the block has no output \"" + output + "\"");
        return {};
    }
    return ReceivedValuesOf(patch_->FindBlock(found->second))->TakeNew();
}

std::string CBlockHarness::OutputValue(const std::string& output) const {
    auto* signature = block_ ? dynamic_cast<CBlockSignatureImpl*>(block_->GetSignature()) : nullptr;
    COutputPinImpl* pin = signature ? signature->Outputs().Find(output) : nullptr;
    if (!pin) throw PatchError("the block has no output \"" + output + "\"");
    return TextOf(pin->GetDatatype());
}

std::vector<HarnessMessage> CBlockHarness::TakeMessages() {
    std::vector<HarnessMessage> messages;
    for (const DispatchedMessage& message : kernel_.Dispatcher().Messages()) {
        if (block_ && message.source == static_cast<Vtx::IEventSource*>(block_))
            messages.push_back(HarnessMessage{message.kind, WithoutTrailingNewlines(message.text)});
    }
    kernel_.Dispatcher().ClearMessages();
    return messages;
}

} // namespace vtxhost
