// The checking pass refuses what the whole-document reader refuses, with the same words at
// the same line; the pull reader walks a checked document key by key and item by item; a
// file is read in blocks, across their edges, and never past its limit.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/kernel/JsonDocument.h"
#include "host/kernel/JsonStream.h"

using vtxhost::Json;
using vtxhost::JsonLimits;
using vtxhost::JsonProblem;
using vtxhost::JsonPullReader;

namespace {

std::string Whole(const std::string& text, const JsonLimits& limits) {
    Json document;
    JsonProblem problem;
    if (!vtxhost::ReadJsonDocument(text, limits, document, problem)) return std::to_string(problem.line) + ": " + problem.text;
    return "read";
}

std::string Checked(const std::string& text, const JsonLimits& limits) {
    JsonProblem problem;
    if (!vtxhost::CheckJsonSource(*vtxhost::TextJsonSource(text), limits, problem))
        return std::to_string(problem.line) + ": " + problem.text;
    return "read";
}

TEST(JsonStream, TheCheckingPassRefusesWhatTheDocumentReaderRefusesAtTheSameLine) {
    JsonLimits small;
    small.maxDepth = 3;
    small.maxBytes = 40;
    const std::string texts[] = {
        "[[[1]]]", "[\n[\n[\n[1]]]]", "{\"a\": {\"b\": [{}]}}", std::string(41, ' ') + "1",
        "{\"a\": 1,\n \"a\": 2}", "[{\"a\": 1}, {\"a\": 2}]", "[\"a\\u0000b\"]", "{\"a\\u0000\": 1}",
        "[1,\n2,\n]", "[1e999]", "", "\n\n{\"a\" 1}", "[1,\n2] x", std::string("[1,\n2,\0 3]", 10),
        "{\"a\":\n\"line\nbreak\"}", "\n[\n1\n,\n"};
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Checked(text, small), Whole(text, small));
    }
    EXPECT_EQ(Checked(std::string(100000, '['), {}), "1: values are nested deeper than 512 levels");
}

TEST(JsonStream, FindsTheLineOfAPointerAsTheDocumentReaderDoes) {
    const std::string text = "{\n\"a\": [\n1,\n{\"b\":\n[true,\nfalse]}],\n\"c~/d\": 2\n}";
    for (const char* pointer : {"", "/a", "/a/1", "/a/1/b/1", "/a/7", "/c~0~1d", "/missing", "/a/1/b/9"}) {
        SCOPED_TRACE(pointer);
        EXPECT_EQ(vtxhost::LineOfPointer(*vtxhost::TextJsonSource(text), pointer), vtxhost::LineOfPointer(text, pointer));
    }
}

TEST(JsonStream, ThePullReaderWalksObjectsAndListsAndTakesValuesWhole) {
    const std::string text = R"({"name": "p", "list": [1, {"x": [2, 3]}, "t"], "empty": [], "last": {}})";
    const auto source = vtxhost::TextJsonSource(text);
    JsonPullReader reader(*source, {});
    ASSERT_EQ(reader.Peek(), JsonPullReader::Kind::Object);
    reader.BeginObject();
    std::string key;
    std::vector<std::string> seen;
    while (reader.NextKey(key)) {
        if (key == "list") {
            reader.BeginArray();
            while (reader.NextItem()) seen.push_back(key + ":" + reader.Value().dump());
        } else if (key == "empty") {
            ASSERT_EQ(reader.Peek(), JsonPullReader::Kind::Array);
            reader.BeginArray();
            EXPECT_FALSE(reader.NextItem());
            seen.push_back("empty");
        } else {
            seen.push_back(key + "=" + reader.Value().dump());
        }
    }
    reader.End();
    EXPECT_EQ(seen, (std::vector<std::string>{"name=\"p\"", "list:1", "list:{\"x\":[2,3]}", "list:\"t\"", "empty",
                                              "last={}"}));
}

TEST(JsonStream, ThePullReaderKeepsTheDepthLimitAndRefusesWhatIsNotJson) {
    JsonLimits shallow;
    shallow.maxDepth = 2;
    const std::string deep = "[[[1]]]";
    const auto deepSource = vtxhost::TextJsonSource(deep);
    JsonPullReader deepReader(*deepSource, shallow);
    EXPECT_THROW(deepReader.Value(), vtxhost::JsonPullError);

    const std::string bad = "{\"a\": 1,\n\"b\" 2}";
    const auto badSource = vtxhost::TextJsonSource(bad);
    JsonPullReader reader(*badSource, {});
    reader.BeginObject();
    std::string key;
    ASSERT_TRUE(reader.NextKey(key));
    EXPECT_EQ(reader.Value(), 1);
    try {
        reader.NextKey(key);
        FAIL() << "a missing ':' was read";
    } catch (const vtxhost::JsonPullError& e) {
        EXPECT_EQ(e.line, 2);
    }
}

TEST(JsonStream, AFileIsReadInBlocksAcrossTheirEdgesAndNotPastItsLimit) {
    namespace fs = std::filesystem;
    const std::string path = (fs::path(::testing::TempDir()) / "json-stream-test.json").string();
    std::string text = "[";
    for (int i = 0; i < 30000; ++i) text += (i ? ",\n\"item " : "\"item ") + std::to_string(i) + "\"";
    text += "]";
    ASSERT_GT(text.size(), std::size_t{3} << 16);
    { std::ofstream(path) << text; }
    const auto source = vtxhost::FileJsonSource(path, text.size());
    JsonProblem problem;
    EXPECT_TRUE(vtxhost::CheckJsonSource(*source, {}, problem)) << problem.text;
    JsonPullReader reader(*source, {});
    EXPECT_EQ(reader.Value(), Json::parse(text));
    EXPECT_EQ(vtxhost::LineOfPointer(*source, "/29999"), 30000);

    EXPECT_THROW(vtxhost::FileJsonSource(path, text.size() - 1), vtxhost::JsonSourceError);
    EXPECT_THROW(vtxhost::FileJsonSource(::testing::TempDir(), 100), vtxhost::JsonSourceError);
    fs::remove(path);
}

} // namespace
