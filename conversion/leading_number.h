// LeadingNumber: the number reader of a point list field.
//
// Blanks, tabs and line feeds are ignored wherever they stand. Then: an optional
// sign; digits with at most one "." among them (".5" and "5." are numbers); an
// optional exponent, E or D in either case, an optional sign and digits. Reading
// stops at the first character that cannot continue the number; text without a
// digit reads as 0. "&H" and "&O" (either case), after the optional sign, start
// a hexadecimal or octal integer. No locale is consulted.
#pragma once

#include <string_view>

#include "iges/number_text.h"

namespace karvonel::conversion {

struct LeadingNumberResult {
  double value = 0;
  // The number is beyond the range of a double (1E999, or an "&H" integer
  // wider than 64 bits); `value` is then 0. Values too small for a double
  // (1E-999) read as 0 and are not out of range.
  bool out_of_range = false;
  // The text starts with a number: at least one digit was read.
  bool is_number = false;
  // Something other than blanks, tabs and line feeds follows the number
  // ("5;2", "12abc"): the text is most likely not the number its writer meant.
  bool text_after = false;
  // The number as written, where it is a plain decimal of at most 15
  // significant digits; else its scale is -1.
  iges::ShortDecimal decimal;
};

// Reads the number at the start of `text`; never fails on text that is not a
// number.
LeadingNumberResult LeadingNumber(std::string_view text);

}  // namespace karvonel::conversion
