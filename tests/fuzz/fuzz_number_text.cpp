// NumberText of any double reads back as the double rounded to 15 significant
// digits, in the form the file's number rules give; integers read back exact.
// Near the largest double the rounding itself overflows: such a text reads
// back as infinity, and the converter refuses the point.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "conversion/leading_number.h"
#include "iges/number_text.h"
#include "tests/fuzz/reference.h"

namespace {

using karvonel::fuzz::RoundTo15;
using karvonel::fuzz::Show;

void CheckDouble(double value) {
  const std::string text = karvonel::iges::NumberText(value);
  const char* shown = text.c_str();
  char direct[karvonel::iges::kMaxNumberText];
  const std::size_t length = karvonel::iges::NumberTextTo(direct, value);
  FUZZ_CHECK(std::string(direct, length) == text, "%s: NumberTextTo differs", shown);
  FUZZ_CHECK(text.size() >= 2 && text.size() <= karvonel::iges::kMaxNumberText, "'%s'", shown);

  if (!std::isfinite(value) || value == 0) {
    FUZZ_CHECK(text == " 0", "%s gives '%s', not ' 0'", Show(value).c_str(), shown);
    return;
  }
  FUZZ_CHECK(text[0] == (value < 0 ? '-' : ' '), "%s gives '%s'", Show(value).c_str(), shown);

  // Read back, both by the C library and by the converter's own reader.
  const double expected = RoundTo15(value);
  const double read = std::strtod(shown, nullptr);
  FUZZ_CHECK(read == expected, "%s gives '%s', which reads as %s, not %s", Show(value).c_str(),
             shown, Show(read).c_str(), Show(expected).c_str());
  const auto own = karvonel::conversion::LeadingNumber(text);
  if (std::isinf(expected)) {
    FUZZ_CHECK(own.out_of_range, "'%s' is not out of range for the reader", shown);
    return;
  }
  FUZZ_CHECK(!own.out_of_range && own.value == expected, "'%s' reads back as %s", shown,
             Show(own.value).c_str());

  // The form: mantissa digits without a "0" before the mark and without
  // trailing zeros after it; the exponent form exactly where the decimal
  // exponent of the rounded value is below -4 or at least 15, or where the
  // rounded value is whole and beyond 32-bit integers, which readers would
  // take for an integer too wide for them.
  const std::string body = text.substr(1);
  const std::size_t e = body.find('E');
  const std::string mantissa = body.substr(0, e);
  const std::size_t point = mantissa.find('.');
  FUZZ_CHECK(mantissa.find_first_not_of("0123456789.") == std::string::npos, "'%s'", shown);
  FUZZ_CHECK(mantissa[0] != '0', "'%s' has a leading zero", shown);
  if (point != std::string::npos) {
    FUZZ_CHECK(point + 1 < mantissa.size() && mantissa.back() != '0',
               "'%s' has a trailing zero or mark", shown);
  }
  std::string digits;
  for (char c : mantissa) {
    if (c != '.')
      digits += c;
  }
  const std::size_t significant = digits.find_last_not_of('0') - digits.find_first_not_of('0') + 1;
  FUZZ_CHECK(significant <= 15, "'%s' has %zu significant digits", shown, significant);
  char scientific[64];
  std::snprintf(scientific, sizeof scientific, "%.14e", std::fabs(expected));
  const int decimal_exponent = std::atoi(std::strchr(scientific, 'e') + 1);
  const bool wide_whole = std::floor(expected) == expected && std::fabs(expected) > 2147483647.0;
  const bool exponent_form = decimal_exponent < -4 || decimal_exponent >= 15 || wide_whole;
  FUZZ_CHECK((e != std::string::npos) == exponent_form, "'%s' for decimal exponent %d", shown,
             decimal_exponent);
  if (exponent_form) {
    FUZZ_CHECK(point == std::string::npos || point == 1, "'%s': one digit before the mark", shown);
    const std::string exponent_text = body.substr(e + 1);
    FUZZ_CHECK(exponent_text.size() >= 3 && (exponent_text[0] == '+' || exponent_text[0] == '-') &&
                   exponent_text.find_first_not_of("0123456789", 1) == std::string::npos &&
                   (exponent_text.size() == 3 || exponent_text[1] != '0'),
               "'%s': exponent is a sign and at least two digits", shown);
    FUZZ_CHECK(std::atoi(exponent_text.c_str()) == decimal_exponent, "'%s'", shown);
  } else if (std::fabs(expected) >= 1) {
    const std::size_t whole = point == std::string::npos ? mantissa.size() : point;
    FUZZ_CHECK(static_cast<int>(whole) == decimal_exponent + 1, "'%s'", shown);
  } else {
    const std::size_t zeros = mantissa.find_first_not_of('0', 1) - 1;
    FUZZ_CHECK(point == 0 && static_cast<int>(zeros) == -decimal_exponent - 1, "'%s'", shown);
  }
}

void CheckInteger(std::int64_t value) {
  const std::string text = karvonel::iges::NumberText(value);
  const std::string expected = (value >= 0 ? " " : "") + std::to_string(value);
  FUZZ_CHECK(text == expected, "'%s', expected '%s'", text.c_str(), expected.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (std::size_t i = 0; i + 8 <= size; i += 8) {
    double value = 0;
    std::int64_t integer = 0;
    std::memcpy(&value, data + i, 8);
    std::memcpy(&integer, data + i, 8);
    CheckDouble(value);
    CheckInteger(integer);
  }
  return 0;
}
