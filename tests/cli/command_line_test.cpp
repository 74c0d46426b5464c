// karvonel-convert in this process: what only a terminal sees. Everything
// else the tool prints is tested end to end in tests/e2e.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "cli/command_line.h"
#include "tests/support/test_files.h"

namespace karvonel::cli {
namespace {

const std::string kFullBar = "\r[" + std::string(40, '#') + "] 100%";
const std::string kCleared = "\r" + std::string(48, ' ') + "\r";

// A bar on a terminal only: redirected, standard error holds the report alone.
TEST(CommandLine, ProgressBarOnATerminalOnly) {
  testing::TempDir dir;
  std::string input;
  for (int i = 0; i < 20000; ++i)
    input += "1,2,3\n";
  testing::WriteFileBytes(dir / "a.csv", input);
  const std::string in = (dir / "a.csv").string();
  const std::string report = in + ": 変換しました: " + (dir / "a.igs").string() + "\n";
  for (const bool terminal : {false, true}) {
    SCOPED_TRACE(terminal);
    std::ostringstream out, err;
    Environment env{out, err, terminal, nullptr, {}, std::chrono::milliseconds(0)};
    EXPECT_EQ(RunCommandLine({"--", in}, env), kExitAllConverted);
    const std::string shown = err.str();
    EXPECT_EQ(shown.substr(shown.size() - report.size()), report);
    EXPECT_EQ(shown.find(kFullBar + kCleared) != std::string::npos, terminal) << shown;
    EXPECT_EQ(shown.find('\r') != std::string::npos, terminal);
  }
}

}  // namespace
}  // namespace karvonel::cli
