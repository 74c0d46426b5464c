// ParsePointLine of any line: finite coordinates, each the LeadingNumber of its
// field; a number that does not change when blanks, tabs and line feeds are put
// into it or text after a comma is added; and, where std::from_chars reads the
// whole field (blanks dropped, D taken for E), the value it reads.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "conversion/leading_number.h"
#include "conversion/point_line.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using karvonel::conversion::LeadingNumber;
using karvonel::conversion::LeadingNumberResult;

bool Same(LeadingNumberResult a, LeadingNumberResult b) {
  return a.value == b.value && a.out_of_range == b.out_of_range;  // +0 and -0 alike
}

void CheckNumber(const std::string& field, LeadingNumberResult number) {
  FUZZ_CHECK(std::isfinite(number.value), "'%s' reads as %g", field.c_str(), number.value);
  FUZZ_CHECK(!number.out_of_range || number.value == 0, "'%s'", field.c_str());
  FUZZ_CHECK(Same(LeadingNumber(field + ",9"), number), "'%s' and ',9'", field.c_str());
  std::string spread = "\n";
  std::string plain;
  for (char c : field) {
    (spread += c) += " \t\n";
    if (c != ' ' && c != '\t' && c != '\n')
      plain += (c == 'D' || c == 'd') ? 'e' : c;
  }
  FUZZ_CHECK(Same(LeadingNumber(spread), number), "'%s' with blanks in it", field.c_str());
  double value = 0;
  const char* end = plain.data() + plain.size();
  const auto read = std::from_chars(plain.data(), end, value);
  if (read.ec == std::errc() && read.ptr == end && plain[0] != '+' &&
      plain.find_first_not_of("0123456789.eE+-") == std::string::npos) {
    FUZZ_CHECK(number.value == value && !number.out_of_range, "'%s' reads as %.17g, not %.17g",
               field.c_str(), number.value, value);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const auto point = karvonel::conversion::ParsePointLine(line);
  FUZZ_CHECK(point.has_point == (line.find_first_not_of(" \t") != line.npos), "has_point %d",
             point.has_point);
  if (!point.has_point)
    return 0;
  const double xyz[3] = {point.x, point.y, point.z};
  bool out_of_range = false;
  std::string_view rest = line;  // the fields not yet read; fields past the last are ""
  for (int k = 0; k < 3; ++k) {
    const std::size_t comma = rest.find(',');
    const std::string field(rest.substr(0, comma));
    rest = comma == rest.npos ? std::string_view() : rest.substr(comma + 1);
    const LeadingNumberResult number = LeadingNumber(field);
    FUZZ_CHECK(xyz[k] == number.value, "coordinate %d %.17g, field '%s'", k, xyz[k], field.c_str());
    CheckNumber(field, number);
    out_of_range = out_of_range || number.out_of_range;
  }
  FUZZ_CHECK(point.out_of_range == out_of_range, "out of range %d", point.out_of_range);
  return 0;
}
