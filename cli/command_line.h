// karvonel-convert: converts point lists to IGES files from the command line.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "conversion/conversion_run.h"

namespace karvonel::cli {

inline constexpr char kVersionText[] = "Karvonel Ver 1.20 00";

// Exit statuses.
inline constexpr int kExitAllConverted = 0;
inline constexpr int kExitSomeFailed = 1;
inline constexpr int kExitUsage = 2;

struct Environment {
  std::ostream& out;  // --help and --version
  std::ostream& err;  // one report per input file, usage errors, progress
  bool err_is_terminal = false;
  // Reads the local time for the file's stamps; empty: the system clock.
  std::function<iges::LocalTime()> clock;
};

// Runs the tool on its arguments (without the program name) and returns the
// exit status: 0 when every input converted, 1 when any failed, 2 on a usage
// error. Inputs are converted one after the other; a failure does not stop the
// ones after it.
int RunCommandLine(const std::vector<std::string>& args, Environment& env);

}  // namespace karvonel::cli
