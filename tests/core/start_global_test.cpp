#include <gtest/gtest.h>

#include "iges/start_global.h"

namespace karvonel::iges {
namespace {

constexpr LocalTime kStamp{2026, 12, 6, 10, 23, 45};

TEST(StartGlobal, GlobalRecordsTwoToFour) {
  const auto records = StartGlobalRecords(kStamp);
  EXPECT_EQ(records[2],
            "10,38,8,308,15,8HKarvonel,1.000000000,2,2Hmm,1,1.000000,                G0000002");
  EXPECT_EQ(records[3],
            "15H20261206.102345,0.01000000,1000000000000,8HKarvonel,8HKarvonel,11,   G0000003");
  EXPECT_EQ(records[4],
            "0,15H20261206.102345,0;                                                 G0000004");
}

TEST(StartGlobal, GlobalRecordOneHoldsIdeographicSpacesInShiftJis) {
  const std::string record = StartGlobalRecords(kStamp)[1];
  ASSERT_EQ(record.size(), 80u);
  EXPECT_EQ(record.substr(0, 64),
            "1H,,1H;,4HIGES,12HFilename.igs,8HKarvonel,16HKARVONEL\x81\x40"
            "1.20\x81\x40"
            "00,");
  // Bytes 54-55 and 60-61, counted from 1.
  EXPECT_EQ(record.substr(53, 2), "\x81\x40");
  EXPECT_EQ(record.substr(59, 2), "\x81\x40");
  EXPECT_EQ(record.substr(64, 8), std::string(8, ' '));
  EXPECT_EQ(record.substr(72), "G0000001");
}

TEST(StartGlobal, StartRecordHoldsBannerAndAsciiNotice) {
  const std::string record = StartGlobalRecords(kStamp)[0];
  ASSERT_EQ(record.size(), 80u);
  EXPECT_EQ(record.substr(0, 21), "Karvonel Ver 1.20 00 ");
  EXPECT_EQ(record.substr(72), "S0000001");
  for (char c : record)
    EXPECT_TRUE(c >= 0x20 && c < 0x7F) << "byte " << int(c);
  EXPECT_NE(record.substr(21, 51), std::string(51, ' ')) << "the maker's notice is missing";
}

TEST(StartGlobal, EveryRecordIs80Bytes) {
  for (const std::string& record : StartGlobalRecords(kStamp))
    EXPECT_EQ(record.size(), 80u);
}

struct StampCase {
  LocalTime time;
  const char* text;
};

class Stamp : public ::testing::TestWithParam<StampCase> {};

TEST_P(Stamp, IsZeroFilledOn24HourClock) {
  EXPECT_EQ(StampText(GetParam().time), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Times, Stamp,
                         ::testing::Values(StampCase{{2026, 12, 6, 10, 23, 45}, "20261206.102345"},
                                           StampCase{{2027, 1, 3, 9, 5, 7}, "20270103.090507"},
                                           StampCase{{2026, 12, 31, 21, 0, 0}, "20261231.210000"},
                                           StampCase{{2026, 1, 1, 0, 0, 0}, "20260101.000000"},
                                           // A clock out of range still gives 15 characters.
                                           StampCase{{12026, 13, 0, 24, 60, 61},
                                                     "99991201.235959"}));

}  // namespace
}  // namespace karvonel::iges
