// karvonel-convert's entry point: the platform's arguments and console, then
// one call into the command-line library.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <new>

#include "cli/command_line.h"
#include "cli/fixed_time.h"
#include "cli/texts.h"
#include "platform/signals.h"

#ifdef _WIN32
#include "cli/windows_console.h"
#else
#include <unistd.h>
#endif

int main(int argc, char** argv) try {
  karvonel::platform::CatchTerminationSignals();
#ifdef _WIN32
  (void)argc;
  (void)argv;
  karvonel::cli::ConsoleText console;
  const std::vector<std::string> args = karvonel::cli::WideArguments();
  const bool err_is_terminal = console.ErrorIsConsole();
#else
  const std::vector<std::string> args(argv + 1, argv + argc);
  const bool err_is_terminal = ::isatty(STDERR_FILENO) != 0;
#endif
  karvonel::cli::Environment env{
      std::cout, std::cerr, err_is_terminal, std::getenv(karvonel::cli::kFixedTimeVariable), {}};
  const int status = karvonel::cli::RunCommandLine(args, env);
  // Cut short by a signal and cleaned up: the signal ends the program, so
  // that a shell loop or xargs around it stops too.
  if (const int signal = karvonel::platform::TerminationSignal();
      signal != 0 && status == 128 + signal) {
    std::cout.flush();
    karvonel::platform::EndBySignal(signal);
  }
  return status;
} catch (const std::bad_alloc&) {
  std::fputs("karvonel-convert: ", stderr);
  std::fputs(karvonel::cli::texts::kOutOfMemory, stderr);
  std::fputs("\n", stderr);
  return karvonel::cli::kExitSomeFailed;
}
