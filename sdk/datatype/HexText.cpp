#include "sdk/datatype/HexText.h"

#include <new>
#include <stdexcept>

namespace Vtx {

namespace {

// The 256 two-digit texts, made once; a function-local static is initialised exactly
// once even when several threads encode at the same time.
struct HexPairTable {
    char pairs[256][2];
    HexPairTable() {
        static const char digits[] = "0123456789abcdef";
        for (int byte = 0; byte < 256; ++byte) {
            pairs[byte][0] = digits[byte >> 4];
            pairs[byte][1] = digits[byte & 0x0f];
        }
    }
};

const HexPairTable& PairTable() {
    static const HexPairTable table;
    return table;
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    throw std::runtime_error(std::string("Invalid hex digit '") + c + "'");
}

} // namespace

void WriteHexText(const std::uint8_t* bytes, std::size_t count, char* out) {
    if (count == 0) return;
    const HexPairTable& table = PairTable();
    *out++ = '0';
    *out++ = 'x';
    for (std::size_t i = 0; i < count; ++i) {
        out[0] = table.pairs[bytes[i]][0];
        out[1] = table.pairs[bytes[i]][1];
        out += 2;
    }
}

std::string EncodeHexText(const std::uint8_t* bytes, std::size_t count) {
    std::string text(HexTextLength(count), '\0');
    WriteHexText(bytes, count, text.data());
    return text;
}

OwnedSerializeBuffer DecodeHexText(const char* text, std::size_t length) {
    if (length % 2 != 0) throw std::runtime_error("String should be pair size");
    if (length < 2 || text[0] != '0' || text[1] != 'x') throw std::runtime_error("String should start with 0x");
    OwnedSerializeBuffer buffer(AllocateSerializeBuffer((length - 2) / 2));
    if (!buffer) throw std::bad_alloc();
    std::uint8_t* out = GetSerializeBufferData(buffer.get());
    for (std::size_t i = 2; i < length; i += 2) {
        const int high = DigitValue(text[i]);  // the first bad character is the one reported
        const int low = DigitValue(text[i + 1]);
        *out++ = static_cast<std::uint8_t>(high << 4 | low);
    }
    return buffer;
}

} // namespace Vtx
