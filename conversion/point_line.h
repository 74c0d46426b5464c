// ParsePointLine: one line of a point list into the coordinates of a point.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "iges/number_text.h"
#include "platform/native_file.h"

namespace karvonel::conversion {

struct PointLine {
  // False for a line of nothing but blanks and tabs: it holds no point.
  bool has_point = false;
  // A field's number is beyond the range of a double; the line is refused.
  bool out_of_range = false;
  // Fields 1, 2 and 3 each hold a number and nothing else but blanks and
  // tabs; otherwise the line is most likely not what its writer meant (a
  // header, blanks instead of commas, a decimal comma with semicolons).
  bool three_numbers = false;
  double x = 0;
  double y = 0;
  double z = 0;
  // The short decimals X, Y and Z were read from, where they were such
  // (LeadingNumberResult::decimal), for writing their texts.
  iges::ShortDecimal decimals[3];
};

// Splits `LineText` (without its line end) at its commas: X, Y and Z are fields 1, 2
// and 3, each read by LeadingNumber; a field the line does not have reads as 0
// and fields after the third are ignored. Nothing carries over between lines.
PointLine ParsePointLine(std::string_view LineText);

// The number of lines of `input`, from its position to its end, that hold a
// point (has_point above), as LineReader parts them; none when the file
// cannot be read. A line too long for LineReader is counted all the same: the
// conversion's own pass over the lines refuses it.
std::optional<std::int64_t> CountPointLines(platform::NativeFile& input);

}  // namespace karvonel::conversion
