#include "host/run/RoundText.h"

#include <charconv>
#include <cstdio>
#include <cstring>

#include "host/run/PrintableText.h"

namespace vtxhost {

namespace {

// Plain ASCII: printed as it stands. Bytes from 0x80 on are checked as UTF-8 apart.
bool Plain(unsigned char byte) { return byte >= 0x20 && byte < 0x7f; }

constexpr std::uint64_t kOnes = 0x0101010101010101u;
constexpr std::uint64_t kHighBits = 0x8080808080808080u;

// Whether any of the eight bytes of a word is below 0x20, is 0x7f or has its high bit set:
// the classic tests for a byte below n and for a zero byte, exact as to whether one exists.
bool HasEscape(std::uint64_t word) {
    const std::uint64_t below = (word - kOnes * 0x20) & ~word & kHighBits;
    const std::uint64_t del = word ^ (kOnes * 0x7f);
    return (below | ((del - kOnes) & ~del & kHighBits) | (word & kHighBits)) != 0;
}

// The end of the run of bytes from p on that need no escape, eight at a time.
const char* PlainRunEnd(const char* p, const char* end) {
    while (end - p >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, sizeof word);
        if (HasEscape(word)) break;
        p += 8;
    }
    while (p != end && Plain(static_cast<unsigned char>(*p))) ++p;
    return p;
}

} // namespace

void AppendPrintable(std::string& out, std::string_view text) {
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p != end) {
        // The longest run that needs no escape goes in one append.
        const char* run = p;
        p = PlainRunEnd(p, end);
        out.append(run, p);
        if (p == end) break;
        if (static_cast<unsigned char>(*p) >= 0x80) {
            // A run of bytes beyond ASCII: kept where it is well-formed UTF-8, escaped where not.
            const char* wide = p;
            while (p != end && static_cast<unsigned char>(*p) >= 0x80) ++p;
            out += PrintableText(std::string(wide, p));
            continue;
        }
        const auto byte = static_cast<unsigned char>(*p++);
        if (byte == '\n') {
            out += "\\n";
        } else if (byte == '\r') {
            out += "\\r";
        } else if (byte == '\t') {
            out += "\\t";
        } else {
            static const char digits[] = "0123456789abcdef";
            const char escaped[4] = {'\\', 'x', digits[byte >> 4], digits[byte & 0xf]};
            out.append(escaped, sizeof escaped);
        }
    }
}

namespace {

// Writes the kernel time in seconds as "%.4f" writes time / 1e7, at most kSecondsText
// characters (a 64-bit time is below 10^12 seconds).
constexpr std::size_t kSecondsText = 32;
char* WriteSeconds(char* out, std::int64_t time) {
    // time / 1e7 is within a relative 2^-53 of the true quotient, and below 9e15 units
    // (28 years) that error is less than one unit (1e-7 s), the least distance from the
    // true quotient to a halfway point between two 4-decimal texts unless it lies on
    // one (a remainder of 500 units). Elsewhere the rounding of the integer quotient is
    // the rounding of the double; the ties and the rest go through the C library.
    constexpr std::int64_t kExactBelow = 9'000'000'000'000'000;
    if (time >= 0 && time < kExactBelow && time % 1000 != 500) {
        const std::int64_t tenThousandths = time / 1000 + (time % 1000 > 500 ? 1 : 0);
        char* end = std::to_chars(out, out + kSecondsText, tenThousandths / 10000).ptr;
        const auto fraction = static_cast<int>(tenThousandths % 10000);
        *end++ = '.';
        *end++ = static_cast<char>('0' + fraction / 1000);
        *end++ = static_cast<char>('0' + fraction / 100 % 10);
        *end++ = static_cast<char>('0' + fraction / 10 % 10);
        *end++ = static_cast<char>('0' + fraction % 10);
        return end;
    }
    const int length = std::snprintf(out, kSecondsText, "%.4f", static_cast<double>(time) / 1e7);
    return out + length;
}

} // namespace

void AppendSeconds(std::string& out, std::int64_t time) {
    char text[kSecondsText];
    out.append(text, WriteSeconds(text, time));
}

void AppendRoundHeader(std::string& out, std::int64_t round, std::int64_t time) {
    char text[64];
    char* end = text;
    *end++ = '[';
    end = std::to_chars(end, text + sizeof text, round).ptr;
    std::memcpy(end, "] t=", 4);
    end = WriteSeconds(end + 4, time);
    std::memcpy(end, " s\n", 3);
    out.append(text, end + 3);
}

} // namespace vtxhost
