// Saving keeps what the patch set (its kernel switches) and writes the file whole or not
// at all: beside the target first, then renamed over it; a target that is no regular file
// is refused with the reason, without being opened.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "host/kernel/KernelServices.h"
#include "host/patch/PatchFile.h"
#include "host/patch/PatchSave.h"

namespace {

namespace fs = std::filesystem;
using vtxhost::PatchError;

std::string ReadAll(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

std::string Refusal(const std::string& path) {
    try {
        vtxhost::WriteFileReplacing(path, "new");
    } catch (const PatchError& e) {
        return e.what();
    }
    return "written";
}

TEST(PatchSaveFile, TheKernelSwitchesAreSavedAndLoadBack) {
    vtxhost::CKernelServices kernel;
    auto loaded = vtxhost::LoadPatchText(
        kernel, R"({"name": "k", "kernel": {"log_profiling_info": true, "log_graphviz": false}, "blocks": []})", "p.json",
        ".", {});
    const std::string saved = vtxhost::SavePatchText(*loaded.patch, {});
    EXPECT_NE(saved.find("\"kernel\": {\n    \"log_graphviz\": false,\n    \"log_profiling_info\": true\n  }"),
              std::string::npos)
        << saved;
    vtxhost::CKernelServices other;
    auto again = vtxhost::LoadPatchText(other, saved, "saved.json", ".", {});
    EXPECT_TRUE(other.GetBoolSetting("kernel", "log_profiling_info"));
    EXPECT_TRUE(other.HasSetting("kernel", "log_graphviz"));
    EXPECT_EQ(vtxhost::SavePatchText(*again.patch, {}), saved);

    vtxhost::CKernelServices plain;  // no switch set: none written
    auto none = vtxhost::LoadPatchText(plain, R"({"name": "k", "blocks": []})", "p.json", ".", {});
    EXPECT_EQ(vtxhost::SavePatchText(*none.patch, {}).find("\"kernel\""), std::string::npos);
}

TEST(PatchSaveFile, ReplacesTheTargetWholeAndKeepsItsModeAndLinks) {
    const fs::path folder = fs::path(::testing::TempDir()) / "save-file-test";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path target = folder / "p.json";
    std::ofstream(target) << "old content, longer than the new";
    chmod(target.c_str(), 0640);
    fs::create_symlink(target, folder / "link.json");

    vtxhost::WriteFileReplacing((folder / "link.json").string(), "new");
    EXPECT_EQ(ReadAll(target), "new");
    EXPECT_TRUE(fs::is_symlink(folder / "link.json"));
    struct stat status {};
    ASSERT_EQ(stat(target.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
    // Nothing is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);

    ASSERT_EQ(mkfifo((folder / "fifo.json").c_str(), 0600), 0);
    EXPECT_EQ(Refusal((folder / "fifo.json").string()),
              (folder / "fifo.json").string() + ": the patch file cannot be written: it is a named pipe, not a regular file");
    EXPECT_EQ(Refusal(folder.string()),
              folder.string() + ": the patch file cannot be written: it is a directory, not a regular file");
    EXPECT_EQ(Refusal((folder / "missing/p.json").string()),
              (folder / "missing/p.json").string() + ": the patch file cannot be written: No such file or directory");
    fs::remove_all(folder);
}

} // namespace
