#pragma once
// The text forms of a property's floating-point values: those of boost::lexical_cast,
// which stored settings hold (17 significant digits for a double, 9 for a float, in the
// style of printf's %g; "nan", "-nan", "inf", "-inf"), written and read without a stream
// for the common cases. Writing goes through std::to_chars for finite values; reading
// takes std::from_chars for plain decimal texts ([-]digits[.digits][e[+|-]digits]) whose
// value is a normal number or an exact zero, and hands every other text to
// boost::lexical_cast, so that what it refuses (boost::bad_lexical_cast) stays refused.
#include <string>

namespace Vtx {

std::string PropertyDoubleText(double value);
std::string PropertyFloatText(float value);
double PropertyDoubleFromText(const std::string& text);
float PropertyFloatFromText(const std::string& text);

} // namespace Vtx
