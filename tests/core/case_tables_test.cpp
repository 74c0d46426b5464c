// The record builders, the point list reader and the messages against the
// case tables in tests/core/cases/ (their form: tests/support/case_table.h).
#include <gtest/gtest.h>

#include <charconv>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "conversion/conversion_run.h"
#include "conversion/leading_number.h"
#include "conversion/line_reader.h"
#include "conversion/messages.h"
#include "conversion/output_path.h"
#include "conversion/point_line.h"
#include "iges/number_text.h"
#include "iges/point_entity.h"
#include "iges/start_global.h"
#include "iges/terminate.h"
#include "tests/support/case_table.h"
#include "tests/support/test_files.h"

namespace karvonel {
namespace {

std::vector<testing::CaseRow> Table(const std::string& name) {
  auto rows =
      testing::ReadCaseTable(std::string(KARVONEL_SOURCE_DIR) + "/tests/core/cases/" + name);
  EXPECT_FALSE(rows.empty()) << "no cases in " << name;
  return rows;
}

double Number(std::string_view text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  EXPECT_TRUE(error == std::errc() && end == text.data() + text.size()) << text;
  return value;
}

std::vector<double> Numbers(const std::string& text) {
  std::vector<double> values;
  std::istringstream words(text);
  for (std::string word; words >> word;)
    values.push_back(Number(word));
  return values;
}

iges::LocalTime Time(const std::string& text) {
  iges::LocalTime t;
  std::istringstream(text) >> t.year >> t.month >> t.day >> t.hour >> t.minute >> t.second;
  return t;
}

// Collects records as the file holds them, CR LF included.
struct StringWriter : iges::RecordWriter {
  char* Room(std::size_t) override { return room; }
  void Commit(std::size_t count) override {
    for (std::size_t i = 0; i < count; ++i)
      (text.append(room + i * iges::kRecordBytes, iges::kRecordLength)) += "\r\n";
  }
  char room[kMaxRoom * iges::kRecordBytes];
  std::string text;
};

TEST(CaseTable, NumberText) {
  for (const auto& row : Table("number_text.tsv")) {
    SCOPED_TRACE(row.where);
    if (row[0] == "integer") {
      EXPECT_EQ(iges::NumberText(static_cast<std::int64_t>(std::stoll(row[1]))), row[2]);
      continue;
    }
    EXPECT_EQ(iges::NumberText(Number(row[1])), row[2]);
    // A value a point list gives as a short decimal is written from its digits.
    const conversion::LeadingNumberResult read = conversion::LeadingNumber(row[1]);
    if (read.decimal.scale >= 0) {
      char text[iges::kMaxNumberText];
      const iges::Coordinate coordinate(read.value, read.decimal);
      EXPECT_EQ(std::string(text, iges::NumberTextTo(text, coordinate)), row[2]) << "from digits";
    }
  }
}

TEST(CaseTable, TerminateRecord) {
  for (const auto& row : Table("terminate.tsv")) {
    SCOPED_TRACE(row.where);
    StringWriter out;
    iges::WriteTerminate(static_cast<std::int32_t>(Number(row[0])),
                         static_cast<std::int32_t>(Number(row[1])), out);
    EXPECT_EQ(out.text, row[2] + "\r\n");
  }
}

TEST(CaseTable, StampText) {
  for (const auto& row : Table("stamp_text.tsv")) {
    SCOPED_TRACE(row.where);
    EXPECT_EQ(iges::StampText(Time(row[0])), row[1]);
  }
}

TEST(CaseTable, StartGlobalRecords) {
  for (const auto& row : Table("start_global.tsv")) {
    SCOPED_TRACE(row.where);
    StringWriter out;
    iges::WriteStartGlobal(Time(row[0]), out);
    const std::size_t record = static_cast<std::size_t>(Number(row[1])) - 1;
    ASSERT_EQ(out.text.size(), 5u * 82u);
    EXPECT_EQ(out.text.substr(record * 82, 82), row[2] + "\r\n");
  }
}

TEST(CaseTable, PointEntity) {
  const char* const kErrors[] = {"data too long", "out of range"};
  for (const auto& row : Table("point_entity.tsv")) {
    SCOPED_TRACE(row.where);
    const std::vector<double> in = Numbers(row[0]);
    ASSERT_EQ(in.size(), 5u);
    StringWriter out, tmp;
    const iges::PointResult written =
        iges::WritePointEntity(in[0], in[1], in[2], static_cast<std::int32_t>(in[3]),
                               static_cast<std::int32_t>(in[4]), out, tmp);
    EXPECT_EQ(written ? "ok" : kErrors[static_cast<int>(written.error())], row[1]);
    EXPECT_EQ(out.text, row[2]);
    EXPECT_EQ(tmp.text, row[3]);
  }
}

TEST(CaseTable, PointLines) {
  for (const auto& row : Table("point_lines.tsv")) {
    SCOPED_TRACE(row.where);
    const conversion::PointLine point = conversion::ParsePointLine(row[0]);
    const std::vector<double> xyz = Numbers(row[1]);
    ASSERT_EQ(xyz.size(), 3u);
    EXPECT_EQ(point.x, xyz[0]);
    EXPECT_EQ(point.y, xyz[1]);
    EXPECT_EQ(point.z, xyz[2]);
    EXPECT_EQ(point.has_point, row[2] != "no point");
    EXPECT_EQ(point.out_of_range, row[2] == "out of range");
    if (point.has_point && !point.out_of_range) {
      EXPECT_EQ(!point.three_numbers, row[2] == "noted");
    }
  }
}

TEST(CaseTable, LineReader) {
  for (const auto& row : Table("line_reader.tsv")) {
    SCOPED_TRACE(row.where);
    testing::TempDir dir;
    const std::string bytes = row[1];
    testing::WriteFileBytes(dir / "in.csv", bytes);
    auto file = platform::NativeFile::Open(dir / "in.csv", platform::NativeFile::Mode::kRead);
    ASSERT_TRUE(file) << file.error().reason;
    conversion::LineReader reader(*file);
    std::string lines;
    auto line = reader.Next();
    for (; line && *line; line = reader.Next())
      (lines += **line) += '\n';
    EXPECT_EQ(lines, row[2]);
    if (row[3] == "end") {
      EXPECT_TRUE(line);
      EXPECT_EQ(reader.BytesConsumed(), bytes.size());
      // The count taken before a conversion: the lines above with anything
      // besides blanks and tabs.
      std::int64_t points = 0;
      std::istringstream expected(row[2]);
      for (std::string text; std::getline(expected, text);)
        points += text.find_first_not_of(" \t") != std::string::npos ? 1 : 0;
      auto again = platform::NativeFile::Open(dir / "in.csv", platform::NativeFile::Mode::kRead);
      ASSERT_TRUE(again);
      EXPECT_EQ(conversion::CountPointLines(*again), std::optional<std::int64_t>(points));
    } else {
      ASSERT_FALSE(line);
      EXPECT_TRUE(line.error().too_long);
      EXPECT_EQ("too long at line " + std::to_string(reader.LineNumber()), row[3]);
    }
  }
}

TEST(CaseTable, OutputPath) {
  for (const auto& row : Table("output_path.tsv")) {
    SCOPED_TRACE(row.where);
    EXPECT_EQ(conversion::OutputPathFor(row[0], row[1] == "/ and \\"), row[2]);
  }
}

// Every error kind, by its name, in one or more rows.
TEST(CaseTable, Messages) {
  std::map<std::string, conversion::ErrorKind> kinds;
  for (int kind = 0; !conversion::ErrorKindName(conversion::ErrorKind(kind)).empty(); ++kind)
    kinds.emplace(conversion::ErrorKindName(conversion::ErrorKind(kind)),
                  conversion::ErrorKind(kind));
  std::set<std::string> tested;
  for (const testing::CaseRow& row : Table("messages.tsv")) {
    SCOPED_TRACE(row.where);
    if (row[0] == "converted") {
      conversion::Converted converted;
      converted.incomplete_lines = std::stoll(row[1]);
      converted.first_incomplete_line = std::stoll(row[2]);
      if (const auto space = row[3].find(' '); space != std::string::npos) {
        converted.new_owner = row[3].substr(0, space);
        converted.new_group = row[3].substr(space + 1);
      }
      EXPECT_EQ(conversion::ResultMessage(conversion::ConversionResult(converted)), row[4]);
      continue;
    }
    ASSERT_TRUE(kinds.contains(row[0])) << "no error kind " << row[0];
    tested.insert(row[0]);
    const conversion::ConversionError error{
        kinds.at(row[0]), row[1].empty() ? 0 : std::stoll(row[1]), row[2], row[3]};
    EXPECT_EQ(conversion::ResultMessage(Unexpected{error}), row[4]);
  }
  EXPECT_EQ(tested.size(), kinds.size()) << "a kind without its message";
}

}  // namespace
}  // namespace karvonel
