#include "catalog/IntervalText.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include <boost/lexical_cast.hpp>

namespace {

// The digits of a whole number below 10^17, most significant first.
char* WriteWhole(char* out, std::uint64_t whole) {
    char digits[20];
    char* first = digits + sizeof digits;
    do {
        *--first = static_cast<char>('0' + whole % 10);
        whole /= 10;
    } while (whole);
    const std::size_t count = static_cast<std::size_t>(digits + sizeof digits - first);
    std::memcpy(out, first, count);
    return out + count;
}

// Bounds below 10^6 in magnitude whose fraction is a multiple of 1/1024: their exact
// decimal expansion has at most 6 + 10 significant digits, fewer than the 17 written, and
// starts no further right than 10^-4, so %.17g writes it in full, in plain notation.
constexpr double kShortLimit = 1e6;
constexpr double kFractionSteps = 1024;
// Whole numbers below 10^17 have at most 17 digits, which %.17g writes in plain notation.
constexpr double kWholeLimit = 1e17;

} // namespace

char* WriteIntervalBound(char* out, double value) {
    // Most bounds are whole numbers or short binary fractions (0.5, 2.25), whose %.17g
    // text is their exact decimal expansion: written directly, without the general
    // conversion's search for 17 digits.
    const double magnitude = std::fabs(value);
    if (magnitude < kWholeLimit && magnitude == std::floor(magnitude)) {
        if (std::signbit(value)) *out++ = '-';
        return WriteWhole(out, static_cast<std::uint64_t>(magnitude));
    }
    if (magnitude < kShortLimit) {
        const double steps = magnitude * kFractionSteps;  // exact: a power of two
        if (steps == std::floor(steps)) {
            if (std::signbit(value)) *out++ = '-';
            const double whole = std::floor(magnitude);
            out = WriteWhole(out, static_cast<std::uint64_t>(whole));
            *out++ = '.';
            // Each step multiplies a fraction of at most 10 bits by ten: exact.
            for (double fraction = magnitude - whole; fraction != 0;) {
                fraction *= 10;
                const double digit = std::floor(fraction);
                *out++ = static_cast<char>('0' + static_cast<int>(digit));
                fraction -= digit;
            }
            return out;
        }
    }
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
