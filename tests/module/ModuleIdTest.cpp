// Patches that name their modules by catalog id, found through the module search path.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/module/ToolRun.h"

namespace {

namespace fs = std::filesystem;

struct Folder {
    fs::path path = fs::temp_directory_path() / ("vtx_module_ids_" + std::to_string(::getpid()));
    Folder() {
        fs::remove_all(path);
        fs::create_directories(path / "mods");
    }
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

std::string MixPatchNaming(const std::string& module) {
    return R"({"modules": [")" + module + R"("], "blocks": [
  {"name": "a", "class": "sequence_source", "parameters": {"values": [1]}},
  {"name": "b", "class": "sequence_source", "parameters": {"values": [2]}},
  {"name": "mix", "catalog": "Faulty", "class": "Mix", "parameters": {"gain": 3}},
  {"name": "show", "class": "sink"}],
 "links": [{"from": "a.output", "to": "mix.a"}, {"from": "b.output", "to": "mix.b"},
           {"from": "mix.output", "to": "show.input"}]}
)";
}

TEST(ModuleIds, APatchNamesItsModuleByCatalogIdThroughTheSearchPath) {
    Folder folder;
    const std::string sound = std::string(VTX_CHECK_MODULE_DIR) + "/libCheckSound.so";
    fs::create_symlink(sound, folder.path / "mods" / "libFaulty.so");
    std::ofstream(folder.path / "mix.json") << MixPatchNaming("Faulty");
    const std::string patch = (folder.path / "mix.json").string();
    const std::string path = "VTX_MODULE_PATH=/nonexistent:" + (folder.path / "mods").string();

    const ToolRun run = RunVtxhostSplit("run " + patch + " --activations 1", path);
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_NE(run.output.find("show: 9\n"), std::string::npos) << run.output;
    // A save keeps the id, so that the saved patch runs wherever the module is installed.
    const std::string saved = (folder.path / "saved.json").string();
    ASSERT_EQ(RunVtxhostSplit("save " + patch + " " + saved, path).status, 0);
    std::ifstream in(saved);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("\"modules\": [\n    \"Faulty\"\n  ]"), std::string::npos) << text;
    EXPECT_EQ(RunVtxhostSplit("run " + saved + " --activations 1", path).status, 0);

    // Not found: the message names the folders searched.
    const ToolRun missing = RunVtxhostSplit("run " + patch, "VTX_MODULE_PATH=/nonexistent");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.errors.find("mix.json:1: no module of catalog \"Faulty\": no libFaulty.so in /nonexistent, "),
              std::string::npos)
        << missing.errors;
    // A file of the id's name whose catalog is another.
    fs::create_symlink(sound, folder.path / "mods" / "libOther.so");
    std::ofstream(folder.path / "other.json") << MixPatchNaming("Other");
    const ToolRun other = RunVtxhostSplit("run " + (folder.path / "other.json").string(), path);
    EXPECT_EQ(other.status, 1);
    EXPECT_NE(other.errors.find("libOther.so\", found for catalog \"Other\", offers another catalog"), std::string::npos)
        << other.errors;
}

} // namespace
