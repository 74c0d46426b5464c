#include "iges/start_global.h"

#include <algorithm>
#include <cstdio>

#include "iges/record.h"
#include "karvonel/version.h"

namespace karvonel::iges {
namespace {

// The maker's notice in columns 22 to 72 of the Start record (ASCII, at most 51).
constexpr char kMakersNotice[] = "Point list to IGES converter by Karvonel Works";
static_assert(sizeof kMakersNotice - 1 <= 51);

// IDEOGRAPHIC SPACE (U+3000) in Shift_JIS.
#define KARVONEL_SJIS_IDEOGRAPHIC_SPACE "\x81\x40"

// The system's name and version (parameter 6): KARVONEL, the version and its
// revision level, parted by ideographic spaces.
#define KARVONEL_SYSTEM_VERSION                                                               \
  "KARVONEL" KARVONEL_SJIS_IDEOGRAPHIC_SPACE KARVONEL_VERSION KARVONEL_SJIS_IDEOGRAPHIC_SPACE \
      KARVONEL_VERSION_LEVEL
// 16 characters, as the Hollerith count below says: each ideographic space is
// one character of two bytes.
static_assert(sizeof KARVONEL_SYSTEM_VERSION - 1 == 18, "the Hollerith count 16H below");
constexpr char kGlobal1Data[] =
    "1H,,1H;,4HIGES,12HFilename.igs,8HKarvonel,16H" KARVONEL_SYSTEM_VERSION ",";
constexpr char kGlobal2Data[] = "10,38,8,308,15,8HKarvonel,1.000000000,2,2Hmm,1,1.000000,";
constexpr char kGlobal3After[] = ",0.01000000,1000000000000,8HKarvonel,8HKarvonel,11,";

// Pads `data` with blanks to 72 bytes and appends the 8-byte sequence field.
std::string Record(std::string data, const char* sequence) {
  data.resize(kDataColumns, ' ');
  data += sequence;
  return data;
}

}  // namespace

std::string StampText(const LocalTime& time) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02d%02d.%02d%02d%02d", std::clamp(time.year, 0, 9999),
                std::clamp(time.month, 1, 12), std::clamp(time.day, 1, 31),
                std::clamp(time.hour, 0, 23), std::clamp(time.minute, 0, 59),
                std::clamp(time.second, 0, 59));
  return std::string(text, 15);
}

std::array<std::string, kStartGlobalRecords> StartGlobalRecords(const LocalTime& time) {
  const std::string stamp = StampText(time);
  return {
      Record(std::string(kVersionText) + " " + kMakersNotice, "S0000001"),
      Record(kGlobal1Data, "G0000001"),
      Record(kGlobal2Data, "G0000002"),
      Record("15H" + stamp + kGlobal3After, "G0000003"),
      Record("0,15H" + stamp + ",0;", "G0000004"),
  };
}

void WriteStartGlobal(const LocalTime& time, RecordWriter& out) {
  for (const std::string& record : StartGlobalRecords(time))
    out.WriteRecord(record);
}

}  // namespace karvonel::iges
