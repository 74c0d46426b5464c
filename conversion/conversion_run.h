// One conversion: a point list in, a complete IGES file out.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "conversion/conversion_error.h"
#include "iges/start_global.h"

namespace karvonel::conversion {

// The three messages of a conversion, exactly as the user sees them.
inline constexpr char kMessageNoFileChosen[] = "ファイル名を選択してください";
inline constexpr char kMessageInputMissing[] = "ファイル名が存在しません";
inline constexpr char kMessageConverted[] = "変換しました";

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
  // Called now and then with the input bytes read so far and the input's size;
  // returning false cancels the conversion. May be empty.
  std::function<bool(std::uint64_t done, std::uint64_t total)> progress;
};

enum class Outcome {
  kConverted,     // kMessageConverted
  kNoFileChosen,  // kMessageNoFileChosen
  kInputMissing,  // kMessageInputMissing
  kFailed,        // `error` says why; nothing at out_path changed
};

struct ConversionResult {
  Outcome outcome = Outcome::kFailed;
  ConversionError error;    // set when outcome is kFailed
  std::int64_t points = 0;  // points written (kConverted)
};

// Runs one conversion. Checks, in this order: no input chosen, the input cannot
// be opened, the output path is empty, names a folder or lies in a missing
// folder, the output cannot be created. The output is written under a temporary
// name beside out_path and renamed into place only when complete and flushed;
// on any failure the temporary file is removed and an earlier file at out_path
// is left as it was. Never throws for a failure of the conversion itself.
ConversionResult RunConversion(const ConversionRequest& request);

// The user's message for a result: one of the three messages, or ErrorMessage.
std::string ResultMessage(const ConversionResult& result);

// The system's local time now.
iges::LocalTime SystemLocalTime();

}  // namespace karvonel::conversion
