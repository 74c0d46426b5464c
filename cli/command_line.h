// karvonel-convert: converts point lists to IGES files from the command line.
#pragma once

#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "iges/start_global.h"

namespace karvonel::cli {

// Exit statuses.
inline constexpr int kExitAllConverted = 0;
inline constexpr int kExitSomeFailed = 1;
inline constexpr int kExitUsage = 2;

struct Environment {
  std::ostream& out;  // --help and --version
  std::ostream& err;  // one report per input file, usage errors, progress
  // A terminal gets a progress bar, shown once a conversion has run for
  // `progress_delay`.
  bool err_is_terminal = false;
  // The value of KARVONEL_FIXED_TIME, or null when it is not set.
  const char* fixed_time = nullptr;
  // Reads the local time for the files' stamps; empty: the system clock.
  std::function<iges::LocalTime()> clock;
  std::chrono::milliseconds progress_delay{1000};
};

// Runs the tool on its arguments (without the program name) and returns the
// exit status: 0 when every input converted, 1 when any failed, 2 on a usage
// error (a bad KARVONEL_FIXED_TIME included), 128 + N when termination signal N
// cut the run short (the program then ends by that signal itself). Inputs are
// converted one after the other; a failure does not stop the ones after it.
int RunCommandLine(const std::vector<std::string>& args, Environment& env);

}  // namespace karvonel::cli
