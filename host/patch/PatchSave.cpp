#include "host/patch/PatchSave.h"

#include <filesystem>
#include <fstream>
#include <map>

#include "host/modules/ModuleSearch.h"
#include "host/patch/Patch.h"
#include "host/patch/StoredSignature.h"
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
    const std::string text = SavePatchText(patch, written);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file || !(file << text) || !file.flush()) throw PatchError(path + ": the patch file cannot be written");
}

} // namespace vtxhost
