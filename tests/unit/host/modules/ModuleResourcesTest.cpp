#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/modules/ModuleResources.h"

using vtxhost::CModuleResources;

namespace {

std::vector<char> ModuleBytes() {
    std::ifstream in(VTX_MODULE_PATH, std::ios::binary | std::ios::ate);
    std::vector<char> bytes(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

std::string ReadError(const std::vector<char>& bytes) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "vtx_resources_test.so";
    {
        std::ofstream out(path, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::string error = "no error";
    try {
        CModuleResources::ReadFromFile(path.string());
    } catch (const std::runtime_error& e) {
        error = e.what();
    }
    std::filesystem::remove(path);
    return error;
}

TEST(ModuleResources, DamagedFilesAreRefusedWithTheReason) {
    EXPECT_NE(ReadError({'n', 'o', 't', ' ', 'e', 'l', 'f'}).find("not a 64-bit little-endian ELF image"),
              std::string::npos);
    std::vector<char> bytes = ModuleBytes();
    ASSERT_GT(bytes.size(), 4096u);
    EXPECT_NE(ReadError(std::vector<char>(bytes.begin(), bytes.begin() + 4096)).find("truncated"), std::string::npos);

    const std::string magic = "VRES";
    auto record = std::search(bytes.begin(), bytes.end(), magic.begin(), magic.end());
    ASSERT_NE(record, bytes.end());
    std::vector<char> corrupted = bytes;
    corrupted[static_cast<std::size_t>(record - bytes.begin())] = 'X';
    EXPECT_NE(ReadError(corrupted).find("not a resource record"), std::string::npos);
    EXPECT_NE(ReadError({}).find("cannot read the resources of"), std::string::npos);
}

TEST(ModuleResources, LanguageLookUpFallsBackToAnyLanguage) {
    const CModuleResources resources = CModuleResources::ReadFromFile(VTX_MODULE_PATH);
    const vtxhost::CModuleResource* english = resources.Find(2, 103, 1033);
    ASSERT_NE(english, nullptr);
    EXPECT_EQ(resources.Find(2, 103, 1040), english);  // only an English one exists
    EXPECT_EQ(resources.Find(2, 105, 1033), nullptr);
    EXPECT_THROW(CModuleResources::ReadFromFile("/nonexistent/module.so"), std::runtime_error);
}

} // namespace
