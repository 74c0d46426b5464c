#include "conversion/leading_number.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <system_error>

#include "karvonel/powers_of_ten.h"

namespace karvonel::conversion {
namespace {

bool IsIgnored(char c) {
  return c == ' ' || c == '\t' || c == '\n';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The fast path for plain decimals such as -89.0123: a sign, at most 15
// digits with at most one decimal mark, and then nothing that could continue
// the number (no blank, no exponent). m / 10^k with m and 10^k exact in a
// double is the correctly rounded value of the decimal. None where the
// general reader must decide.
std::optional<LeadingNumberResult> ReadPlainDecimal(std::string_view text) {
  const char* p = text.data();
  const char* const end = p + text.size();
  const bool negative = p < end && *p == '-';
  if (p < end && (*p == '-' || *p == '+'))
    ++p;
  std::uint64_t whole = 0;
  const char* const first = p;
  for (; p < end && IsDigit(*p); ++p)
    whole = whole * 10 + static_cast<std::uint64_t>(*p - '0');
  int digits = static_cast<int>(p - first);
  int fraction = 0;
  if (p < end && *p == '.') {
    const char* const first_after_mark = ++p;
    for (; p < end && IsDigit(*p); ++p)
      whole = whole * 10 + static_cast<std::uint64_t>(*p - '0');
    fraction = static_cast<int>(p - first_after_mark);
    digits += fraction;
  }
  // More digits than m may hold: the general reader counts the significant ones.
  if (digits == 0 || digits > 15)
    return std::nullopt;
  if (p < end && (IsIgnored(*p) || *p == 'E' || *p == 'e' || *p == 'D' || *p == 'd'))
    return std::nullopt;
  const double magnitude = static_cast<double>(whole) / kPowersOfTen[fraction];
  return LeadingNumberResult{
      negative ? -magnitude : magnitude, false, true, p < end, {whole, fraction, negative}};
}

// Whether a decimal that lies beyond a double's range ("1.5e400", "0.01e-330")
// is too large rather than too small: the decimal exponent of its first
// significant digit is positive. `number` is in std::from_chars's form.
bool TooLarge(std::string_view number) {
  const std::size_t e = std::min(number.find_first_of("eE"), number.size());
  const std::string_view mantissa = number.substr(0, e);
  const std::size_t first = mantissa.find_first_of("123456789");
  if (first == std::string_view::npos)
    return false;  // a zero
  const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
  std::int64_t exponent = first < point ? static_cast<std::int64_t>(point - first) - 1
                                        : -static_cast<std::int64_t>(first - point);
  if (e < number.size()) {
    const bool minus = number[e + 1] == '-';
    const char* const digits = number.data() + e + 1 + (minus || number[e + 1] == '+');
    std::int64_t written = 0;
    if (std::from_chars(digits, number.data() + number.size(), written).ec != std::errc())
      written = 1'000'000'000;  // more digits than any double needs
    exponent += minus ? -written : written;
  }
  return exponent > 0;
}

// Every number the fast path leaves: blanks inside, exponents, "&H" and "&O"
// integers, long digit strings, values beyond a double's range.
LeadingNumberResult ReadAnyNumber(std::string_view text) {
  // The text without the characters the reader ignores.
  std::string number;
  for (const char c : text) {
    if (!IsIgnored(c))
      number += c;
  }
  const char* p = number.data();
  const char* const end = p + number.size();
  const bool negative = p < end && *p == '-';
  if (p < end && (*p == '-' || *p == '+'))
    ++p;
  const auto sign = [negative](double magnitude) { return negative ? -magnitude : magnitude; };
  if (end - p >= 2 && *p == '&' && (p[1] == 'H' || p[1] == 'h' || p[1] == 'O' || p[1] == 'o')) {
    // An unsigned integer of up to 64 bits; a wider one is out of range.
    std::uint64_t value = 0;
    const auto [after, error] =
        std::from_chars(p + 2, end, value, p[1] == 'H' || p[1] == 'h' ? 16 : 8);
    if (error == std::errc::result_out_of_range)
      return {0, true, true, false, {}};
    return {sign(static_cast<double>(value)), false, error == std::errc(), after < end, {}};
  }
  // Digits with at most one "." among them, and an exponent: what
  // std::from_chars reads, once it is sure to start with the number's digits
  // and to take "D" for "E".
  if (p == end || !(IsDigit(*p) || (*p == '.' && end - p >= 2 && IsDigit(p[1]))))
    return {};
  std::replace_if(
      number.begin(), number.end(), [](char c) { return c == 'D' || c == 'd'; }, 'e');
  double magnitude = 0;
  const auto [after, error] = std::from_chars(p, end, magnitude, std::chars_format::general);
  if (error == std::errc::result_out_of_range) {
    // Too large is out of range; too small is a zero.
    if (TooLarge(std::string_view(p, static_cast<std::size_t>(after - p))))
      return {0, true, true, after < end, {}};
    return {sign(0.0), false, true, after < end, {}};
  }
  if (error != std::errc())
    return {};
  return {sign(magnitude), false, true, after < end, {}};
}

}  // namespace

LeadingNumberResult LeadingNumber(std::string_view text) {
  if (auto plain = ReadPlainDecimal(text))
    return *plain;
  return ReadAnyNumber(text);
}

}  // namespace karvonel::conversion
