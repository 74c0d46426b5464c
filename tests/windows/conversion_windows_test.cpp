// Conversions on Windows: line ends written as bytes, Japanese names, output
// files held open by other programs, and "para.sec" in the current folder.
#include <gtest/gtest.h>

#include <string>

#include "conversion/conversion_run.h"
#include "conversion/messages.h"
#include "conversion/output_path.h"
#include "platform/native_file.h"
#include "tests/support/test_files.h"
#include "tests/windows/win_test_support.h"

namespace karvonel::conversion {
namespace {

using karvonel::testing::ReadFileBytes;
using karvonel::testing::TempDir;
using karvonel::testing::WriteFileBytes;
using karvonel::windows_test::CurrentFolder;
using karvonel::windows_test::HeldFile;
using karvonel::windows_test::WideNames;

constexpr std::size_t kRecordWithEnd = 82;  // 80 columns, CR, LF
// Start, Global and Terminate records.
constexpr std::size_t kFixedRecords = 1 + 4 + 1;

ConversionRequest Request(const std::filesystem::path& in, const std::filesystem::path& out,
                          const std::filesystem::path& section) {
  ConversionRequest request;
  request.in_path = in;
  request.out_path = out;
  request.section_path = section;
  request.clock = [] { return iges::LocalTime{2024, 1, 2, 3, 4, 5}; };
  return request;
}

// The Parameter Data records of a finished file: the `points` records in
// front of the Terminate record.
std::string ParameterSection(const std::string& file, std::size_t points) {
  const std::size_t size = points * kRecordWithEnd;
  if (file.size() < size + kRecordWithEnd)
    return {};
  return file.substr(file.size() - kRecordWithEnd - size, size);
}

// Every record is 80 bytes of text and one CR LF: no LF made into CR LF, no
// CR LF doubled, none missing.
void ExpectRecords(const std::string& bytes, std::size_t records) {
  ASSERT_EQ(bytes.size(), records * kRecordWithEnd);
  for (std::size_t at = 0; at < bytes.size(); at += kRecordWithEnd) {
    const std::string record = bytes.substr(at, 80);
    EXPECT_EQ(record.find_first_of("\r\n"), std::string::npos) << "record at byte " << at;
    EXPECT_EQ(bytes.substr(at + 80, 2), "\r\n") << "record at byte " << at;
  }
}

TEST(ConversionWindows, EveryRecordEndsWithExactlyOneCrLf) {
  TempDir dir;
  // Four points whatever their line ends.
  WriteFileBytes(dir / "pts.csv", "1,2,3\r\n4,5,6\n7,8,9\r10,11,12");
  const ConversionResult result =
      RunConversion(Request(dir / "pts.csv", dir / "pts.igs", dir / "para.sec"));
  ASSERT_TRUE(result) << ResultMessage(result);
  EXPECT_EQ(result->points, 4);

  const std::string igs = ReadFileBytes(dir / "pts.igs");
  ExpectRecords(igs, kFixedRecords + 4 * 2 + 4);
  const std::string section = ReadFileBytes(dir / "para.sec");
  ExpectRecords(section, 4);
  EXPECT_EQ(ParameterSection(igs, 4), section);
}

TEST(ConversionWindows, JapaneseFileAndFolderNames) {
  TempDir dir;
  const std::filesystem::path folder = dir.Path() / u8"点群データ";
  const std::filesystem::path in = folder / u8"測定点 第1回.csv";
  ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
  WriteFileBytes(in, "1,2,3\r\n-4.5,0.25,1E3\r\n");
  // The same points under ASCII names, for the expected bytes.
  WriteFileBytes(dir / "ascii.csv", "1,2,3\r\n-4.5,0.25,1E3\r\n");
  ASSERT_TRUE(RunConversion(Request(dir / "ascii.csv", dir / "ascii.igs", dir / "ascii.sec")));

  // As the window and the command-line tool make it: UTF-8 text to a path.
  const std::string out_text = OutputPathFor(platform::PathText(in));
  const std::filesystem::path out(std::u8string(out_text.begin(), out_text.end()));
  const ConversionResult result = RunConversion(Request(in, out, folder / u8"作業.sec"));
  ASSERT_TRUE(result) << ResultMessage(result);

  EXPECT_EQ(WideNames(folder),
            (std::vector<std::wstring>{L"作業.sec", L"測定点 第1回.csv", L"測定点 第1回.igs"}));
  EXPECT_EQ(ReadFileBytes(out), ReadFileBytes(dir / "ascii.igs"));
}

// A spreadsheet or viewer has the earlier output open: the conversion fails
// with the path and the system's reason, the earlier file keeps its bytes, no
// temporary file is left behind, and once the file is let go the same
// conversion succeeds.
TEST(ConversionWindows, OutputHeldOpenByAnotherProgramIsLeftUnchanged) {
  for (const char* mode : {"exclusive", "share-read", "share-read-write"}) {
    SCOPED_TRACE(mode);
    TempDir dir;
    WriteFileBytes(dir / "pts.csv", "1,2,3\r\n4,5,6\r\n");
    WriteFileBytes(dir / "pts.igs", "the earlier output\r\n");
    const ConversionRequest request = Request(dir / "pts.csv", dir / "pts.igs", dir / "para.sec");
    {
      const HeldFile held(mode, dir / "pts.igs");
      ASSERT_TRUE(held.Holding());
      const ConversionResult result = RunConversion(request);
      ASSERT_FALSE(result);
      EXPECT_EQ(result.error().kind, ErrorKind::kWriteFailed) << ResultMessage(result);
      EXPECT_EQ(result.error().path, platform::PathText(dir / "pts.igs"));
      EXPECT_FALSE(result.error().reason.empty());
      EXPECT_EQ(ResultMessage(result), "ファイルに書き込めません：" + result.error().path + "\n(" +
                                           result.error().reason + ")");
    }
    EXPECT_EQ(ReadFileBytes(dir / "pts.igs"), "the earlier output\r\n");
    EXPECT_EQ(WideNames(dir.Path()),
              (std::vector<std::wstring>{L"para.sec", L"pts.csv", L"pts.igs"}));

    const ConversionResult again = RunConversion(request);
    EXPECT_TRUE(again) << ResultMessage(again);
    EXPECT_EQ(ReadFileBytes(dir / "pts.igs").size(), (kFixedRecords + 6) * kRecordWithEnd);
  }
}

struct SectionHold {
  const char* mode;
  ErrorKind kind;
};

// Another program has "para.sec": a conversion running beside this one (which
// locks it) is named as such; any other holder is a file that cannot be
// created. Either way nothing at the output changes.
TEST(ConversionWindows, SectionFileHeldByAnotherProgramStopsTheConversion) {
  const SectionHold cases[] = {
      {"lock", ErrorKind::kSectionFileBusy},
      {"exclusive", ErrorKind::kCannotCreate},
  };
  for (const SectionHold& c : cases) {
    SCOPED_TRACE(c.mode);
    TempDir dir;
    WriteFileBytes(dir / "pts.csv", "1,2,3\r\n");
    WriteFileBytes(dir / "pts.igs", "the earlier output\r\n");
    WriteFileBytes(dir / "para.sec", "");
    const HeldFile held(c.mode, dir / "para.sec");
    ASSERT_TRUE(held.Holding());
    const ConversionResult result =
        RunConversion(Request(dir / "pts.csv", dir / "pts.igs", dir / "para.sec"));
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().kind, c.kind) << ResultMessage(result);
    EXPECT_EQ(result.error().path, platform::PathText(dir / "para.sec"));
    EXPECT_EQ(ReadFileBytes(dir / "pts.igs"), "the earlier output\r\n");
    EXPECT_EQ(WideNames(dir.Path()),
              (std::vector<std::wstring>{L"para.sec", L"pts.csv", L"pts.igs"}));
  }
}

// The default section file is "para.sec" in the current folder, wherever the
// input and output are; here the current folder has a Japanese name.
TEST(ConversionWindows, SectionFileLiesInTheCurrentFolder) {
  TempDir dir;
  const std::filesystem::path work = dir.Path() / u8"作業フォルダ";
  const std::filesystem::path data = dir.Path() / "data";
  ASSERT_TRUE(::CreateDirectoryW(work.c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryW(data.c_str(), nullptr));
  WriteFileBytes(data / "pts.csv", "1,2,3\r\n4,5,6\r\n7,8,9\r\n");

  ConversionRequest request = Request(data / "pts.csv", data / "pts.igs", {});
  request.section_path = ConversionRequest{}.section_path;
  const ConversionResult result = [&] {
    const CurrentFolder current(work);
    return RunConversion(request);
  }();
  ASSERT_TRUE(result) << ResultMessage(result);
  EXPECT_EQ(WideNames(work), std::vector<std::wstring>{L"para.sec"});
  EXPECT_EQ(WideNames(data), (std::vector<std::wstring>{L"pts.csv", L"pts.igs"}));
  const std::string section = ReadFileBytes(work / "para.sec");
  ExpectRecords(section, 3);
  EXPECT_EQ(ParameterSection(ReadFileBytes(data / "pts.igs"), 3), section);
}

}  // namespace
}  // namespace karvonel::conversion
