#include "catalog/IntervalText.h"

#include <charconv>
#include <cmath>

#include <boost/lexical_cast.hpp>

char* WriteIntervalBound(char* out, double value) {
    // Floating-point to_chars with a precision is the %.17g conversion, without the
    // locale and format-string work of a stream.
    return std::to_chars(out, out + kMaxIntervalBoundText, value, std::chars_format::general, 17).ptr;
}

namespace {

// Recognises the plain decimal texts ("-12.5e-3", "7", ".5", "3.") on which the standard
// from_chars and Boost's stream-based conversion agree: both give the correctly rounded
// value of a normal finite number. Everything else (a plus sign, infinities, NaN,
// whitespace, out-of-range or subnormal results, malformed text) is left to Boost.
bool ParsePlainDecimal(const char* begin, const char* end, double& value) {
    const char* p = begin;
    if (p != end && *p == '-') ++p;
    bool anyDigit = false;
    bool nonZeroDigit = false;
    for (; p != end && *p >= '0' && *p <= '9'; ++p) {
        anyDigit = true;
        nonZeroDigit |= *p != '0';
    }
    if (p != end && *p == '.') {
        for (++p; p != end && *p >= '0' && *p <= '9'; ++p) {
            anyDigit = true;
            nonZeroDigit |= *p != '0';
        }
    }
    if (!anyDigit) return false;
    if (p != end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p != end && (*p == '-' || *p == '+')) ++p;
        const char* exponent = p;
        while (p != end && *p >= '0' && *p <= '9') ++p;
        if (p == exponent) return false;
    }
    if (p != end) return false;
    const std::from_chars_result result = std::from_chars(begin, end, value, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != end) return false;
    if (value == 0) return !nonZeroDigit;
    return std::isnormal(value);
}

} // namespace

double ParseIntervalBound(const char* begin, const char* end) {
    double value;
    if (ParsePlainDecimal(begin, end, value)) return value;
    try {
        return boost::lexical_cast<double>(begin, static_cast<std::size_t>(end - begin));
    } catch (const boost::bad_lexical_cast&) {
        throw CIntervalBoundCastError();
    }
}
