// NumberText of any double, and of a short decimal m / 10^k made from the same
// bytes, reads back as the value rounded to 15 significant digits (worked out
// with std::to_chars), in canonical form; an integer reads back exact.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <system_error>

#include "iges/number_text.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

// The number a text holds, as std::from_chars reads it, with its error.
std::pair<double, std::errc> Read(const char* begin, const char* end) {
  double value = 0;
  const auto result = std::from_chars(begin, end, value);
  return {result.ptr == end ? value : NAN, result.ec};
}

void CheckDouble(double value) {
  char text[karvonel::iges::kMaxNumberText + 1] = {};
  const std::size_t length = karvonel::iges::NumberTextTo(text, value);
  FUZZ_CHECK(length >= 2 && length <= karvonel::iges::kMaxNumberText, "%.17g", value);
  FUZZ_CHECK(karvonel::iges::NumberText(value) == text, "%s", text);
  if (!std::isfinite(value) || value == 0) {
    FUZZ_CHECK(std::string(text) == " 0", "%.17g gives '%s'", value, text);
    return;
  }
  FUZZ_CHECK(text[0] == (value < 0 ? '-' : ' '), "%.17g gives '%s'", value, text);
  char rounded[40];
  const auto end = std::to_chars(rounded, rounded + sizeof rounded, std::fabs(value),
                                 std::chars_format::scientific, 14);
  const auto want = Read(rounded, end.ptr);
  const auto got = Read(text + 1, text + length);
  FUZZ_CHECK(got.first == want.first && got.second == want.second,
             "%.17g gives '%s', not the value of %.*s", value, text,
             static_cast<int>(end.ptr - rounded), rounded);
  // Canonical: no "0" before the mark, no trailing zero after it, an exponent
  // of a sign and at least two digits.
  const std::string body(text + 1, length - 1);
  const std::size_t e = body.find('E');
  const std::string mantissa = body.substr(0, e);
  FUZZ_CHECK(mantissa[0] != '0', "'%s'", text);
  FUZZ_CHECK(mantissa.find('.') == std::string::npos || mantissa.back() != '0', "'%s'", text);
  FUZZ_CHECK(e == std::string::npos ||
                 (body.size() - e >= 4 && (body[e + 1] == '+' || body[e + 1] == '-')),
             "'%s'", text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (std::size_t i = 0; i + 8 <= size; i += 8) {
    double value = 0;
    std::int64_t integer = 0;
    std::memcpy(&value, data + i, 8);
    std::memcpy(&integer, data + i, 8);
    CheckDouble(value);
    const std::string text = karvonel::iges::NumberText(integer);
    const std::string want = (integer < 0 ? "" : " ") + std::to_string(integer);
    FUZZ_CHECK(text == want, "'%s', not '%s'", text.c_str(), want.c_str());
    // The values point lists are made of: at most 15 digits, up to 22 after the mark.
    const auto whole = static_cast<double>(integer % 1'000'000'000'000'000);
    CheckDouble(whole / std::pow(10.0, data[i] % 23));
  }
  return 0;
}
