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

// A number as a point list may give it: the plain decimal `digits` · 10^-`scale`
// with at most 15 significant digits (digits < 10^15, scale 0 to 22). A scale
// of -1 says there is none.
struct ShortDecimal {
  std::uint64_t digits = 0;
  int scale = -1;
  bool negative = false;
};

// A coordinate to write: its value and, where the point list gave it as a
// short decimal, that decimal. Such a decimal reads as the value and is its
// rounding to 15 significant digits, so the value's text is written from its
// digits without looking for them.
struct Coordinate {
  Coordinate(double v) : value(v) {}  // NOLINT: a value alone is a coordinate
  Coordinate(double v, const ShortDecimal& d) : value(v), decimal(d) {}
  double value;
  ShortDecimal decimal;
};

// Writes the text of `value` to `out` (room for kMaxNumberText characters) and
// returns its length. A NaN or an infinity, which the conversion never lets
// through, is written as " 0" rather than as text no CAD reader accepts.
std::size_t NumberTextTo(char* out, double value);

// The same text, from the coordinate's decimal where it has one.
std::size_t NumberTextTo(char* out, const Coordinate& value);

// Same for an integer counter: " 123", "-5".
std::size_t NumberTextTo(char* out, std::int64_t value);

std::string NumberText(double value);
std::string NumberText(std::int64_t value);
inline std::string NumberText(int value) {
  return NumberText(static_cast<std::int64_t>(value));
}

}  // namespace karvonel::iges
