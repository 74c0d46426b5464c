// karvonel-convert.exe as a Windows user runs it: Japanese arguments through
// the wide command line, the report on standard error as UTF-8, and the fixed
// stamp that the cross-platform comparison relies on.
#include <gtest/gtest.h>

#include <string>

#include "conversion/conversion_run.h"
#include "tests/support/test_files.h"
#include "tests/windows/win_test_support.h"

namespace karvonel::windows_test {
namespace {

using karvonel::testing::ReadFileBytes;
using karvonel::testing::TempDir;
using karvonel::testing::WriteFileBytes;

constexpr wchar_t kFixedTime[] = L"20240102030405";
const std::string kPoints = "1,2,3\r\n-4.5,0.25,1E3\r\n";

// The file the core writes for kPoints at the fixed time.
std::string ExpectedBytes(const TempDir& dir) {
  WriteFileBytes(dir / "reference.csv", kPoints);
  conversion::ConversionRequest request;
  request.in_path = dir / "reference.csv";
  request.out_path = dir / "reference.igs";
  request.section_path = dir / "reference.sec";
  request.clock = [] { return iges::LocalTime{2024, 1, 2, 3, 4, 5}; };
  EXPECT_TRUE(conversion::RunConversion(request));
  return ReadFileBytes(dir / "reference.igs");
}

// Standard error as the tool writes it to a file: UTF-8, with the C run-time's
// CR LF line ends.
std::string Lines(const std::string& text) {
  std::string out;
  for (std::size_t at = 0; at < text.size(); at = text.find('\n', at) + 1) {
    const std::size_t end = text.find('\n', at);
    if (end == std::string::npos)
      return out + text.substr(at);
    out += text.substr(at, end - at) + "\r\n";
  }
  return out;
}

TEST(ConvertExe, JapaneseArgumentsConvertAndAreReportedInUtf8) {
  TempDir dir;
  const std::string expected = ExpectedBytes(dir);
  const std::filesystem::path folder = dir.Path() / u8"点群データ";
  ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
  WriteFileBytes(folder / u8"測定点.csv", kPoints);

  const ProgramResult run =
      RunProgram(ConvertExe(), {L"点群データ\\測定点.csv"}, dir.Path(), dir.Path(), kFixedTime);
  EXPECT_EQ(run.exit_code, 0u) << run.err;
  EXPECT_EQ(run.err, Lines("点群データ\\測定点.csv: 変換しました: 点群データ\\測定点.igs\n"));
  EXPECT_EQ(WideNames(folder), (std::vector<std::wstring>{L"測定点.csv", L"測定点.igs"}));
  EXPECT_EQ(ReadFileBytes(folder / u8"測定点.igs"), expected);
  EXPECT_TRUE(std::filesystem::exists(dir / "para.sec")) << "para.sec in the current folder";
}

TEST(ConvertExe, JapaneseOutputNameWithDashO) {
  TempDir dir;
  const std::string expected = ExpectedBytes(dir);
  WriteFileBytes(dir / "pts.csv", kPoints);
  const ProgramResult run = RunProgram(ConvertExe(), {L"-o", L"出力 結果.igs", L"pts.csv"},
                                       dir.Path(), dir.Path(), kFixedTime);
  EXPECT_EQ(run.exit_code, 0u) << run.err;
  EXPECT_EQ(run.err, Lines("pts.csv: 変換しました: 出力 結果.igs\n"));
  EXPECT_EQ(ReadFileBytes(dir.Path() / u8"出力 結果.igs"), expected);
}

TEST(ConvertExe, MissingJapaneseInputIsReportedByName) {
  TempDir dir;
  const ProgramResult run = RunProgram(ConvertExe(), {L"存在しない.csv"}, dir.Path(), dir.Path());
  EXPECT_EQ(run.exit_code, 1u);
  EXPECT_EQ(run.err, Lines("存在しない.csv: ファイル名が存在しません\n"));
}

// A stamp that is not 14 digits of a possible time is a usage error, and
// nothing is converted.
TEST(ConvertExe, MalformedFixedTimeIsAUsageError) {
  for (const wchar_t* stamp :
       {L"2024010203040", L"2024010203040X", L"20241301030405", L"20240102240405"}) {
    SCOPED_TRACE(Utf8(stamp));
    TempDir dir;
    WriteFileBytes(dir / "pts.csv", kPoints);
    const ProgramResult run = RunProgram(ConvertExe(), {L"pts.csv"}, dir.Path(), dir.Path(), stamp);
    EXPECT_EQ(run.exit_code, 2u);
    EXPECT_NE(run.err.find("KARVONEL_FIXED_TIME"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "pts.igs"));
  }
}

}  // namespace
}  // namespace karvonel::windows_test
