// The checker against hand-written files, apart from the converter's own
// record writers: it takes them as they are and reports each fault of
// faults.tsv with its record.
#include "tests/structure/iges_structure.h"

#include <gtest/gtest.h>

#include "tests/support/case_table.h"
#include "tests/support/test_files.h"

namespace karvonel::testing {
namespace {

const std::string kHere = KARVONEL_STRUCTURE_DIR;

TEST(IgesStructure, TakesWellFormedFilesAndReportsEachFault) {
  std::vector<std::string> coordinates;
  const std::string file = ReadFileBytes(kHere + "/two_points.igs");
  EXPECT_EQ(IgesProblem(file, &coordinates), std::nullopt);
  EXPECT_EQ(coordinates, (std::vector<std::string>{"1.5", "-2", "0", "-10.25", ".5", "100"}));
  EXPECT_EQ(IgesProblem(ReadFileBytes(kHere + "/no_points.igs")), std::nullopt);
  for (const auto& row : ReadCaseTable(kHere + "/faults.tsv")) {
    SCOPED_TRACE(row.where);
    std::string damaged = file;
    damaged.replace((std::stoul(row[1]) - 1) * 82 + std::stoul(row[2]) - 1, std::stoul(row[3]),
                    row[4]);
    EXPECT_EQ(IgesProblem(damaged).value_or("(passed)"), row[5]);
  }
}

}  // namespace
}  // namespace karvonel::testing
