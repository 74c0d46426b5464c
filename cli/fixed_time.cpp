#include "cli/fixed_time.h"

namespace karvonel::cli {
namespace {

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

std::optional<iges::LocalTime> ParseFixedTime(std::string_view text) {
  if (text.size() != 14)
    return std::nullopt;
  for (const char c : text) {
    if (c < '0' || c > '9')
      return std::nullopt;
  }
  const auto field = [text](std::size_t at, std::size_t width) {
    int value = 0;
    for (std::size_t i = at; i < at + width; ++i)
      value = value * 10 + (text[i] - '0');
    return value;
  };
  const iges::LocalTime time{field(0, 4), field(4, 2),  field(6, 2),
                             field(8, 2), field(10, 2), field(12, 2)};
  if (time.year < 1 || time.month < 1 || time.month > 12 || time.day < 1 ||
      time.day > DaysInMonth(time.year, time.month) || time.hour > 23 || time.minute > 59 ||
      time.second > 59) {
    return std::nullopt;
  }
  return time;
}

}  // namespace karvonel::cli
