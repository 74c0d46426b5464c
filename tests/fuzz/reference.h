// A second, deliberately plain reading of the point list format and of the
// number rules, written apart from the converter, for the fuzz targets to
// compare the converter against.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

// Reports a broken property with its details and aborts, so that libFuzzer
// saves the input and the replay test fails.
#define FUZZ_CHECK(condition, ...)                                                            \
  do {                                                                                        \
    if (!(condition)) {                                                                       \
      std::fprintf(stderr, "%s:%d: property failed: %s\n  ", __FILE__, __LINE__, #condition); \
      std::fprintf(stderr, __VA_ARGS__);                                                      \
      std::fprintf(stderr, "\n");                                                             \
      std::abort();                                                                           \
    }                                                                                         \
  } while (false)

namespace karvonel::fuzz {

struct ReferenceNumber {
  double value = 0;
  bool out_of_range = false;
};

// The number at the start of a field: blanks, tabs and line feeds dropped
// first, then sign, digits with at most one ".", an optional E/D exponent
// with digits; "&H"/"&O" integers of up to 64 bits. Read with strtod.
ReferenceNumber ReadReferenceNumber(std::string_view field);

struct ReferencePoint {
  bool has_point = false;
  bool out_of_range = false;
  double xyz[3] = {0, 0, 0};
};

// Fields 1 to 3 of the line, split at its commas; a line of blanks and tabs
// alone holds no point.
ReferencePoint ReadReferencePoint(std::string_view line);

// The lines of a point list: a UTF-8 byte-order mark at the start dropped, CR
// LF, CR and LF each ending a line, a last line without its end kept.
std::vector<std::string_view> SplitReferenceLines(std::string_view bytes);

// `value` rounded to 15 significant digits (through printf's "%.14e").
double RoundTo15(double value);

// The shortest exact text of a double, for messages.
std::string Show(double value);

}  // namespace karvonel::fuzz
