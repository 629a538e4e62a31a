#pragma once
// The hex text form of a binary payload: "0x" then two lower-case digits per byte, high
// digit first; no bytes give the empty text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "sdk/datatype/SerializeBuffer.h"

namespace Vtx {

// Characters of the text form of `byteCount` bytes, without a terminating zero.
inline std::size_t HexTextLength(std::size_t byteCount) { return byteCount ? 2 + 2 * byteCount : 0; }

// Writes HexTextLength(count) characters to `out`, without a terminating zero.
void WriteHexText(const std::uint8_t* bytes, std::size_t count, char* out);

std::string EncodeHexText(const std::uint8_t* bytes, std::size_t count);

// Decodes `length` characters into a new buffer ("0x" alone gives size 0). Upper- and
// lower-case digits are read. Throws std::runtime_error on malformed text: odd length,
// missing "0x" prefix, or a character that is not a hex digit.
OwnedSerializeBuffer DecodeHexText(const char* text, std::size_t length);

} // namespace Vtx
