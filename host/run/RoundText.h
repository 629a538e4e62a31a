#pragma once
// The pieces of a round's printed text, appended to one buffer: a received value made
// printable on one line, the kernel time in seconds as "%.4f" writes it, and the
// round's first line.
#include <cstdint>
#include <string>
#include <string_view>

namespace vtxhost {

// Appends text with control characters written as \n, \r, \t or \xHH (and DEL as \x7f).
void AppendPrintable(std::string& out, std::string_view text);

// Appends the kernel time (units of 100 ns) in seconds, as "%.4f" writes time / 1e7.
void AppendSeconds(std::string& out, std::int64_t time);

// Appends a round's first line, "[round] t=seconds s" and a line break.
void AppendRoundHeader(std::string& out, std::int64_t round, std::int64_t time);

} // namespace vtxhost
