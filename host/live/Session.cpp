#include "host/live/Session.h"

#include <algorithm>
#include <exception>

#include "host/signature/BlockSignature.h"
#include "host/kernel/KernelBlocks.h"
#include "host/kernel/KernelDatatypeBase.h"
#include "host/kernel/KernelServices.h"
#include "host/run/MessageDispatcher.h"
#include "host/run/PrintableText.h"
#include "host/run/ValueText.h"
#include "host/patch/PatchSave.h"
#include "host/signature/Pins.h"
#include "host/patch/StoredSignature.h"
#include "vtx/Command.h"
#include "vtx/EventSource.h"
#include "vtx/Exception.h"
#include "vtx/KernelDatatypes.h"
#include "vtx/Layout.h"
#include "vtx/ObjectClass.h"
#include "vtx/Property.h"

namespace vtxhost::live {

namespace {

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

constexpr std::size_t kKeptMessages = 1024;

std::string Text(const char* text) { return text ? text : ""; }

CBlockSignatureImpl* SignatureOf(Vtx::IBlock* block) {
    return dynamic_cast<CBlockSignatureImpl*>(block->GetSignature());
}

// The method a block's report names: "... error in method Init" or "... in method Execute; ...".
std::string MethodOf(std::int32_t kind, const std::string& text) {
    if (kind == Vtx::kMessageFailedCommand) return "ExecuteCommand";
    const std::string marker = "in method ";
    const std::size_t at = text.find(marker);
    if (at == std::string::npos) return "";
    const std::size_t begin = at + marker.size();
    const std::size_t end = text.find_first_of(";\n", begin);
    return text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

// The parameter command the host hands to a block's ExecuteCommand.
struct ParameterCommand final : Vtx::ISetParamCommand {
    ParameterCommand(Vtx::IParameterPinSignature* parameter, Vtx::IDatatype* value)
        : parameter_(parameter), value_(value) {}
    std::int32_t GetCommandKind() override { return Vtx::kCommandSetParameter; }
    Vtx::IParameterPinSignature* GetParameter() override { return parameter_; }
    Vtx::IDatatype* GetNewValue() override { return value_; }

private:
    Vtx::IParameterPinSignature* parameter_;
    Vtx::IDatatype* value_;
};

// A datatype made for the session, released however the call ends.
struct MadeValue {
    Vtx::IDatatype* value;
    explicit MadeValue(Vtx::IDatatype* made) : value(made) {
        if (value) value->AddRef();
    }
    ~MadeValue() {
        if (value) value->Release();
    }
    MadeValue(const MadeValue&) = delete;
    MadeValue& operator=(const MadeValue&) = delete;
};

Json LayoutOf(Vtx::IBlock* block, const std::string& parameterId) {
    Vtx::IBlockLayout* layout = block->GetLayout();
    if (!layout) return nullptr;
    Vtx::IDatatypeLayout* datatypeLayout = layout->GetDatatypeLayout(parameterId.c_str());
    if (!datatypeLayout) return nullptr;
    if (auto* combo = dynamic_cast<Vtx::IComboDatatypeLayout*>(datatypeLayout)) {
        Json items = Json::array();
        for (std::int32_t i = 0; i < combo->GetSize(); ++i) items.push_back(Text(combo->GetItem(i)));
        return Json{{"kind", "combo"}, {"items", items}};
    }
    if (auto* file = dynamic_cast<Vtx::IFilenameDatatypeLayout*>(datatypeLayout))
        return Json{{"kind", "filename"},
                    {"filter", Text(file->GetFilter())},
                    {"must_exist", file->GetMustExist()},
                    {"for_saving", file->GetForSaving()},
                    {"multiple_selection", file->GetMultipleSelection()}};
    if (auto* folder = dynamic_cast<Vtx::IFoldernameDatatypeLayout*>(datatypeLayout))
        return Json{{"kind", "foldername"}, {"must_exist", folder->GetMustExist()}};
    if (auto* selector = dynamic_cast<Vtx::IDatatypeSelectorComboLayout*>(datatypeLayout)) {
        Json items = Json::array();
        for (std::int32_t i = 0; i < selector->GetItemCount(); ++i)
            items.push_back(Json::array({Text(selector->GetItemCatalogId(i)), Text(selector->GetItemClassId(i))}));
        return Json{{"kind", "datatype_selector_combo"}, {"items", items}};
    }
    return Json{{"kind", "other"}};
}

Json DatatypeOf(Vtx::IDatatype* value) {
    if (!value) return nullptr;
    return Json::array({CatalogIdOf(value), ClassIdOf(value)});
}

} // namespace

const char* StateName(SessionState state) {
    switch (state) {
    case SessionState::Running: return "running";
    case SessionState::Paused: return "paused";
    default: return "stopped";
    }
}

const char* PacingName(Pacing pacing) {
    switch (pacing) {
    case Pacing::Realtime: return "realtime";
    case Pacing::Fast: return "fast";
    default: return "stepped";
    }
}

bool PacingFromName(const std::string& name, Pacing& pacing) {
    for (Pacing candidate : {Pacing::Realtime, Pacing::Fast, Pacing::Stepped}) {
        if (name == PacingName(candidate)) {
            pacing = candidate;
            return true;
        }
    }
    return false;
}

bool TopicFromName(const std::string& name, Topic& topic) {
    static const std::pair<const char*, Topic> names[] = {{"values", Topic::Values},
                                                          {"sinks", Topic::Sinks},
                                                          {"messages", Topic::Messages},
                                                          {"profiling", Topic::Profiling},
                                                          {"state", Topic::State}};
    for (const auto& entry : names) {
        if (name == entry.first) {
            topic = entry.second;
            return true;
        }
    }
    return false;
}

CSession::CSession(CKernelServices& kernel, LoadedPatch loaded, Pacing pacing)
    : kernel_(kernel), loaded_(std::move(loaded)), patch_(*loaded_.patch), pacing_(pacing) {
    RefreshBlocks();
    // The dispatcher keeps what blocks sent for the host's error texts; a session may run
    // for good, so only the newest are kept.
    kernel_.Dispatcher().SetMessageLimit(kKeptMessages);
    messageSubscription_ =
        kernel_.Dispatcher().SubscribeMessages([this](const DispatchedMessage& message) { OnMessage(message); });
    thread_ = std::thread([this] { Loop(); });
}

CSession::~CSession() {
    queue_.Close();
    thread_.join();
    kernel_.Dispatcher().Unsubscribe(messageSubscription_);
    events_.Close();
}

Json CSession::Run(const std::function<Json()>& work) {
    Json result;
    bool refused = false;
    std::string reason;
    queue_.Call([&] {
        try {
            result = work();
        } catch (const Refusal& e) {
            refused = true;
            reason = e.what();
        }
    });
    if (refused) throw Refusal(reason);
    return result;
}

void CSession::Loop() {
    queue_.SetSchedulerThread(std::this_thread::get_id());
    for (;;) {
        queue_.RunPending();
        if (queue_.IsClosed()) break;
        if (state_.load() == SessionState::Running && pacing_ != Pacing::Stepped) {
            RunRounds(1, true);
            continue;
        }
        queue_.Wait();
    }
    // What came before the close still runs; then the patch stops cleanly.
    queue_.RunPending();
    if (state_.load() != SessionState::Stopped) {
        patch_.Stop();
        state_.store(SessionState::Stopped);
        PublishState();
    }
}

bool CSession::Gate(std::int64_t time, bool paced) {
    // A waiting command goes first: the round runs after it, with what it changed.
    if (!paced) return true;
    if (queue_.HasPending()) return false;
    if (pacing_ == Pacing::Fast) return true;
    const auto due = wallOrigin_ + std::chrono::nanoseconds(time * 100);
    return !queue_.WaitUntil(due);
}

void CSession::RunRounds(std::int64_t rounds, bool paced) {
    try {
        patch_.Run(
            rounds, [this](std::int64_t round, std::int64_t time) { AfterRound(round, time); },
            [this, paced](std::int64_t time) { return Gate(time, paced); });
    } catch (const std::exception& e) {
        // A round that cannot go on ends the run; the blocks stop and the reader is told why.
        try {
            patch_.Stop();
        } catch (...) {
        }
        state_.store(SessionState::Stopped);
        PublishState(e.what());
    }
}

void CSession::AfterRound(std::int64_t round, std::int64_t time) {
    lastTime_ = time;
    for (SinkEntry& sink : sinks_) {
        std::vector<std::string> values = sink.received->TakeNew();
        if (!sink.subscribed || values.empty()) continue;
        Vtx::IBlock* block = patch_.FindBlock(sink.name);
        CInputPinImpl* input = SignatureOf(block)->Inputs().Find("input");
        Vtx::IDatatype* value = input ? input->GetDatatype() : nullptr;
        events_.Put("value:" + sink.name + ".input",
                    Json{{"event", "value"}, {"block", sink.name}, {"pin", "input"}, {"value", values.back()},
                         {"time", value ? value->GetTimestamp() : Vtx::kUnsetTime}, {"round", round}});
    }
    for (OutputWatch& watch : watches_) {
        Vtx::IDatatype* value = watch.output->GetDatatype();
        if (!value) continue;
        const std::int64_t stamp = value->GetTimestamp();
        if (stamp == watch.lastStamp) continue;
        watch.lastStamp = stamp;
        events_.Put("value:" + watch.block + "." + watch.pin,
                    Json{{"event", "value"}, {"block", watch.block}, {"pin", watch.pin}, {"value", TextOf(value)},
                         {"time", stamp}, {"round", round}});
    }
    if (profilingSubscribed_) {
        for (const CPatch::ExecuteProfile& profile : patch_.ExecuteProfiles()) {
            const ProfilingSamples& samples = profile.execute;
            events_.Put("profile:" + profile.name,
                        Json{{"event", "profile"},
                             {"block", profile.name},
                             {"class", profile.catalogId + "/" + profile.classId},
                             {"count", samples.count},
                             {"mean_ns", samples.count ? samples.totalNs / samples.count : 0},
                             {"min_ns", samples.minimumNs},
                             {"max_ns", samples.maximumNs},
                             {"total_ns", samples.totalNs}});
        }
    }
    roundsRun_.store(round);
    if (roundWaiters_.load() != 0) {
        std::lock_guard<std::mutex> lock(roundMutex_);
        roundDone_.notify_all();
    }
}

bool CSession::WaitForRound(std::int64_t round, std::chrono::milliseconds timeout) {
    ++roundWaiters_;
    std::unique_lock<std::mutex> lock(roundMutex_);
    const bool reached = roundDone_.wait_for(lock, timeout, [&] { return roundsRun_.load() >= round; });
    --roundWaiters_;
    return reached;
}

Json CSession::StateFields() const {
    return Json{{"state", StateName(state_.load())},
                {"pacing", PacingName(pacing_)},
                {"round", roundsRun_.load()},
                {"time", lastTime_}};
}

void CSession::PublishState(const std::string& error) {
    if (!stateSubscribed_ && error.empty()) return;
    Json event = Json{{"event", "state"}};
    event.update(StateFields());
    if (!error.empty()) event["error"] = error;
    events_.Put("state", std::move(event));
}

void CSession::RefreshBlocks() {
    {
        std::lock_guard<std::mutex> lock(namesMutex_);
        names_.clear();
        for (const std::string& name : patch_.BlockNames())
            names_[static_cast<Vtx::IEventSource*>(patch_.FindBlock(name))] = name;
    }
    sinks_.clear();
    watches_.clear();
    for (auto it = valueBlocks_.begin(); it != valueBlocks_.end();)
        it = patch_.FindBlock(*it) ? std::next(it) : valueBlocks_.erase(it);
    for (const std::string& name : patch_.BlockNames()) {
        Vtx::IBlock* block = patch_.FindBlock(name);
        const bool subscribed = valueBlocks_.count(name) != 0;
        if (IReceivedValues* received = ReceivedValuesOf(block)) {
            sinks_.push_back(SinkEntry{name, received, subscribed || sinksSubscribed_});
            continue;
        }
        if (!subscribed) continue;
        CBlockSignatureImpl* signature = SignatureOf(block);
        for (std::size_t i = 0; i < signature->Outputs().Size(); ++i) {
            COutputPinImpl* output = signature->Outputs().At(i);
            Vtx::IDatatype* value = output->GetDatatype();
            watches_.push_back(
                OutputWatch{name, output->Id(), output, value ? value->GetTimestamp() : Vtx::kUnsetTime});
        }
    }
}

void CSession::OnMessage(const DispatchedMessage& message) {
    if (queue_.OnSchedulerThread() && capturing_ && message.source == capturing_ &&
        message.kind == Vtx::kMessageFailedCommand)
        captured_ = WithoutTrailingNewlines(message.text);
    if (!messagesSubscribed_.load()) return;
    std::string block;
    {
        std::lock_guard<std::mutex> lock(namesMutex_);
        auto found = names_.find(message.source);
        if (found != names_.end()) block = found->second;
    }
    const std::string text = WithoutTrailingNewlines(message.text);
    events_.Append(Json{{"event", "message"},
                        {"kind", message.kind},
                        {"block", block},
                        {"method", MethodOf(message.kind, text)},
                        {"text", text}});
}

Json CSession::Status() {
    return Run([this] { return StateFields(); });
}

Json CSession::Describe() {
    return Run([this] {
        Json blocks = Json::array();
        Json links = Json::array();
        for (const std::string& name : patch_.BlockNames()) {
            Vtx::IBlock* block = patch_.FindBlock(name);
            Vtx::IObjectClass* blockClass = block->GetObjectClass();
            Vtx::IObjectClass* catalog = blockClass ? blockClass->GetCatalog() : nullptr;
            CBlockSignatureImpl* signature = SignatureOf(block);
            Json stored = StoreSignature(signature);
            Json entry = Json{{"name", name},
                              {"catalog", catalog ? Text(catalog->GetClassId()) : ""},
                              {"class", blockClass ? Text(blockClass->GetClassId()) : ""}};
            const DeclaredBounds bounds = BoundsOf(signature);
            Json inputs = stored.value("inputs", Json::array());
            for (Json& input : inputs) {
                CInputPinImpl* pin = signature->Inputs().Find(input["id"].get<std::string>());
                input["datatype"] = DatatypeOf(pin->GetDatatype());
                if (COutputPinImpl* from = pin->LinkedOutput()) {
                    std::lock_guard<std::mutex> lock(namesMutex_);
                    auto source = names_.find(static_cast<Vtx::IEventSource*>(from->GetBlock()));
                    if (source != names_.end())
                        links.push_back(Json{{"from", source->second + "." + from->Id()},
                                             {"to", name + "." + pin->Id()}});
                }
            }
            Json outputs = stored.value("outputs", Json::array());
            for (Json& output : outputs)
                output["datatype"] =
                    DatatypeOf(signature->Outputs().Find(output["id"].get<std::string>())->GetDatatype());
            Json parameters = stored.value("parameters", Json::array());
            for (Json& parameter : parameters) {
                const std::string id = parameter["id"].get<std::string>();
                CParameterPinImpl* pin = signature->Parameters().Find(id);
                parameter["datatype"] = DatatypeOf(pin->GetValue());
                parameter["changeable"] = Json{{"design_time", pin->GetChangeableAtDesignTime()},
                                               {"run_time", pin->GetChangeableAtRunTime()},
                                               {"init_info_design_time", pin->GetInitInfoChangeableAtDesignTime()},
                                               {"init_info_run_time", pin->GetInitInfoChangeableAtRunTime()}};
                auto bound = bounds.find(id);
                if (bound != bounds.end()) parameter["bounds_text"] = bound->second.Text();
                if (block->GetLayout()) parameter["shown"] = block->GetLayout()->IsParameterShown(id.c_str());
                parameter["layout"] = LayoutOf(block, id);
            }
            entry["inputs"] = inputs;
            entry["outputs"] = outputs;
            entry["parameters"] = parameters;
            blocks.push_back(entry);
        }
        Json answer = Json{{"name", patch_.GetName()}};
        answer.update(StateFields());
        answer["blocks"] = blocks;
        answer["links"] = links;
        return answer;
    });
}

Json CSession::SetValue(const std::string& blockName, const std::string& parameterId, const std::string& text,
                        bool fire) {
    Vtx::IBlock* block = patch_.FindBlock(blockName);
    if (!block) throw Refusal("unknown block " + Quoted(blockName));
    CBlockSignatureImpl* signature = SignatureOf(block);
    CParameterPinImpl* parameter = signature->Parameters().Find(parameterId);
    if (!parameter) throw Refusal("block " + Quoted(blockName) + " has no parameter " + Quoted(parameterId));
    const std::string where = "parameter " + Quoted(parameterId) + " of block " + Quoted(blockName);
    Vtx::IDatatype* current = parameter->GetValue();
    const std::string catalogId = current ? CatalogIdOf(current) : parameter->GetTypeCatalogId();
    const std::string classId = current ? ClassIdOf(current) : parameter->GetTypeClassId();
    MadeValue made(kernel_.CreateDatatype(catalogId.c_str(), classId.c_str()));
    if (!made.value) throw Refusal(where + ": the datatype " + catalogId + "/" + classId + " cannot be created");
    std::string valueText = text;
    try {
        if (current) made.value->InitInstance(current->GetInitInfo());
        if (fire) {
            auto* trigger = dynamic_cast<Vtx::ITrigger*>(made.value);
            if (!trigger || !current) throw Refusal(where + " is not a trigger");
            CopyValueAndTime(made.value, current);
            trigger->Fire();
            valueText = TextOf(made.value);
        } else if (!made.value->UnserializeString(text.c_str())) {
            throw Refusal(Quoted(text) + " is not a valid " + classId + " value");
        }
    } catch (Vtx::IException& e) {
        throw Refusal(where + ": " + WithoutTrailingNewlines(Text(e.GetMessageText())));
    }
    const bool running = patch_.IsRunning();
    if (running ? !parameter->GetChangeableAtRunTime() : !parameter->GetChangeableAtDesignTime())
        throw Refusal(where + (running ? " may not change while the patch runs" : " may not change while the patch is stopped"));
    if (parameter->GetDomain() && !parameter->GetDomain()->IsValid(made.value)) {
        const DeclaredBounds bounds = BoundsOf(signature);
        auto found = bounds.find(parameterId);
        throw Refusal(Quoted(valueText) + " lies outside the domain of " + where +
                      (found == bounds.end() ? "" : ": " + found->second.Text()));
    }
    ParameterCommand command(parameter, made.value);
    capturing_ = static_cast<Vtx::IEventSource*>(block);
    captured_.clear();
    bool done = false;
    std::string thrown;
    try {
        done = block->ExecuteCommand(&command);
    } catch (Vtx::IException& e) {
        thrown = WithoutTrailingNewlines(Text(e.GetMessageText()));
    } catch (const std::exception& e) {
        thrown = e.what();
    }
    capturing_ = nullptr;
    if (!done) {
        const std::string reason = !thrown.empty() ? thrown : captured_;
        if (!reason.empty()) throw Refusal(where + ": " + reason);
        throw Refusal(where + ": the block refused the value " + Quoted(valueText));
    }
    // A change of a count may have changed the block's pins.
    RefreshBlocks();
    return Json{{"value", TextOf(parameter->GetValue())}, {"round", roundsRun_.load()}};
}

Json CSession::SetParameter(const std::string& block, const std::string& parameter, const std::string& text) {
    return Run([&] { return SetValue(block, parameter, text, false); });
}

Json CSession::Fire(const std::string& block, const std::string& parameter) {
    return Run([&] { return SetValue(block, parameter, "", true); });
}

Json CSession::Start() {
    return Run([this] {
        if (state_.load() != SessionState::Stopped)
            throw Refusal(std::string("the patch is already ") + StateName(state_.load()));
        try {
            patch_.Start();
        } catch (const PatchError& e) {
            throw Refusal(e.what());
        }
        roundsRun_.store(0);
        lastTime_ = 0;
        for (OutputWatch& watch : watches_) watch.lastStamp = Vtx::kUnsetTime;
        wallOrigin_ = std::chrono::steady_clock::now();
        state_.store(SessionState::Running);
        PublishState();
        return StateFields();
    });
}

Json CSession::Stop() {
    return Run([this] {
        if (state_.load() == SessionState::Stopped) throw Refusal("the patch is not running");
        patch_.Stop();
        state_.store(SessionState::Stopped);
        PublishState();
        return StateFields();
    });
}

Json CSession::Pause() {
    return Run([this] {
        if (state_.load() != SessionState::Running)
            throw Refusal(state_.load() == SessionState::Paused ? "the patch is already paused"
                                                                : "the patch is not running");
        state_.store(SessionState::Paused);
        PublishState();
        return StateFields();
    });
}

Json CSession::Resume() {
    return Run([this] {
        if (state_.load() != SessionState::Paused) throw Refusal("the patch is not paused");
        // The wall clock takes up from the last round, not from the time the pause began.
        wallOrigin_ = std::chrono::steady_clock::now() - std::chrono::nanoseconds(lastTime_ * 100);
        state_.store(SessionState::Running);
        PublishState();
        return StateFields();
    });
}

Json CSession::Step(std::int64_t rounds) {
    return Run([this, rounds] {
        const SessionState state = state_.load();
        if (state == SessionState::Stopped) throw Refusal("the patch is not running");
        if (state == SessionState::Running && pacing_ != Pacing::Stepped)
            throw Refusal(std::string("the patch runs by itself (") + PacingName(pacing_) +
                          "); pause it, or choose stepped pacing, to step");
        if (rounds < 1) throw Refusal("a step runs at least one round");
        RunRounds(rounds, false);
        PublishState();
        return StateFields();
    });
}

Json CSession::SetPacing(Pacing pacing) {
    return Run([this, pacing] {
        pacing_ = pacing;
        wallOrigin_ = std::chrono::steady_clock::now() - std::chrono::nanoseconds(lastTime_ * 100);
        PublishState();
        return StateFields();
    });
}

void CSession::RequireStopped(const char* what) const {
    if (state_.load() != SessionState::Stopped)
        throw Refusal(std::string(what) + " change only while the patch is stopped");
}

Json CSession::AddBlock(const Json& entry) {
    return Run([&] {
        RequireStopped("blocks and links");
        const std::vector<std::string> before = patch_.BlockNames();
        try {
            AddPatchBlockEntry(kernel_, patch_, entry);
        } catch (const PatchError& e) {
            // A block made before its parameters were refused goes again: nothing changed.
            for (const std::string& name : patch_.BlockNames())
                if (std::find(before.begin(), before.end(), name) == before.end()) patch_.RemoveBlock(name);
            throw Refusal(e.what());
        }
        RefreshBlocks();
        return Json{{"blocks", patch_.BlockNames()}};
    });
}

Json CSession::RemoveBlock(const std::string& name) {
    return Run([&] {
        RequireStopped("blocks and links");
        try {
            patch_.RemoveBlock(name);
        } catch (const PatchError& e) {
            throw Refusal(e.what());
        }
        RefreshBlocks();
        return Json{{"blocks", patch_.BlockNames()}};
    });
}

Json CSession::AddLink(const Json& entry) {
    return Run([&] {
        RequireStopped("blocks and links");
        try {
            AddPatchLinkEntry(kernel_, patch_, entry);
        } catch (const PatchError& e) {
            throw Refusal(e.what());
        }
        return Json::object();
    });
}

Json CSession::RemoveLink(const std::string& from, const std::string& to) {
    return Run([&] {
        RequireStopped("blocks and links");
        const std::size_t fromDot = from.rfind('.'), toDot = to.rfind('.');
        if (fromDot == std::string::npos || fromDot == 0 || fromDot + 1 == from.size())
            throw Refusal("\"from\" must read BLOCK.PIN");
        if (toDot == std::string::npos || toDot == 0 || toDot + 1 == to.size())
            throw Refusal("\"to\" must read BLOCK.PIN");
        try {
            patch_.Unlink(from.substr(0, fromDot), from.substr(fromDot + 1), to.substr(0, toDot),
                          to.substr(toDot + 1));
        } catch (const PatchError& e) {
            throw Refusal(e.what());
        }
        return Json::object();
    });
}

Json CSession::Save(const std::string& path) {
    return Run([&] {
        try {
            SavePatchFile(patch_, ModulePathsFromHere(loaded_.modulePaths, loaded_.moduleTexts), path);
        } catch (const PatchError& e) {
            throw Refusal(e.what());
        }
        return Json{{"path", path}};
    });
}

Json CSession::Subscribe(Topic topic, const std::string& block) {
    return Run([&] {
        switch (topic) {
        case Topic::Values:
            if (!patch_.FindBlock(block)) throw Refusal("unknown block " + Quoted(block));
            valueBlocks_.insert(block);
            break;
        case Topic::Sinks: sinksSubscribed_ = true; break;
        case Topic::Messages: messagesSubscribed_.store(true); break;
        case Topic::Profiling:
            profilingSubscribed_ = true;
            patch_.SetProfiling(true);
            break;
        case Topic::State:
            stateSubscribed_ = true;
            PublishState();
            break;
        }
        RefreshBlocks();
        return Json::object();
    });
}

Json CSession::Unsubscribe(Topic topic, const std::string& block) {
    return Run([&] {
        switch (topic) {
        case Topic::Values:
            if (!valueBlocks_.erase(block)) throw Refusal("no subscription to the values of " + Quoted(block));
            break;
        case Topic::Sinks: sinksSubscribed_ = false; break;
        case Topic::Messages: messagesSubscribed_.store(false); break;
        case Topic::Profiling: profilingSubscribed_ = false; break;
        case Topic::State: stateSubscribed_ = false; break;
        }
        RefreshBlocks();
        return Json::object();
    });
}

Json CSession::Properties(const std::string& name) {
    return Run([&] {
        Vtx::IBlock* block = patch_.FindBlock(name);
        if (!block) throw Refusal("unknown block " + Quoted(name));
        Json sets = Json::array();
        for (std::int32_t i = 0; i < block->GetPropertySetCount(); ++i) {
            Vtx::IPropertyCollection* set = block->GetPropertySetAt(i);
            if (!set) continue;
            Json properties = Json::array();
            for (int k = 0; k < set->GetCount(); ++k) {
                Vtx::IProperty* property = set->GetAt(k);
                if (!property) continue;
                properties.push_back(Json{{"name", Text(property->GetName())},
                                          {"type", property->GetType()},
                                          {"value", Text(property->GetValueText())}});
            }
            sets.push_back(Json{{"name", Text(set->GetName())}, {"properties", properties}});
        }
        return Json{{"sets", sets}};
    });
}

Json CSession::SetProperty(const std::string& name, const std::string& set, const std::string& property,
                           const std::string& text) {
    return Run([&] {
        Vtx::IBlock* block = patch_.FindBlock(name);
        if (!block) throw Refusal("unknown block " + Quoted(name));
        if (!block->HasProperty(set.c_str(), property.c_str()))
            throw Refusal("block " + Quoted(name) + " has no property " + Quoted(property) + " in set " + Quoted(set));
        try {
            block->SetPropertyValueText(set.c_str(), property.c_str(), text.c_str());
            return Json{{"value", Text(block->GetPropertyValueText(set.c_str(), property.c_str()))}};
        } catch (Vtx::IException& e) {
            throw Refusal("property " + Quoted(property) + " of block " + Quoted(name) + " refused " + Quoted(text) +
                          ": " + Text(e.GetMessageText()));
        }
    });
}

} // namespace vtxhost::live
