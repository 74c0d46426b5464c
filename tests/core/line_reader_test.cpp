#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conversion/line_reader.h"
#include "tests/support/test_files.h"

namespace karvonel::conversion {
namespace {

using karvonel::testing::TempDir;
using karvonel::testing::WriteFileBytes;

struct ReadOutcome {
  std::vector<std::string> lines;
  LineReader::Status last = LineReader::Status::kEnd;
  std::int64_t last_line_number = 0;
  std::uint64_t consumed = 0;
};

ReadOutcome ReadAll(const std::string& bytes) {
  TempDir dir;
  WriteFileBytes(dir / "in.csv", bytes);
  auto file = platform::NativeFile::Open(dir / "in.csv", platform::NativeFile::Mode::kRead);
  EXPECT_TRUE(file) << file.error().reason;
  LineReader reader(*file);
  ReadOutcome outcome;
  std::string_view line;
  while ((outcome.last = reader.Next(line)) == LineReader::Status::kLine) {
    outcome.lines.emplace_back(line);
  }
  outcome.last_line_number = reader.LineNumber();
  outcome.consumed = reader.BytesConsumed();
  return outcome;
}

struct Case {
  std::string name;
  std::string bytes;
  std::vector<std::string> lines;
};

class LineEnds : public ::testing::TestWithParam<Case> {};

TEST_P(LineEnds, SplitTheFile) {
  const ReadOutcome outcome = ReadAll(GetParam().bytes);
  EXPECT_EQ(outcome.last, LineReader::Status::kEnd);
  EXPECT_EQ(outcome.lines, GetParam().lines);
  EXPECT_EQ(outcome.consumed, GetParam().bytes.size());
}

INSTANTIATE_TEST_SUITE_P(
    Files, LineEnds,
    ::testing::Values(Case{"CrLf", "a\r\nb\r\n", {"a", "b"}}, Case{"Lf", "a\nb\n", {"a", "b"}},
                      Case{"LoneCr", "a\rb\r", {"a", "b"}},
                      Case{"LastLineWithoutEnd", "a\r\nb", {"a", "b"}},
                      Case{"EmptyLinesKept", "a\r\n\r\nb", {"a", "", "b"}},
                      Case{"LfThenCrIsTwoEnds", "a\n\rb", {"a", "", "b"}},
                      Case{"Mixed", "1\r2\n3\r\n4", {"1", "2", "3", "4"}},
                      Case{"EmptyFile", "", {}}, Case{"OnlyALineEnd", "\r\n", {""}},
                      Case{"ByteOrderMarkSkipped",
                           "\xEF\xBB\xBF"
                           "1,2,3\r\n",
                           {"1,2,3"}},
                      Case{"OnlyAByteOrderMark", "\xEF\xBB\xBF", {}},
                      Case{"MarkElsewhereIsText", "a\xEF\xBB\xBF\n", {"a\xEF\xBB\xBF"}},
                      Case{"NulBytesAreText", std::string("a\0b\n", 4), {std::string("a\0b", 3)}}),
    [](const auto& info) { return info.param.name; });

TEST(LineReader, CrLfSplitAcrossTheBufferEdgeIsOneLineEnd) {
  // The CR of some line falls on the last byte of the first read: a first
  // line of `first` bytes, then lines of 1000 bytes whose CR lands there.
  constexpr std::size_t kEdge = LineReader::kBufferSize - 1;
  const std::size_t first = (kEdge - 998) % 1000 + 1000;
  std::string bytes = std::string(first - 2, 'a') + "\r\n";
  const std::size_t lines = LineReader::kBufferSize / 1000 + 10;
  for (std::size_t i = 0; i < lines; ++i)
    bytes += std::string(998, 'x') + "\r\n";
  ASSERT_EQ(bytes[kEdge], '\r');
  ASSERT_EQ(bytes[kEdge + 1], '\n');
  const ReadOutcome outcome = ReadAll(bytes);
  EXPECT_EQ(outcome.last, LineReader::Status::kEnd);
  ASSERT_EQ(outcome.lines.size(), lines + 1);
  for (std::size_t i = 1; i < outcome.lines.size(); ++i) {
    ASSERT_EQ(outcome.lines[i].size(), 998u) << "line " << i + 1;
  }
}

TEST(LineReader, LongestLineIsRead) {
  const ReadOutcome outcome = ReadAll("1,2,3\n" + std::string(kMaxLineLength, '7') + "\n");
  EXPECT_EQ(outcome.last, LineReader::Status::kEnd);
  ASSERT_EQ(outcome.lines.size(), 2u);
  EXPECT_EQ(outcome.lines[1].size(), kMaxLineLength);
}

struct TooLongCase {
  std::string name;
  std::string bytes;
  std::int64_t line_number;
};

class TooLong : public ::testing::TestWithParam<TooLongCase> {};

TEST_P(TooLong, IsRefusedWithItsLineNumber) {
  const ReadOutcome outcome = ReadAll(GetParam().bytes);
  EXPECT_EQ(outcome.last, LineReader::Status::kTooLong);
  EXPECT_EQ(outcome.last_line_number, GetParam().line_number);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, TooLong,
    ::testing::Values(
        TooLongCase{"OneOverTheLimit", std::string(kMaxLineLength + 1, '1') + "\r\n", 1},
        TooLongCase{"OneOverTheLimitAtTheEnd", std::string(kMaxLineLength + 1, '1'), 1},
        TooLongCase{"ThirdLine", "1\n2\n" + std::string(40000, ',') + "\n4\n", 3},
        TooLongCase{"NoLineEndAtAll", std::string(3 << 20, 'x'), 1},
        TooLongCase{"AfterBlankLines", "\n\n\r\n" + std::string(1 << 20, '5'), 4}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace karvonel::conversion
