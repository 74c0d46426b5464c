#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "conversion/conversion_run.h"
#include "conversion/messages.h"
#include "platform/native_file.h"
#include "tests/structure/iges_structure.h"
#include "tests/support/test_files.h"

namespace karvonel::conversion {
namespace {

using karvonel::testing::CheckIgesStructure;
using karvonel::testing::ListFolder;
using karvonel::testing::ReadFileBytes;
using karvonel::testing::TempDir;
using karvonel::testing::WriteFileBytes;

constexpr iges::LocalTime kStamp{2026, 12, 6, 10, 23, 45};

// The head of every file converted at kStamp: Start and Global records.
const std::string kHead =
    "Karvonel Ver 1.20 00 Point list to IGES converter by Karvonel Works     S0000001\r\n"
    "1H,,1H;,4HIGES,12HFilename.igs,8HKarvonel,16HKARVONEL\x81\x40"
    "1.20\x81\x40"
    "00,        G0000001\r\n"
    "10,38,8,308,15,8HKarvonel,1.000000000,2,2Hmm,1,1.000000,                G0000002\r\n"
    "15H20261206.102345,0.01000000,1000000000000,8HKarvonel,8HKarvonel,11,   G0000003\r\n"
    "0,15H20261206.102345,0;                                                 G0000004\r\n";

// `line` written `times` times.
std::string Repeated(const std::string& line, int times) {
  std::string text;
  for (int i = 0; i < times; ++i)
    text += line;
  return text;
}

class ConversionRun : public ::testing::Test {
 protected:
  ConversionRequest Request(const std::string& input_bytes) {
    WriteFileBytes(dir_ / "in.csv", input_bytes);
    ConversionRequest request;
    request.in_path = dir_ / "in.csv";
    request.out_path = dir_ / "out.igs";
    request.section_path = dir_ / "para.sec";
    request.clock = [] { return kStamp; };
    return request;
  }
  std::string Output() { return ReadFileBytes(dir_ / "out.igs"); }

  // Runs the conversion; every file it reports as converted must be a
  // well-formed IGES file.
  static ConversionResult Convert(const ConversionRequest& request) {
    ConversionResult result = RunConversion(request);
    if (result) {
      EXPECT_EQ(CheckIgesStructure(ReadFileBytes(request.out_path)), std::nullopt);
    }
    return result;
  }

  TempDir dir_;
};

TEST_F(ConversionRun, TwoPointsGiveTwelveRecords) {
  const ConversionResult result = Convert(Request("1.5,-2,0\r\n-10.25,0.5,100\r\n"));
  ASSERT_TRUE(result) << ResultMessage(result);
  EXPECT_EQ(result->points, 2);
  const std::string parameters =
      "116, 1.5,-2, 0;                                                        1P      1\r\n"
      "116,-10.25, .5, 100;                                                   3P      2\r\n";
  EXPECT_EQ(
      Output(),
      kHead +
          "     116       1       1       1       1               0         0000000D      1\r\n"
          "     116       0       0       1       0                                D      2\r\n"
          "     116       2       1       1       1               0         0000000D      3\r\n"
          "     116       0       0       1       0                                D      4\r\n" +
          parameters +
          "S      1G      4D      4P      2                                        T      1\r\n");
  EXPECT_EQ(ReadFileBytes(dir_ / "para.sec"), parameters);
  EXPECT_EQ(ResultMessage(result), "変換しました");
}

TEST_F(ConversionRun, TwelfthPointCarriesItsSequenceNumbers) {
  std::string input = Repeated("1,2,3\n", 11);
  input += "-10.25,0.5,100\n";
  ASSERT_TRUE(Convert(Request(input)));
  const std::string out = Output();
  EXPECT_NE(
      out.find(
          "     116      12       1       1       1               0         0000000D     23\r\n"
          "     116       0       0       1       0                                D     24\r\n"),
      std::string::npos);
  EXPECT_NE(
      out.find(
          "116,-10.25, .5, 100;                                                  23P     12\r\n"),
      std::string::npos);
}

TEST_F(ConversionRun, EmptyInputGivesHeadAndTerminateOnly) {
  const ConversionResult result = Convert(Request(""));
  ASSERT_TRUE(result);
  EXPECT_EQ(
      Output(),
      kHead +
          "S      1G      4D      0P      0                                        T      1\r\n");
  EXPECT_EQ(ReadFileBytes(dir_ / "para.sec"), "");
}

TEST_F(ConversionRun, BlankLinesTakeNoSequenceNumbers) {
  ASSERT_TRUE(Convert(Request("1,2,3\r\n\r\n \t \r\n4,5,6")));
  const std::string out = Output();
  EXPECT_NE(
      out.find(
          "116, 4, 5, 6;                                                          3P      2\r\n"),
      std::string::npos);
  EXPECT_NE(out.find("D      4P      2    "), std::string::npos);
}

TEST_F(ConversionRun, ClockIsReadOnce) {
  ConversionRequest request = Request("1,2,3\n");
  int calls = 0;
  request.clock = [&calls] {
    ++calls;
    return iges::LocalTime{2026, 12, 6, 23, 59, 59 + calls - 1};
  };
  ASSERT_TRUE(Convert(request));
  EXPECT_EQ(calls, 1);
  const std::string out = Output();
  EXPECT_NE(out.find("15H20261206.235959,0.01"), std::string::npos);
  EXPECT_NE(out.find("0,15H20261206.235959,0;"), std::string::npos);
}

TEST_F(ConversionRun, SecondRunStartsAfresh) {
  ASSERT_TRUE(Convert(Request("1,2,3\n4,5,6\n7,8,9\n")));
  ASSERT_TRUE(Convert(Request("1,2\n")));
  const std::string parameters =
      "116, 1, 2, 0;                                                          1P      1\r\n";
  EXPECT_EQ(ReadFileBytes(dir_ / "para.sec"), parameters);
  EXPECT_NE(Output().find(parameters + "S      1G      4D      2P      1"), std::string::npos);
}

TEST_F(ConversionRun, NoFileChosenTouchesNothing) {
  ConversionRequest request = Request("1,2,3\n");
  request.in_path.clear();
  const ConversionResult result = Convert(request);
  EXPECT_EQ(result.error().kind, ErrorKind::kNoFileChosen);
  EXPECT_EQ(ResultMessage(result), "ファイル名を選択してください");
  EXPECT_EQ(ListFolder(dir_.Path()), "in.csv");
}

TEST_F(ConversionRun, MissingInputKeepsTheEarlierOutput) {
  WriteFileBytes(dir_ / "out.igs", "earlier");
  ConversionRequest request = Request("1,2,3\n");
  request.in_path = dir_ / "gone.csv";
  const ConversionResult result = Convert(request);
  EXPECT_EQ(result.error().kind, ErrorKind::kInputMissing);
  EXPECT_EQ(ResultMessage(result), "ファイル名が存在しません");
  EXPECT_EQ(Output(), "earlier");
  EXPECT_EQ(ListFolder(dir_.Path()), "in.csv\nout.igs");
}

TEST_F(ConversionRun, FolderAsInputIsMissingInput) {
  ConversionRequest request = Request("");
  request.in_path = dir_.Path();
  EXPECT_EQ(Convert(request).error().kind, ErrorKind::kInputMissing);
}

TEST_F(ConversionRun, ExistingOutputIsReplaced) {
  WriteFileBytes(dir_ / "out.igs", std::string(100000, 'z'));
  ASSERT_TRUE(Convert(Request("")));
  EXPECT_EQ(Output().size(), 6u * 82u);
}

const std::string kTooWide = "-1.23456789012345E100,-1.23456789012345E100,1234567.89012\n";

// A failure of the input: the message names the line, the earlier output is
// untouched and no temporary file stays behind.
struct LineFailureCase {
  std::string name;
  std::string input;
  ErrorKind kind;
  std::int64_t line;
  std::string message;
};

class LineFailures : public ConversionRun, public ::testing::WithParamInterface<LineFailureCase> {};

TEST_P(LineFailures, EndTheConversionAndKeepTheEarlierOutput) {
  WriteFileBytes(dir_ / "out.igs", "earlier output");
  const ConversionResult result = Convert(Request(GetParam().input));
  EXPECT_FALSE(result);
  EXPECT_EQ(result.error().kind, GetParam().kind) << ResultMessage(result);
  EXPECT_EQ(result.error().line, GetParam().line);
  EXPECT_EQ(ResultMessage(result), GetParam().message);
  EXPECT_EQ(Output(), "earlier output");
  EXPECT_EQ(ListFolder(dir_.Path()), "in.csv\nout.igs\npara.sec");
}

INSTANTIATE_TEST_SUITE_P(
    Input, LineFailures,
    ::testing::Values(
        LineFailureCase{"LongLine", "1,2,3\n" + std::string(32767, '1') + "\n",
                        ErrorKind::kLineTooLong, 2,
                        "2 行目が長すぎます（1 行は 32766 文字まで）。変換を中止しました"},
        LineFailureCase{"HugeLineWithoutEnd", std::string(5 << 20, '9'), ErrorKind::kLineTooLong, 1,
                        "1 行目が長すぎます（1 行は 32766 文字まで）。変換を中止しました"},
        LineFailureCase{"OutOfRange", "1,2,3\n\n0,1E999,0\n", ErrorKind::kValueOutOfRange, 3,
                        "3 行目の数値が大きすぎます。変換を中止しました"},
        LineFailureCase{
            "DataTooLong", "1,2,3\n-1.23456789012345E100,-1.23456789012345E100,1234567.89012\n",
            ErrorKind::kDataTooLong, 2,
            "2 行目の数値が長すぎて、点データの 64 桁に収まりません。変換を中止しました"},
        // The records are formatted behind the reading: the earlier line's
        // failure is the one reported, also across batches of points.
        LineFailureCase{
            "EarlierFailureWins", Repeated("1,2,3\n", 5000) + kTooWide + "1E999,0,0\n",
            ErrorKind::kDataTooLong, 5001,
            "5001 行目の数値が長すぎて、点データの 64 桁に収まりません。変換を中止しました"},
        LineFailureCase{
            "LongLineAfterAWidePoint", kTooWide + std::string(40000, '1'), ErrorKind::kDataTooLong,
            1, "1 行目の数値が長すぎて、点データの 64 桁に収まりません。変換を中止しました"}),
    [](const auto& info) { return info.param.name; });

TEST_F(ConversionRun, DataOfExactly64ColumnsConverts) {
  EXPECT_TRUE(Convert(Request("-1.23456789012345E100,-1.23456789012345E100,1234567.8901\n")));
}

struct OutputPlaceCase {
  std::string name;
  std::string out;  // relative to the test folder; "" for an empty path
  ErrorKind kind;
};

class OutputPlaces : public ConversionRun, public ::testing::WithParamInterface<OutputPlaceCase> {};

TEST_P(OutputPlaces, AreCheckedBeforeAnythingIsWritten) {
  std::filesystem::create_directory(dir_ / "sub");
  ConversionRequest request = Request("1,2,3\n");
  request.out_path = GetParam().out.empty() ? std::filesystem::path() : dir_ / GetParam().out;
  const ConversionResult result = Convert(request);
  EXPECT_FALSE(result);
  EXPECT_EQ(result.error().kind, GetParam().kind) << ResultMessage(result);
  EXPECT_EQ(ListFolder(dir_.Path()), "in.csv\nsub") << "nothing may be created, para.sec included";
  EXPECT_NE(ResultMessage(result), "変換しました");
}

INSTANTIATE_TEST_SUITE_P(
    Paths, OutputPlaces,
    ::testing::Values(OutputPlaceCase{"Empty", "", ErrorKind::kOutputPathEmpty},
                      OutputPlaceCase{"Folder", "sub", ErrorKind::kOutputIsFolder},
                      OutputPlaceCase{"MissingFolder", "nowhere/out.igs",
                                      ErrorKind::kOutputFolderMissing}),
    [](const auto& info) { return info.param.name; });

TEST_F(ConversionRun, OutputOverTheInputIsRefused) {
  ConversionRequest request = Request("1,2,3\n");
  request.out_path = dir_ / "." / "in.csv";
  const ConversionResult result = Convert(request);
  EXPECT_EQ(result.error().kind, ErrorKind::kOutputIsInput) << ResultMessage(result);
  EXPECT_EQ(ResultMessage(result),
            "出力ファイル名が入力ファイルと同じです：" + request.out_path.string());
  EXPECT_EQ(ReadFileBytes(dir_ / "in.csv"), "1,2,3\n");
  EXPECT_EQ(ListFolder(dir_.Path()), "in.csv");
}

TEST_F(ConversionRun, MessagesNameThePath) {
  ConversionRequest request = Request("1,2,3\n");
  request.out_path = dir_ / "nowhere" / "out.igs";
  const ConversionResult result = Convert(request);
  EXPECT_EQ(ResultMessage(result),
            "出力先のフォルダが存在しません：" + (dir_ / "nowhere").string());
}

TEST_F(ConversionRun, SectionFileHeldByAnotherConversionIsRefused) {
  WriteFileBytes(dir_ / "out.igs", "earlier output");
  auto holder =
      platform::NativeFile::Open(dir_ / "para.sec", platform::NativeFile::Mode::kReadWriteKeep);
  ASSERT_TRUE(holder);
  ASSERT_TRUE(holder->TryLock());
  WriteFileBytes(dir_ / "para.sec", "records of the other run");

  const ConversionResult result = Convert(Request("1,2,3\n"));
  EXPECT_EQ(result.error().kind, ErrorKind::kSectionFileBusy) << ResultMessage(result);
  EXPECT_EQ(ResultMessage(result), "作業ファイルを別の変換が使用中です：" +
                                       (dir_ / "para.sec").string() +
                                       "\nその変換が終わってから、やり直してください");
  EXPECT_EQ(Output(), "earlier output");
  EXPECT_EQ(ReadFileBytes(dir_ / "para.sec"), "records of the other run");
  EXPECT_EQ(ListFolder(dir_.Path()), "in.csv\nout.igs\npara.sec");

  ASSERT_TRUE(holder->Close());
  EXPECT_TRUE(Convert(Request("1,2,3\n")));
}

TEST_F(ConversionRun, CancelledConversionLeavesNoTrace) {
  WriteFileBytes(dir_ / "out.igs", "earlier output");
  std::string input = Repeated("1,2,3\n", 40000);
  ConversionRequest request = Request(input);
  std::uint64_t last_done = 0, last_total = 0;
  request.progress = [&](std::uint64_t done, std::uint64_t total) {
    last_done = done;
    last_total = total;
    return done < total / 2;
  };
  const ConversionResult result = Convert(request);
  EXPECT_EQ(result.error().kind, ErrorKind::kCancelled);
  EXPECT_EQ(ResultMessage(result), "変換を取り消しました。出力ファイルは変更されていません");
  EXPECT_EQ(last_total, input.size());
  EXPECT_GE(last_done, input.size() / 2);
  EXPECT_LT(last_done, input.size());
  EXPECT_EQ(Output(), "earlier output");
  EXPECT_EQ(ListFolder(dir_.Path()), "in.csv\nout.igs\npara.sec");
}

TEST_F(ConversionRun, InputRewrittenInPlaceWhileReadIsRefused) {
  WriteFileBytes(dir_ / "out.igs", "earlier output");
  std::string input = Repeated("1,1,1\n", 40000);
  ConversionRequest request = Request(input);
  bool rewritten = false;
  request.progress = [&](std::uint64_t, std::uint64_t) {
    if (!rewritten) {
      // Same size, other points; past the clock's tick so the change shows.
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      std::string other = input;
      std::replace(other.begin(), other.end(), '1', '2');
      std::fstream file(dir_ / "in.csv", std::ios::binary | std::ios::in | std::ios::out);
      file.write(other.data(), static_cast<std::streamsize>(other.size()));
      rewritten = true;
    }
    return true;
  };
  const ConversionResult result = Convert(request);
  EXPECT_TRUE(rewritten);
  EXPECT_EQ(result.error().kind, ErrorKind::kInputChanged) << ResultMessage(result);
  EXPECT_EQ(ResultMessage(result),
            "変換中に入力ファイルが変更されました：" + (dir_ / "in.csv").string());
  EXPECT_EQ(Output(), "earlier output");
}

TEST_F(ConversionRun, SectionFileKeepsWholeRecordsAfterAFailure) {
  std::string input = Repeated("1,2,3\n", 5000);
  input += "1E999,0,0\n";
  EXPECT_EQ(Convert(Request(input)).error().kind, ErrorKind::kValueOutOfRange);
  EXPECT_EQ(ReadFileBytes(dir_ / "para.sec").size(), 5000u * 82u);
}

TEST_F(ConversionRun, ProgressReachesTheWholeInput) {
  ConversionRequest request = Request("1,2,3\n4,5,6\n");
  std::uint64_t last_done = 0;
  request.progress = [&](std::uint64_t done, std::uint64_t) {
    last_done = done;
    return true;
  };
  ASSERT_TRUE(Convert(request));
  EXPECT_EQ(last_done, 12u);
}

}  // namespace
}  // namespace karvonel::conversion
