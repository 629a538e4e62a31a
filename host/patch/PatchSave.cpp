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

} // namespace

std::string SavePatchText(CPatch& patch, const std::vector<std::string>& modulePaths) {
    StoredJson document = StoredJson::object();
    document["name"] = patch.GetName();
    document["modules"] = modulePaths;
    // The kernel switches the patch set, as it set them.
    StoredJson switches = StoredJson::object();
    for (const char* name : {"log_graphviz", "log_profiling_info"})
        if (patch.GetKernel().HasSetting("kernel", name)) switches[name] = patch.GetKernel().GetBoolSetting("kernel", name);
    if (!switches.empty()) document["kernel"] = switches;
    StoredJson blocks = StoredJson::array();
    StoredJson links = StoredJson::array();
    std::map<Vtx::IBlock*, std::string> names;
    for (const std::string& name : patch.BlockNames()) names[patch.FindBlock(name)] = name;

    for (const std::string& name : patch.BlockNames()) {
        Vtx::IBlock* block = patch.FindBlock(name);
        const auto identity = ClassOfBlock(block);
        if (identity.second.empty()) throw PatchError("block \"" + name + "\" has no class to save it under");
        Vtx::IBlockSignature* signature = block->GetSignature();
        StoredJson entry = {{"name", name}, {"catalog", identity.first}, {"class", identity.second}};
        if (auto* level = dynamic_cast<Vtx::IInt*>(signature->GetTraceLevel()); level && level->GetValue() != 0)
            entry["trace_level"] = level->GetValue();
        entry["signature"] = StoreSignature(signature);
        blocks.push_back(entry);

        auto* inputs = signature->GetInputPins();
        for (std::int32_t i = 0; i < inputs->GetCount(); ++i) {
            Vtx::IInputPin* input = inputs->GetAt(i);
            Vtx::ISyncOutPin* output = input->GetLinkedOutput();
            if (!output) continue;
            auto from = names.find(output->GetBlock());
            if (from == names.end()) continue;
            links.push_back({{"from", from->second + "." + Text(output->GetId())},
                             {"to", name + "." + Text(input->GetId())}});
        }
    }
    document["blocks"] = blocks;
    document["links"] = links;
    return document.dump(2) + "\n";
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
    WriteFileReplacing(path, SavePatchText(patch, written));
}

void WriteFileReplacing(const std::string& path, const std::string& text) {
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
    for (std::size_t written = 0; written < text.size();) {
        const ssize_t n = write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw abandon(errno);
        written += static_cast<std::size_t>(n);
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
