// The Start record and the four Global records that open every output file.
#pragma once

#include <array>
#include <string>

#include "iges/record_writer.h"

namespace karvonel::iges {

// A local date and time of day, as read once per conversion.
struct LocalTime {
  int year = 2000;  // 1..9999
  int month = 1;    // 1..12
  int day = 1;      // 1..31
  int hour = 0;     // 0..23
  int minute = 0;   // 0..59
  int second = 0;   // 0..59
};

// "YYYYMMDD.HHMMSS", every field zero-filled: 20261206.102345. Fields outside
// their ranges are clamped into them so the text is always 15 characters.
std::string StampText(const LocalTime& time);

// The Start record and the four Global records.
inline constexpr int kStartGlobalRecords = 5;

// The five records, each exactly 80 bytes: Global record 1 holds two
// ideographic spaces written in Shift_JIS (0x81 0x40), so it is 78 characters.
std::array<std::string, kStartGlobalRecords> StartGlobalRecords(const LocalTime& time);

// Writes the Start record and the four Global records to `out`, with the stamp
// made once from `time` standing in Global parameters 18 and 25.
void WriteStartGlobal(const LocalTime& time, RecordWriter& out);

}  // namespace karvonel::iges
