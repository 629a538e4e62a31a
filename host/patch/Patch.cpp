// Longer than our other files: the lifecycle, the round and the delivery along links all
// work on the patch's private block entries.
#include "host/patch/Patch.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <limits>
#include <memory>
#include <new>

#include "host/signature/BlockSignature.h"
#include "host/signature/DomainText.h"
#include "host/kernel/KernelDatatypeBase.h"
#include "host/kernel/KernelServices.h"
#include "host/patch/PatchGraph.h"
#include "host/run/RunTimeContext.h"
#include "sdk/object/CachedCast.h"
#include "vtx/Exception.h"
#include "vtx/KernelDatatypes.h"
#include "vtx/ObjectClass.h"
#include "vtx/RunTimeContext.h"

namespace vtxhost {

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string PinName(const std::string& block, const std::string& pin) { return Quoted(block + "." + pin); }

std::string TypeName(const std::string& catalogId, const std::string& classId) { return catalogId + "/" + classId; }

// The level at which blocks trace OnChangingParameter and OnChangedParameter.
constexpr std::int32_t kParameterTraceLevel = 4;

std::int32_t TraceLevelOf(CBlockSignatureImpl* signature) {
    auto* level = signature ? Vtx::CachedDynamicCast<Vtx::IInt>(signature->GetTraceLevel()) : nullptr;
    return level ? level->GetValue() : 0;
}

// " [1, 10]" after a domain refusal, so that the message says what the domain admits.
std::string BoundsSuffix(Vtx::IDatatypeDomain* domain) {
    const std::string bounds = DomainBoundsText(domain);
    return bounds.empty() ? "" : " " + bounds;
}

// Runs a call into a block or datatype; exceptions of the object family become PatchErrors.
template <class F>
auto Guarded(const std::string& context, F&& call) -> decltype(call()) {
    try {
        return call();
    } catch (const PatchError&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw PatchError(context + ": out of memory");
    } catch (Vtx::IException& e) {
        throw PatchError(context + ": " + (e.GetMessageText() ? e.GetMessageText() : "error"));
    } catch (const std::exception& e) {
        throw PatchError(context + ": " + e.what());
    } catch (...) {
        throw PatchError(context + ": an exception of a type the host does not know");
    }
}

// The same for the calls of every round, whose context text is only made when one fails.
template <class Context, class F>
auto GuardedIn(Context&& context, F&& call) -> decltype(call()) {
    try {
        return call();
    } catch (const PatchError&) {
        throw;
    } catch (Vtx::IException& e) {
        throw PatchError(context() + ": " + (e.GetMessageText() ? e.GetMessageText() : "error"));
    } catch (const std::exception& e) {
        throw PatchError(context() + ": " + e.what());
    } catch (...) {
        throw PatchError(context() + ": an exception of a type the host does not know");
    }
}

// The text of the last report the dispatcher received from the block, for error messages.
std::string LastReportOf(CKernelServices& kernel, Vtx::IBlock* block) {
    const auto messages = kernel.Dispatcher().Messages();
    for (auto it = messages.rbegin(); it != messages.rend(); ++it) {
        if (it->source == static_cast<Vtx::IEventSource*>(block)) {
            std::string text = it->text;
            while (!text.empty() && text.back() == '\n') text.pop_back();
            return text;
        }
    }
    return {};
}

} // namespace

CPatch::CPatch(CKernelServices& kernel, std::string name) : kernel_(kernel), name_(std::move(name)) {}

CPatch::~CPatch() {
    try {
        Stop();
    } catch (...) {
        // A destructor must not throw; a failed stop has been reported by the block.
    }
    for (auto& entry : blocks_) {
        if (CBlockSignatureImpl* signature = SignatureOf(entry)) {
            for (std::size_t i = 0; i < signature->Inputs().Size(); ++i) signature->Inputs().At(i)->SetLinkedOutput(nullptr);
            for (std::size_t i = 0; i < signature->Outputs().Size(); ++i) {
                COutputPinImpl* output = signature->Outputs().At(i);
                while (output->GetLinkCount() > 0)
                    output->RemoveLink(static_cast<CInputPinImpl*>(output->GetLinkedInput(0)));
            }
        }
    }
    for (auto it = blocks_.rbegin(); it != blocks_.rend(); ++it) {
        try {
            it->block->DoneInstance();
        } catch (...) {
            // Released all the same below.
        }
        kernel_.ForgetBlock(it->block);
        it->block->Release();
    }
}

std::int64_t CPatch::GetCurrentTime() { return kernel_.GetKernelClock()->GetCurrentTime(); }

std::size_t CPatch::IndexOf(const std::string& instanceName) const {
    auto found = blockIndex_.find(instanceName);
    return found == blockIndex_.end() ? blocks_.size() : found->second;
}

CPatch::Entry& CPatch::EntryOf(const std::string& instanceName) {
    const std::size_t index = IndexOf(instanceName);
    if (index == blocks_.size()) throw PatchError("unknown block " + Quoted(instanceName));
    return blocks_[index];
}

Vtx::IBlock* CPatch::FindBlock(const std::string& instanceName) const {
    const std::size_t index = IndexOf(instanceName);
    return index == blocks_.size() ? nullptr : blocks_[index].block;
}

std::vector<std::string> CPatch::BlockNames() const {
    std::vector<std::string> names;
    for (const auto& entry : blocks_) names.push_back(entry.name);
    return names;
}

CBlockSignatureImpl* CPatch::SignatureOf(const Entry& entry) {
    return dynamic_cast<CBlockSignatureImpl*>(entry.block->GetSignature());
}

Vtx::IBlock* CPatch::AddBlock(const std::string& instanceName, const std::string& catalogId, const std::string& classId) {
    if (!kernel_.FindCatalog(catalogId)) throw PatchError("unknown catalog " + Quoted(catalogId));
    Vtx::IBlock* block = Guarded("block " + Quoted(instanceName),
                                 [&] { return kernel_.CreateBlock(catalogId, classId); });
    if (!block) throw PatchError("unknown block class " + Quoted(classId) + " in catalog " + Quoted(catalogId));
    return AdoptBlock(instanceName, block);
}

Vtx::IBlock* CPatch::AdoptBlock(const std::string& instanceName, Vtx::IBlock* block) {
    return Adopt(instanceName, block, [](Vtx::IBlock* adopted) { adopted->InitInstance(nullptr, nullptr, 0); });
}

Vtx::IBlock* CPatch::AddStoredBlock(const std::string& instanceName, const std::string& catalogId,
                                    const std::string& classId, const SignatureRestorer& restore) {
    if (!kernel_.FindCatalog(catalogId)) throw PatchError("unknown catalog " + Quoted(catalogId));
    Vtx::IBlock* block = Guarded("block " + Quoted(instanceName),
                                 [&] { return kernel_.CreateBlock(catalogId, classId); });
    if (!block) throw PatchError("unknown block class " + Quoted(classId) + " in catalog " + Quoted(catalogId));
    return Adopt(instanceName, block, [&](Vtx::IBlock* adopted) {
        Vtx::IBlockSignature* signature = kernel_.CreateBlockSignature(adopted);
        Vtx::IBlockLayout* layout = kernel_.CreateBlockLayout(adopted);
        if (signature) signature->AddRef();
        if (layout) layout->AddRef();
        try {
            if (!signature) throw PatchError("block " + Quoted(instanceName) + ": no signature can be made for it");
            restore(signature);
            adopted->InitInstance(signature, layout, 0);
        } catch (...) {
            if (layout) layout->Release();
            if (signature) signature->Release();
            throw;
        }
        if (layout) layout->Release();
        signature->Release();
    });
}

Vtx::IBlock* CPatch::Adopt(const std::string& instanceName, Vtx::IBlock* block,
                           const std::function<void(Vtx::IBlock*)>& initInstance) {
    if (!block) throw PatchError("block " + Quoted(instanceName) + " is null");
    block->AddRef();
    if (instanceName.empty() || IndexOf(instanceName) != blocks_.size()) {
        block->Release();
        throw PatchError(instanceName.empty() ? "a block needs a name" : "block name " + Quoted(instanceName) + " is used twice");
    }
    if (running_) {
        block->Release();
        throw PatchError("blocks cannot be added while the patch runs");
    }
    kernel_.SetBlockInstanceName(block, instanceName);
    try {
        Guarded("block " + Quoted(instanceName), [&] { initInstance(block); });
        if (!dynamic_cast<CBlockSignatureImpl*>(block->GetSignature()))
            throw PatchError("block " + Quoted(instanceName) + " has no signature of this host");
    } catch (...) {
        kernel_.ForgetBlock(block);
        block->Release();
        throw;
    }
    blockIndex_.emplace(instanceName, blocks_.size());
    blocks_.push_back(Entry{instanceName, block, 0, nullptr, {}, nullptr, 0, {}});
    return block;
}

// The text loaded into a new value of the parameter's class, held once, after the host's own
// checks: the text's form, the domain and the permission of the patch's state.
Vtx::IDatatype* CPatch::NewParameterValue(CParameterPinImpl* parameter, const std::string& where,
                                          const std::string& valueText) {
    Vtx::IDatatype* current = parameter->GetValue();
    const std::string catalogId = current ? CatalogIdOf(current) : parameter->GetTypeCatalogId();
    const std::string classId = current ? ClassIdOf(current) : parameter->GetTypeClassId();
    Vtx::IDatatype* value = kernel_.CreateDatatype(catalogId.c_str(), classId.c_str());
    if (!value) throw PatchError(where + ": the datatype " + TypeName(catalogId, classId) + " cannot be created");
    value->AddRef();
    try {
        Guarded(where, [&] {
            if (current) value->InitInstance(current->GetInitInfo());
            if (!value->UnserializeString(valueText.c_str()))
                throw PatchError(where + ": " + Quoted(valueText) + " is not a valid " + classId + " value");
            if (parameter->GetDomain() && !parameter->GetDomain()->IsValid(value))
                throw PatchError(where + ": " + Quoted(valueText) + " is outside the parameter's domain" +
                                 BoundsSuffix(parameter->GetDomain()));
            const bool allowed = running_ ? parameter->GetChangeableAtRunTime() : parameter->GetChangeableAtDesignTime();
            if (!allowed)
                throw PatchError(where + ": the parameter cannot be changed while the patch is " +
                                 (running_ ? "running" : "stopped"));
        });
    } catch (...) {
        value->Release();
        throw;
    }
    return value;
}

void CPatch::SetParameter(const std::string& instanceName, const std::string& parameterId,
                          const std::string& valueText) {
    Entry& entry = EntryOf(instanceName);
    const std::string where = "block " + Quoted(instanceName) + ", parameter " + Quoted(parameterId);
    CBlockSignatureImpl* signature = SignatureOf(entry);
    CParameterPinImpl* parameter = signature->Parameters().Find(parameterId);
    if (!parameter) throw ParameterRefused("block " + Quoted(instanceName) + " has no parameter " + Quoted(parameterId));
    Vtx::IDatatype* value = nullptr;
    try {
        value = NewParameterValue(parameter, where, valueText);
    } catch (const PatchError& e) {
        throw ParameterRefused(e.what());
    }
    // The block's method traces name no parameter: the log says which one and the value,
    // at the level at which the block traces its parameter methods.
    const bool traced = TraceLevelOf(signature) >= kParameterTraceLevel;
    if (traced) {
        const std::string text = "Block " + instanceName + ": parameter " + Quoted(parameterId) + " set to " +
                                 Quoted(valueText);
        kernel_.Log().BeginRecord(Vtx::kLogTrace, text.c_str());
    }
    try {
        // A block refuses by answering false, or by throwing a logic exception with its
        // reason, which the message then carries.
        Guarded(where, [&] {
            try {
                if (!entry.block->SetParameter(parameter, value))
                    throw ParameterRefused(where + ": the block refused the value " + Quoted(valueText));
            } catch (Vtx::ILogicException& e) {
                throw ParameterRefused(where + ": " + (e.GetMessageText() ? e.GetMessageText() : "refused"));
            }
        });
    } catch (const PatchError& e) {
        value->Release();
        if (traced) {
            const std::string text = "Block " + instanceName + ": parameter " + Quoted(parameterId) + " kept its value: " +
                                     e.what();
            kernel_.Log().BeginRecord(Vtx::kLogTrace, text.c_str());
        }
        throw;
    } catch (...) {
        value->Release();
        throw;
    }
    value->Release();
}

std::function<void()> CPatch::InstallParameterValue(const std::string& instanceName, const std::string& parameterId,
                                                    const std::string& valueText) {
    Entry& entry = EntryOf(instanceName);
    const std::string where = "block " + Quoted(instanceName) + ", parameter " + Quoted(parameterId);
    CParameterPinImpl* parameter = SignatureOf(entry)->Parameters().Find(parameterId);
    if (!parameter || !parameter->GetValue()) return {};
    std::shared_ptr<Vtx::IDatatype> value(NewParameterValue(parameter, where, valueText),
                                          [](Vtx::IDatatype* held) { held->Release(); });
    Vtx::IDatatype* current = parameter->GetValue();
    const std::string catalogId = CatalogIdOf(current), classId = ClassIdOf(current);
    Vtx::IDatatype* old = kernel_.CreateDatatype(catalogId.c_str(), classId.c_str());
    if (!old) throw PatchError(where + ": the datatype " + TypeName(catalogId, classId) + " cannot be created");
    old->AddRef();
    std::shared_ptr<Vtx::IDatatype> kept(old, [](Vtx::IDatatype* held) { held->Release(); });
    Guarded(where, [&] {
        kept->InitInstance(current->GetInitInfo());
        CopyValueAndTime(kept.get(), current);
        CopyValueAndTime(current, value.get());
    });
    // The parameter's value object stays the same one while its signature lives.
    current->AddRef();
    std::shared_ptr<Vtx::IDatatype> target(current, [](Vtx::IDatatype* held) { held->Release(); });
    return [target, kept, where] { Guarded(where, [&] { CopyValueAndTime(target.get(), kept.get()); }); };
}

void CPatch::SetTraceLevel(const std::string& instanceName, std::int32_t level) {
    Entry& entry = EntryOf(instanceName);
    Guarded("block " + Quoted(instanceName), [&] { SignatureOf(entry)->SetTraceLevel(level); });
}

std::pair<COutputPinImpl*, CInputPinImpl*> CPatch::LinkEnds(const std::string& fromInstance,
                                                            const std::string& outputId,
                                                            const std::string& toInstance,
                                                            const std::string& inputId) {
    if (running_) throw PatchError("links cannot change while the patch runs");
    Entry& from = EntryOf(fromInstance);
    Entry& to = EntryOf(toInstance);
    COutputPinImpl* output = SignatureOf(from)->Outputs().Find(outputId);
    if (!output) throw PatchError("block " + Quoted(fromInstance) + " has no output pin " + Quoted(outputId));
    CInputPinImpl* input = SignatureOf(to)->Inputs().Find(inputId);
    if (!input) throw PatchError("block " + Quoted(toInstance) + " has no input pin " + Quoted(inputId));
    return {output, input};
}

void CPatch::Link(const std::string& fromInstance, const std::string& outputId, const std::string& toInstance,
                  const std::string& inputId) {
    const auto [output, input] = LinkEnds(fromInstance, outputId, toInstance, inputId);
    if (IndexOf(fromInstance) >= IndexOf(toInstance))
        throw PatchError("link " + PinName(fromInstance, outputId) + " -> " + PinName(toInstance, inputId) +
                         ": a block must come before the blocks it feeds");
    if (input->LinkedOutput())
        throw PatchError("input " + PinName(toInstance, inputId) + " is already linked");
    const std::string outCatalog = output->GetTypeCatalogId(), outClass = output->GetTypeClassId();
    const std::string inCatalog = input->GetTypeCatalogId(), inClass = input->GetTypeClassId();
    if (!IsGenericType(outCatalog, outClass) && !IsGenericType(inCatalog, inClass) &&
        (outCatalog != inCatalog || outClass != inClass))
        throw PatchError("link " + PinName(fromInstance, outputId) + " -> " + PinName(toInstance, inputId) +
                         ": the output carries " + TypeName(outCatalog, outClass) + ", the input takes " +
                         TypeName(inCatalog, inClass));
    input->SetLinkedOutput(output);
    output->AddLink(input);
}

void CPatch::Unlink(const std::string& fromInstance, const std::string& outputId, const std::string& toInstance,
                    const std::string& inputId) {
    const auto [output, input] = LinkEnds(fromInstance, outputId, toInstance, inputId);
    if (input->LinkedOutput() != output)
        throw PatchError("there is no link " + PinName(fromInstance, outputId) + " -> " + PinName(toInstance, inputId));
    output->RemoveLink(input);
    input->SetLinkedOutput(nullptr);
}

void CPatch::RemoveBlock(const std::string& instanceName) {
    if (running_) throw PatchError("blocks cannot be removed while the patch runs");
    const std::size_t index = IndexOf(instanceName);
    if (index == blocks_.size()) throw PatchError("unknown block " + Quoted(instanceName));
    Entry removed = blocks_[index];
    if (CBlockSignatureImpl* signature = SignatureOf(removed)) {
        for (std::size_t i = 0; i < signature->Inputs().Size(); ++i) {
            CInputPinImpl* input = signature->Inputs().At(i);
            if (COutputPinImpl* output = input->LinkedOutput()) output->RemoveLink(input);
            input->SetLinkedOutput(nullptr);
        }
        for (std::size_t i = 0; i < signature->Outputs().Size(); ++i) {
            COutputPinImpl* output = signature->Outputs().At(i);
            while (output->GetLinkCount() > 0) {
                auto* input = static_cast<CInputPinImpl*>(output->GetLinkedInput(0));
                input->SetLinkedOutput(nullptr);
                output->RemoveLink(input);
            }
        }
    }
    blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(index));
    blockIndex_.clear();
    for (std::size_t i = 0; i < blocks_.size(); ++i) blockIndex_.emplace(blocks_[i].name, i);
    try {
        removed.block->DoneInstance();
    } catch (...) {
        // Released all the same below.
    }
    kernel_.ForgetBlock(removed.block);
    removed.block->Release();
}

void CPatch::ResolveTypes(Entry& entry) {
    CBlockSignatureImpl* signature = SignatureOf(entry);
    for (std::size_t i = 0; i < signature->Inputs().Size(); ++i) {
        CInputPinImpl* input = signature->Inputs().At(i);
        input->SetNewData(false);
        input->SetLastDeliveredTime(Vtx::kUnsetTime);
        COutputPinImpl* output = input->LinkedOutput();
        if (!output) continue;
        const std::string where = "input " + PinName(entry.name, input->GetId());
        Vtx::IDatatype* produced = output->GetDatatype();
        if (!produced) throw PatchError(where + ": its linked output " + Quoted(output->GetId()) + " has no datatype");
        const std::string catalogId = CatalogIdOf(produced), classId = ClassIdOf(produced);
        Vtx::IDatatype* held = input->GetDatatype();
        if (held && CatalogIdOf(held) == catalogId && ClassIdOf(held) == classId) continue;
        if (!IsGenericType(input->GetTypeCatalogId(), input->GetTypeClassId()))
            throw PatchError(where + " takes " + TypeName(input->GetTypeCatalogId(), input->GetTypeClassId()) +
                             " but receives " + TypeName(catalogId, classId));
        Vtx::IDatatype* datatype = kernel_.CreateDatatype(catalogId.c_str(), classId.c_str());
        if (!datatype) throw PatchError(where + ": the datatype " + TypeName(catalogId, classId) + " cannot be created");
        datatype->AddRef();
        try {
            Guarded(where, [&] { datatype->InitInstance(produced->GetInitInfo()); });
        } catch (...) {
            datatype->Release();
            throw;
        }
        input->SetDatatype(datatype);
        datatype->Release();
    }
    for (std::size_t i = 0; i < signature->Outputs().Size(); ++i) {
        COutputPinImpl* output = signature->Outputs().At(i);
        const std::string sourceId = output->GetTypeSourcePinId();
        if (sourceId.empty() || !IsGenericType(output->GetTypeCatalogId(), output->GetTypeClassId())) continue;
        CInputPinImpl* source = signature->Inputs().Find(sourceId);
        Vtx::IDatatype* model = source ? source->GetDatatype() : nullptr;
        if (!model) continue;
        Vtx::IDatatype* held = output->GetDatatype();
        const std::string catalogId = CatalogIdOf(model), classId = ClassIdOf(model);
        if (held && CatalogIdOf(held) == catalogId && ClassIdOf(held) == classId) continue;
        Vtx::IDatatype* datatype = kernel_.CreateDatatype(catalogId.c_str(), classId.c_str());
        if (!datatype) continue;
        datatype->AddRef();
        output->SetDatatype(datatype);
        datatype->Release();
    }
}

void CPatch::SetContextsRunning(bool running) {
    for (auto& entry : blocks_)
        if (auto* context = dynamic_cast<CRunTimeContext*>(entry.block->GetRunTimeContext()))
            context->SetPatchRunning(running);
}

void CPatch::Start() {
    if (running_) return;
    std::size_t initialised = 0;
    try {
        for (; initialised < blocks_.size(); ++initialised) {
            Entry& entry = blocks_[initialised];
            ResolveTypes(entry);
            const bool ok = Guarded("block " + Quoted(entry.name), [&] { return entry.block->Init(this, this, 0, 0); });
            if (!ok) {
                ++initialised;  // Done follows every Init, whatever it answered
                const std::string report = LastReportOf(kernel_, entry.block);
                throw PatchError("block " + Quoted(entry.name) + " failed to initialise" +
                                 (report.empty() ? "" : ": " + report));
            }
        }
    } catch (...) {
        for (std::size_t i = initialised; i-- > 0;) blocks_[i].block->Done();
        throw;
    }
    initialised_ = true;
    SetContextsRunning(true);
    running_ = true;
    std::size_t started = 0;
    try {
        for (; started < blocks_.size(); ++started) {
            Entry& entry = blocks_[started];
            const bool ok = Guarded("block " + Quoted(entry.name), [&] { return entry.block->Start(); });
            if (!ok) {
                ++started;
                const std::string report = LastReportOf(kernel_, entry.block);
                throw PatchError("block " + Quoted(entry.name) + " failed to start" +
                                 (report.empty() ? "" : ": " + report));
            }
        }
    } catch (...) {
        for (std::size_t i = started; i-- > 0;) blocks_[i].block->Stop();
        running_ = false;
        SetContextsRunning(false);
        for (std::size_t i = blocks_.size(); i-- > 0;) blocks_[i].block->Done();
        initialised_ = false;
        throw;
    }
    now_ = kernel_.GetKernelClock()->GetCurrentTime();
    startTime_ = now_;
    profiling_ = profilingRequested_ || kernel_.GetBoolSetting("kernel", "log_profiling_info");
    for (auto& entry : blocks_) {
        Vtx::IRunTimeContext* context = entry.block->GetRunTimeContext();
        Vtx::IPeriodicActivationSettings* settings = context->GetPeriodicActivationSettings();
        // A period below one unit would never move the clock: the patch would spin in place.
        if (context->GetPeriodicActivation() && settings->GetEnabled() && settings->GetPeriod() < 1) {
            const std::int64_t period = settings->GetPeriod();
            Stop();
            throw PatchError("block " + Quoted(entry.name) + " asks to be activated every " + std::to_string(period) +
                             " units of 100 ns; the period must be at least 1");
        }
        entry.nextDue = now_ + settings->GetPeriod();
        ResolveActivation(entry);
        entry.execute = ProfilingSamples{};
    }
    rounds_ = 0;
    WatchOutputs();
    graphvizFile_.clear();
    if (kernel_.GetBoolSetting("kernel", "log_graphviz")) WriteGraphviz();
}

// A graph that cannot be written is logged; the patch runs all the same.
void CPatch::WriteGraphviz() {
    const std::string path = GraphvizFileName(name_);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file && (file << PatchGraphviz(*this)) && file.flush()) {
        graphvizFile_ = path;
        return;
    }
    const std::string text = "Patch " + name_ + ": the graph cannot be written to " + Quoted(path);
    kernel_.Log().BeginRecord(Vtx::kLogError, text.c_str());
}

void CPatch::ExecuteTimed(Entry& entry) {
    // A false result or a trapped exception has been reported by the block itself.
    const auto context = [&] { return "block " + Quoted(entry.name); };
    if (!profiling_) {
        GuardedIn(context, [&] { return entry.block->Execute(0); });
        return;
    }
    const auto begin = std::chrono::steady_clock::now();
    GuardedIn(context, [&] { return entry.block->Execute(0); });
    const std::int64_t elapsed =
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - begin).count();
    ProfilingSamples& samples = entry.execute;
    samples.minimumNs = samples.count == 0 ? elapsed : std::min(samples.minimumNs, elapsed);
    samples.maximumNs = samples.count == 0 ? elapsed : std::max(samples.maximumNs, elapsed);
    samples.totalNs += elapsed;
    ++samples.count;
}

std::vector<CPatch::ExecuteProfile> CPatch::ExecuteProfiles() const {
    std::vector<ExecuteProfile> profiles;
    for (const auto& entry : blocks_) {
        Vtx::IObjectClass* blockClass = entry.block->GetObjectClass();
        Vtx::IObjectClass* catalog = blockClass ? blockClass->GetCatalog() : nullptr;
        ExecuteProfile profile;
        profile.name = entry.name;
        profile.catalogId = catalog && catalog->GetClassId() ? catalog->GetClassId() : "";
        profile.classId = blockClass && blockClass->GetClassId() ? blockClass->GetClassId() : "";
        profile.execute = entry.execute;
        profiles.push_back(profile);
    }
    return profiles;
}

void CPatch::ResolveActivation(Entry& entry) {
    entry.signature = SignatureOf(entry);
    entry.activatingInputs.clear();
    Vtx::IInputActivationSettings* settings = entry.block->GetRunTimeContext()->GetInputActivationSettings();
    // The version is read before the pins, so that a change made meanwhile is read again.
    entry.inputSettings = dynamic_cast<CInputActivationSettings*>(settings);
    if (entry.inputSettings) entry.inputSettingsVersion = entry.inputSettings->Version();
    for (std::size_t i = 0; i < entry.signature->Inputs().Size(); ++i) {
        CInputPinImpl* input = entry.signature->Inputs().At(i);
        if (settings->GetPinActivation(input->GetId())) entry.activatingInputs.push_back(input);
    }
}

void CPatch::Deliver(Entry& entry) {
    CBlockSignatureImpl* signature = entry.signature;
    for (std::size_t i = 0; i < signature->Outputs().Size(); ++i) {
        COutputPinImpl* output = signature->Outputs().At(i);
        Vtx::IDatatype* produced = output->GetDatatype();
        if (!produced) continue;
        const Vtx::DatatypeTime stamp = produced->GetTimestamp();
        if (stamp == Vtx::kUnsetTime) continue;
        for (std::int32_t k = 0; k < output->GetLinkCount(); ++k) {
            auto* input = static_cast<CInputPinImpl*>(output->GetLinkedInput(k));
            if (input->LastDeliveredTime() == stamp || !input->GetDatatype()) continue;
            input->SetLastDeliveredTime(stamp);
            try {
                CopyValueAndTime(input->GetDatatype(), produced);
                input->SetNewData(true);
            } catch (Vtx::IException& e) {
                const std::string text = "Patch " + name_ + ": the value of " + PinName(entry.name, output->GetId()) +
                                         " could not be delivered: " + (e.GetMessageText() ? e.GetMessageText() : "");
                kernel_.Log().BeginRecord(Vtx::kLogError, text.c_str());
            }
        }
    }
}

std::int64_t CPatch::Run(std::int64_t rounds, const RoundObserver& observer, const RoundGate& gate) {
    if (!running_) throw PatchError("the patch " + Quoted(name_) + " is not running");
    for (std::int64_t r = 0; r < rounds; ++r) {
        std::int64_t due = std::numeric_limits<std::int64_t>::max();
        for (auto& entry : blocks_) {
            Vtx::IRunTimeContext* context = entry.block->GetRunTimeContext();
            if (context->GetPeriodicActivation() && context->GetPeriodicActivationSettings()->GetEnabled())
                due = std::min(due, entry.nextDue);
        }
        // Only a patch without periodic blocks moves by the kernel's default period; the
        // setting is read then, not on every round.
        if (due == std::numeric_limits<std::int64_t>::max()) {
            std::int64_t defaultPeriod = kernel_.GetInt64Setting("kernel", "default_period");
            if (defaultPeriod < 1) defaultPeriod = 400000;
            due = now_ + defaultPeriod;
        }
        if (due < now_) due = now_;
        if (gate && !gate(due - startTime_)) return r;
        now_ = due;
        kernel_.Clock().AdvanceTo(now_);
        for (auto& entry : blocks_) {
            Vtx::IRunTimeContext* context = entry.block->GetRunTimeContext();
            const bool periodic =
                context->GetPeriodicActivation() && context->GetPeriodicActivationSettings()->GetEnabled();
            const bool byInput = context->GetInputActivation();
            bool activate = !periodic && !byInput;
            if (periodic && entry.nextDue <= now_) {
                activate = true;
                const std::int64_t period = context->GetPeriodicActivationSettings()->GetPeriod();
                entry.nextDue += period;
                if (entry.nextDue <= now_) entry.nextDue = now_ + period;
            }
            CBlockSignatureImpl* signature = entry.signature;
            if (byInput) {
                if (entry.inputSettings && entry.inputSettings->Version() != entry.inputSettingsVersion)
                    ResolveActivation(entry);
                for (CInputPinImpl* input : entry.activatingInputs)
                    if (input->HasNewData()) activate = true;
            }
            if (!activate) continue;
            ExecuteTimed(entry);
            for (std::size_t i = 0; i < signature->Inputs().Size(); ++i) signature->Inputs().At(i)->SetNewData(false);
            Deliver(entry);
        }
        ++rounds_;
        if (observer) observer(rounds_, now_ - startTime_);
    }
    return rounds;
}

namespace {

std::vector<std::uint8_t> BinaryFormOf(Vtx::IDatatype* value) {
    Vtx::ProducedBinary form(value);
    if (!form) return {};
    return std::vector<std::uint8_t>(form.data(), form.data() + form.size());
}

} // namespace

void CPatch::WatchOutputs() {
    outputSnapshots_.clear();
    unstampedOutputs_.clear();
    for (auto& entry : blocks_) {
        for (std::size_t i = 0; i < entry.signature->Outputs().Size(); ++i) {
            COutputPinImpl* output = entry.signature->Outputs().At(i);
            Vtx::IDatatype* value = output->GetDatatype();
            if (!value) continue;
            try {
                outputSnapshots_.push_back(OutputSnapshot{entry.name + "." + output->GetId(), output,
                                                          value->GetTimestamp(), BinaryFormOf(value)});
            } catch (Vtx::IException&) {
                // A value without a readable form is not watched.
            }
        }
    }
}

// Once per run, when it stops: rounds pay nothing for it.
void CPatch::FindUnstampedOutputs() {
    for (const OutputSnapshot& snapshot : outputSnapshots_) {
        Vtx::IDatatype* value = snapshot.output->GetDatatype();
        if (!value || value->GetTimestamp() != snapshot.stamp) continue;
        try {
            if (BinaryFormOf(value) != snapshot.form) unstampedOutputs_.push_back(snapshot.pin);
        } catch (Vtx::IException&) {
            // A value without a readable form cannot be compared; nothing to say about it.
        }
    }
    outputSnapshots_.clear();
}

void CPatch::Stop() {
    if (running_) {
        FindUnstampedOutputs();
        for (auto it = blocks_.rbegin(); it != blocks_.rend(); ++it) it->block->Stop();
        running_ = false;
        SetContextsRunning(false);
    }
    if (initialised_) {
        for (auto it = blocks_.rbegin(); it != blocks_.rend(); ++it) it->block->Done();
        initialised_ = false;
    }
}

} // namespace vtxhost
