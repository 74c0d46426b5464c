// One conversion: a point list in, a complete IGES file out.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "conversion/conversion_error.h"
#include "iges/start_global.h"
#include "karvonel/result.h"

namespace karvonel::conversion {

// The Parameter Data section passes through this file in the current directory;
// it is left on disk with the records of the latest conversion.
inline constexpr char kSectionFileName[] = "para.sec";

struct ConversionRequest {
  std::filesystem::path in_path;   // empty: no file chosen
  std::filesystem::path out_path;  // where the finished file goes
  std::filesystem::path section_path = kSectionFileName;
  // Reads the local date and time; called once per conversion. Empty: the
  // system clock.
  std::function<iges::LocalTime()> clock;
  // Called now and then with the input bytes read so far and the input's size
  // (0 when it has none, as a pipe); returning false cancels the conversion.
  // May be empty.
  std::function<bool(std::uint64_t done, std::uint64_t total)> progress;
};

// What a complete conversion did.
struct Converted {
  std::int64_t points = 0;  // points written
  // Lines with a point whose fields 1 to 3 did not each start with a number,
  // and the first of them (0: none). They are converted all the same.
  std::int64_t incomplete_lines = 0;
  std::int64_t first_incomplete_line = 0;
  // The file replaced could not keep its owner or group (an ordinary user
  // replacing another's file): whose it is now, by name. Empty: it kept them.
  std::string new_owner;
  std::string new_group;
};

using ConversionResult = Result<Converted, ConversionError>;

// Runs one conversion on the calling thread. Checks, in this order: no input
// chosen, the input cannot be opened, the output path is empty, names a folder
// or the input, or lies in a missing folder, the output cannot be created,
// "para.sec" cannot be opened or is held. The output is written under a
// temporary name beside out_path and renamed into place only when complete and
// flushed; on any failure the temporary file is removed and an earlier file at
// out_path is left as it was. Never throws for a failure of the conversion.
ConversionResult RunConversion(const ConversionRequest& request);

// The user's message for a result: "変換しました", with the warning about
// incomplete lines as a second paragraph where there are any, or ErrorMessage.
std::string ResultMessage(const ConversionResult& result);

// The system's local time now.
iges::LocalTime SystemLocalTime();

}  // namespace karvonel::conversion
