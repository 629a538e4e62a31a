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

// Whether a field that from_chars read as zero is written as a zero ("0", "-0.000e7"),
// as opposed to a non-zero number too small for a double.
bool WrittenAsZero(const char* begin, const char* end) {
    for (const char* p = begin; p != end && *p != 'e' && *p != 'E'; ++p)
        if (*p != '0' && *p != '.' && *p != '-') return false;
    return true;
}

} // namespace

double ParseIntervalBound(const char* begin, const char* end) {
    // Quick path: when from_chars reads the whole field as a normal number (or as a zero
    // written as one), Boost's stream-based conversion accepts the same text and yields
    // the same correctly rounded value. from_chars takes no plus sign, whitespace or hex
    // form, and stops before a dangling exponent; everything else it refuses or reads as
    // infinite, NaN, subnormal or out of range is decided by Boost itself.
    double value;
    const std::from_chars_result result = std::from_chars(begin, end, value, std::chars_format::general);
    if (result.ec == std::errc() && result.ptr == end &&
        (std::isnormal(value) || (value == 0 && WrittenAsZero(begin, end))))
        return value;
    try {
        return boost::lexical_cast<double>(begin, static_cast<std::size_t>(end - begin));
    } catch (const boost::bad_lexical_cast&) {
        throw CIntervalBoundCastError();
    }
}
