#include "host/live/Protocol.h"

#include <cstdint>
#include <exception>
#include <map>
#include <vector>

namespace vtxhost::live {

namespace {

enum class FieldType { Text, Integer, Object, Any };

struct Field {
    const char* name;
    FieldType type;
    bool required;
};

using Handler = std::function<Json(CSession&, const Json&)>;

struct CommandSpec {
    std::vector<Field> fields;
    Handler handler;
};

std::string TextField(const Json& command, const char* name) { return command.at(name).get<std::string>(); }

std::string OptionalText(const Json& command, const char* name) {
    return command.contains(name) ? command.at(name).get<std::string>() : std::string();
}

// A JSON string is the value's text form; any other JSON value stands for its JSON text.
std::string ValueText(const Json& value) { return value.is_string() ? value.get<std::string>() : value.dump(); }

Topic TopicField(const Json& command) {
    Topic topic;
    const std::string name = TextField(command, "topic");
    if (!TopicFromName(name, topic))
        throw Refusal("unknown topic \"" + name + "\" (values, sinks, messages, profiling, state)");
    if (topic == Topic::Values && !command.contains("block")) throw Refusal("the topic \"values\" needs \"block\"");
    if (topic != Topic::Values && command.contains("block"))
        throw Refusal("the topic \"" + name + "\" takes no \"block\"");
    return topic;
}

const std::map<std::string, CommandSpec>& Commands() {
    static const std::map<std::string, CommandSpec> commands = {
        {"describe", {{}, [](CSession& s, const Json&) { return s.Describe(); }}},
        {"status", {{}, [](CSession& s, const Json&) { return s.Status(); }}},
        {"set",
         {{{"block", FieldType::Text, true}, {"parameter", FieldType::Text, true}, {"value", FieldType::Any, true}},
          [](CSession& s, const Json& c) {
              return s.SetParameter(TextField(c, "block"), TextField(c, "parameter"), ValueText(c.at("value")));
          }}},
        {"fire",
         {{{"block", FieldType::Text, true}, {"parameter", FieldType::Text, true}},
          [](CSession& s, const Json& c) { return s.Fire(TextField(c, "block"), TextField(c, "parameter")); }}},
        {"start", {{}, [](CSession& s, const Json&) { return s.Start(); }}},
        {"stop", {{}, [](CSession& s, const Json&) { return s.Stop(); }}},
        {"pause", {{}, [](CSession& s, const Json&) { return s.Pause(); }}},
        {"resume", {{}, [](CSession& s, const Json&) { return s.Resume(); }}},
        {"step",
         {{{"rounds", FieldType::Integer, false}},
          [](CSession& s, const Json& c) {
              const std::int64_t rounds = c.contains("rounds") ? c.at("rounds").get<std::int64_t>() : 1;
              if (rounds < 1 || rounds > 1000000) throw Refusal("\"rounds\" lies outside 1 to 1000000");
              return s.Step(rounds);
          }}},
        {"pacing",
         {{{"mode", FieldType::Text, true}},
          [](CSession& s, const Json& c) {
              Pacing pacing;
              const std::string mode = TextField(c, "mode");
              if (!PacingFromName(mode, pacing))
                  throw Refusal("unknown pacing \"" + mode + "\" (realtime, fast, stepped)");
              return s.SetPacing(pacing);
          }}},
        {"add_block",
         {{{"block", FieldType::Object, true}}, [](CSession& s, const Json& c) { return s.AddBlock(c.at("block")); }}},
        {"remove_block",
         {{{"block", FieldType::Text, true}},
          [](CSession& s, const Json& c) { return s.RemoveBlock(TextField(c, "block")); }}},
        {"add_link",
         {{{"from", FieldType::Text, true}, {"to", FieldType::Text, true}},
          [](CSession& s, const Json& c) {
              return s.AddLink(Json{{"from", c.at("from")}, {"to", c.at("to")}});
          }}},
        {"remove_link",
         {{{"from", FieldType::Text, true}, {"to", FieldType::Text, true}},
          [](CSession& s, const Json& c) { return s.RemoveLink(TextField(c, "from"), TextField(c, "to")); }}},
        {"save",
         {{{"path", FieldType::Text, true}}, [](CSession& s, const Json& c) { return s.Save(TextField(c, "path")); }}},
        {"properties",
         {{{"block", FieldType::Text, true}}, [](CSession& s, const Json& c) { return s.Properties(TextField(c, "block")); }}},
        {"set_property",
         {{{"block", FieldType::Text, true}, {"set", FieldType::Text, true}, {"property", FieldType::Text, true},
           {"value", FieldType::Any, true}},
          [](CSession& s, const Json& c) {
              return s.SetProperty(TextField(c, "block"), TextField(c, "set"), TextField(c, "property"),
                                   ValueText(c.at("value")));
          }}},
        {"subscribe",
         {{{"topic", FieldType::Text, true}, {"block", FieldType::Text, false}},
          [](CSession& s, const Json& c) { return s.Subscribe(TopicField(c), OptionalText(c, "block")); }}},
        {"unsubscribe",
         {{{"topic", FieldType::Text, true}, {"block", FieldType::Text, false}},
          [](CSession& s, const Json& c) { return s.Unsubscribe(TopicField(c), OptionalText(c, "block")); }}},
    };
    return commands;
}

const char* TypeName(FieldType type) {
    switch (type) {
    case FieldType::Text: return "a text";
    case FieldType::Integer: return "an integer";
    case FieldType::Object: return "an object";
    default: return "a value";
    }
}

bool HasType(const Json& value, FieldType type) {
    switch (type) {
    case FieldType::Text: return value.is_string();
    case FieldType::Integer: return value.is_number_integer();
    case FieldType::Object: return value.is_object();
    default: return true;
    }
}

void CheckFields(const std::string& name, const CommandSpec& form, const Json& command) {
    for (auto it = command.begin(); it != command.end(); ++it) {
        if (it.key() == "cmd" || it.key() == "id") continue;
        bool known = false;
        for (const Field& field : form.fields) known = known || it.key() == field.name;
        if (!known) throw Refusal("\"" + name + "\" takes no field \"" + it.key() + "\"");
    }
    for (const Field& field : form.fields) {
        if (!command.contains(field.name)) {
            if (field.required) throw Refusal("\"" + name + "\" needs \"" + field.name + "\"");
            continue;
        }
        if (!HasType(command.at(field.name), field.type))
            throw Refusal(std::string("\"") + field.name + "\" must be " + TypeName(field.type));
    }
}

Json ErrorAnswer(const Json& id, const Json& name, const std::string& reason) {
    return Json{{"id", id}, {"cmd", name}, {"ok", false}, {"error", reason}};
}

} // namespace

Json CProtocol::Handle(const Json& command) {
    if (!command.is_object()) return ErrorAnswer(nullptr, nullptr, "a command is a JSON object");
    const Json id = command.contains("id") ? command.at("id") : Json(nullptr);
    if (!command.contains("cmd") || !command.at("cmd").is_string())
        return ErrorAnswer(id, nullptr, "a command needs \"cmd\", the command's name");
    const std::string name = command.at("cmd").get<std::string>();
    auto found = Commands().find(name);
    if (found == Commands().end()) return ErrorAnswer(id, name, "unknown command \"" + name + "\"");
    try {
        CheckFields(name, found->second, command);
        Json result = found->second.handler(session_, command);
        Json answer = Json{{"id", id}, {"cmd", name}, {"ok", true}};
        for (auto it = result.begin(); it != result.end(); ++it) answer[it.key()] = it.value();
        return answer;
    } catch (const Refusal& e) {
        return ErrorAnswer(id, name, e.what());
    } catch (const std::exception& e) {
        return ErrorAnswer(id, name, e.what());
    }
}

Json CProtocol::HandleLine(const std::string& line) {
    Json command;
    JsonProblem problem;
    if (!ReadJsonDocument(line, JsonLimits{}, command, problem))
        return ErrorAnswer(nullptr, nullptr, "malformed command: " + problem.text);
    return Handle(command);
}

CEventPump::CEventPump(CSubscriptionStore& store, Callback callback)
    : store_(store), callback_(std::move(callback)) {
    thread_ = std::thread([this] {
        while (!ending_.load()) {
            if (store_.Wait(std::chrono::milliseconds(50)))
                Flush();
            else if (store_.IsClosed())
                break;
        }
    });
}

CEventPump::~CEventPump() {
    ending_.store(true);
    thread_.join();
    Flush();
}

void CEventPump::Flush() {
    std::lock_guard<std::mutex> lock(delivering_);
    for (const Json& event : store_.Take()) callback_(event);
}

} // namespace vtxhost::live
