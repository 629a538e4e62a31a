#include <gtest/gtest.h>

#include <string>

#include "host/kernel/JsonDocument.h"

using vtxhost::Json;
using vtxhost::JsonLimits;
using vtxhost::JsonProblem;

namespace {

// "line: text" of the problem, or the document's dump when it was read.
std::string Read(const std::string& text, const JsonLimits& limits = {}) {
    Json document;
    JsonProblem problem;
    if (!vtxhost::ReadJsonDocument(text, limits, document, problem))
        return std::to_string(problem.line) + ": " + problem.text;
    return document.dump();
}

TEST(JsonDocument, ReadsAsTheParserDoesKeepingTheOrderOfKeys) {
    for (const char* text : {R"({"b": 1, "a": [true, null, -2, 3.5, "x\u00e9"], "c": {"z": {}, "y": []}})",
                             "[]", "\"text\"", "18446744073709551615", "-9223372036854775808", "1e300"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Read(text), Json::parse(text).dump());
    }
}

TEST(JsonDocument, RefusesWhatTheLimitsAndTheHostDoNotAllowAtItsLine) {
    JsonLimits small;
    small.maxDepth = 3;
    small.maxBytes = 40;
    struct Case {
        std::string text;
        std::string problem;
    };
    const Case cases[] = {
        {"[[[1]]]", "[[[1]]]"},  // as deep as allowed
        {"[\n[\n[\n[1]]]]", "4: values are nested deeper than 3 levels"},
        {"{\"a\": {\"b\": [{}]}}", "1: values are nested deeper than 3 levels"},
        {std::string(41, ' ') + "1", "1: the text is 42 bytes long, more than the limit of 40"},
        {"{\"a\": 1,\n \"a\": 2}", "2: the key \"a\" is given twice in one object"},
        {"[{\"a\": 1}, {\"a\": 2}]", "[{\"a\":1},{\"a\":2}]"},  // the same key in two objects
        {"[\"a\\u0000b\"]", "1: a text holds a NUL character"},
        {"{\"a\\u0000\": 1}", "1: a key holds a NUL character"},
        {"[1,\n2,\n]", "3: parse error at column 1: syntax error while parsing value - unexpected ']'; "
                       "expected '[', '{', or a literal"},
        {"[1e999]", "1: number overflow parsing '1e999'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Read(c.text, small), c.problem);
    }
    // The default depth allows the patch files' nesting with room to spare, not 100 000.
    EXPECT_EQ(Read(std::string(512, '[') + std::string(512, ']')).substr(0, 4), "[[[[");
    EXPECT_EQ(Read(std::string(100000, '[')), "1: values are nested deeper than 512 levels");
}

TEST(JsonDocument, FindsTheLineOfAPointerOrOfTheDeepestValueOnItsPath) {
    const std::string text =
        "{\n"
        "  \"blocks\": [\n"
        "    {\"name\": \"a\"},\n"
        "    {\"name\": \"b\",\n"
        "     \"parameters\": {\"x/y\": 1, \"t~\": 2,\n"
        "                    \"z\": [7,\n"
        "                          8]}}\n"
        "  ],\n"
        "  \"links\": []\n"
        "}\n";
    struct Case {
        const char* pointer;
        int line;
    };
    const Case cases[] = {
        {"", 1},
        {"/blocks", 2},
        {"/blocks/0", 3},
        {"/blocks/1/name", 4},
        {"/blocks/1/parameters/x~1y", 5},
        {"/blocks/1/parameters/t~0", 5},
        {"/blocks/1/parameters/z/1", 7},
        {"/blocks/1/parameters/missing", 5},  // no such key: its object
        {"/blocks/5/name", 2},                 // no such index: the list
        {"/links", 9},
        {"/nothing/at/all", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pointer);
        EXPECT_EQ(vtxhost::LineOfPointer(text, c.pointer), c.line);
    }
    EXPECT_EQ(vtxhost::PointerToken("a/b~c"), "a~1b~0c");
}

} // namespace
