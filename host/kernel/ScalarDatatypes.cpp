#include "host/kernel/ScalarDatatypes.h"

#include <charconv>

#include "host/kernel/NumberTexts.h"

namespace vtxhost {

// ---- double ----------------------------------------------------------------------------

std::string CDoubleImpl::WriteBinary() {
    std::string out;
    PutU64(out, BitsOf(value_));
    return out;
}

bool CDoubleImpl::ReadBinary(const std::string& payload) {
    PayloadReader reader(payload);
    std::uint64_t bits;
    if (!reader.U64(bits) || !reader.AtEnd()) return false;
    value_ = DoubleOf(bits);
    return true;
}

std::string CDoubleImpl::WriteText() { return FormatDouble(value_); }

bool CDoubleImpl::ReadText(const std::string& text) { return ParseDouble(text, value_); }

// ---- int -------------------------------------------------------------------------------

std::string CIntImpl::WriteBinary() {
    std::string out;
    PutU32(out, static_cast<std::uint32_t>(value_));
    return out;
}

bool CIntImpl::ReadBinary(const std::string& payload) {
    PayloadReader reader(payload);
    std::uint32_t bits;
    if (!reader.U32(bits) || !reader.AtEnd()) return false;
    value_ = static_cast<std::int32_t>(bits);
    return true;
}

std::string CIntImpl::WriteText() { return std::to_string(value_); }

bool CIntImpl::ReadText(const std::string& text) { return ParseInt32(text, value_); }

// ---- bool ------------------------------------------------------------------------------

std::string CBoolImpl::WriteBinary() { return std::string(1, value_ ? '\1' : '\0'); }

bool CBoolImpl::ReadBinary(const std::string& payload) {
    if (payload.size() != 1 || static_cast<unsigned char>(payload[0]) > 1) return false;
    value_ = payload[0] == '\1';
    return true;
}

std::string CBoolImpl::WriteText() { return value_ ? "true" : "false"; }

bool CBoolImpl::ReadText(const std::string& text) {
    if (text == "true" || text == "1") {
        value_ = true;
    } else if (text == "false" || text == "0") {
        value_ = false;
    } else {
        return false;
    }
    return true;
}

// ---- trigger ---------------------------------------------------------------------------

std::string CTriggerImpl::WriteBinary() {
    std::string out;
    PutU64(out, static_cast<std::uint64_t>(value_));
    return out;
}

bool CTriggerImpl::ReadBinary(const std::string& payload) {
    PayloadReader reader(payload);
    std::uint64_t count;
    if (!reader.U64(count) || !reader.AtEnd()) return false;
    value_ = static_cast<std::int64_t>(count);
    return true;
}

std::string CTriggerImpl::WriteText() { return std::to_string(value_); }

bool CTriggerImpl::ReadText(const std::string& text) {
    if (text.empty()) return false;
    std::int64_t parsed = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return false;
    value_ = parsed;
    return true;
}

} // namespace vtxhost
