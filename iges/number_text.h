// NumberText: the one number-to-text conversion of the output file.
//
// A value of 0 or more gets one leading blank, a negative value a leading "-".
// Whole values have no decimal mark, fractions no trailing zeros, and a magnitude
// below 1 no "0" before the mark (one half is " .5"). "." is the decimal mark
// whatever the locale. Doubles are rounded to 15 significant digits; when the
// decimal exponent of the rounded value is below -4 or at least 15 the exponent
// form is used: mantissa, "E", sign and at least two digits (" 1E+15",
// " 1.5E-05", "-2.5E+300"). So is a whole value of 2^31 or more, which a
// reader would otherwise take for an integer too wide for it (" 3E+09").
// Negative zero is written as " 0".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace karvonel::iges {

// The longest text NumberText can produce for any double or 64-bit integer.
inline constexpr std::size_t kMaxNumberText = 24;

// Writes the text of `value` to `out` (room for kMaxNumberText characters) and
// returns its length. A NaN or an infinity, which the conversion never lets
// through, is written as " 0" rather than as text no CAD reader accepts.
std::size_t NumberTextTo(char* out, double value);

// Same for an integer counter: " 123", "-5".
std::size_t NumberTextTo(char* out, std::int64_t value);

std::string NumberText(double value);
std::string NumberText(std::int64_t value);
inline std::string NumberText(int value) {
  return NumberText(static_cast<std::int64_t>(value));
}

}  // namespace karvonel::iges
