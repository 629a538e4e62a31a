#include "host/check/BlockCheck.h"

#include <cstdlib>
#include <memory>
#include <optional>
#include <vector>

#include "host/signature/BlockSignature.h"
#include "host/check/CheckReport.h"
#include "host/check/CountingKernelServices.h"
#include "host/check/DatatypeCheck.h"
#include "host/check/HeldReference.h"
#include "host/kernel/KernelDatatypeBase.h"
#include "host/run/PrintableText.h"
#include "host/run/RunTimeContext.h"
#include "host/patch/BlockProbe.h"
#include "host/patch/StoredSignature.h"
#include "vtx/Datatype.h"
#include "vtx/Exception.h"
#include "vtx/Domain.h"
#include "vtx/Pin.h"

namespace vtxhost {

namespace {

constexpr std::int32_t kTrappedException = 4;

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

void Require(bool condition, const std::string& reason) {
    if (!condition) throw CheckFailure(reason);
}

// One block of the class under check, with the reports it sends.
class CheckedBlock {
public:
    CheckedBlock(CCountingKernelServices& kernel, const std::string& catalogId, const std::string& classId)
        : kernel_(kernel) {
        Vtx::IBlock* block = kernel.CreateBlock(catalogId, classId);
        Require(block != nullptr, "the class cannot be created through the module signature");
        kernel.Track(static_cast<Vtx::IPropertyObject*>(block), catalogId + "/" + classId + " block");
        block_ = CHeldReference<Vtx::IBlock>(block);
        kernel.SetBlockInstanceName(block, "checked_" + classId);
    }
    ~CheckedBlock() {
        try {
            if (instance_) block_->DoneInstance();
        } catch (...) {
            // Already reported by the step that left the block in this state.
        }
        kernel_.ForgetBlock(block_.get());
    }

    Vtx::IBlock* get() const { return block_.get(); }
    Vtx::IBlock* operator->() const { return block_.get(); }
    CBlockSignatureImpl* Signature() const { return dynamic_cast<CBlockSignatureImpl*>(block_->GetSignature()); }

    // InitInstance with the signature (null: the block builds its own), which must leave
    // the block with a signature of this host.
    void InitInstance(Vtx::IBlockSignature* signature, Vtx::IBlockLayout* layout) {
        block_->InitInstance(signature, layout, 0);
        instance_ = true;
        Require(Signature() != nullptr, "InitInstance left the block without a signature made by the host");
    }
    void DoneInstance() {
        instance_ = false;
        block_->DoneInstance();
    }

    // The reports the block sent since the last call; a trapped exception fails the check.
    std::vector<DispatchedMessage> TakeReports(const std::string& step) {
        std::vector<DispatchedMessage> reports;
        for (const DispatchedMessage& message : kernel_.Dispatcher().Messages())
            if (message.source == static_cast<Vtx::IEventSource*>(block_.get())) reports.push_back(message);
        kernel_.Dispatcher().ClearMessages();
        for (const DispatchedMessage& report : reports)
            Require(report.kind != kTrappedException, step + " trapped an exception: " + WithoutTrailingNewlines(report.text));
        return reports;
    }

    // Fails with the step and the block's last report when the step answered false.
    void RequireSucceeded(bool succeeded, const std::string& step) {
        const std::vector<DispatchedMessage> reports = TakeReports(step);
        if (succeeded) return;
        throw CheckFailure(step + " failed" + (reports.empty() ? "" : ": " + WithoutTrailingNewlines(reports.back().text)));
    }

private:
    CCountingKernelServices& kernel_;
    CHeldReference<Vtx::IBlock> block_;
    bool instance_ = false;
};

// The parameters' ids and value texts, in declaration order.
std::vector<std::pair<std::string, std::string>> ParameterValues(const StoredJson& stored) {
    std::vector<std::pair<std::string, std::string>> values;
    for (const StoredJson& parameter : stored.value("parameters", StoredJson::array()))
        values.emplace_back(parameter.value("id", ""), parameter.value("value", StoredJson()).dump());
    return values;
}

// A second block of the class is given the first one's stored signature and must end up
// with the same parameters holding the same values.
std::string RequireStoredSignatureReloads(CCountingKernelServices& kernel, CheckedBlock& original,
                                          const std::string& catalogId, const std::string& classId) {
    const StoredJson stored = StoreSignature(original.Signature());
    CheckedBlock reloaded(kernel, catalogId, classId);
    CHeldReference<Vtx::IBlockSignature> signature(kernel.CreateBlockSignature(reloaded.get()));
    CHeldReference<Vtx::IBlockLayout> layout(kernel.CreateBlockLayout(reloaded.get()));
    RestoreSignature(kernel, signature.get(), stored, [](const std::string& pointer, const std::string& problem) {
        throw CheckFailure("its stored signature cannot be restored at " + pointer + ": " + problem);
    });
    reloaded.InitInstance(signature.get(), layout.get());
    const std::vector<DispatchedMessage> reports = reloaded.TakeReports("InitInstance with the stored signature");
    const auto expected = ParameterValues(stored);
    const auto actual = ParameterValues(StoreSignature(reloaded.Signature()));
    const std::string why = reports.empty() ? "" : " (the block reported: " + WithoutTrailingNewlines(reports.back().text) + ")";
    for (std::size_t i = 0; i < expected.size(); ++i) {
        Require(i < actual.size(), "the reloaded block lacks parameter " + Quoted(expected[i].first) + why);
        Require(actual[i].first == expected[i].first, "the reloaded block has parameter " + Quoted(actual[i].first) +
                                                          " where " + Quoted(expected[i].first) + " was" + why);
        Require(actual[i].second == expected[i].second, "parameter " + Quoted(expected[i].first) + " reloads as " +
                                                            actual[i].second + " instead of " + expected[i].second + why);
    }
    Require(actual.size() == expected.size(), "the reloaded block has " + std::to_string(actual.size()) +
                                                  " parameters instead of " + std::to_string(expected.size()) + why);
    reloaded.DoneInstance();
    reloaded.TakeReports("DoneInstance");
    return std::to_string(expected.size()) + " parameter values";
}

// Texts of other values near a kernel number, flag or text; empty for other classes.
std::vector<std::string> CandidateTexts(const std::string& classId, const std::string& text) {
    if (classId == "int") {
        const long long value = std::strtoll(text.c_str(), nullptr, 10);
        return {std::to_string(value + 1), std::to_string(value - 1), "0", "1"};
    }
    if (classId == "double") {
        const double value = std::strtod(text.c_str(), nullptr);
        return {std::to_string(value + 1), std::to_string(value - 1), std::to_string(value / 2), "0", "1"};
    }
    if (classId == "bool") return {text == "true" || text == "1" ? "false" : "true"};
    if (classId == "string") return {text + "_changed", "changed"};
    return {};
}

// SetParameter on the block: true or false as the block answers; nullopt when it refused
// by a logic exception, whose text is added to the refusals. Other exceptions pass.
std::optional<bool> TrySetParameter(Vtx::IBlock* block, Vtx::IParameterPinSignature* parameter, Vtx::IDatatype* value,
                                    std::vector<std::string>& refusals) {
    try {
        return block->SetParameter(parameter, value);
    } catch (Vtx::ILogicException& e) {
        refusals.push_back(WithoutTrailingNewlines(e.GetMessageText() ? e.GetMessageText() : ""));
        return std::nullopt;
    }
}

// Sets the parameter to another value its domain allows; false when none was found or the
// block refused every one (a block may refuse values its own rules forbid).
// Other values of the parameter's class near its current one, within its domain.
std::vector<CHeldReference<Vtx::IDatatype>> OtherValues(CCountingKernelServices& kernel, CParameterPinImpl* parameter) {
    std::vector<CHeldReference<Vtx::IDatatype>> candidates;
    Vtx::IDatatype* current = parameter->GetValue();
    const std::string catalogId = CatalogIdOf(current), classId = ClassIdOf(current);
    auto candidate = [&] {
        CHeldReference<Vtx::IDatatype> value(kernel.CreateDatatype(catalogId.c_str(), classId.c_str()));
        if (value) {
            value->InitInstance(current->GetInitInfo());
            value->CopyFrom(current);
        }
        return value;
    };
    const auto admitted = [&](Vtx::IDatatype* value) {
        return !value->IsEqual(current) && (!parameter->GetDomain() || parameter->GetDomain()->IsValid(value));
    };
    Vtx::ProducedText text(current);
    if (catalogId == "kernel" && text)
        for (const std::string& other : CandidateTexts(classId, text.get())) {
            CHeldReference<Vtx::IDatatype> value = candidate();
            if (value && value->UnserializeString(other.c_str()) && admitted(value.get()))
                candidates.push_back(std::move(value));
        }
    if (CHeldReference<Vtx::IDatatype> value = candidate(); value && ChangeDatatypeValue(value.get()) && admitted(value.get()))
        candidates.push_back(std::move(value));
    return candidates;
}

bool ChangeParameter(CCountingKernelServices& kernel, CheckedBlock& block, const std::string& id,
                     std::vector<std::string>& refusals) {
    CParameterPinImpl* parameter = block.Signature()->Parameters().Find(id);
    Vtx::IDatatype* current = parameter ? parameter->GetValue() : nullptr;
    if (!current || !parameter->GetChangeableAtDesignTime()) return false;
    std::vector<CHeldReference<Vtx::IDatatype>> candidates = OtherValues(kernel, parameter);
    for (auto& value : candidates) {
        parameter = block.Signature()->Parameters().Find(id);
        if (!parameter) return false;
        if (parameter->GetDomain() && !parameter->GetDomain()->IsValid(value.get())) continue;
        // A block refuses a value by answering false or by throwing a logic exception with
        // the reason; either is the block's rule at work, not a fault.
        std::optional<bool> taken = TrySetParameter(block.get(), parameter, value.get(), refusals);
        block.TakeReports("SetParameter(" + Quoted(id) + ")");
        if (!taken.value_or(false)) continue;
        parameter = block.Signature()->Parameters().Find(id);
        Require(parameter && parameter->GetValue() && parameter->GetValue()->IsEqual(value.get()),
                "SetParameter(" + Quoted(id) + ") answered true but the parameter does not hold the new value");
        return true;
    }
    return false;
}

// Gives every input a datatype object (generic inputs a kernel double) and every output
// that follows an input that input's class, as a patch does before Init.
void PrepareInputs(CCountingKernelServices& kernel, CBlockSignatureImpl* signature) {
    for (std::size_t i = 0; i < signature->Inputs().Size(); ++i) {
        CInputPinImpl* input = signature->Inputs().At(i);
        if (input->GetDatatype()) continue;
        const bool generic = IsGenericType(input->GetTypeCatalogId(), input->GetTypeClassId());
        CHeldReference<Vtx::IDatatype> value(generic ? kernel.CreateDatatype("kernel", "double")
                                                     : kernel.CreateDatatype(input->GetTypeCatalogId(),
                                                                             input->GetTypeClassId()));
        Require(value.get() != nullptr, "input " + Quoted(input->GetId()) + " takes a datatype that cannot be created");
        input->SetDatatype(value.get());
    }
    for (std::size_t i = 0; i < signature->Outputs().Size(); ++i) {
        COutputPinImpl* output = signature->Outputs().At(i);
        CInputPinImpl* source = signature->Inputs().Find(output->GetTypeSourcePinId());
        if (!source || !IsGenericType(output->GetTypeCatalogId(), output->GetTypeClassId())) continue;
        const std::string catalogId = CatalogIdOf(source->GetDatatype()), classId = ClassIdOf(source->GetDatatype());
        if (Vtx::IDatatype* held = output->GetDatatype(); held && CatalogIdOf(held) == catalogId && ClassIdOf(held) == classId)
            continue;
        CHeldReference<Vtx::IDatatype> value(kernel.CreateDatatype(catalogId.c_str(), classId.c_str()));
        if (value) output->SetDatatype(value.get());
    }
}

void SetRunning(Vtx::IBlock* block, bool running) {
    if (auto* context = dynamic_cast<CRunTimeContext*>(block->GetRunTimeContext())) context->SetPatchRunning(running);
}

// What the block's Executes did to one output: whether its value changed, whether its
// timestamp did, and the first value whose text form did not read back.
struct OutputWatch {
    std::string id;
    std::optional<std::vector<std::uint8_t>> form;  // the binary form after Init
    Vtx::DatatypeTime stamp = Vtx::kUnsetTime;      // the timestamp after Init
    bool written = false;
    bool stamped = false;
    std::string unreadText;  // a text form that did not read back, with its class
    std::string unreadClass;
};

std::optional<std::vector<std::uint8_t>> BinaryForm(Vtx::IDatatype* value) {
    Vtx::ProducedBinary form(value);
    if (!form) return std::nullopt;
    return std::vector<std::uint8_t>(form.data(), form.data() + form.size());
}

// Whether the value's text form loads into a new object of its class as an equal value.
bool TextReadsBack(CCountingKernelServices& kernel, Vtx::IDatatype* value, std::string& text) {
    Vtx::ProducedText form(value);
    if (!form) return true;
    text = form.get();
    const std::string catalogId = CatalogIdOf(value), classId = ClassIdOf(value);
    CHeldReference<Vtx::IDatatype> loaded(kernel.CreateDatatype(catalogId.c_str(), classId.c_str()));
    if (!loaded) return true;
    loaded->InitInstance(value->GetInitInfo());
    return loaded->UnserializeString(text.c_str()) && loaded->IsEqual(value);
}

void WatchOutputs(CCountingKernelServices& kernel, CBlockSignatureImpl* signature, std::vector<OutputWatch>& watches,
                  bool start) {
    for (std::size_t i = 0; i < signature->Outputs().Size(); ++i) {
        COutputPinImpl* output = signature->Outputs().At(i);
        Vtx::IDatatype* value = output->GetDatatype();
        if (start) {
            watches.push_back(OutputWatch{output->GetId(), value ? BinaryForm(value) : std::nullopt,
                                          value ? value->GetTimestamp() : Vtx::kUnsetTime});
            continue;
        }
        if (i >= watches.size() || !value) continue;
        OutputWatch& watch = watches[i];
        watch.written = watch.written || BinaryForm(value) != watch.form;
        watch.stamped = watch.stamped || value->GetTimestamp() != watch.stamp;
        std::string text;
        if (watch.unreadText.empty() && !TextReadsBack(kernel, value, text)) {
            watch.unreadText = text;
            watch.unreadClass = CatalogIdOf(value) + "/" + ClassIdOf(value);
        }
    }
}

void WarnOfOutputs(const std::string& name, const std::vector<OutputWatch>& watches, CCheckReport& report) {
    for (const OutputWatch& watch : watches) {
        if (watch.written && !watch.stamped)
            report.Warn(name + ": output " + Quoted(watch.id),
                        "written during Execute but its timestamp never changed, so no linked input ever receives "
                        "it (stamp each new value with GetInitClockTime())");
        if (!watch.unreadText.empty())
            report.Warn(name + ": output " + Quoted(watch.id),
                        "its value's text form " + Quoted(watch.unreadText) + " does not read back into an equal " +
                            watch.unreadClass + " value");
    }
}

std::string RunLifecycle(CCountingKernelServices& kernel, CheckedBlock& block, int executions,
                         std::vector<OutputWatch>& watches) {
    CBlockSignatureImpl* signature = block.Signature();
    PrepareInputs(kernel, signature);
    CKernelClock& clock = kernel.Clock();
    block.RequireSucceeded(block->Init(&clock, &clock, 0, 0), "Init");
    WatchOutputs(kernel, signature, watches, true);
    std::optional<CheckFailure> failure;
    try {
        block.RequireSucceeded(block->Start(), "Start");
        SetRunning(block.get(), true);
        try {
            for (int round = 1; round <= executions; ++round) {
                for (std::size_t i = 0; i < signature->Inputs().Size(); ++i) {
                    CInputPinImpl* input = signature->Inputs().At(i);
                    ChangeDatatypeValue(input->GetDatatype());
                    input->GetDatatype()->SetTimestamp(clock.GetCurrentTime());
                    input->SetNewData(true);
                }
                block.RequireSucceeded(block->Execute(0), "Execute " + std::to_string(round));
                WatchOutputs(kernel, signature, watches, false);
                for (std::size_t i = 0; i < signature->Inputs().Size(); ++i) signature->Inputs().At(i)->SetNewData(false);
            }
        } catch (const CheckFailure& e) {
            failure = e;
        }
        SetRunning(block.get(), false);
        block->Stop();
        block.TakeReports("Stop");
    } catch (const CheckFailure& e) {
        if (!failure) failure = e;
    }
    block->Done();
    block.TakeReports("Done");
    if (failure) throw *failure;
    return "Init, Start, " + std::to_string(executions) + " Executes with fresh input values, Stop, Done";
}

// A second block of the class, made as a patch makes it, must declare what the first one
// did, in the same order: a patch saved with one block is reloaded with another.
std::string RequireSameDeclarations(CCountingKernelServices& kernel, CheckedBlock& block, const std::string& catalogId,
                                    const std::string& classId) {
    const BlockDeclarations declared = ProbeBlockClass(kernel, catalogId, classId, ProbeDepth::WithGrowth);
    Require(declared.Made(), "a second block cannot be made in a patch: " + declared.error);
    CBlockSignatureImpl* signature = block.Signature();
    auto same = [](const auto& declaredPins, const auto& pins, const std::string& kind) {
        Require(declaredPins.size() == pins.Size(), "a second block declares " + std::to_string(declaredPins.size()) +
                                                        " " + kind + " instead of " + std::to_string(pins.Size()));
        for (std::size_t i = 0; i < declaredPins.size(); ++i)
            Require(declaredPins[i].id == pins.At(i)->Id(), "a second block declares " + kind + " " +
                                                                Quoted(declaredPins[i].id) + " where the first has " +
                                                                Quoted(pins.At(i)->Id()));
    };
    same(declared.parameters, signature->Parameters(), "parameters");
    same(declared.inputs, signature->Inputs(), "inputs");
    same(declared.outputs, signature->Outputs(), "outputs");
    std::string text = "the same " + std::to_string(declared.parameters.size()) + " parameters, " +
                       std::to_string(declared.inputs.size()) + " inputs and " +
                       std::to_string(declared.outputs.size()) + " outputs";
    for (const DeclaredGrowth& grown : declared.growth)
        text += "; more at " + grown.parameter + "=" + std::to_string(grown.value);
    return text;
}

// A new block of the class must take each parameter's declared default back: each
// parameter in turn is given another value its domain admits, past the block's check, and
// then its default through SetParameter, the others holding theirs. A refusal is a warning.
std::string CheckDeclaredDefaults(CCountingKernelServices& kernel, const std::string& catalogId,
                                  const std::string& classId, const std::string& name, CCheckReport& report) {
    CheckedBlock block(kernel, catalogId, classId);
    block.InitInstance(nullptr, nullptr);
    block.TakeReports("InitInstance");
    std::vector<std::string> ids;
    for (std::size_t i = 0; i < block.Signature()->Parameters().Size(); ++i)
        ids.push_back(block.Signature()->Parameters().At(i)->Id());
    std::size_t tried = 0, refused = 0;
    for (const std::string& id : ids) {
        CParameterPinImpl* parameter = block.Signature()->Parameters().Find(id);
        Vtx::IDatatype* current = parameter ? parameter->GetValue() : nullptr;
        if (!current || !parameter->GetChangeableAtDesignTime()) continue;
        std::vector<CHeldReference<Vtx::IDatatype>> others = OtherValues(kernel, parameter);
        if (others.empty()) continue;
        CHeldReference<Vtx::IDatatype> declared(kernel.CreateDatatype(CatalogIdOf(current).c_str(), ClassIdOf(current).c_str()));
        if (!declared) continue;
        declared->InitInstance(current->GetInitInfo());
        CopyValueAndTime(declared.get(), current);
        CopyValueAndTime(current, others.front().get());
        ++tried;
        std::vector<std::string> refusals;
        const std::optional<bool> taken = TrySetParameter(block.get(), parameter, declared.get(), refusals);
        block.TakeReports("SetParameter(" + Quoted(id) + ") with its default");
        if (taken.value_or(false)) continue;
        CopyValueAndTime(current, declared.get());  // the default back in place, as declared
        ++refused;
        Vtx::ProducedText text(declared.get());
        report.Warn(name + ": parameter " + Quoted(id),
                    "the block refuses its own declared default " + Quoted(text ? text.get() : "") +
                        (refusals.empty() ? " (SetParameter answered false)" : ": " + refusals.front()));
    }
    block.DoneInstance();
    block.TakeReports("DoneInstance");
    return std::to_string(tried - refused) + " of " + std::to_string(tried) + " declared defaults taken back by a new block";
}

} // namespace

void CheckBlockClass(CCountingKernelServices& kernel, const std::string& catalogId, const std::string& classId,
                     CCheckReport& report, int executions) {
    const std::string name = "block " + classId;
    kernel.Dispatcher().ClearMessages();
    std::unique_ptr<CheckedBlock> block;
    if (!report.Run(name + ": created, InitInstance", [&] {
            block = std::make_unique<CheckedBlock>(kernel, catalogId, classId);
            block->InitInstance(nullptr, nullptr);
            block->TakeReports("InitInstance");
            CBlockSignatureImpl* signature = block->Signature();
            return std::to_string(signature->Inputs().Size()) + " inputs, " +
                   std::to_string(signature->Outputs().Size()) + " outputs, " +
                   std::to_string(signature->Parameters().Size()) + " parameters";
        }))
        return;
    report.Run(name + ": declared alike by a second block",
               [&] { return RequireSameDeclarations(kernel, *block, catalogId, classId); });
    report.Run(name + ": stored signature reloads", [&] {
        return RequireStoredSignatureReloads(kernel, *block, catalogId, classId);
    });
    report.Run(name + ": parameters changed, stored signature reloads", [&] {
        std::vector<std::string> ids;
        CBlockSignatureImpl* signature = block->Signature();
        for (std::size_t i = 0; i < signature->Parameters().Size(); ++i) ids.push_back(signature->Parameters().At(i)->Id());
        int changed = 0;
        std::vector<std::string> refusals;
        for (const std::string& id : ids) changed += ChangeParameter(kernel, *block, id, refusals) ? 1 : 0;
        std::string refused;
        if (!refusals.empty())
            refused = " (" + std::to_string(refusals.size()) + (refusals.size() == 1 ? " value" : " values") +
                      " refused with a reason, first: " + Quoted(refusals.front()) + ")";
        return std::to_string(changed) + " of " + std::to_string(ids.size()) + " parameters changed" + refused + "; " +
               RequireStoredSignatureReloads(kernel, *block, catalogId, classId);
    });
    std::vector<OutputWatch> watches;
    if (report.Run(name + ": lifecycle", [&] { return RunLifecycle(kernel, *block, executions, watches); }))
        WarnOfOutputs(name, watches, report);
    report.Run(name + ": declared defaults", [&] { return CheckDeclaredDefaults(kernel, catalogId, classId, name, report); });
    report.Run(name + ": DoneInstance", [&] {
        block->DoneInstance();
        block->TakeReports("DoneInstance");
        return std::string("signature torn down");
    });
    block.reset();
}

} // namespace vtxhost
