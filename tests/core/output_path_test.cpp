#include <gtest/gtest.h>

#include <string>

#include "conversion/output_path.h"

namespace karvonel::conversion {
namespace {

struct Case {
  std::string in;
  bool backslash_separates;
  std::string out;
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.in;
}

class OutputPath : public ::testing::TestWithParam<Case> {};

TEST_P(OutputPath, ReplacesOnlyTheFileNamesExtension) {
  EXPECT_EQ(OutputPathFor(GetParam().in, GetParam().backslash_separates), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, OutputPath,
    ::testing::Values(Case{"C:\\data\\pts.csv", true, "C:\\data\\pts.igs"},
                      Case{"C:\\pts.csv", true, "C:\\pts.igs"},
                      Case{"C:\\my.data\\pts.csv", true, "C:\\my.data\\pts.igs"},
                      Case{"C:\\my.data\\pts", true, "C:\\my.data\\pts.igs"},
                      Case{"C:\\w\\a.b.csv", true, "C:\\w\\a.b.igs"},
                      Case{"C:/my.data/pts.v1.csv", true, "C:/my.data/pts.v1.igs"},
                      Case{"C:\\my.data/pts", true, "C:\\my.data/pts.igs"}));

INSTANTIATE_TEST_SUITE_P(
    Posix, OutputPath,
    ::testing::Values(Case{"/home/u/pts.csv", false, "/home/u/pts.igs"},
                      Case{"/home/u/my.data/pts", false, "/home/u/my.data/pts.igs"},
                      Case{"/home/u/pts.v1.csv", false, "/home/u/pts.v1.igs"},
                      Case{"/home/u/pts.v2.csv", false, "/home/u/pts.v2.igs"},
                      Case{"pts", false, "pts.igs"}, Case{"a.b.csv", false, "a.b.igs"},
                      Case{"/a/b.", false, "/a/b.igs"},
                      // Without backslash separators "my.d\x" is one file name.
                      Case{"my.d\\x", false, "my.igs"}));

}  // namespace
}  // namespace karvonel::conversion
