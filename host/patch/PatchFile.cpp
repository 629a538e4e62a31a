#include "host/patch/PatchFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <map>
#include <utility>

#include "host/patch/BlockProbe.h"
#include "host/kernel/JsonDocument.h"
#include "host/modules/ModuleSearch.h"
#include "host/kernel/JsonDocument.h"
#include "host/kernel/KernelServices.h"
#include "host/patch/ParameterValues.h"
#include "host/patch/StoredSignature.h"

namespace vtxhost {

namespace {

constexpr std::int64_t kMaxTraceLevel = 1000;

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
                const std::string text = Text(modules[i], where, "a module path");
                // A catalog id names the module through the module search path.
                const std::string path = IsCatalogIdName(text) ? FindModuleByCatalogId(text, where) : text;
                result.modules.push_back(OpenModule(path, where));
                if (IsCatalogIdName(text) && !kernel_.FindCatalog(text))
                    Fail(where, "module \"" + path + "\", found for catalog \"" + text +
                                    "\", offers another catalog");
                result.modulePaths.push_back(ModulePath(path));
                result.moduleTexts.push_back(text);
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

    // One entry of "blocks" or "links" on its own, added to a patch made elsewhere.
    void AddBlockEntry(CPatch& patch, const Json& block) { AddBlock(patch, block, ""); }
    void AddLinkEntry(CPatch& patch, const Json& link) { AddLink(patch, link, ""); }

private:
    // The line is looked up only now, by a pass over the text that stops at the value. An
    // entry given without a file is answered with the problem alone.
    [[noreturn]] void Fail(const std::string& pointer, const std::string& problem) const {
        if (fileName_.empty()) throw PatchError(problem);
        throw PatchError(fileName_ + ":" + std::to_string(LineOfPointer(text_, pointer)) + ": " + problem);
    }

    Json Parse() {
        Json document;
        JsonProblem problem;
        if (!ReadJsonDocument(text_, JsonLimits{}, document, problem))
            throw PatchError(fileName_ + ":" + std::to_string(problem.line) + ": " + problem.text);
        return document;
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
                                  std::to_string(LineOfPointer(text_, opened.pointer)) + ")");
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
        if (!kernel_.FindCatalog(catalogId)->HasClass(ObjectKind::Block, classId)) {
            std::string classes;
            for (const std::string& id : kernel_.FindCatalog(catalogId)->GetClassIds(ObjectKind::Block))
                classes += (classes.empty() ? "" : ", ") + id;
            Fail(pointer + "/class", "unknown block class \"" + classId + "\" in catalog \"" + catalogId + "\" (" +
                                         (classes.empty() ? "it has no block classes" : "its block classes: " + classes) +
                                         ")");
        }
        // A problem in a stored signature is reported at its own line, as it stands.
        bool storedProblem = false;
        try {
            if (block.contains("signature")) {
                patch.AddStoredBlock(name, catalogId, classId, [&](Vtx::IBlockSignature* signature) {
                    RestoreSignature(
                        kernel_, signature, block["signature"],
                        [&](const std::string& at, const std::string& problem) {
                            storedProblem = true;
                            Fail(pointer + "/signature" + at, problem);
                        },
                        OwnBounds(catalogId, classId));
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
            const bool inRange = level.is_number_unsigned()
                                     ? level.get<std::uint64_t>() <= static_cast<std::uint64_t>(kMaxTraceLevel)
                                     : level.get<std::int64_t>() >= 0 && level.get<std::int64_t>() <= kMaxTraceLevel;
            if (!inRange)
                Fail(pointer + "/trace_level", "the trace level " + level.dump() + " lies outside 0 to " +
                                                   std::to_string(kMaxTraceLevel));
            patch.SetTraceLevel(name, level.get<std::int32_t>());
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
        // One object's keys: no parameter comes twice (a repeated key is refused).
        const std::vector<ParameterRefusal> refused = SetParameterValues(patch, values, true);
        if (!refused.empty())
            Fail(pointer + "/parameters/" + PointerToken(keys[refused.front().index]), refused.front().error);
    }

    // The bounds the class declares when it builds its own signature, found once per
    // class with a block made for the purpose.
    const DeclaredBounds& OwnBounds(const std::string& catalogId, const std::string& classId) {
        const auto key = std::make_pair(catalogId, classId);
        auto found = ownBounds_.find(key);
        if (found != ownBounds_.end()) return found->second;
        // A class that cannot build its own signature has no bounds to hold a stored one to.
        return ownBounds_.emplace(key, BoundsOf(ProbeBlockClass(kernel_, catalogId, classId))).first->second;
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
    struct OpenedFile {
        dev_t device;
        ino_t inode;
        std::string pointer;
    };
    std::vector<OpenedFile> openedFiles_;
    std::map<std::pair<std::string, std::string>, DeclaredBounds> ownBounds_;
};

const char* FileKind(mode_t mode) {
    if (S_ISDIR(mode)) return "a directory";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISFIFO(mode)) return "a pipe";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

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
    return Loader(kernel, text, fileName, folder, openModule).Load();
}

void AddPatchBlockEntry(CKernelServices& kernel, CPatch& patch, const Json& block) {
    const std::string text;
    Loader(kernel, text, "", "", ModuleOpener{}).AddBlockEntry(patch, block);
}

void AddPatchLinkEntry(CKernelServices& kernel, CPatch& patch, const Json& link) {
    const std::string text;
    Loader(kernel, text, "", "", ModuleOpener{}).AddLinkEntry(patch, link);
}

LoadedPatch LoadPatchFile(CKernelServices& kernel, const std::string& path, const ModuleOpener& openModule) {
    const std::string text = ReadPatchFileText(path, JsonLimits{}.maxBytes);
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    return LoadPatchText(kernel, text, path, folder, openModule);
}

} // namespace vtxhost
