// The system's clock, read as the local date and time of day.
#pragma once

#include <ctime>

namespace karvonel::platform {

// The local time now, in the fields of std::tm (tm_year counts from 1900,
// tm_mon from 0).
std::tm LocalTimeNow();

}  // namespace karvonel::platform
