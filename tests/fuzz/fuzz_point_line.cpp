// ParsePointLine and LeadingNumber against the plain reading in reference.cpp:
// the same point from any line, never a NaN or an infinity, and a number that
// does not change when blanks are put into it or text after a comma is added.
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "conversion/leading_number.h"
#include "conversion/point_line.h"
#include "tests/fuzz/reference.h"

namespace {

using karvonel::conversion::LeadingNumber;
using karvonel::fuzz::Show;

bool Same(double a, double b) {
  return a == b;
}  // +0 and -0 alike: both are written " 0"

void CheckNumber(std::string_view field) {
  const std::string shown(field);
  const auto number = LeadingNumber(field);
  const auto expected = karvonel::fuzz::ReadReferenceNumber(field);
  FUZZ_CHECK(std::isfinite(number.value), "'%s' reads as %s", shown.c_str(),
             Show(number.value).c_str());
  FUZZ_CHECK(number.out_of_range == expected.out_of_range, "'%s': out of range %d, expected %d",
             shown.c_str(), number.out_of_range, expected.out_of_range);
  FUZZ_CHECK(Same(number.value, expected.value), "'%s' reads as %s, expected %s", shown.c_str(),
             Show(number.value).c_str(), Show(expected.value).c_str());
  if (number.out_of_range)
    FUZZ_CHECK(number.value == 0, "'%s'", shown.c_str());

  // A comma never continues a number.
  const auto cut = LeadingNumber(shown + ",9");
  FUZZ_CHECK(Same(cut.value, number.value) && cut.out_of_range == number.out_of_range,
             "'%s' followed by ',9' reads as %s", shown.c_str(), Show(cut.value).c_str());
  // Blanks, tabs and line feeds are ignored wherever they stand.
  std::string spread;
  for (char c : field) {
    spread += c;
    spread += " \t";
  }
  const auto spaced = LeadingNumber("\n" + spread);
  FUZZ_CHECK(Same(spaced.value, number.value) && spaced.out_of_range == number.out_of_range,
             "'%s' with blanks between its characters reads as %s", shown.c_str(),
             Show(spaced.value).c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  const auto point = karvonel::conversion::ParsePointLine(line);
  const auto expected = karvonel::fuzz::ReadReferencePoint(line);
  const std::string shown(line);
  FUZZ_CHECK(point.has_point == expected.has_point, "'%s': has_point %d", shown.c_str(),
             point.has_point);
  if (point.has_point) {
    FUZZ_CHECK(point.out_of_range == expected.out_of_range, "'%s': out of range %d", shown.c_str(),
               point.out_of_range);
    const double got[3] = {point.x, point.y, point.z};
    for (int k = 0; k < 3; ++k) {
      FUZZ_CHECK(std::isfinite(got[k]), "'%s': coordinate %d is %s", shown.c_str(), k,
                 Show(got[k]).c_str());
      FUZZ_CHECK(Same(got[k], expected.xyz[k]), "'%s': coordinate %d is %s, expected %s",
                 shown.c_str(), k, Show(got[k]).c_str(), Show(expected.xyz[k]).c_str());
    }
  }
  // Each field on its own; the line-level checks above cover how they are cut.
  std::size_t start = 0;
  for (int k = 0; k < 4; ++k) {
    const std::size_t comma = line.find(',', start);
    CheckNumber(line.substr(start, comma == line.npos ? line.npos : comma - start));
    if (comma == line.npos)
      break;
    start = comma + 1;
  }
  return 0;
}
