// The test aid KARVONEL_FIXED_TIME: a fixed local time for the files' stamps.
#pragma once

#include <optional>
#include <string_view>

#include "iges/start_global.h"

namespace karvonel::cli {

// KARVONEL_FIXED_TIME=YYYYMMDDhhmmss stamps every file with that local time
// instead of the clock's, so that two runs of the tool (say a Windows and a
// Linux build) write identical bytes for the same input.
inline constexpr char kFixedTimeVariable[] = "KARVONEL_FIXED_TIME";

// The time of a 14-digit "YYYYMMDDhhmmss" naming a real calendar date and time
// of day (years 1 to 9999); nothing for any other text, 20230231000000 included.
std::optional<iges::LocalTime> ParseFixedTime(std::string_view text);

}  // namespace karvonel::cli
