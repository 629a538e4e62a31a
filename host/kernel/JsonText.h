#pragma once
// The kernel datatypes whose text forms are JSON read them with this: a text that does not
// parse gives a discarded value instead of an exception.
#include <string>

#include <nlohmann/json.hpp>

namespace vtxhost {

inline nlohmann::json ParseJson(const std::string& text) { return nlohmann::json::parse(text, nullptr, false); }

} // namespace vtxhost
