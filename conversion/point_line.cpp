#include "conversion/point_line.h"

#include "conversion/leading_number.h"

namespace karvonel::conversion {

PointLine ParsePointLine(std::string_view LineText) {
  PointLine point;
  point.has_point = LineText.find_first_not_of(" \t") != std::string_view::npos;
  if (!point.has_point)
    return point;

  double* const coordinates[3] = {&point.x, &point.y, &point.z};
  std::size_t start = 0;
  int numbers = 0;
  for (int i = 0; i < 3; ++i) {
    if (start > LineText.size())
      break;  // the line has no such field: it reads 0
    std::size_t comma = LineText.find(',', start);
    if (comma == std::string_view::npos)
      comma = LineText.size();
    const LeadingNumberResult number = LeadingNumber(LineText.substr(start, comma - start));
    if (number.out_of_range)
      point.out_of_range = true;
    if (number.is_number && !number.text_after)
      ++numbers;
    *coordinates[i] = number.value;
    point.decimals[i] = number.decimal;
    start = comma + 1;
  }
  point.three_numbers = numbers == 3;
  return point;
}

}  // namespace karvonel::conversion
