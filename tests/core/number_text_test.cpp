#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "iges/number_text.h"
#include "iges/seq_field.h"
#include "tests/support/rounding.h"

namespace karvonel::iges {
namespace {

struct DoubleCase {
  double value;
  const char* text;
};

class NumberTextDouble : public ::testing::TestWithParam<DoubleCase> {};

TEST_P(NumberTextDouble, WritesTheExactText) {
  EXPECT_EQ(NumberText(GetParam().value), GetParam().text) << "value " << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, NumberTextDouble,
    ::testing::Values(
        // Sign column, whole values, no zero before the decimal mark.
        DoubleCase{0.0, " 0"}, DoubleCase{-0.0, " 0"}, DoubleCase{1.5, " 1.5"},
        DoubleCase{-2.0, "-2"}, DoubleCase{0.5, " .5"}, DoubleCase{-0.5, "-.5"},
        DoubleCase{100.0, " 100"}, DoubleCase{-10.25, "-10.25"}, DoubleCase{123.4567, " 123.4567"},
        DoubleCase{-89.0123, "-89.0123"},
        // Rounding to 15 significant digits.
        DoubleCase{0.1 + 0.2, " .3"}, DoubleCase{1.0 / 3.0, " .333333333333333"},
        DoubleCase{-2.0 / 3.0, "-.666666666666667"},
        DoubleCase{12345678.9012345678, " 12345678.9012346"},
        DoubleCase{0.000123456789012345678, " .000123456789012346"},
        // Fixed form up to 15 digits before the mark, from 1E-04 on.
        DoubleCase{99999.99999, " 99999.99999"}, DoubleCase{1234567.5, " 1234567.5"},
        DoubleCase{0.0001, " .0001"}, DoubleCase{-0.00012345, "-.00012345"},
        // Exponent form outside that range, also when rounding reaches it.
        DoubleCase{1e15, " 1E+15"}, DoubleCase{1.5e-5, " 1.5E-05"},
        DoubleCase{-2.5e300, "-2.5E+300"}, DoubleCase{0.00001, " 1E-05"},
        DoubleCase{999999999999999.9, " 1E+15"},
        DoubleCase{9007199254740993.0, " 9.00719925474099E+15"}, DoubleCase{1e100, " 1E+100"},
        // Whole values beyond 32-bit integers are written as reals.
        DoubleCase{2147483647.0, " 2147483647"}, DoubleCase{-2147483647.0, "-2147483647"},
        DoubleCase{2147483648.0, " 2.147483648E+09"}, DoubleCase{-3e9, "-3E+09"},
        DoubleCase{-3000000000.5, "-3000000000.5"}, DoubleCase{1e14, " 1E+14"},
        DoubleCase{123456789012345.0, " 1.23456789012345E+14"},
        DoubleCase{2147483647.9999999, " 2.147483648E+09"},
        DoubleCase{std::numeric_limits<double>::max(), " 1.79769313486232E+308"},
        DoubleCase{-std::numeric_limits<double>::denorm_min(), "-4.94065645841247E-324"},
        // Values the conversion never lets through still give a number.
        DoubleCase{std::nan(""), " 0"}, DoubleCase{INFINITY, " 0"}));

struct IntegerCase {
  std::int64_t value;
  const char* text;
};

class NumberTextInteger : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(NumberTextInteger, WritesTheExactText) {
  EXPECT_EQ(NumberText(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Counters, NumberTextInteger,
                         ::testing::Values(IntegerCase{0, " 0"}, IntegerCase{7, " 7"},
                                           IntegerCase{32767, " 32767"}, IntegerCase{-5, "-5"},
                                           IntegerCase{INT64_MIN, "-9223372036854775808"}));

TEST(NumberText, LongestTextsFitTheDeclaredBound) {
  char text[kMaxNumberText];
  EXPECT_LE(NumberTextTo(text, -1.23456789012345e-300), kMaxNumberText);
  EXPECT_LE(NumberTextTo(text, -0.000123456789012345), kMaxNumberText);
  EXPECT_LE(NumberTextTo(text, std::int64_t{INT64_MIN}), kMaxNumberText);
}

struct SeqCase {
  char prefix;
  std::int32_t n;
  const char* field;
};

class SeqFieldText : public ::testing::TestWithParam<SeqCase> {};

TEST_P(SeqFieldText, IsPrefixAndRightJustifiedNumber) {
  EXPECT_EQ(SeqField(GetParam().prefix, GetParam().n), GetParam().field);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, SeqFieldText,
    ::testing::Values(SeqCase{'D', 1, "D      1"}, SeqCase{'D', 23, "D     23"},
                      SeqCase{'D', 32767, "D  32767"}, SeqCase{' ', 1, "       1"},
                      SeqCase{' ', 23, "      23"}, SeqCase{'P', 0, "P      0"},
                      SeqCase{'D', 999999, "D 999999"}, SeqCase{'D', 9999998, "D9999998"},
                      SeqCase{'P', 4999999, "P4999999"}));

}  // namespace
}  // namespace karvonel::iges

namespace karvonel::iges {
namespace {

using karvonel::testing::Rounded15;

// Reads a number text back: the sign column, then the number.
double ReadBack(const std::string& text) {
  double value = 0;
  const char* begin = text.data() + 1;
  const auto result = std::from_chars(begin, text.data() + text.size(), value);
  EXPECT_EQ(result.ptr, text.data() + text.size()) << text;
  return text[0] == '-' ? -value : value;
}

void ExpectRoundTrip(double value) {
  const std::string text = NumberText(value);
  ASSERT_EQ(ReadBack(text), Rounded15(value)) << "value " << value << " text " << text;
  // Canonical: no trailing zero in a fraction or a mantissa, no "0." lead.
  const std::size_t mark = text.find('.');
  if (mark != std::string::npos) {
    const std::size_t end = std::min(text.find('E'), text.size());
    ASSERT_NE(text[end - 1], '0') << text;
    ASSERT_FALSE(mark == 2 && text[1] == '0') << text;
  }
}

TEST(NumberText, ShortDecimalsReadBackAsTheirRounding) {
  std::mt19937_64 random(7);
  std::uniform_int_distribution<std::int64_t> whole(-999999999999999, 999999999999999);
  std::uniform_int_distribution<int> scale(0, 22);
  for (int i = 0; i < 200000; ++i) {
    ExpectRoundTrip(static_cast<double>(whole(random)) / std::pow(10.0, scale(random)));
  }
}

TEST(NumberText, ArbitraryDoublesReadBackAsTheirRounding) {
  std::mt19937_64 random(11);
  for (int i = 0; i < 200000; ++i) {
    const std::uint64_t bits = random();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value) || value == 0)
      continue;
    ExpectRoundTrip(value);
  }
}

}  // namespace
}  // namespace karvonel::iges
