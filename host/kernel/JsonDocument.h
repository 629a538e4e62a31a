#pragma once
// Reading the JSON of patch files, and of the JSON texts inside them that kernel blocks
// read (a sequence_source's values), in time and memory linear in the text.
//
// The document is built as the parser goes, with the line of each event counted from the
// last one (never from the start of the text) and no per-value bookkeeping: the line of a
// value is found again, by a second pass that stops at it, only when a problem is
// reported there. Objects are built without the ordered map's own duplicate scan (a
// hash set per open object refuses repeated keys instead), so an object of 100 000 keys
// costs 100 000 insertions, not their square.
//
// Refused: nesting deeper than the depth limit, a text larger than the size limit, a key
// given twice in one object, a text holding a NUL character, a NUL byte anywhere in the
// text (the parser would stop at it), and a number too large for a double.
#include <cstddef>
#include <string>

#include <nlohmann/json.hpp>

namespace vtxhost {

using Json = nlohmann::ordered_json;

struct JsonLimits {
    std::size_t maxDepth = 512;
    std::size_t maxBytes = std::size_t{256} << 20;
};

// A problem found while reading: its line (from 1) and the parser's or the reader's words.
struct JsonProblem {
    int line = 0;
    std::string text;
};

// Parses text; false with the problem when it is not a JSON document within the limits.
bool ReadJsonDocument(const std::string& text, const JsonLimits& limits, Json& document, JsonProblem& problem);

// The line of the value at the JSON pointer in text, or of the deepest value on its path
// when the pointer leads nowhere (1 for the empty pointer).
int LineOfPointer(const std::string& text, const std::string& pointer);

// One key as a JSON pointer token ("~" and "/" escaped).
std::string PointerToken(const std::string& key);

// A parser problem's text as our messages show it: without the parser's error id, and
// without its line, which leads the message already ("FILE:3: ...").
std::string ParserProblemText(std::string text);

} // namespace vtxhost
