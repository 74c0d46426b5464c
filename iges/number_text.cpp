#include "iges/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "karvonel/powers_of_ten.h"

namespace karvonel::iges {
namespace {

constexpr int kSignificantDigits = 15;
// The widest whole value a reader's 32-bit integer holds.
constexpr std::uint64_t kWidestInteger = 2147483647;

// The decimal digits (no leading or trailing zeros) and the decimal exponent of
// the first digit of a positive finite value rounded to 15 significant digits.
struct Decimal {
  char digits[kSignificantDigits + 2];
  int count = 0;
  int exponent = 0;
};

// Splits the scientific text "d.ddde±xx" produced by std::to_chars.
void SplitScientific(const char* text, const char* end, Decimal& decimal) {
  decimal.count = 0;
  const char* p = text;
  for (; p < end && *p != 'e'; ++p) {
    if (*p != '.')
      decimal.digits[decimal.count++] = *p;
  }
  int exponent = 0;
  std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), end, exponent);
  decimal.exponent = exponent;
  while (decimal.count > 1 && decimal.digits[decimal.count - 1] == '0')
    --decimal.count;
}

// Puts the digits of `whole` (not 0) into `decimal`, trailing zeros dropped;
// `scale` is the number of those digits that stand after the decimal mark.
void FromScaledInteger(std::uint64_t whole, int scale, Decimal& decimal) {
  char text[20];
  const char* end = std::to_chars(text, text + sizeof text, whole).ptr;
  const int length = static_cast<int>(end - text);
  decimal.exponent = length - 1 - scale;
  decimal.count = length;
  std::memcpy(decimal.digits, text, static_cast<std::size_t>(length));
  while (decimal.count > 1 && decimal.digits[decimal.count - 1] == '0')
    --decimal.count;
}

// The fast path for the values point lists are made of, such as 123.4567:
// finds the smallest k for which magnitude is the double nearest to m / 10^k
// with a whole m of at most 15 digits. That decimal reads back as the value,
// and a decimal of at most 15 digits that does so is the value rounded to 15
// digits, since a normal double is closer to it than half a unit of the 15th
// digit. m and 10^k are exact in a double and the division is correctly
// rounded, so the test m / 10^k == magnitude is exact.
bool RoundShortDecimal(double magnitude, Decimal& decimal) {
  if (magnitude >= 1e15 || magnitude < 1e-7)
    return false;
  for (int k = 0; k < 23; ++k) {
    const double scaled = magnitude * kPowersOfTen[k];
    if (scaled >= 1e15)
      return false;
    const auto whole = static_cast<std::uint64_t>(scaled + 0.5);
    if (whole != 0 && static_cast<double>(whole) / kPowersOfTen[k] == magnitude) {
      FromScaledInteger(whole, k, decimal);
      return true;
    }
  }
  return false;
}

// Any other positive finite value, subnormal ones among them, is rounded to
// 15 significant digits by the standard library.
void RoundTo15Digits(double magnitude, Decimal& decimal) {
  if (RoundShortDecimal(magnitude, decimal))
    return;
  char text[32];
  const auto rounded = std::to_chars(text, text + sizeof text, magnitude,
                                     std::chars_format::scientific, kSignificantDigits - 1);
  SplitScientific(text, rounded.ptr, decimal);
}

// True for a whole value of 2^31 or more. An IGES reader takes a number
// without decimal mark for an integer, and readers hold integers in 32 bits: a
// wider whole value would come back as a different number, so it is written in
// the exponent form instead.
bool IsWideWholeNumber(const Decimal& d) {
  if (d.exponent < 9 || d.count > d.exponent + 1)
    return false;
  std::uint64_t whole = 0;
  for (int i = 0; i <= d.exponent; ++i) {
    whole = whole * 10 + static_cast<std::uint64_t>(i < d.count ? d.digits[i] - '0' : 0);
  }
  return whole > kWidestInteger;
}

// The plain form of the `count` digits with `whole` of them before the
// decimal mark (none or fewer when it is 0 or less): the sign column, the
// whole part (zeros past the digits), the mark and the fraction. 0.00ddd is
// written .00ddd: no zero before the decimal mark.
std::size_t WritePlain(char* out, bool negative, const char* digits, int count, int whole) {
  char* p = out;
  *p++ = negative ? '-' : ' ';
  for (int i = 0; i < whole; ++i)
    *p++ = i < count ? digits[i] : '0';
  if (count > whole) {
    *p++ = '.';
    for (int i = whole; i < 0; ++i)
      *p++ = '0';
    const int first = std::max(whole, 0);
    std::memcpy(p, digits + first, static_cast<std::size_t>(count - first));
    p += count - first;
  }
  return static_cast<std::size_t>(p - out);
}

// The text of the decimal `d`, with a "-" in the sign column when `negative`.
std::size_t WriteDecimal(char* out, bool negative, const Decimal& d) {
  if (d.exponent < -4 || d.exponent >= kSignificantDigits || IsWideWholeNumber(d)) {
    char* p = out;
    *p++ = negative ? '-' : ' ';
    *p++ = d.digits[0];
    if (d.count > 1) {
      *p++ = '.';
      std::memcpy(p, d.digits + 1, d.count - 1);
      p += d.count - 1;
    }
    *p++ = 'E';
    *p++ = d.exponent < 0 ? '-' : '+';
    int e = std::abs(d.exponent);
    if (e < 10)
      *p++ = '0';
    p = std::to_chars(p, p + 4, e).ptr;
    return static_cast<std::size_t>(p - out);
  }
  return WritePlain(out, negative, d.digits, d.count, d.exponent + 1);
}

std::size_t WriteZero(char* out) {
  out[0] = ' ';
  out[1] = '0';
  return 2;
}

}  // namespace

std::size_t NumberTextTo(char* out, double value) {
  if (!std::isfinite(value) || value == 0)
    return WriteZero(out);
  Decimal d;
  RoundTo15Digits(std::fabs(value), d);
  return WriteDecimal(out, std::signbit(value), d);
}

std::size_t NumberTextTo(char* out, const Coordinate& value) {
  const ShortDecimal& decimal = value.decimal;
  if (decimal.scale < 0)
    return NumberTextTo(out, value.value);
  std::uint64_t digits = decimal.digits;
  int scale = decimal.scale;
  while (scale > 0 && digits % 10 == 0) {  // no trailing zeros after the mark
    digits /= 10;
    --scale;
  }
  if (digits == 0)
    return WriteZero(out);
  char text[20];
  const int length = static_cast<int>(std::to_chars(text, text + sizeof text, digits).ptr - text);
  const int whole = length - scale;  // digits before the decimal mark; 15 at most
  // Below 1E-04, and whole values of 2^31 or more, take the exponent form.
  if (whole < -3 || (scale == 0 && digits > kWidestInteger)) {
    Decimal d;
    FromScaledInteger(digits, scale, d);
    return WriteDecimal(out, decimal.negative, d);
  }
  return WritePlain(out, decimal.negative, text, length, whole);
}

std::size_t NumberTextTo(char* out, std::int64_t value) {
  char* p = out;
  *p++ = value < 0 ? '-' : ' ';
  // Through the unsigned magnitude, so the most negative value has no overflow.
  std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  p = std::to_chars(p, out + kMaxNumberText, magnitude).ptr;
  return static_cast<std::size_t>(p - out);
}

std::string NumberText(double value) {
  char text[kMaxNumberText];
  return std::string(text, NumberTextTo(text, value));
}

std::string NumberText(std::int64_t value) {
  char text[kMaxNumberText];
  return std::string(text, NumberTextTo(text, value));
}

}  // namespace karvonel::iges
