// Every message of a conversion, spelled out in tests/core/cases/messages.tsv.
#include <gtest/gtest.h>

#include <string>

#include "conversion/conversion_run.h"
#include "conversion/messages.h"
#include "tests/support/case_table.h"

namespace karvonel::conversion {
namespace {

// The table names the error kinds in their order of declaration, each in one
// or more rows, so that a kind is its place in the table.
TEST(Messages, EveryErrorKindAndTheNoteAfterAConversion) {
  int kind = -1;
  std::string last;
  for (const testing::CaseRow& row : testing::ReadCaseTable(std::string(KARVONEL_SOURCE_DIR) +
                                                            "/tests/core/cases/messages.tsv")) {
    SCOPED_TRACE(row.where);
    if (row[0] == "incomplete") {
      const ConversionResult result = Converted{5000, std::stoll(row[1]), std::stoll(row[2])};
      EXPECT_EQ(ResultMessage(result), row[4]);
      continue;
    }
    kind += row[0] != last;
    last = row[0];
    const ConversionError error{static_cast<ErrorKind>(kind),
                                row[1].empty() ? 0 : std::stoll(row[1]), row[2], row[3]};
    EXPECT_EQ(ResultMessage(Unexpected{error}), row[4]);
  }
  EXPECT_EQ(kind, static_cast<int>(ErrorKind::kCancelled)) << "a kind without its message";
}

}  // namespace
}  // namespace karvonel::conversion
