#include "host/PatchFile.h"

#include <fstream>
#include <istream>
#include <map>
#include <sstream>
#include <streambuf>

#include <nlohmann/json.hpp>

#include "host/KernelServices.h"
#include "host/ParameterValues.h"
#include "host/StoredSignature.h"

namespace vtxhost {

namespace {

using Json = nlohmann::ordered_json;

// A stream buffer over the text that tells how far the parser has read.
class PositionBuffer : public std::streambuf {
public:
    explicit PositionBuffer(const std::string& text) {
        char* begin = const_cast<char*>(text.data());
        setg(begin, begin, begin + text.size());
    }
    std::size_t Position() const { return static_cast<std::size_t>(gptr() - eback()); }
};

// Records the line of every value by its JSON pointer, while the parser reads the text.
class LineMapper : public nlohmann::json_sax<Json> {
public:
    LineMapper(const std::string& text, const PositionBuffer& buffer) : text_(text), buffer_(buffer) {}

    bool null() override { return Value(); }
    bool boolean(bool) override { return Value(); }
    bool number_integer(number_integer_t) override { return Value(); }
    bool number_unsigned(number_unsigned_t) override { return Value(); }
    bool number_float(number_float_t, const string_t&) override { return Value(); }
    bool string(string_t&) override { return Value(); }
    bool binary(binary_t&) override { return Value(); }
    bool start_object(std::size_t) override { return Open(false); }
    bool key(string_t& key) override {
        frames_.back().key = key;
        return true;
    }
    bool end_object() override { return Close(); }
    bool start_array(std::size_t) override { return Open(true); }
    bool end_array() override { return Close(); }
    bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& e) override {
        errorLine_ = LineAt(position == 0 ? 0 : position - 1);
        error_ = e.what();
        return false;
    }

    const std::map<std::string, int>& Lines() const { return lines_; }
    int ErrorLine() const { return errorLine_; }
    const std::string& Error() const { return error_; }

private:
    struct Frame {
        std::string pointer;
        bool array;
        std::size_t index = 0;
        std::string key;
    };
    static std::string Escaped(const std::string& key) {
        std::string out;
        for (char c : key) out += c == '~' ? "~0" : c == '/' ? "~1" : std::string(1, c);
        return out;
    }
    int LineAt(std::size_t position) const {
        int line = 1;
        for (std::size_t i = 0; i < position && i < text_.size(); ++i)
            if (text_[i] == '\n') ++line;
        return line;
    }
    // The pointer of the value being read now, and its line (the last character read
    // belongs to the value's first token or follows it directly).
    std::string Here() {
        std::string pointer;
        if (!frames_.empty()) {
            Frame& frame = frames_.back();
            pointer = frame.pointer + "/" + (frame.array ? std::to_string(frame.index++) : Escaped(frame.key));
        }
        const std::size_t position = buffer_.Position();
        lines_[pointer] = LineAt(position == 0 ? 0 : position - 1);
        return pointer;
    }
    bool Value() {
        Here();
        return true;
    }
    bool Open(bool array) {
        std::string pointer = Here();
        frames_.push_back(Frame{std::move(pointer), array, 0, {}});
        return true;
    }
    bool Close() {
        frames_.pop_back();
        return true;
    }

    const std::string& text_;
    const PositionBuffer& buffer_;
    std::vector<Frame> frames_;
    std::map<std::string, int> lines_;
    int errorLine_ = 0;
    std::string error_;
};

class Loader {
public:
    Loader(CKernelServices& kernel, const std::string& text, std::string fileName, std::string folder,
           const ModuleOpener& openModule)
        : kernel_(kernel), text_(text), fileName_(std::move(fileName)), folder_(std::move(folder)),
          openModule_(openModule) {}

    LoadedPatch Load() {
        Json document = Parse();
        if (!document.is_object()) Fail("", "a patch file holds one JSON object");
        CheckKeys(document, "", {"name", "modules", "blocks", "links", "kernel"});
        LoadedPatch result;
        std::string name = "patch";
        if (document.contains("name")) name = Text(document["name"], "/name", "the patch name");
        if (document.contains("kernel")) SetKernelSwitches(document["kernel"], "/kernel");
        if (document.contains("modules")) {
            const Json& modules = List(document["modules"], "/modules", "\"modules\"");
            for (std::size_t i = 0; i < modules.size(); ++i) {
                const std::string where = "/modules/" + std::to_string(i);
                const std::string path = Text(modules[i], where, "a module path");
                result.modules.push_back(OpenModule(path, where));
                result.modulePaths.push_back(ModulePath(path));
                result.moduleTexts.push_back(path);
            }
        }
        result.patch = std::make_unique<CPatch>(kernel_, name);
        CPatch& patch = *result.patch;
        if (document.contains("blocks")) {
            const Json& blocks = List(document["blocks"], "/blocks", "\"blocks\"");
            for (std::size_t i = 0; i < blocks.size(); ++i) AddBlock(patch, blocks[i], "/blocks/" + std::to_string(i));
        }
        if (document.contains("links")) {
            const Json& links = List(document["links"], "/links", "\"links\"");
            for (std::size_t i = 0; i < links.size(); ++i) AddLink(patch, links[i], "/links/" + std::to_string(i));
        }
        return result;
    }

private:
    [[noreturn]] void Fail(const std::string& pointer, const std::string& problem) const {
        int line = 1;
        for (std::string p = pointer;; p = p.substr(0, p.rfind('/'))) {
            auto found = lines_.find(p);
            if (found != lines_.end()) {
                line = found->second;
                break;
            }
            if (p.empty()) break;
        }
        throw PatchError(fileName_ + ":" + std::to_string(line) + ": " + problem);
    }

    Json Parse() {
        PositionBuffer buffer(text_);
        std::istream stream(&buffer);
        LineMapper mapper(text_, buffer);
        const bool ok = Json::sax_parse(stream, &mapper);
        lines_ = mapper.Lines();
        if (!ok) {
            std::string problem = mapper.Error();
            // The parser's own text starts with its error id ("[json.exception.parse_error.101] ").
            const std::size_t bracket = problem.find("] ");
            if (bracket != std::string::npos) problem = problem.substr(bracket + 2);
            throw PatchError(fileName_ + ":" + std::to_string(mapper.ErrorLine()) + ": " + problem);
        }
        return Json::parse(text_);
    }

    void CheckKeys(const Json& object, const std::string& pointer, std::initializer_list<const char*> known) const {
        for (auto it = object.begin(); it != object.end(); ++it) {
            bool found = false;
            for (const char* key : known) found = found || it.key() == key;
            if (!found) Fail(pointer + "/" + it.key(), "unknown entry \"" + it.key() + "\"");
        }
    }

    std::string Text(const Json& value, const std::string& pointer, const std::string& what) const {
        if (!value.is_string()) Fail(pointer, what + " must be a text");
        return value.get<std::string>();
    }

    const Json& List(const Json& value, const std::string& pointer, const std::string& what) const {
        if (!value.is_array()) Fail(pointer, what + " must be a list");
        return value;
    }

    std::string ModulePath(const std::string& path) const {
        return !path.empty() && path[0] == '/' ? path : folder_ + "/" + path;
    }

    std::shared_ptr<void> OpenModule(const std::string& path, const std::string& pointer) {
        const std::string full = ModulePath(path);
        if (!std::ifstream(full).good()) Fail(pointer, "missing module \"" + path + "\": no such file");
        if (!openModule_) Fail(pointer, "module \"" + path + "\" cannot be loaded: this host loads no modules");
        try {
            return openModule_(kernel_, full);
        } catch (const std::exception& e) {
            Fail(pointer, "module \"" + path + "\" cannot be loaded: " + e.what());
        }
    }

    // The kernel switches a patch may turn on or off, read by the patch when it starts.
    void SetKernelSwitches(const Json& switches, const std::string& pointer) {
        if (!switches.is_object()) Fail(pointer, "\"kernel\" must be an object of switches");
        for (auto it = switches.begin(); it != switches.end(); ++it) {
            const std::string at = pointer + "/" + it.key();
            if (it.key() != "log_graphviz" && it.key() != "log_profiling_info")
                Fail(at, "unknown kernel switch \"" + it.key() + "\" (log_graphviz, log_profiling_info)");
            if (!it.value().is_boolean()) Fail(at, "a kernel switch is true or false");
            kernel_.SetBoolSetting("kernel", it.key(), it.value().get<bool>());
        }
    }

    static std::string ValueText(const Json& value) { return value.is_string() ? value.get<std::string>() : value.dump(); }

    void AddBlock(CPatch& patch, const Json& block, const std::string& pointer) {
        if (!block.is_object()) Fail(pointer, "a block must be an object");
        CheckKeys(block, pointer, {"name", "catalog", "class", "signature", "parameters", "trace_level"});
        if (!block.contains("name")) Fail(pointer, "a block needs a \"name\"");
        if (!block.contains("class")) Fail(pointer, "a block needs a \"class\"");
        const std::string name = Text(block["name"], pointer + "/name", "a block name");
        const std::string classId = Text(block["class"], pointer + "/class", "a block class");
        const std::string catalogId =
            block.contains("catalog") ? Text(block["catalog"], pointer + "/catalog", "a catalog id") : "kernel";
        if (!kernel_.FindCatalog(catalogId))
            Fail(pointer + (block.contains("catalog") ? "/catalog" : "/class"),
                 "unknown catalog \"" + catalogId + "\" (is its module listed in \"modules\"?)");
        if (!kernel_.FindCatalog(catalogId)->HasClass(ObjectKind::Block, classId))
            Fail(pointer + "/class", "unknown block \"" + classId + "\" in catalog \"" + catalogId + "\"");
        // A problem in a stored signature is reported at its own line, as it stands.
        bool storedProblem = false;
        try {
            if (block.contains("signature")) {
                patch.AddStoredBlock(name, catalogId, classId, [&](Vtx::IBlockSignature* signature) {
                    RestoreSignature(kernel_, signature, block["signature"],
                                     [&](const std::string& at, const std::string& problem) {
                                         storedProblem = true;
                                         Fail(pointer + "/signature" + at, problem);
                                     });
                });
            } else {
                patch.AddBlock(name, catalogId, classId);
            }
        } catch (const PatchError& e) {
            if (storedProblem) throw;
            Fail(pointer, e.what());
        }
        if (block.contains("trace_level")) {
            const Json& level = block["trace_level"];
            if (!level.is_number_integer()) Fail(pointer + "/trace_level", "a trace level must be an integer");
            patch.SetTraceLevel(name, level.get<int>());
        }
        if (!block.contains("parameters")) return;
        const Json& parameters = block["parameters"];
        if (!parameters.is_object()) Fail(pointer + "/parameters", "\"parameters\" must be an object");
        // In any order: a value the block refuses is set again after the block's other values.
        std::vector<ParameterValue> values;
        std::vector<std::string> keys;
        for (auto it = parameters.begin(); it != parameters.end(); ++it) {
            values.push_back(ParameterValue{name, it.key(), ValueText(it.value())});
            keys.push_back(it.key());
        }
        const std::vector<ParameterRefusal> refused = SetParameterValues(patch, values);
        if (!refused.empty()) Fail(pointer + "/parameters/" + keys[refused.front().index], refused.front().error);
    }

    static bool SplitPin(const std::string& text, std::string& block, std::string& pin) {
        const std::size_t dot = text.rfind('.');
        if (dot == std::string::npos || dot == 0 || dot + 1 == text.size()) return false;
        block = text.substr(0, dot);
        pin = text.substr(dot + 1);
        return true;
    }

    void AddLink(CPatch& patch, const Json& link, const std::string& pointer) {
        if (!link.is_object()) Fail(pointer, "a link must be an object");
        CheckKeys(link, pointer, {"from", "to"});
        if (!link.contains("from") || !link.contains("to")) Fail(pointer, "a link needs \"from\" and \"to\"");
        std::string fromBlock, fromPin, toBlock, toPin;
        if (!SplitPin(Text(link["from"], pointer + "/from", "\"from\""), fromBlock, fromPin))
            Fail(pointer + "/from", "\"from\" must read BLOCK.PIN");
        if (!SplitPin(Text(link["to"], pointer + "/to", "\"to\""), toBlock, toPin))
            Fail(pointer + "/to", "\"to\" must read BLOCK.PIN");
        try {
            patch.Link(fromBlock, fromPin, toBlock, toPin);
        } catch (const PatchError& e) {
            Fail(pointer, e.what());
        }
    }

    CKernelServices& kernel_;
    const std::string& text_;
    std::string fileName_;
    std::string folder_;
    const ModuleOpener& openModule_;
    std::map<std::string, int> lines_;
};

} // namespace

LoadedPatch LoadPatchText(CKernelServices& kernel, const std::string& text, const std::string& fileName,
                          const std::string& folder, const ModuleOpener& openModule) {
    return Loader(kernel, text, fileName, folder, openModule).Load();
}

LoadedPatch LoadPatchFile(CKernelServices& kernel, const std::string& path, const ModuleOpener& openModule) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw PatchError(path + ": the patch file cannot be read");
    std::ostringstream text;
    text << file.rdbuf();
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    return LoadPatchText(kernel, text.str(), path, folder, openModule);
}

} // namespace vtxhost
