// What a coordinate must read back as: the value rounded to 15 significant
// digits, worked out by the standard library alone.
#pragma once

#include <charconv>

namespace karvonel::testing {

inline double Rounded15(double value) {
  char text[40];
  const auto end =
      std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, 14);
  double rounded = 0;
  std::from_chars(text, end.ptr, rounded);
  return rounded;
}

}  // namespace karvonel::testing
