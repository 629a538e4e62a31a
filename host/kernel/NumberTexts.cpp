#include "host/kernel/NumberTexts.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace vtxhost {

std::string FormatDouble(double value) {
    if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

bool ParseDouble(const std::string& text, double& value) {
    if (text.empty()) return false;
    const char* begin = text.c_str();
    const char* end = begin + text.size();
    if (*begin == '+') ++begin;
    if (begin == end) return false;
    double parsed = 0.0;
    auto result = std::from_chars(begin, end, parsed);
    if (result.ec != std::errc() || result.ptr != end) return false;
    // Every NaN reads as the plain quiet NaN of its sign, which is what its text shows.
    if (std::isnan(parsed)) parsed = std::copysign(std::numeric_limits<double>::quiet_NaN(), parsed);
    value = parsed;
    return true;
}

bool ParseInt32(const std::string& text, std::int32_t& value) {
    if (text.empty()) return false;
    const char* begin = text.c_str();
    const char* end = begin + text.size();
    if (*begin == '+') ++begin;
    if (begin == end) return false;
    std::int32_t parsed = 0;
    auto result = std::from_chars(begin, end, parsed);
    if (result.ec != std::errc() || result.ptr != end) return false;
    value = parsed;
    return true;
}

} // namespace vtxhost
