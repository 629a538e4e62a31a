#pragma once
// The text of one Interval bound: written as a stream writes a double at precision 17 in
// its default notation (the %.17g text), read as boost::lexical_cast<double> reads it.
#include <cstddef>
#include <string>
#include <typeinfo>

#include <boost/lexical_cast/bad_lexical_cast.hpp>

// Room for any bound's text ("-2.2250738585072014e-308" and the like).
inline constexpr std::size_t kMaxIntervalBoundText = 32;

// Writes the text of the bound to `out` (room for kMaxIntervalBoundText characters, no
// terminating zero); returns the end of what it wrote.
char* WriteIntervalBound(char* out, double value);

// The failure of a bound that is not a number: Boost's conversion failure, with the
// message the platform shows for it.
class CIntervalBoundCastError : public boost::bad_lexical_cast {
public:
    CIntervalBoundCastError() : boost::bad_lexical_cast(typeid(std::string), typeid(double)) {}
    const char* what() const noexcept override { return "bad cast"; }
};

// The value of a field when the whole field is a number as stream extraction reads it
// (optional sign, digits, optional point and fraction, optional exponent, no whitespace);
// otherwise throws CIntervalBoundCastError.
double ParseIntervalBound(const char* begin, const char* end);
