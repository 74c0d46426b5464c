#include "conversion/point_line.h"

#include <cstring>
#include <memory>

#include "conversion/leading_number.h"
#include "conversion/line_reader.h"

namespace karvonel::conversion {

std::optional<std::int64_t> CountPointLines(platform::NativeFile& input) {
  // LineReader's lines: parted by LF, CR or CR LF (the empty piece between
  // CR and LF holds no point), after a byte order mark at the start. Counted
  // before every conversion from a file, so a line that starts with its
  // point and holds no CR is taken whole: one search for its LF.
  constexpr std::size_t kChunk = 256 << 10;
  auto buffer = std::make_unique<char[]>(kChunk);
  std::int64_t points = 0;
  bool has = false;  // the current line holds a point so far
  bool first = true;
  for (;;) {
    const auto got = input.Read(buffer.get(), kChunk);
    if (!got)
      return std::nullopt;
    if (*got == 0)
      return points + (has ? 1 : 0);
    const char* p = buffer.get();
    const char* const end = p + *got;
    if (first && std::string_view(p, *got).starts_with(kByteOrderMark))
      p += kByteOrderMark.size();
    first = false;
    while (p < end) {
      const char* const lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
      const char* const stop = lf ? lf : end;
      if (!has && p < stop && *p != ' ' && *p != '\t' && *p != '\r' &&
          std::memchr(p, '\r', stop - p) == nullptr) {
        has = true;
      } else {
        for (const char* q = p; q < stop; ++q) {
          if (*q == '\r') {
            points += has ? 1 : 0;
            has = false;
          } else if (*q != ' ' && *q != '\t') {
            has = true;
          }
        }
      }
      if (!lf)
        break;
      points += has ? 1 : 0;
      has = false;
      p = lf + 1;
    }
  }
}

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
