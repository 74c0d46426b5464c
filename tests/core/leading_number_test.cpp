#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>
#include <string>

#include "conversion/leading_number.h"

namespace karvonel::conversion {
namespace {

struct Case {
  std::string text;
  double value;
  bool out_of_range = false;
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << '"' << c.text << '"';
}

class LeadingNumberReads : public ::testing::TestWithParam<Case> {};

TEST_P(LeadingNumberReads, TheNumberAtTheStart) {
  const LeadingNumberResult result = LeadingNumber(GetParam().text);
  EXPECT_EQ(result.out_of_range, GetParam().out_of_range);
  EXPECT_EQ(result.value, GetParam().value);
  EXPECT_FALSE(std::isnan(result.value));
}

INSTANTIATE_TEST_SUITE_P(Decimal, LeadingNumberReads,
                         ::testing::Values(Case{"1.5", 1.5}, Case{" 1.5 ", 1.5},
                                           Case{"1 000", 1000}, Case{"\t-\t2", -2},
                                           Case{"- 2 . 5 E 1", -25}, Case{"1.5D3", 1500},
                                           Case{"1d-1", 0.1}, Case{"3E2", 300}, Case{"3e-2", 0.03},
                                           Case{"+3", 3}, Case{"-.5", -0.5}, Case{"5.", 5},
                                           Case{"00012", 12}, Case{"123.4567", 123.4567},
                                           Case{"-89.0123", -89.0123}));

INSTANTIATE_TEST_SUITE_P(StopsAtTheFirstForeignCharacter, LeadingNumberReads,
                         ::testing::Values(Case{"1.2.3", 1.2}, Case{"12abc", 12},
                                           Case{"12E3xyz", 12000}, Case{"1e1e1", 10}, Case{"3E", 3},
                                           Case{"3E+", 3}, Case{"3Dx", 3}, Case{"7;8", 7},
                                           Case{"1\xEF\xBC\x8C"
                                                "2",
                                                1}));

INSTANTIATE_TEST_SUITE_P(TextWithoutDigitsIsZero, LeadingNumberReads,
                         ::testing::Values(Case{"", 0}, Case{"abc", 0}, Case{".", 0}, Case{"-", 0},
                                           Case{"+.", 0}, Case{"E5", 0}, Case{"inf", 0},
                                           Case{"nan", 0}, Case{"infinity", 0}, Case{"0x10", 0},
                                           Case{"X", 0},
                                           Case{"\xE3\x80\x80"
                                                "5",
                                                0}));

INSTANTIATE_TEST_SUITE_P(HexadecimalAndOctal, LeadingNumberReads,
                         ::testing::Values(Case{"&H10", 16}, Case{"&hff", 255}, Case{"& H 1 0", 16},
                                           Case{"&O17", 15}, Case{"&o777", 511}, Case{"-&H10", -16},
                                           Case{"&H", 0}, Case{"&O8", 0}, Case{"&X1", 0},
                                           Case{"&", 0}, Case{"&H1G", 1},
                                           Case{"&HFFFFFFFFFFFFFFFF", 18446744073709551615.0},
                                           Case{"&O1777777777777777777777", 18446744073709551615.0},
                                           Case{"&H10000000000000000", 0, true},
                                           Case{"&O2000000000000000000000", 0, true}));

INSTANTIATE_TEST_SUITE_P(Range, LeadingNumberReads,
                         ::testing::Values(Case{"1E999", 0, true}, Case{"-1E999", 0, true},
                                           Case{"1" + std::string(400, '0'), 0, true},
                                           Case{"1" + std::string(308, '0'), 1e308},
                                           Case{"1.7976931348623157E308", 1.7976931348623157e308},
                                           Case{"1E-999", 0}, Case{"0E999", 0},
                                           Case{"0." + std::string(400, '0') + "1", 0},
                                           Case{"0.001E99999999999", 0, true},
                                           Case{"1000E-99999999999", 0}, Case{"5E-324", 5e-324}));

TEST(LeadingNumber, NegativeTinyValueIsZero) {
  const LeadingNumberResult result = LeadingNumber("-1E-999");
  EXPECT_FALSE(result.out_of_range);
  EXPECT_EQ(result.value, 0.0);
}

}  // namespace
}  // namespace karvonel::conversion

namespace karvonel::conversion {
namespace {

// Plain decimals of every length, read as the standard library reads them.
TEST(LeadingNumber, PlainDecimalsReadAsCorrectlyRounded) {
  std::mt19937_64 random(3);
  std::uniform_int_distribution<int> length(1, 25);
  std::uniform_int_distribution<int> digit(0, 9);
  for (int i = 0; i < 100000; ++i) {
    std::string text = (random() & 1) ? "-" : "";
    const int digits = length(random);
    const int point = std::uniform_int_distribution<int>(0, digits)(random);
    for (int k = 0; k < digits; ++k) {
      if (k == point)
        text += '.';
      text += static_cast<char>('0' + digit(random));
    }
    double expected = 0;
    const char* begin = text.data() + (text[0] == '-' ? 1 : 0);
    std::from_chars(begin, text.data() + text.size(), expected);
    if (text[0] == '-')
      expected = -expected;
    ASSERT_EQ(LeadingNumber(text).value, expected) << text;
    ASSERT_EQ(LeadingNumber(text + ",9").value, expected) << text;
  }
}

}  // namespace
}  // namespace karvonel::conversion
