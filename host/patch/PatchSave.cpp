#include "host/patch/PatchSave.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>

#include "host/modules/ModuleSearch.h"
#include "host/patch/BlockProbe.h"
#include "host/patch/DeclaredDefaults.h"
#include "host/patch/Patch.h"
#include "host/patch/StoredSignature.h"
#include "host/kernel/KernelServices.h"
#include "vtx/BlockSignature.h"
#include "vtx/KernelDatatypes.h"
#include "vtx/ObjectClass.h"
#include "vtx/Pin.h"

namespace vtxhost {

namespace {

std::string Text(const char* text) { return text ? text : ""; }

// The block's class identity, from the class object the host gave it.
std::pair<std::string, std::string> ClassOfBlock(Vtx::IBlock* block) {
    Vtx::IObjectClass* blockClass = block->GetObjectClass();
    Vtx::IObjectClass* catalog = blockClass ? blockClass->GetCatalog() : nullptr;
    return {catalog ? Text(catalog->GetClassId()) : "", blockClass ? Text(blockClass->GetClassId()) : ""};
}

// Writes the saved text piece by piece to out, gathered into blocks of 64 KiB: nothing
// holds the whole text, nor more than one pin's or parameter's stored form at a time.
class SavedTextWriter {
public:
    explicit SavedTextWriter(const TextSink& out) : out_(out) { buffer_.reserve(kBlock + 4096); }
    ~SavedTextWriter() = default;

    void Put(const std::string& text) {
        buffer_ += text;
        if (buffer_.size() >= kBlock) Flush();
    }
    void Put(const char* text) { Put(std::string(text)); }
    void Flush() {
        if (!buffer_.empty()) out_(buffer_);
        buffer_.clear();
    }

private:
    static constexpr std::size_t kBlock = std::size_t{64} << 10;
    const TextSink& out_;
    std::string buffer_;
};

std::string Dumped(const StoredJson& value) { return value.dump(); }

// The value as the JSON library indents it by two, every line after the first moved right
// by indent: the patch's own entries keep the layout files saved earlier have.
std::string Indented(const StoredJson& value, const std::string& indent) {
    std::string text = value.dump(2);
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1 + indent.size()))
        text.insert(at + 1, indent);
    return text;
}

// The fields of one class's pins and parameters its new blocks declare, learnt once per class.
const DeclaredDefaults& DefaultsOf(CKernelServices& kernel, std::map<std::pair<std::string, std::string>, DeclaredDefaults>& known,
                                   const std::pair<std::string, std::string>& identity) {
    auto found = known.find(identity);
    if (found != known.end()) return found->second;
    BlockDeclarations declared = ProbeBlockClass(kernel, identity.first, identity.second);
    // A class whose new blocks cannot be made has its blocks written in full.
    return known.emplace(identity, declared.Made() ? DeclaredDefaults(declared.stored) : DeclaredDefaults()).first->second;
}

void WriteBlock(SavedTextWriter& out, CPatch& patch, const std::string& name, const DeclaredDefaults& defaults) {
    Vtx::IBlock* block = patch.FindBlock(name);
    const auto identity = ClassOfBlock(block);
    out.Put("    {\n      \"name\": " + Dumped(name) + ",\n      \"catalog\": " + Dumped(identity.first) +
            ",\n      \"class\": " + Dumped(identity.second) + ",\n");
    Vtx::IBlockSignature* signature = block->GetSignature();
    if (auto* level = dynamic_cast<Vtx::IInt*>(signature->GetTraceLevel()); level && level->GetValue() != 0)
        out.Put("      \"trace_level\": " + std::to_string(level->GetValue()) + ",\n");
    out.Put("      \"signature\": {\n        \"defaults\": \"declared\"");
    // The three lists in their order, each opened when its first entry comes (or when a
    // later list does, empty then).
    static const char* const kLists[] = {"inputs", "outputs", "parameters"};
    int current = -1;
    bool empty = true;
    const auto advanceTo = [&](int list) {
        for (; current < list; ++current) {
            if (current >= 0) out.Put(empty ? "]" : "\n        ]");
            out.Put(",\n        \"" + std::string(kLists[current + 1]) + "\": [");
            empty = true;
        }
    };
    ForEachStoredEntry(signature, [&](const char* list, const StoredJson& entry) {
        int index = 0;
        while (std::string(kLists[index]) != list) ++index;
        advanceTo(index);
        out.Put(std::string(empty ? "\n          " : ",\n          ") + Dumped(defaults.Compact(list, entry)));
        empty = false;
    });
    advanceTo(2);
    out.Put(empty ? "]" : "\n        ]");
    out.Put("\n      }\n    }");
}

} // namespace

void WritePatch(CPatch& patch, const std::vector<std::string>& modulePaths, const TextSink& sink) {
    SavedTextWriter out(sink);
    out.Put("{\n  \"name\": " + Dumped(patch.GetName()) + ",\n  \"modules\": " +
            Indented(StoredJson(modulePaths), "  ") + ",\n");
    // The kernel switches the patch set, as it set them.
    StoredJson switches = StoredJson::object();
    for (const char* name : {"log_graphviz", "log_profiling_info"})
        if (patch.GetKernel().HasSetting("kernel", name)) switches[name] = patch.GetKernel().GetBoolSetting("kernel", name);
    if (!switches.empty()) out.Put("  \"kernel\": " + Indented(switches, "  ") + ",\n");
    std::map<Vtx::IBlock*, std::string> names;
    for (const std::string& name : patch.BlockNames()) names[patch.FindBlock(name)] = name;
    std::map<std::pair<std::string, std::string>, DeclaredDefaults> defaults;

    out.Put("  \"blocks\": [");
    bool first = true;
    for (const std::string& name : patch.BlockNames()) {
        const auto identity = ClassOfBlock(patch.FindBlock(name));
        if (identity.second.empty()) throw PatchError("block \"" + name + "\" has no class to save it under");
        out.Put(first ? "\n" : ",\n");
        first = false;
        WriteBlock(out, patch, name, DefaultsOf(patch.GetKernel(), defaults, identity));
    }
    out.Put(first ? "],\n  \"links\": [" : "\n  ],\n  \"links\": [");
    first = true;
    for (const std::string& name : patch.BlockNames()) {
        auto* inputs = patch.FindBlock(name)->GetSignature()->GetInputPins();
        for (std::int32_t i = 0; i < inputs->GetCount(); ++i) {
            Vtx::IInputPin* input = inputs->GetAt(i);
            Vtx::ISyncOutPin* output = input->GetLinkedOutput();
            if (!output) continue;
            auto from = names.find(output->GetBlock());
            if (from == names.end()) continue;
            const StoredJson link = {{"from", from->second + "." + Text(output->GetId())},
                                     {"to", name + "." + Text(input->GetId())}};
            out.Put((first ? "\n    " : ",\n    ") + Indented(link, "    "));
            first = false;
        }
    }
    out.Put(first ? "]\n}\n" : "\n  ]\n}\n");
    out.Flush();
}

std::string SavePatchText(CPatch& patch, const std::vector<std::string>& modulePaths) {
    std::string text;
    WritePatch(patch, modulePaths, [&](const std::string& piece) { text += piece; });
    return text;
}

void SavePatchFile(CPatch& patch, const std::vector<std::string>& modulePaths, const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::absolute(fs::path(path)).parent_path().lexically_normal();
    std::vector<std::string> written;
    for (const std::string& module : modulePaths) {
        if (fs::path(module).is_absolute() || IsCatalogIdName(module)) {
            written.push_back(module);
            continue;
        }
        const fs::path relative = fs::absolute(module).lexically_normal().lexically_relative(folder);
        written.push_back(relative.empty() ? fs::absolute(module).lexically_normal().string() : relative.string());
    }
    WriteFileReplacing(path, [&](const TextSink& sink) { WritePatch(patch, written, sink); });
}

void WriteFileReplacing(const std::string& path, const std::string& text) {
    WriteFileReplacing(path, [&](const TextSink& sink) { sink(text); });
}

void WriteFileReplacing(const std::string& path, const std::function<void(const TextSink&)>& produce) {
    namespace fs = std::filesystem;
    const auto fail = [&](const std::string& why) { return PatchError(path + ": the patch file cannot be written: " + why); };
    // A link is followed, so that the file it names is replaced and the link stays.
    fs::path target = path;
    std::error_code error;
    if (fs::is_symlink(target, error)) {
        target = fs::weakly_canonical(target, error);
        if (error) throw fail(error.message());
    }
    struct stat existing {};
    const bool exists = stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode))
        throw fail(S_ISFIFO(existing.st_mode)  ? "it is a named pipe, not a regular file"
                   : S_ISDIR(existing.st_mode) ? "it is a directory, not a regular file"
                                               : "it is not a regular file");
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string temporary = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = mkstemp(temporary.data());
    if (fd < 0) throw fail(std::strerror(errno));
    const auto abandon = [&](int savedErrno) {
        close(fd);
        unlink(temporary.c_str());
        return fail(std::strerror(savedErrno));
    };
    // The mode of the file replaced, or what a new file gets under the umask.
    mode_t mode = existing.st_mode & 07777;
    if (!exists) {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    if (fchmod(fd, mode) != 0) throw abandon(errno);
    const TextSink sink = [&](const std::string& text) {
        for (std::size_t written = 0; written < text.size();) {
            const ssize_t n = write(fd, text.data() + written, text.size() - written);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) throw abandon(errno);
            written += static_cast<std::size_t>(n);
        }
    };
    try {
        produce(sink);
    } catch (const PatchError&) {
        close(fd);
        unlink(temporary.c_str());
        throw;
    } catch (const std::exception& e) {
        close(fd);
        unlink(temporary.c_str());
        throw fail(e.what());
    }
    if (fsync(fd) != 0) throw abandon(errno);
    if (close(fd) != 0) {
        const int saved = errno;
        unlink(temporary.c_str());
        throw fail(std::strerror(saved));
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        const int saved = errno;
        unlink(temporary.c_str());
        throw fail(std::strerror(saved));
    }
}

std::vector<std::string> ModulePathsFromHere(const std::vector<std::string>& modulePaths,
                                             const std::vector<std::string>& moduleTexts) {
    namespace fs = std::filesystem;
    std::vector<std::string> modules;
    for (std::size_t i = 0; i < modulePaths.size(); ++i) {
        // Absolute paths and catalog ids are written as the patch gives them.
        const bool absolute = i < moduleTexts.size() &&
                              (fs::path(moduleTexts[i]).is_absolute() || IsCatalogIdName(moduleTexts[i]));
        const fs::path full = fs::absolute(modulePaths[i]).lexically_normal();
        const fs::path fromHere = full.lexically_relative(fs::current_path());
        modules.push_back(absolute ? moduleTexts[i] : fromHere.empty() ? full.string() : fromHere.string());
    }
    return modules;
}

} // namespace vtxhost
