#include <cstdio>
#include <iostream>

#include "cli/command_line.h"

#ifdef _WIN32
#include <io.h>
#define KARVONEL_ISATTY _isatty
#define KARVONEL_FILENO _fileno
#else
#include <unistd.h>
#define KARVONEL_ISATTY isatty
#define KARVONEL_FILENO fileno
#endif

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  karvonel::cli::Environment env{std::cout, std::cerr,
                                 KARVONEL_ISATTY(KARVONEL_FILENO(stderr)) != 0, {}};
  return karvonel::cli::RunCommandLine(args, env);
}
