#include "host/kernel/TextDatatypes.h"

#include "host/kernel/JsonText.h"

namespace vtxhost {

using nlohmann::json;

// ---- string ----------------------------------------------------------------------------

// The value is a C text: a payload with a zero byte cannot be held whole and is refused.
bool CStringImpl::ReadBinary(const std::string& payload) {
    if (payload.find('\0') != std::string::npos) return false;
    value_ = payload;
    return true;
}

bool CStringImpl::ReadText(const std::string& text) {
    value_ = text;
    return true;
}

// ---- string pair -----------------------------------------------------------------------

bool CStringPairImpl::CopySameClass(Vtx::ISerialize* source) {
    CStringPairImpl* same = OfSameClass<CStringPairImpl>(source);
    if (same) {
        first_ = same->first_;
        second_ = same->second_;
    }
    return same;
}

std::string CStringPairImpl::WriteBinary() {
    std::string out;
    PutText(out, first_);
    PutText(out, second_);
    return out;
}

bool CStringPairImpl::ReadBinary(const std::string& payload) {
    PayloadReader reader(payload);
    std::string first, second;
    if (!reader.Text(first) || !reader.Text(second) || !reader.AtEnd()) return false;
    if (first.find('\0') != std::string::npos || second.find('\0') != std::string::npos) return false;
    first_ = first;
    second_ = second;
    return true;
}

std::string CStringPairImpl::WriteText() { return json::array({first_, second_}).dump(); }

bool CStringPairImpl::ReadText(const std::string& text) {
    json parsed = ParseJson(text);
    if (!parsed.is_array() || parsed.size() != 2 || !parsed[0].is_string() || !parsed[1].is_string()) return false;
    first_ = parsed[0].get<std::string>();
    second_ = parsed[1].get<std::string>();
    return true;
}

} // namespace vtxhost
