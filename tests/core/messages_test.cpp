// Every message of a conversion, spelled out in tests/core/cases/messages.tsv.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "conversion/conversion_run.h"
#include "conversion/messages.h"
#include "tests/support/case_table.h"

namespace karvonel::conversion {
namespace {

#define KIND(name) \
  { #name, ErrorKind::name }
const std::map<std::string, ErrorKind> kKinds = {
    KIND(kNoFileChosen),
    KIND(kInputMissing),
    KIND(kInputIsFolder),
    KIND(kLineTooLong),
    KIND(kDataTooLong),
    KIND(kValueOutOfRange),
    KIND(kTooManyPoints),
    KIND(kOutputPathEmpty),
    KIND(kOutputIsFolder),
    KIND(kOutputIsInput),
    KIND(kOutputNotRegular),
    KIND(kOutputReadOnly),
    KIND(kOutputFolderMissing),
    KIND(kOutputFolderIsFile),
    KIND(kPathTooLong),
    KIND(kCannotCreate),
    KIND(kReadFailed),
    KIND(kWriteFailed),
    KIND(kInputChanged),
    KIND(kSectionFileChanged),
    KIND(kSectionFileBusy),
    KIND(kSectionFileIsLink),
    KIND(kSectionFileNotRegular),
    KIND(kSectionFileHasLinks),
    KIND(kSectionFileIsInput),
    KIND(kSectionFileIsOutput),
    KIND(kOutOfMemory),
    KIND(kCancelled),
};
#undef KIND

TEST(Messages, EveryErrorKindAndTheNoteAfterAConversion) {
  std::map<std::string, bool> tested;
  for (const testing::CaseRow& row : testing::ReadCaseTable(std::string(KARVONEL_SOURCE_DIR) +
                                                            "/tests/core/cases/messages.tsv")) {
    SCOPED_TRACE(row.where);
    if (row[0] == "incomplete") {
      const ConversionResult result = Converted{5000, std::stoll(row[1]), std::stoll(row[2])};
      EXPECT_EQ(ResultMessage(result), row[4]);
      continue;
    }
    ASSERT_EQ(kKinds.count(row[0]), 1u);
    const ConversionError error{kKinds.at(row[0]), row[1].empty() ? 0 : std::stoll(row[1]), row[2],
                                row[3]};
    EXPECT_EQ(ResultMessage(Unexpected{error}), row[4]);
    tested[row[0]] = true;
  }
  EXPECT_EQ(tested.size(), kKinds.size()) << "a kind without its message in the table";
}

}  // namespace
}  // namespace karvonel::conversion
