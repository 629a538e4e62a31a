#pragma once
// Text forms of numbers shared by the kernel datatypes, the domains and the patch files:
// the shortest text that reads back to the same double, and strict readers that take a
// whole text or nothing (a leading '+' allowed).
#include <cstdint>
#include <string>

namespace vtxhost {

std::string FormatDouble(double value);
bool ParseDouble(const std::string& text, double& value);
bool ParseInt32(const std::string& text, std::int32_t& value);

} // namespace vtxhost
