// vtxhost inspect on the built module, run as a user runs it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/modules/ModuleResources.h"
#include "platform/Resources.h"
#include "tests/module/ToolRun.h"

namespace {

ToolRun Inspect(const std::string& arguments) {
    return RunVtxhost(std::string("inspect ") + VTX_MODULE_PATH + " " + arguments);
}

std::uint32_t Read32(const std::vector<std::uint8_t>& file, std::size_t at) {
    return file[at] | file[at + 1] << 8 | file[at + 2] << 16 | static_cast<std::uint32_t>(file[at + 3]) << 24;
}

TEST(Inspect, PrintsEveryDeclarationOfTheCatalog) {
    const ToolRun run = Inspect("");
    ASSERT_EQ(run.status, 0) << run.output;
    for (const char* literal : {
             "BRENNICK2010_{6F0C3A52-9D41-4E7B-A8C2-3B5E07D91F64}",
             "SDK version: 5.1.0",
             "Catalog Brennick2010",
             "Bitmap id: 101",
             "  Interval\n    Name: Interval\n    Description: An interval in the floating/point domain\n",
             "Init info: yes",
             "  LabelledSetIntervalGenerator\n    Name: LabelledSetIntervalGenerator\n"
             "    Description: A block which generates a labelled set of intervals\n",
             "Library path: DataStructures.LabelledSet",
             "  Vector\n    Name: Vector\n    Description: A block which stores an array of datatypes\n",
             "  Brennick2010_company\n    Name: Corvel\n    Description: Corvel Lab dist, univ of Tarlow\n",
             "  Brennick2010_license\n    Name: Brennick2010 Licence\n"
             "    Description: This catalog has the same license of Vantrix Tessel\n",
             "  Brennick2010_author\n    Name: Kestle\n    Description: Orrel\n",
             "Authors: Brennick2010_author",
             "Language ids: 1033",
         })
        EXPECT_NE(run.output.find(literal), std::string::npos) << literal;
    // Blocks in declaration order, then the datatype's collection.
    EXPECT_LT(run.output.find("  LabelledSetIntervalGenerator\n"), run.output.find("  Vector\n"));
    EXPECT_LT(run.output.find("  Vector\n"), run.output.find("Datatype classes (1)"));
}

TEST(Inspect, JsonCarriesTheSameAndAskedLanguage) {
    const ToolRun run = Inspect("--json --language 0x410");
    ASSERT_EQ(run.status, 0) << run.output;
    const auto model = nlohmann::json::parse(run.output);
    EXPECT_EQ(model["catalog"]["languageId"], 1040);
    EXPECT_EQ(model["catalog"]["name"], "Brennick2010");
    EXPECT_EQ(model["languageIds"], nlohmann::json::array({1040}));
    ASSERT_EQ(model["collections"].size(), 15u);
    EXPECT_EQ(model["catalog"]["bitmapId"], 101);
    const auto& blocks = model["collections"][0];
    EXPECT_EQ(blocks["collection"], "Block classes");
    ASSERT_EQ(blocks["records"].size(), 2u);
    // Each block with its own bitmap and library path.
    EXPECT_EQ(blocks["records"][0]["classId"], "LabelledSetIntervalGenerator");
    EXPECT_EQ(blocks["records"][0]["bitmapId"], 104);
    EXPECT_EQ(blocks["records"][0]["libraryPath"], "DataStructures.LabelledSet");
    EXPECT_EQ(blocks["records"][1]["classId"], "Vector");
    EXPECT_EQ(blocks["records"][1]["bitmapId"], 103);
    EXPECT_EQ(blocks["records"][1]["libraryPath"], "DataStructures");
    EXPECT_EQ(model["collections"][2]["records"][0]["bitmapId"], 0);
    EXPECT_EQ(blocks["records"][1]["authorIds"], nlohmann::json::array({"Brennick2010_author"}));
    EXPECT_TRUE(blocks["records"][1]["textTriples"].is_null());
    EXPECT_EQ(model["collections"][2]["records"][0]["hasInitInfo"], true);
}

TEST(Inspect, WritesTheClassBitmapsAsBmpFiles) {
    const std::filesystem::path directory =
        std::filesystem::temp_directory_path() / ("vtx_inspect_" + std::to_string(::getpid()));
    std::filesystem::remove_all(directory);
    const ToolRun run = Inspect("--bitmaps " + directory.string());
    ASSERT_EQ(run.status, 0) << run.output;
    const auto resources = vtxhost::CModuleResources::ReadFromFile(VTX_MODULE_PATH);
    struct Expected {
        const char* file;
        std::uint32_t bitmapId;
        std::int32_t size;
        std::uint16_t bits;
        std::uint32_t colours;
    };
    for (const Expected& expected :
         {Expected{"Brennick2010.bmp", 101, 32, 24, 0}, Expected{"Vector.bmp", 103, 30, 4, 16},
          Expected{"LabelledSetIntervalGenerator.bmp", 104, 30, 4, 16}}) {
        std::ifstream in(directory / expected.file, std::ios::binary);
        ASSERT_TRUE(in) << expected.file;
        const std::vector<std::uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        ASSERT_GE(file.size(), 54u);
        EXPECT_EQ(file[0], 'B');
        EXPECT_EQ(file[1], 'M');
        EXPECT_EQ(Read32(file, 2), file.size());
        EXPECT_EQ(Read32(file, 14), 40u);  // info header size
        EXPECT_EQ(static_cast<std::int32_t>(Read32(file, 18)), expected.size);
        EXPECT_EQ(static_cast<std::int32_t>(Read32(file, 22)), expected.size);
        EXPECT_EQ(file[26] | file[27] << 8, 1);  // planes
        EXPECT_EQ(file[28] | file[29] << 8, expected.bits);
        EXPECT_EQ(Read32(file, 30), 0u);  // uncompressed
        const std::uint32_t rowSize = ((expected.size * expected.bits + 31) / 32) * 4;
        EXPECT_EQ(Read32(file, 10), 54 + 4 * expected.colours);  // pixels after the colour table
        EXPECT_EQ(file.size(), 54 + 4 * expected.colours + rowSize * expected.size);
        // The class's own bitmap: the file holds that resource after its 14-byte header.
        const vtxhost::CModuleResource* bitmap = resources.Find(platform::RT_BITMAP, expected.bitmapId, 1033);
        ASSERT_NE(bitmap, nullptr) << expected.bitmapId;
        EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + 14, file.end()), bitmap->data) << expected.file;
        EXPECT_NE(run.output.find(std::string("Bitmap file: ") + (directory / expected.file).string()),
                  std::string::npos);
    }
    std::filesystem::remove_all(directory);
}

TEST(Inspect, RefusesBadArgumentsWithUsage) {
    const ToolRun run = Inspect("--language 70000 2>&1");
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.output.find("\"70000\" is not a language id"), std::string::npos);
    EXPECT_NE(run.output.find("usage: vtxhost inspect MODULE.so"), std::string::npos);
}

} // namespace
