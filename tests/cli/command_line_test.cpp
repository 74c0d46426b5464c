#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "cli/command_line.h"
#include "cli/progress_bar.h"
#include "tests/support/test_files.h"

namespace karvonel::cli {
namespace {

using karvonel::testing::ListFolder;
using karvonel::testing::ReadFileBytes;
using karvonel::testing::TempDir;
using karvonel::testing::WriteFileBytes;

class CommandLine : public ::testing::Test {
 protected:
  void SetUp() override {
    // The section file lives in the current folder: give each test its own.
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.Path());
  }
  void TearDown() override { std::filesystem::current_path(previous_); }

  int Run(std::vector<std::string> args) {
    out_.str("");
    err_.str("");
    Environment env{out_, err_, false, nullptr,
                    [] { return iges::LocalTime{2026, 12, 6, 10, 23, 45}; }};
    return RunCommandLine(args, env);
  }
  std::string Path(const char* name) { return (dir_ / name).string(); }

  TempDir dir_;
  std::filesystem::path previous_;
  std::ostringstream out_, err_;
};

TEST_F(CommandLine, ConvertsEachInputBesideIt) {
  WriteFileBytes(dir_ / "a.v1.csv", "1,2,3\n");
  WriteFileBytes(dir_ / "b.csv", "4,5,6\n");
  EXPECT_EQ(Run({Path("a.v1.csv"), Path("b.csv")}), kExitAllConverted);
  EXPECT_EQ(err_.str(), Path("a.v1.csv") + ": 変換しました: " + Path("a.v1.igs") + "\n" +
                            Path("b.csv") + ": 変換しました: " + Path("b.igs") + "\n");
  EXPECT_NE(ReadFileBytes(dir_ / "b.igs").find("116, 4, 5, 6;"), std::string::npos);
  EXPECT_EQ(ListFolder(dir_.Path()), "a.v1.csv\na.v1.igs\nb.csv\nb.igs\npara.sec");
}

TEST_F(CommandLine, GoesOnAfterAFailureAndReportsIt) {
  WriteFileBytes(dir_ / "bad.csv", "1,2,3\n1E999,0,0\n");
  WriteFileBytes(dir_ / "good.csv", "1,2,3\n");
  EXPECT_EQ(Run({Path("missing.csv"), Path("bad.csv"), Path("good.csv")}), kExitSomeFailed);
  EXPECT_EQ(err_.str(), Path("missing.csv") + ": ファイル名が存在しません\n" + Path("bad.csv") +
                            ": 2 行目の数値が大きすぎます。変換を中止しました\n" +
                            Path("good.csv") + ": 変換しました: " + Path("good.igs") + "\n");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "bad.igs"));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "good.igs"));
}

TEST_F(CommandLine, OutputOptionNamesTheFile) {
  WriteFileBytes(dir_ / "in.csv", "1,2,3\n");
  EXPECT_EQ(Run({"-o", Path("chosen.igs"), Path("in.csv")}), kExitAllConverted);
  EXPECT_TRUE(std::filesystem::exists(dir_ / "chosen.igs"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "in.igs"));
}

struct UsageCase {
  std::vector<std::string> args;
  std::string first_line;
};

class UsageErrors : public CommandLine, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(UsageErrors, ExitWithTwoAndConvertNothing) {
  EXPECT_EQ(Run(GetParam().args), kExitUsage);
  EXPECT_EQ(err_.str().substr(0, err_.str().find('\n')), GetParam().first_line);
  EXPECT_EQ(ListFolder(dir_.Path()), "");
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, UsageErrors,
    ::testing::Values(UsageCase{{}, "karvonel-convert: 入力ファイルを指定してください"},
                      UsageCase{{"-o"}, "karvonel-convert: -o には出力ファイル名が必要です"},
                      UsageCase{{"-o", "x.igs", "a.csv", "b.csv"},
                                "karvonel-convert: -o は入力ファイルが 1 つのときだけ使えます"},
                      UsageCase{{"-o", "x", "-o", "y", "a.csv"},
                                "karvonel-convert: -o は 1 回だけ指定できます"},
                      UsageCase{{"--frobnicate", "a.csv"},
                                "karvonel-convert: 不明なオプションです: --frobnicate"}));

TEST_F(CommandLine, VersionAndHelp) {
  EXPECT_EQ(Run({"--version"}), kExitAllConverted);
  EXPECT_EQ(out_.str(), "Karvonel Ver 1.20 00\n");
  EXPECT_EQ(Run({"--help"}), kExitAllConverted);
  EXPECT_EQ(out_.str().rfind("使い方: karvonel-convert [-o OUTPUT] INPUT...", 0), 0u);
}

TEST_F(CommandLine, DoubleDashEndsOptions) {
  WriteFileBytes(dir_ / "-odd.csv", "1,2,3\n");
  EXPECT_EQ(Run({"--", "-odd.csv"}), kExitAllConverted);
  EXPECT_TRUE(std::filesystem::exists(dir_ / "-odd.igs"));
}

TEST(ProgressBar, DrawsOnlyAfterTheDelayAndClearsItself) {
  std::ostringstream out;
  {
    ProgressBar bar(out, std::chrono::hours(1));
    bar.Update(50, 100);
    EXPECT_EQ(out.str(), "") << "a quick conversion shows no bar";
  }
  EXPECT_EQ(out.str(), "");
  {
    ProgressBar bar(out, std::chrono::milliseconds(0));
    bar.Update(1, 4);
    bar.Update(1, 4);  // the same share is not drawn twice
    bar.Update(4, 4);
  }
  const std::string quarter = "\r[" + std::string(10, '#') + std::string(30, ' ') + "] 25%";
  const std::string full = "\r[" + std::string(40, '#') + "] 100%";
  EXPECT_EQ(out.str(), quarter + full + "\r" + std::string(48, ' ') + "\r");
}

// The real program, as a user runs it.
int RunProgram(const std::string& args, const std::filesystem::path& err_file) {
  const std::string command = std::string("'") + KARVONEL_CONVERT_EXE + "' " + args + " 2>'" +
                              err_file.string() + "' >/dev/null";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(CommandLine, ProgramExitStatuses) {
  WriteFileBytes(dir_ / "ok.csv", "1,2,3\n");
  const auto err = dir_ / "err.txt";
  EXPECT_EQ(RunProgram("'" + Path("ok.csv") + "'", err), 0);
  EXPECT_EQ(ReadFileBytes(err), Path("ok.csv") + ": 変換しました: " + Path("ok.igs") + "\n");
  EXPECT_EQ(RunProgram("'" + Path("ok.csv") + "' '" + Path("none.csv") + "'", err), 1);
  EXPECT_EQ(RunProgram("", err), 2);
  EXPECT_EQ(RunProgram("--version", err), 0);
}

}  // namespace
}  // namespace karvonel::cli
