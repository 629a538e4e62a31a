#include "host/patch/PatchFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <limits>
#include <map>
#include <optional>
#include <utility>

#include "host/patch/BlockProbe.h"
#include "host/patch/DeclaredDefaults.h"
#include "host/kernel/JsonDocument.h"
#include "host/kernel/JsonStream.h"
#include "host/modules/ModuleSearch.h"
#include "host/kernel/KernelServices.h"
#include "host/patch/ParameterValues.h"
#include "host/patch/StoredSignature.h"

namespace vtxhost {

namespace {

constexpr std::int64_t kMaxTraceLevel = 1000;

// What the checking pass learns of a patch file's layout: whether its entries come in the
// order they are used, so that it can be loaded as it is read. The top level must give the
// name, the kernel switches and the modules before the blocks, and the blocks before the
// links; a block its name, catalog, class and trace level before its stored signature, and
// that before its parameter values; a stored signature "defaults" before its lists. An
// unknown entry anywhere there sends the file the whole way, which reports it as it did.
class PatchShape : public JsonKeyObserver {
public:
    void Key(const std::vector<std::string>& path, const std::string& key) override {
        if (path.empty()) {
            Top(key);
        } else if (path.size() == 2 && path[0] == "blocks") {
            if (const auto index = BlockIndex(path[1])) Block(*index, key);
        } else if (path.size() == 3 && path[0] == "blocks" && path[2] == "signature") {
            if (const auto index = BlockIndex(path[1])) Signature(*index, key);
        }
    }

    bool Streamable() const { return streamable_; }
    bool BlockStreamable(std::size_t index) const { return index >= blocks_.size() || blocks_[index].streamable; }

private:
    struct BlockOrder {
        bool streamable = true;
        bool signature = false, parameters = false, lists = false;
    };

    // The place in the list of blocks that a path's step names. The blocks of a list come
    // one after the other, so a step that is no number, or a number past the next block,
    // is the key of an object where the list should be (any text, "4000000000" too): no
    // block, and the file goes the whole way, which refuses it with its reason.
    std::optional<std::size_t> BlockIndex(const std::string& text) {
        std::size_t index = 0;
        const char* const end = text.data() + text.size();
        const auto [stop, error] = std::from_chars(text.data(), end, index);
        if (text.empty() || error != std::errc() || stop != end || index > blocks_.size()) {
            streamable_ = false;
            return std::nullopt;
        }
        if (index == blocks_.size()) blocks_.emplace_back();
        return index;
    }

    void Top(const std::string& key) {
        if (key == "blocks") {
            blocks_seen_ = true;
        } else if (key == "links") {
            links_seen_ = true;
        } else if (key == "name" || key == "kernel" || key == "modules") {
            if (blocks_seen_ || links_seen_) streamable_ = false;
        } else {
            streamable_ = false;
        }
        if (key == "blocks" && links_seen_) streamable_ = false;
    }

    void Block(std::size_t index, const std::string& key) {
        BlockOrder& block = blocks_[index];
        if (key == "signature") {
            if (block.parameters) block.streamable = false;
            block.signature = true;
        } else if (key == "parameters") {
            block.parameters = true;
        } else if (key == "name" || key == "catalog" || key == "class" || key == "trace_level") {
            if (block.signature || block.parameters) block.streamable = false;
        } else {
            block.streamable = false;
        }
    }

    void Signature(std::size_t index, const std::string& key) {
        BlockOrder& block = blocks_[index];
        if (key == "inputs" || key == "outputs" || key == "parameters")
            block.lists = true;
        else if (key != "defaults" || block.lists)
            block.streamable = false;
    }

    bool streamable_ = true;
    bool blocks_seen_ = false, links_seen_ = false;
    std::vector<BlockOrder> blocks_;
};

class Loader {
public:
    Loader(CKernelServices& kernel, const JsonSource* source, std::string fileName, std::string folder,
           const ModuleOpener& openModule)
        : kernel_(kernel), source_(source), fileName_(std::move(fileName)), folder_(std::move(folder)),
          openModule_(openModule) {}

    // The file is checked whole first (PatchShape), so that a syntax error or a limit
    // anywhere is reported before any module is opened, as it always was. A patch whose
    // entries come in the order they are used (the form save writes) is then loaded as it
    // is read, a block and a pin at a time; any other is read whole and loaded as before.
    LoadedPatch Load() {
        PatchShape shape;
        JsonProblem problem;
        if (!CheckJsonSource(*source_, JsonLimits{}, problem, &shape))
            throw PatchError(fileName_ + ":" + std::to_string(problem.line) + ": " + problem.text);
        try {
            JsonPullReader reader(*source_, JsonLimits{});
            if (!shape.Streamable() || reader.Peek() != JsonPullReader::Kind::Object) {
                Json document = reader.Value();
                reader.End();
                return LoadDocument(document);
            }
            LoadedPatch result = LoadStreamed(reader, shape);
            reader.End();
            return result;
        } catch (const JsonPullError& e) {
            // The file changed since it was checked.
            throw PatchError(fileName_ + ":" + std::to_string(e.line) + ": " + e.what());
        } catch (const JsonSourceError& e) {
            throw PatchError(e.what());
        }
    }

    LoadedPatch LoadDocument(const Json& document) {
        if (!document.is_object()) Fail("", "a patch file holds one JSON object");
        CheckKeys(document, "", {"name", "modules", "blocks", "links", "kernel"});
        LoadedPatch result;
        std::string name = "patch";
        if (document.contains("name")) name = Text(document["name"], "/name", "the patch name");
        if (document.contains("kernel")) SetKernelSwitches(document["kernel"], "/kernel");
        if (document.contains("modules")) OpenModules(document["modules"], result);
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

    // Loads the patch as the reader goes: the shape said that the name, the kernel switches
    // and the modules come before the blocks, and the blocks before the links.
    LoadedPatch LoadStreamed(JsonPullReader& reader, const PatchShape& shape) {
        LoadedPatch result;
        std::string name = "patch";
        const auto patch = [&]() -> CPatch& {
            if (!result.patch) result.patch = std::make_unique<CPatch>(kernel_, name);
            return *result.patch;
        };
        reader.BeginObject();
        std::string key;
        while (reader.NextKey(key)) {
            if (key == "name") {
                name = Text(reader.Value(), "/name", "the patch name");
            } else if (key == "kernel") {
                SetKernelSwitches(reader.Value(), "/kernel");
            } else if (key == "modules") {
                OpenModules(reader.Value(), result);
            } else if (key == "blocks") {
                if (reader.Peek() != JsonPullReader::Kind::Array) Fail("/blocks", "\"blocks\" must be a list");
                reader.BeginArray();
                for (std::size_t i = 0; reader.NextItem(); ++i) {
                    const std::string pointer = "/blocks/" + std::to_string(i);
                    if (shape.BlockStreamable(i) && reader.Peek() == JsonPullReader::Kind::Object)
                        AddBlockStreamed(patch(), reader, pointer);
                    else
                        AddBlock(patch(), reader.Value(), pointer);
                }
            } else {  // "links"
                if (reader.Peek() != JsonPullReader::Kind::Array) Fail("/links", "\"links\" must be a list");
                reader.BeginArray();
                for (std::size_t i = 0; reader.NextItem(); ++i) AddLink(patch(), reader.Value(), "/links/" + std::to_string(i));
            }
        }
        patch();
        return result;
    }

    // One entry of "blocks" or "links" on its own, added to a patch made elsewhere.
    void AddBlockEntry(CPatch& patch, const Json& block) { AddBlock(patch, block, ""); }
    void AddLinkEntry(CPatch& patch, const Json& link) { AddLink(patch, link, ""); }

private:
    // The line is looked up only now, by a pass over the text that stops at the value. An
    // entry given without a file is answered with the problem alone.
    [[noreturn]] void Fail(const std::string& pointer, const std::string& problem) const {
        if (fileName_.empty()) throw PatchError(problem);
        throw PatchError(fileName_ + ":" + std::to_string(LineOfPointer(*source_, pointer)) + ": " + problem);
    }

    void OpenModules(const Json& list, LoadedPatch& result) {
        const Json& modules = List(list, "/modules", "\"modules\"");
        for (std::size_t i = 0; i < modules.size(); ++i) {
            const std::string where = "/modules/" + std::to_string(i);
            const std::string text = Text(modules[i], where, "a module path");
            // A catalog id names the module through the module search path.
            const std::string path = IsCatalogIdName(text) ? FindModuleByCatalogId(text, where) : text;
            result.modules.push_back(OpenModule(path, where));
            if (IsCatalogIdName(text) && !kernel_.FindCatalog(text))
                Fail(where, "module \"" + path + "\", found for catalog \"" + text + "\", offers another catalog");
            result.modulePaths.push_back(ModulePath(path));
            result.moduleTexts.push_back(text);
        }
    }

    void CheckKeys(const Json& object, const std::string& pointer, std::initializer_list<const char*> known) const {
        for (auto it = object.begin(); it != object.end(); ++it) {
            bool found = false;
            for (const char* key : known) found = found || it.key() == key;
            if (!found) Fail(pointer + "/" + PointerToken(it.key()), "unknown entry \"" + it.key() + "\"");
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

    std::string FindModuleByCatalogId(const std::string& catalogId, const std::string& pointer) const {
        const std::string path = FindModuleFile(catalogId);
        if (path.empty())
            Fail(pointer, "no module of catalog \"" + catalogId + "\": no lib" + catalogId + ".so in " +
                              DescribeModuleSearch() + " (VTX_MODULE_PATH adds folders; a path names a file)");
        return path;
    }

    std::shared_ptr<void> OpenModule(const std::string& path, const std::string& pointer) {
        const std::string full = ModulePath(path);
        struct stat status {};
        if (stat(full.c_str(), &status) != 0) {
            if (errno == ENOENT) Fail(pointer, "missing module \"" + path + "\": no such file");
            Fail(pointer, "module \"" + path + "\" cannot be read: " + std::strerror(errno));
        }
        // The same file twice would be attached twice: the second attach is refused by
        // the module, so say what happened instead.
        for (const OpenedFile& opened : openedFiles_)
            if (opened.device == status.st_dev && opened.inode == status.st_ino)
                Fail(pointer, "module \"" + path + "\" is listed twice (first at line " +
                                  std::to_string(LineOfPointer(*source_, opened.pointer)) + ")");
        openedFiles_.push_back(OpenedFile{status.st_dev, status.st_ino, pointer});
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
            const std::string at = pointer + "/" + PointerToken(it.key());
            if (it.key() != "log_graphviz" && it.key() != "log_profiling_info")
                Fail(at, "unknown kernel switch \"" + it.key() + "\" (log_graphviz, log_profiling_info)");
            if (!it.value().is_boolean()) Fail(at, "a kernel switch is true or false");
            kernel_.SetBoolSetting("kernel", it.key(), it.value().get<bool>());
        }
    }

    static std::string ValueText(const Json& value) { return value.is_string() ? value.get<std::string>() : value.dump(); }

    struct OwnDeclarations {
        DeclaredBounds bounds;
        DeclaredDefaults defaults;
    };

    struct BlockIdentity {
        std::string name, catalogId, classId;
    };

    // The block's name, catalog and class, with the checks of the entry's keys and of the
    // catalog and class.
    BlockIdentity IdentityOf(const Json& block, const std::string& pointer) {
        if (!block.is_object()) Fail(pointer, "a block must be an object");
        CheckKeys(block, pointer, {"name", "catalog", "class", "signature", "parameters", "trace_level"});
        if (!block.contains("name")) Fail(pointer, "a block needs a \"name\"");
        if (!block.contains("class")) Fail(pointer, "a block needs a \"class\"");
        BlockIdentity identity;
        identity.name = Text(block["name"], pointer + "/name", "a block name");
        identity.classId = Text(block["class"], pointer + "/class", "a block class");
        identity.catalogId =
            block.contains("catalog") ? Text(block["catalog"], pointer + "/catalog", "a catalog id") : "kernel";
        const std::string& catalogId = identity.catalogId;
        const std::string& classId = identity.classId;
        if (!kernel_.FindCatalog(catalogId))
            Fail(pointer + (block.contains("catalog") ? "/catalog" : "/class"),
                 "unknown catalog \"" + catalogId + "\" (is its module listed in \"modules\"?)");
        if (!kernel_.FindCatalog(catalogId)->HasClass(ObjectKind::Block, classId)) {
            std::string classes;
            for (const std::string& id : kernel_.FindCatalog(catalogId)->GetClassIds(ObjectKind::Block))
                classes += (classes.empty() ? "" : ", ") + id;
            Fail(pointer + "/class", "unknown block class \"" + classId + "\" in catalog \"" + catalogId + "\" (" +
                                         (classes.empty() ? "it has no block classes" : "its block classes: " + classes) +
                                         ")");
        }
        return identity;
    }

    // Makes the block, giving it the stored signature restore reads when there is one.
    void MakeBlock(CPatch& patch, const BlockIdentity& identity, const std::string& pointer,
                   const std::function<void(Vtx::IBlockSignature*, const StoredSignatureFailure&, const OwnDeclarations&)>* restore) {
        // A problem in a stored signature is reported at its own line, as it stands.
        bool storedProblem = false;
        try {
            if (restore) {
                const OwnDeclarations& own = Own(identity.catalogId, identity.classId);
                patch.AddStoredBlock(identity.name, identity.catalogId, identity.classId, [&](Vtx::IBlockSignature* signature) {
                    (*restore)(signature,
                               [&](const std::string& at, const std::string& problem) {
                                   storedProblem = true;
                                   Fail(pointer + "/signature" + at, problem);
                               },
                               own);
                });
            } else {
                patch.AddBlock(identity.name, identity.catalogId, identity.classId);
            }
        } catch (const PatchError& e) {
            if (storedProblem) throw;
            Fail(pointer, e.what());
        }
    }

    void SetTraceLevel(CPatch& patch, const Json& block, const std::string& name, const std::string& pointer) {
        if (!block.contains("trace_level")) return;
        const Json& level = block["trace_level"];
        if (!level.is_number_integer()) Fail(pointer + "/trace_level", "a trace level must be an integer");
        const bool inRange = level.is_number_unsigned()
                                 ? level.get<std::uint64_t>() <= static_cast<std::uint64_t>(kMaxTraceLevel)
                                 : level.get<std::int64_t>() >= 0 && level.get<std::int64_t>() <= kMaxTraceLevel;
        if (!inRange)
            Fail(pointer + "/trace_level", "the trace level " + level.dump() + " lies outside 0 to " +
                                               std::to_string(kMaxTraceLevel));
        patch.SetTraceLevel(name, level.get<std::int32_t>());
    }

    void AddBlock(CPatch& patch, const Json& block, const std::string& pointer) {
        const BlockIdentity identity = IdentityOf(block, pointer);
        if (block.contains("signature")) {
            const std::function<void(Vtx::IBlockSignature*, const StoredSignatureFailure&, const OwnDeclarations&)> restore =
                [&](Vtx::IBlockSignature* signature, const StoredSignatureFailure& fail, const OwnDeclarations& own) {
                    RestoreSignature(kernel_, signature, block["signature"], fail, own.bounds, &own.defaults);
                };
            MakeBlock(patch, identity, pointer, &restore);
        } else {
            MakeBlock(patch, identity, pointer, nullptr);
        }
        SetTraceLevel(patch, block, identity.name, pointer);
        if (!block.contains("parameters")) return;
        const Json& parameters = block["parameters"];
        if (!parameters.is_object()) Fail(pointer + "/parameters", "\"parameters\" must be an object");
        // In any order: a value the block refuses is set again after the block's other values.
        std::vector<ParameterValue> values;
        std::vector<std::string> keys;
        for (auto it = parameters.begin(); it != parameters.end(); ++it) {
            values.push_back(ParameterValue{identity.name, it.key(), ValueText(it.value())});
            keys.push_back(it.key());
        }
        // One object's keys: no parameter comes twice (a repeated key is refused).
        const std::vector<ParameterRefusal> refused = SetParameterValues(patch, values, true);
        if (!refused.empty())
            Fail(pointer + "/parameters/" + PointerToken(keys[refused.front().index]), refused.front().error);
    }

    // The same as the reader goes: the entries before "signature" and "parameters" are
    // taken whole (the shape said that the others come after them), the stored signature
    // is declared a pin at a time, and the parameter values are set as they come, those
    // refused set again once all are in (ParameterValues.h: the same rounds as a group).
    void AddBlockStreamed(CPatch& patch, JsonPullReader& reader, const std::string& pointer) {
        reader.BeginObject();
        Json head = Json::object();
        std::string key;
        bool more = reader.NextKey(key);
        while (more && key != "signature" && key != "parameters") {
            head[key] = reader.Value();
            more = reader.NextKey(key);
        }
        const BlockIdentity identity = IdentityOf(head, pointer);
        if (more && key == "signature") {
            bool read = false;
            const std::function<void(Vtx::IBlockSignature*, const StoredSignatureFailure&, const OwnDeclarations&)> restore =
                [&](Vtx::IBlockSignature* signature, const StoredSignatureFailure& fail, const OwnDeclarations& own) {
                    read = true;
                    RestoreSignatureStreamed(kernel_, signature, reader, fail, own.bounds, &own.defaults);
                };
            MakeBlock(patch, identity, pointer, &restore);
            if (!read) reader.Value();
            more = reader.NextKey(key);
        } else {
            MakeBlock(patch, identity, pointer, nullptr);
        }
        SetTraceLevel(patch, head, identity.name, pointer);
        if (more && key == "parameters") {
            SetParametersStreamed(patch, reader, identity.name, pointer + "/parameters");
            more = reader.NextKey(key);
        }
        if (more) Fail(pointer + "/" + PointerToken(key), "unknown entry \"" + key + "\"");
    }

    void SetParametersStreamed(CPatch& patch, JsonPullReader& reader, const std::string& block, const std::string& pointer) {
        if (reader.Peek() != JsonPullReader::Kind::Object) Fail(pointer, "\"parameters\" must be an object");
        reader.BeginObject();
        std::vector<ParameterValue> refused;
        std::string key;
        while (reader.NextKey(key)) {
            ParameterValue value{block, key, ValueText(reader.Value())};
            try {
                patch.SetParameter(value.block, value.parameter, value.text);
            } catch (const ParameterRefused&) {
                refused.push_back(std::move(value));
            } catch (const PatchError& e) {
                Fail(pointer + "/" + PointerToken(key), e.what());
            }
        }
        if (refused.empty()) return;
        const std::vector<ParameterRefusal> left = SetParameterValues(patch, refused, true);
        if (!left.empty()) Fail(pointer + "/" + PointerToken(refused[left.front().index].parameter), left.front().error);
    }

    // What the class declares when it builds its own signature, found once per class with
    // a block made for the purpose: the bounds a stored signature may narrow but not widen,
    // and the fields the saved form leaves out.
    const OwnDeclarations& Own(const std::string& catalogId, const std::string& classId) {
        const auto key = std::make_pair(catalogId, classId);
        auto found = own_.find(key);
        if (found != own_.end()) return found->second;
        // A class that cannot build its own signature has nothing to hold a stored one to.
        const BlockDeclarations declared = ProbeBlockClass(kernel_, catalogId, classId);
        OwnDeclarations own{BoundsOf(declared), declared.Made() ? DeclaredDefaults(declared.stored) : DeclaredDefaults()};
        return own_.emplace(key, std::move(own)).first->second;
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
    const JsonSource* source_;
    std::string fileName_;
    std::string folder_;
    const ModuleOpener& openModule_;
    struct OpenedFile {
        dev_t device;
        ino_t inode;
        std::string pointer;
    };
    std::vector<OpenedFile> openedFiles_;
    std::map<std::pair<std::string, std::string>, OwnDeclarations> own_;
};

// Closes the descriptor when the reading ends, however it ends.
struct FileDescriptor {
    int fd;
    ~FileDescriptor() {
        if (fd >= 0) close(fd);
    }
};

} // namespace

std::string ReadPatchFileText(const std::string& path, std::size_t maxBytes) {
    // Opened without waiting, so that a pipe with no writer is refused instead of blocking.
    FileDescriptor file{open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    if (file.fd < 0) throw PatchError(path + ": the patch file cannot be opened: " + std::strerror(errno));
    struct stat status {};
    if (fstat(file.fd, &status) != 0)
        throw PatchError(path + ": the patch file cannot be read: " + std::strerror(errno));
    if (!S_ISREG(status.st_mode))
        throw PatchError(path + ": the patch file is " + FileKind(status.st_mode) + ", not a regular file");
    const auto tooLong = [&](std::uint64_t size) {
        return PatchError(path + ": the patch file is " + std::to_string(size) + " bytes long, more than the limit of " +
                          std::to_string(maxBytes));
    };
    if (static_cast<std::uint64_t>(status.st_size) > maxBytes) throw tooLong(static_cast<std::uint64_t>(status.st_size));
    std::string text(static_cast<std::size_t>(status.st_size), '\0');
    std::size_t filled = 0;
    // The file may change while it is read: read until its end, never past the limit.
    for (;;) {
        if (filled == text.size()) {
            if (text.size() > maxBytes) throw tooLong(text.size());
            text.resize(text.size() + 4096);
        }
        const ssize_t got = read(file.fd, &text[filled], text.size() - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) throw PatchError(path + ": the patch file cannot be read: " + std::strerror(errno));
        if (got == 0) break;
        filled += static_cast<std::size_t>(got);
    }
    text.resize(filled);
    if (text.size() > maxBytes) throw tooLong(text.size());
    return text;
}

LoadedPatch LoadPatchText(CKernelServices& kernel, const std::string& text, const std::string& fileName,
                          const std::string& folder, const ModuleOpener& openModule) {
    const auto source = TextJsonSource(text);
    return Loader(kernel, source.get(), fileName, folder, openModule).Load();
}

void AddPatchBlockEntry(CKernelServices& kernel, CPatch& patch, const Json& block) {
    Loader(kernel, nullptr, "", "", ModuleOpener{}).AddBlockEntry(patch, block);
}

void AddPatchLinkEntry(CKernelServices& kernel, CPatch& patch, const Json& link) {
    Loader(kernel, nullptr, "", "", ModuleOpener{}).AddLinkEntry(patch, link);
}

LoadedPatch LoadPatchFile(CKernelServices& kernel, const std::string& path, const ModuleOpener& openModule) {
    // Read in blocks, never whole: the file is checked once, then loaded as it is read.
    std::unique_ptr<JsonSource> source;
    try {
        source = FileJsonSource(path, JsonLimits{}.maxBytes);
    } catch (const JsonSourceError& e) {
        throw PatchError(e.what());
    }
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    return Loader(kernel, source.get(), path, folder, openModule).Load();
}

} // namespace vtxhost
