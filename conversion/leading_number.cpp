#include "conversion/leading_number.h"

#include "karvonel/powers_of_ten.h"

#include <charconv>
#include <cstdint>
#include <string>
#include <system_error>

namespace karvonel::conversion {
namespace {

bool IsIgnored(char c) {
  return c == ' ' || c == '\t' || c == '\n';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Walks a text while skipping the characters the reader ignores.
class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) { Skip(); }
  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
  void Advance() {
    ++pos_;
    Skip();
  }
  std::size_t Position() const { return pos_; }
  void Restore(std::size_t pos) { pos_ = pos; }

 private:
  void Skip() {
    while (pos_ < text_.size() && IsIgnored(text_[pos_]))
      ++pos_;
  }
  std::string_view text_;
  std::size_t pos_ = 0;
};

int DigitValue(char c, int base) {
  int value = -1;
  if (IsDigit(c))
    value = c - '0';
  else if (c >= 'a' && c <= 'f')
    value = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F')
    value = c - 'A' + 10;
  return value < base ? value : -1;
}

// "&H" and "&O" integers: the digits form an unsigned integer of up to 64 bits;
// a wider one is out of range. The cursor stands after the "&H" or "&O".
LeadingNumberResult ReadRadixInteger(Cursor& cursor, int base, bool negative) {
  std::uint64_t value = 0;
  bool any_digit = false;
  while (!cursor.AtEnd()) {
    const int digit = DigitValue(cursor.Peek(), base);
    if (digit < 0)
      break;
    if (value >
        (UINT64_MAX - static_cast<std::uint64_t>(digit)) / static_cast<std::uint64_t>(base)) {
      return {0, true, true, false, {}};
    }
    value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    any_digit = true;
    cursor.Advance();
  }
  const double magnitude = static_cast<double>(value);
  return {negative ? -magnitude : magnitude, false, any_digit, !cursor.AtEnd(), {}};
}

// The fast path for plain decimals such as -89.0123: a sign, at most 15
// digits with at most one decimal mark, and then nothing that could continue
// the number (no blank, no exponent). m / 10^k with m and 10^k exact in a
// double is the correctly rounded value of the decimal. Returns false when
// the general reader must decide; `text_after` tells whether anything but the
// number is there.
bool ReadPlainDecimal(std::string_view text, double& value, bool& text_after,
                      iges::ShortDecimal& decimal) {
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
    return false;
  if (p < end) {
    const char c = *p;
    if (IsIgnored(c) || c == 'E' || c == 'e' || c == 'D' || c == 'd')
      return false;
  }
  const double magnitude = static_cast<double>(whole) / kPowersOfTen[fraction];
  value = negative ? -magnitude : magnitude;
  text_after = p < end;
  decimal = {whole, fraction, negative};
  return true;
}

// Every number the fast path leaves: blanks inside, exponents, radix
// integers, long digit strings, values beyond a double's range.
LeadingNumberResult ReadAnyNumber(std::string_view text) {
  Cursor cursor(text);
  bool negative = false;
  if (cursor.Peek() == '+' || cursor.Peek() == '-') {
    negative = cursor.Peek() == '-';
    cursor.Advance();
  }
  if (cursor.Peek() == '&') {
    const std::size_t ampersand = cursor.Position();
    cursor.Advance();
    const char kind = cursor.Peek();
    if (kind == 'H' || kind == 'h' || kind == 'O' || kind == 'o') {
      cursor.Advance();
      return ReadRadixInteger(cursor, (kind == 'H' || kind == 'h') ? 16 : 8, negative);
    }
    cursor.Restore(ampersand);
    return {};
  }

  // Gather the number without its ignored characters and with "E" for "D", in
  // the form std::from_chars reads: digits, ".", digits, "e", sign, digits.
  std::string number;
  std::int64_t leading_zeros_after_point = 0;
  std::int64_t whole_digits = 0;  // significant digits before the decimal mark
  bool seen_digit = false;
  bool seen_nonzero = false;
  bool seen_point = false;
  while (!cursor.AtEnd()) {
    const char c = cursor.Peek();
    if (IsDigit(c)) {
      seen_digit = true;
      if (c != '0')
        seen_nonzero = true;
      if (seen_nonzero && !seen_point)
        ++whole_digits;
      if (!seen_nonzero && seen_point)
        ++leading_zeros_after_point;
    } else if (c == '.' && !seen_point) {
      seen_point = true;
    } else {
      break;
    }
    number += c;
    cursor.Advance();
  }
  if (!seen_digit)
    return {};

  std::int64_t exponent = 0;
  const char e = cursor.Peek();
  if (e == 'E' || e == 'e' || e == 'D' || e == 'd') {
    const std::size_t before_exponent = cursor.Position();
    cursor.Advance();
    std::string exponent_text = "e";
    if (cursor.Peek() == '+' || cursor.Peek() == '-') {
      exponent_text += cursor.Peek();
      cursor.Advance();
    }
    bool exponent_digits = false;
    while (IsDigit(cursor.Peek())) {
      exponent_digits = true;
      exponent_text += cursor.Peek();
      if (exponent < 1'000'000'000)
        exponent = exponent * 10 + (cursor.Peek() - '0');
      cursor.Advance();
    }
    if (exponent_digits) {
      if (exponent_text[1] == '-')
        exponent = -exponent;
      number += exponent_text;
    } else {
      cursor.Restore(before_exponent);  // "12E" is 12 followed by text
      exponent = 0;
    }
  }

  const bool text_after = !cursor.AtEnd();
  double magnitude = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), magnitude,
                                            std::chars_format::general);
  (void)end;
  if (error == std::errc::result_out_of_range) {
    // Too large is out of range; too small is a zero. The decimal exponent of
    // the first significant digit tells which.
    if (!seen_nonzero)
      return {negative ? -0.0 : 0.0, false, true, text_after, {}};
    const std::int64_t first_digit_exponent =
        (whole_digits > 0 ? whole_digits - 1 : -1 - leading_zeros_after_point) + exponent;
    if (first_digit_exponent > 0)
      return {0, true, true, text_after, {}};
    return {negative ? -0.0 : 0.0, false, true, text_after, {}};
  }
  if (error != std::errc())
    return {};
  return {negative ? -magnitude : magnitude, false, true, text_after, {}};
}

}  // namespace

LeadingNumberResult LeadingNumber(std::string_view text) {
  LeadingNumberResult plain{0, false, true, false, {}};
  if (ReadPlainDecimal(text, plain.value, plain.text_after, plain.decimal))
    return plain;
  return ReadAnyNumber(text);
}

}  // namespace karvonel::conversion
