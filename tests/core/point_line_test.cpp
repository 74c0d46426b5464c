#include <gtest/gtest.h>

#include <string>

#include "conversion/point_line.h"

namespace karvonel::conversion {
namespace {

struct Case {
  std::string line;
  bool has_point;
  double x, y, z;
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << '"' << c.line << '"';
}

class ParsePointLineSplits : public ::testing::TestWithParam<Case> {};

TEST_P(ParsePointLineSplits, AtTheCommas) {
  const PointLine point = ParsePointLine(GetParam().line);
  EXPECT_EQ(point.has_point, GetParam().has_point);
  EXPECT_FALSE(point.out_of_range);
  EXPECT_EQ(point.x, GetParam().x);
  EXPECT_EQ(point.y, GetParam().y);
  EXPECT_EQ(point.z, GetParam().z);
}

INSTANTIATE_TEST_SUITE_P(
    ThreeFields, ParsePointLineSplits,
    ::testing::Values(Case{"1.5,2.5,3.5", true, 1.5, 2.5, 3.5},
                      Case{" 1.5 , -2 , 3E2 ", true, 1.5, -2, 300},
                      Case{"1 000,2,3", true, 1000, 2, 3}, Case{"1.5D3,0,0", true, 1500, 0, 0},
                      Case{"1.2.3,0,0", true, 1.2, 0, 0}, Case{"12abc,0,0", true, 12, 0, 0},
                      Case{"abc,0,0", true, 0, 0, 0}, Case{"-.5,0,0", true, -0.5, 0, 0},
                      Case{"X,Y,Z", true, 0, 0, 0}, Case{"1,,3", true, 1, 0, 3},
                      Case{",2,3", true, 0, 2, 3}, Case{"1,2,", true, 1, 2, 0}));

INSTANTIATE_TEST_SUITE_P(
    MoreOrFewerFields, ParsePointLineSplits,
    ::testing::Values(Case{"1,2,3,", true, 1, 2, 3}, Case{"1,2,3,4", true, 1, 2, 3},
                      Case{"1,2,3,4,5", true, 1, 2, 3}, Case{"1,2,3,4,5,6,7,8", true, 1, 2, 3},
                      Case{"7", true, 7, 0, 0}, Case{"1,2", true, 1, 2, 0},
                      Case{"1,2345", true, 1, 2345, 0}, Case{"123456789", true, 123456789, 0, 0},
                      Case{",", true, 0, 0, 0}, Case{",,,,", true, 0, 0, 0},
                      // Only the ASCII comma separates fields.
                      Case{"1\xEF\xBC\x8C"
                           "2\xEF\xBC\x8C"
                           "3",
                           true, 1, 0, 0},
                      Case{"1;2;3", true, 1, 0, 0}));

INSTANTIATE_TEST_SUITE_P(BlankLinesHoldNoPoint, ParsePointLineSplits,
                         ::testing::Values(Case{"", false, 0, 0, 0}, Case{"   ", false, 0, 0, 0},
                                           Case{"\t \t", false, 0, 0, 0},
                                           Case{" 0", true, 0, 0, 0}));

TEST(ParsePointLine, NumberBeyondRangeInAnyFieldIsRefused) {
  EXPECT_TRUE(ParsePointLine("1E999,0,0").out_of_range);
  EXPECT_TRUE(ParsePointLine("0,-1E999,0").out_of_range);
  EXPECT_TRUE(ParsePointLine("0,0,1E400").out_of_range);
  // Fields after the third are not read at all.
  EXPECT_FALSE(ParsePointLine("0,0,0,1E400").out_of_range);
}

}  // namespace
}  // namespace karvonel::conversion
