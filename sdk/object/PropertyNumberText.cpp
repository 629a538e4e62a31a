#include "sdk/object/PropertyNumberText.h"

#include <boost/lexical_cast.hpp>

#include <charconv>
#include <cmath>
#include <system_error>

namespace Vtx {

namespace {

template <class V>
std::string TextOf(V value, int digits) {
    if (!std::isfinite(value)) return boost::lexical_cast<std::string>(value);
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
    if (result.ec != std::errc()) return boost::lexical_cast<std::string>(value);
    return std::string(buffer, result.ptr);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether the text is [-]digits[.digits][(e|E)[+|-]digits]; sets nonZero when a digit of
// the mantissa is not 0.
bool IsPlainDecimal(const std::string& text, bool& nonZero) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    nonZero = false;
    if (i < n && text[i] == '-') ++i;
    const auto digits = [&] {
        const std::size_t start = i;
        for (; i < n && IsDigit(text[i]); ++i)
            if (text[i] != '0') nonZero = true;
        return i > start;
    };
    if (!digits()) return false;
    if (i < n && text[i] == '.') {
        ++i;
        if (!digits()) return false;
    }
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
        const std::size_t start = i;
        while (i < n && IsDigit(text[i])) ++i;
        if (i == start) return false;
    }
    return i == n;
}

template <class V>
V ValueOf(const std::string& text) {
    bool nonZero = false;
    if (IsPlainDecimal(text, nonZero)) {
        V value = 0;
        const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
        const int kind = std::fpclassify(value);
        if (result.ec == std::errc() && result.ptr == text.data() + text.size() &&
            (kind == FP_NORMAL || (kind == FP_ZERO && !nonZero)))
            return value;
    }
    return boost::lexical_cast<V>(text);
}

} // namespace

std::string PropertyDoubleText(double value) { return TextOf(value, 17); }
std::string PropertyFloatText(float value) { return TextOf(value, 9); }
double PropertyDoubleFromText(const std::string& text) { return ValueOf<double>(text); }
float PropertyFloatFromText(const std::string& text) { return ValueOf<float>(text); }

} // namespace Vtx
