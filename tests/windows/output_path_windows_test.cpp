// The output-name rule with Windows paths: drive letters, "\" and "/" as
// separators, full stops in folder names.
#include <gtest/gtest.h>

#include <string>

#include "conversion/output_path.h"

namespace karvonel::conversion {
namespace {

struct NameCase {
  const char* in;
  const char* out;
};

// What the window and the command-line tool see: the default separators.
TEST(OutputPathWindows, ReplacesOnlyTheFileNamesExtension) {
  const NameCase cases[] = {
      {R"(C:\data\pts.csv)", R"(C:\data\pts.igs)"},
      {R"(C:\pts.csv)", R"(C:\pts.igs)"},
      {"C:/data/pts.csv", "C:/data/pts.igs"},
      {"C:/pts.csv", "C:/pts.igs"},
      {R"(C:\data/pts.csv)", R"(C:\data/pts.igs)"},
      {R"(C:/data\pts.csv)", R"(C:/data\pts.igs)"},
      // A full stop in a folder name, whichever separator follows it.
      {R"(C:\my.data\pts.csv)", R"(C:\my.data\pts.igs)"},
      {R"(C:\my.data\pts)", R"(C:\my.data\pts.igs)"},
      {"C:/my.data/pts", "C:/my.data/pts.igs"},
      {R"(C:/my.data\pts)", R"(C:/my.data\pts.igs)"},
      {R"(C:\my.data/pts)", R"(C:\my.data/pts.igs)"},
      {R"(\\server\share.1\pts)", R"(\\server\share.1\pts.igs)"},
      // Only the last full stop of the name counts.
      {R"(D:\runs\pts.v1.csv)", R"(D:\runs\pts.v1.igs)"},
      {R"(D:\runs\pts.v2.csv)", R"(D:\runs\pts.v2.igs)"},
      {"D:pts.csv", "D:pts.igs"},
      // Japanese names as UTF-8: no byte of a character is taken for "\".
      {"C:\\\xE8\xA1\xA8.data\\pts", "C:\\\xE8\xA1\xA8.data\\pts.igs"},
      {"C:\\\xE7\x82\xB9\xE7\xBE\xA4\\\xE6\xB8\xAC\xE5\xAE\x9A.csv",
       "C:\\\xE7\x82\xB9\xE7\xBE\xA4\\\xE6\xB8\xAC\xE5\xAE\x9A.igs"},
  };
  for (const NameCase& c : cases) {
    EXPECT_EQ(OutputPathFor(c.in), c.out) << "input " << c.in;
  }
}

}  // namespace
}  // namespace karvonel::conversion
