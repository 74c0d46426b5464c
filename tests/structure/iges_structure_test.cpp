// The checker against hand-written files (so it is tested apart from the
// converter's own record writers): it accepts them as they are and reports
// each fault in faults.tsv with its record.
#include "tests/structure/iges_structure.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/case_table.h"
#include "tests/support/test_files.h"

namespace karvonel::testing {
namespace {

const std::string kHere = KARVONEL_STRUCTURE_DIR;

TEST(IgesStructure, AcceptsWellFormedFilesAndReportsTheirPoints) {
  std::vector<std::vector<std::string>> points;
  const auto problem = InspectIges(ReadFileBytes(kHere + "/two_points.igs"),
                                   [&](const IgesEntity& e) { points.push_back(e.parameters); });
  EXPECT_EQ(problem.problem, std::nullopt);
  EXPECT_EQ(points, (std::vector<std::vector<std::string>>{{"116", "1.5", "-2", "0"},
                                                           {"116", "-10.25", ".5", "100"}}));
  EXPECT_EQ(CheckIgesStructure(ReadFileBytes(kHere + "/no_points.igs")), std::nullopt);
}

TEST(IgesStructure, ReportsEachFaultAtItsRecord) {
  const std::string file = ReadFileBytes(kHere + "/two_points.igs");
  for (const auto& row : ReadCaseTable(kHere + "/faults.tsv")) {
    SCOPED_TRACE(row.where);
    const std::size_t at = (std::stoul(row[1]) - 1) * 82 + std::stoul(row[2]) - 1;
    std::string damaged = file;
    damaged.replace(at, std::stoul(row[3]), row[4]);
    EXPECT_EQ(CheckIgesStructure(damaged).value_or("(passed)"), row[5]);
  }
}

}  // namespace
}  // namespace karvonel::testing
