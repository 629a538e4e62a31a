#pragma once
// Texts from files and modules made safe to print: nothing they hold can start a line of
// its own, move the cursor or reach the terminal as a byte that is not UTF-8.
#include <string>

namespace vtxhost {

// The text with control characters (line breaks included), DEL and every byte that is not
// part of a well-formed UTF-8 sequence written as escapes (\n, \t, \r, \xHH); well-formed
// UTF-8, backslashes included, is kept as it stands.
std::string PrintableText(const std::string& text);

// PrintableText in double quotes, with the double quotes and backslashes inside escaped as
// \" and \\.
std::string QuotedText(const std::string& text);

// Whether the text is well-formed UTF-8 (no overlong forms, surrogates or values above
// U+10FFFF).
bool IsUtf8(const std::string& text);

// The text without the line breaks ("\n", "\r") at its end, which block messages and
// exception texts often carry.
std::string WithoutTrailingNewlines(std::string text);

} // namespace vtxhost
