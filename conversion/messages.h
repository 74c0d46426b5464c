// Every text the conversion shows its user, in Japanese (UTF-8), in one place;
// the command-line tool's own are in cli/texts.h.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "conversion/conversion_error.h"

namespace karvonel::conversion {

// The message of a complete conversion.
inline constexpr char kMessageConverted[] = "変換しました";

// The note after a conversion some of whose lines did not hold three numbers.
std::string IncompleteLinesWarning(std::int64_t lines, std::int64_t first_line);

// The note after a conversion whose output could not keep the owner or the
// group of the file it replaced.
std::string OwnerChangedNote(std::string_view owner, std::string_view group);

// The error in the user's words, naming the line number, the path and the
// system's reason where the error has them; the reason in brackets after a
// line break. A message's line breaks are written as `line_break`: a window
// shows "\n", a terminal keeps one line per input with " ".
std::string ErrorMessage(const ConversionError& error, std::string_view line_break = "\n");

// `text`, a line break and the system's `reason` in brackets; `text` alone
// where there is no reason. Every message that gives a reason has this shape.
std::string WithReason(std::string text, std::string_view reason,
                       std::string_view line_break = "\n");

}  // namespace karvonel::conversion
