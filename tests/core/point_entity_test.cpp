#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "iges/point_entity.h"
#include "iges/terminate.h"

namespace karvonel::iges {
namespace {

// Collects records as the file would hold them, CR LF included.
class StringWriter : public RecordWriter {
 public:
  void WriteRecord(std::string_view record) override {
    text += record;
    text += "\r\n";
  }
  std::string text;
};

TEST(PointEntity, FirstPointOfAFile) {
  StringWriter out, tmp;
  ASSERT_EQ(WritePointEntity(1.5, -2, 0, 1, 1, out, tmp), PointStatus::kOk);
  EXPECT_EQ(out.text,
            "     116       1       1       1       1               0         0000000D      1\r\n"
            "     116       0       0       1       0                                D      2\r\n");
  EXPECT_EQ(tmp.text,
            "116, 1.5,-2, 0;                                                        1P      1\r\n");
}

TEST(PointEntity, TwelfthPointOfAFile) {
  StringWriter out, tmp;
  ASSERT_EQ(WritePointEntity(-10.25, 0.5, 100, 23, 12, out, tmp), PointStatus::kOk);
  EXPECT_EQ(out.text,
            "     116      12       1       1       1               0         0000000D     23\r\n"
            "     116       0       0       1       0                                D     24\r\n");
  EXPECT_EQ(tmp.text,
            "116,-10.25, .5, 100;                                                  23P     12\r\n");
}

TEST(PointEntity, LargestSequenceNumbersKeepTheColumns) {
  PointRecords records;
  ASSERT_EQ(BuildPointEntity(1, 2, 3, 9999997, 4999999, records), PointStatus::kOk);
  EXPECT_EQ(records.De1().substr(8, 8), " 4999999");
  EXPECT_EQ(records.De1().substr(72), "D9999997");
  EXPECT_EQ(records.De2().substr(72), "D9999998");
  EXPECT_EQ(records.P().substr(64), " 9999997P4999999");
}

TEST(PointEntity, DataOfExactly64ColumnsIsFollowedDirectlyByThePointer) {
  // 22 + 22 + 13 number characters and 7 more make 64.
  PointRecords records;
  ASSERT_EQ(
      BuildPointEntity(-1.23456789012345e100, -1.23456789012345e100, 1234567.8901, 1, 1, records),
      PointStatus::kOk);
  EXPECT_EQ(records.P(),
            "116,-1.23456789012345E+100,-1.23456789012345E+100, 1234567.8901;"
            "       1P      1");
}

TEST(PointEntity, RefusesDataOf65ColumnsAndWritesNothing) {
  StringWriter out, tmp;
  EXPECT_EQ(
      WritePointEntity(-1.23456789012345e100, -1.23456789012345e100, 1234567.89012, 1, 1, out, tmp),
      PointStatus::kDataTooLong);
  EXPECT_EQ(out.text, "");
  EXPECT_EQ(tmp.text, "");
}

TEST(PointEntity, RefusesValuesThatAreNotNumbers) {
  StringWriter out, tmp;
  EXPECT_EQ(WritePointEntity(1, INFINITY, 0, 1, 1, out, tmp), PointStatus::kOutOfRange);
  EXPECT_EQ(WritePointEntity(NAN, 0, 0, 1, 1, out, tmp), PointStatus::kOutOfRange);
  EXPECT_EQ(out.text + tmp.text, "");
}

TEST(PointEntity, RefusesValuesWhoseTextWouldReadBackAsInfinity) {
  PointRecords records;
  // 15 digits of the largest double round up past it.
  EXPECT_EQ(BuildPointEntity(0, std::numeric_limits<double>::max(), 0, 1, 1, records),
            PointStatus::kOutOfRange);
  EXPECT_EQ(BuildPointEntity(0, 0, -std::nextafter(std::numeric_limits<double>::max(), 0.0), 1, 1,
                             records),
            PointStatus::kOutOfRange);
  ASSERT_EQ(BuildPointEntity(1.79769313486231e308, 0, 0, 1, 1, records), PointStatus::kOk);
  EXPECT_EQ(records.P().substr(0, 31), "116, 1.79769313486231E+308, 0, ");
}

struct TerminateCase {
  std::int32_t DeSeq;
  std::int32_t PdSeq;
  const char* record;
};

class TerminateText : public ::testing::TestWithParam<TerminateCase> {};

TEST_P(TerminateText, ReportsTheSectionCounts) {
  EXPECT_EQ(TerminateRecord(GetParam().DeSeq, GetParam().PdSeq), GetParam().record);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, TerminateText,
    ::testing::Values(
        TerminateCase{7, 4,
                      "S      1G      4D      6P      3                                        "
                      "T      1"},
        TerminateCase{1, 1,
                      "S      1G      4D      0P      0                                        "
                      "T      1"},
        TerminateCase{32767, 16384,
                      "S      1G      4D  32766P  16383                                        "
                      "T      1"},
        TerminateCase{9999999, 5000000,
                      "S      1G      4D9999998P4999999                                        "
                      "T      1"}));

}  // namespace
}  // namespace karvonel::iges
