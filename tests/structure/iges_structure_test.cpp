// The structure checker must accept a well-formed file and name the first
// fault of a broken one; the files here are written out by hand, so the checker
// is tested independently of the converter's own record writers.
#include "tests/structure/iges_structure.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace karvonel::testing {
namespace {

// IDEOGRAPHIC SPACE in Shift_JIS.
#define SJIS_SPACE "\x81\x40"

struct Records {
  std::vector<std::string> lines;

  std::string Bytes() const {
    std::string bytes;
    for (const auto& line : lines)
      bytes += line + "\r\n";
    return bytes;
  }
  // The record whose columns 73 to 80 are `sequence`, e.g. "D      3".
  std::string& operator[](std::string_view sequence) {
    for (auto& line : lines) {
      if (line.size() >= 80 && std::string_view(line).substr(72, 8) == sequence)
        return line;
    }
    ADD_FAILURE() << "no record " << sequence;
    return lines.front();
  }
};

std::string Padded(std::string data, const std::string& sequence) {
  data.resize(72, ' ');
  return data + sequence;
}

// Two points, as the converter writes them, with one P record each; or, with
// `long_entity`, the second point's parameters spread over two P records.
Records WellFormed(bool long_entity = false) {
  Records r;
  r.lines = {
      Padded("Karvonel Ver 1.20 00 hand-written test file", "S0000001"),
      Padded("1H,,1H;,4HIGES,12HFilename.igs,8HKarvonel,16HKARVONEL" SJIS_SPACE "1.20" SJIS_SPACE
             "00,",
             "G0000001"),
      Padded("10,38,8,308,15,8HKarvonel,1.000000000,2,2Hmm,1,1.000000,", "G0000002"),
      Padded("15H20261206.102345,0.01000000,1000000000000,8HKarvonel,8HKarvonel,11,", "G0000003"),
      Padded("0,15H20261206.102345,0;", "G0000004"),
      "     116       1       1       1       1               0         0000000D      1",
      "     116       0       0       1       0                                D      2",
      "     116       2       1       1       1               0         0000000D      3",
      long_entity
          ? "     116       0       0       2       0                                D      4"
          : "     116       0       0       1       0                                D      4",
      "116, 1.5,-2, 0;                                                        1P      1",
  };
  if (long_entity) {
    r.lines.push_back(
        "116,-10.25,                                                            3P      2");
    r.lines.push_back(
        " .5, 100;                                                              3P      3");
    r.lines.push_back(
        "S      1G      4D      4P      3                                        T      1");
  } else {
    r.lines.push_back(
        "116,-10.25, .5, 100;                                                   3P      2");
    r.lines.push_back(
        "S      1G      4D      4P      2                                        T      1");
  }
  return r;
}

TEST(IgesStructure, AcceptsWellFormedFilesAndReportsWhatTheyHold) {
  for (const bool long_entity : {false, true}) {
    SCOPED_TRACE(long_entity ? "entity over two P records" : "one P record per entity");
    std::vector<IgesEntity> entities;
    const IgesStructure s = InspectIges(WellFormed(long_entity).Bytes(),
                                        [&](const IgesEntity& e) { entities.push_back(e); });
    ASSERT_FALSE(s.problem) << *s.problem;
    EXPECT_EQ(s.section_counts, (std::array<std::int32_t, 5>{1, 4, 4, long_entity ? 3 : 2, 1}));
    ASSERT_EQ(s.global.size(), 26u);
    EXPECT_EQ(s.global[0], "1H,");
    EXPECT_EQ(s.global[5], "16HKARVONEL" SJIS_SPACE "1.20" SJIS_SPACE "00");
    EXPECT_EQ(s.global[13], "2");
    EXPECT_EQ(s.global[17], "15H20261206.102345");
    EXPECT_EQ(s.global[22], "11");
    EXPECT_EQ(s.global[25], "0");
    ASSERT_EQ(entities.size(), 2u);
    EXPECT_EQ(entities[0].de_seq, 1);
    EXPECT_EQ(entities[0].parameters, (std::vector<std::string>{"116", "1.5", "-2", "0"}));
    EXPECT_EQ(entities[1].de_seq, 3);
    EXPECT_EQ(entities[1].p_pointer, 2);
    EXPECT_EQ(entities[1].line_count, long_entity ? 2 : 1);
    EXPECT_EQ(entities[1].parameters, (std::vector<std::string>{"116", "-10.25", ".5", "100"}));
  }
}

TEST(IgesStructure, AcceptsAFileWithoutEntities) {
  Records r = WellFormed();
  r.lines.erase(r.lines.begin() + 5, r.lines.end());
  r.lines.push_back(
      "S      1G      4D      0P      0                                        T      1");
  EXPECT_EQ(CheckIgesStructure(r.Bytes()), std::nullopt);
}

TEST(IgesStructure, AcceptsOtherDelimitersNamedInTheGlobalSection) {
  Records r = WellFormed();
  r["G0000001"] = Padded("1H//1H!/4HIGES/12HFilename.igs/8HKarvonel/16HKARVONEL" SJIS_SPACE
                         "1.20" SJIS_SPACE "00/",
                         "G0000001");
  for (auto* id : {"G0000002", "G0000003", "G0000004"}) {
    for (char& c : r[id]) {
      if (c == ',')
        c = '/';
      if (c == ';')
        c = '!';
    }
  }
  r["P      1"] =
      "116/ 1.5/-2/ 0!                                                        1P      1";
  r["P      2"] =
      "116/-10.25/ .5/ 100!                                                   3P      2";
  EXPECT_EQ(CheckIgesStructure(r.Bytes()), std::nullopt);
}

struct Fault {
  const char* name;
  std::function<void(Records&)> damage;     // changes the records
  std::function<void(std::string&)> bytes;  // or the bytes, after that
  const char* problem;                      // the report, in full
};

void PrintTo(const Fault& fault, std::ostream* out) {
  *out << fault.name;
}

class IgesStructureFault : public ::testing::TestWithParam<Fault> {};

TEST_P(IgesStructureFault, IsReportedAtItsRecord) {
  Records r = WellFormed();
  if (GetParam().damage)
    GetParam().damage(r);
  std::string bytes = r.Bytes();
  if (GetParam().bytes)
    GetParam().bytes(bytes);
  EXPECT_EQ(CheckIgesStructure(bytes).value_or("(passed)"), GetParam().problem);
}

// Replaces `count` columns from `column` (1-based) of a record.
std::function<void(Records&)> Put(const char* record, std::size_t column, std::string text) {
  return [=](Records& r) { r[record].replace(column - 1, text.size(), text); };
}

const Fault kFaults[] = {
    {"Empty", nullptr, [](std::string& b) { b.clear(); }, "the file is empty"},
    {"ShortRecord", [](Records& r) { r["G0000002"].erase(0, 1); }, nullptr,
     "record 3: 79 bytes before its line end, not 80"},
    {"LongRecord", [](Records& r) { r["D      2"].insert(0, " "); }, nullptr,
     "record 7: 81 bytes before its line end, not 80"},
    {"LoneLineFeed", nullptr, [](std::string& b) { b.erase(80, 1); },
     "record 1: not followed by CR LF"},
    {"NoFinalLineEnd", nullptr, [](std::string& b) { b.resize(b.size() - 2); },
     "record 12: 80 bytes without a line end"},
    {"TrailingBytes", nullptr, [](std::string& b) { b += "x"; },
     "record 13: 1 bytes without a line end"},
    {"UnknownLetter", Put("D      3", 73, "X"), nullptr,
     "record 8: column 73 holds 'X', not a section letter"},
    {"SectionsOutOfOrder", [](Records& r) { std::swap(r.lines[8], r.lines[9]); }, nullptr,
     "record 10: D record after the P section"},
    {"SequenceGap", Put("D      3", 74, "      5"), nullptr,
     "record 8: sequence number '      5', expected 3"},
    {"SequenceNotFromOne", Put("G0000001", 74, "0000002"), nullptr,
     "record 2: sequence number '0000002', expected 1"},
    {"NoTerminate", [](Records& r) { r.lines.pop_back(); }, nullptr,
     "the Terminate section has 0 records, not 1"},
    {"NoStart", [](Records& r) { r.lines.erase(r.lines.begin()); }, nullptr, "no Start section"},
    {"HollerithCountedInBytes",
     [](Records& r) {
       std::string& g = r["G0000001"];
       g.replace(g.find("16H"), 3, "18H");
     },
     nullptr,
     "Global section: parameter 6: Hollerith text 18HKARVONEL\x81@1.20\x81@00,  is not followed "
     "by a delimiter (count wrong?)"},
    {"HollerithCountTooSmall", Put("G0000003", 1, "14H"), nullptr,
     "Global section: parameter 18: Hollerith text 14H20261206.10234 is not followed by a "
     "delimiter (count wrong?)"},
    {"GlobalParameterMissing", Put("G0000004", 1, "0,15H20261206.102345;  "), nullptr,
     "Global section: 25 parameters, not 26"},
    {"GlobalParameterExtra", Put("G0000004", 1, "0,15H20261206.102345,0,0;"), nullptr,
     "Global section: 27 parameters, not 26"},
    {"GlobalNotEnded", Put("G0000004", 1, "0,15H20261206.102345,0, "), nullptr,
     "Global section: parameter 27: no record delimiter"},
    {"GlobalDelimiterNotOneCharacter", Put("G0000001", 1, "2H,,"), nullptr,
     "Global section: parameter 1: Hollerith text 2H,, is not followed by a delimiter (count "
     "wrong?)"},
    {"OddDirectory", [](Records& r) { r.lines.erase(r.lines.begin() + 8); }, nullptr,
     "the D section has an odd number of records, 3"},
    {"SecondLineOfOtherType", Put("D      4", 6, "110"), nullptr,
     "record 9 (D 4): entity type 110, but 116 in the line before"},
    {"PointerSkipsARecord", Put("D      3", 9, "       3"), nullptr,
     "record 8 (D 3): parameter data pointer 3, expected 2"},
    {"BackPointerWrong", Put("P      2", 65, "       5"), nullptr,
     "record 11 (P 2): DE back pointer '       5', expected 3"},
    {"BackPointerOfThePreviousEntity", Put("P      2", 65, "       1"), nullptr,
     "record 7 (D 2): parameter line count 1, but more P records point back to D 1"},
    {"LineCountTooLarge", Put("D      4", 25, "       2"), nullptr,
     "record 9 (D 4): parameter line count 2 from P 2 does not fit the 2 P records"},
    {"LineCountTooSmall", Put("D      2", 25, "       0"), nullptr,
     "record 7 (D 2): parameter line count 0 from P 1 does not fit the 2 P records"},
    {"PointerNotANumber", Put("D      1", 9, "     1x "), nullptr,
     "record 6 (D 1): field 1 or 2 is not an integer"},
    {"ParametersOfOtherType", Put("P      1", 1, "110"), nullptr,
     "record 10 (P 1): parameters start with '110', not the entity type 116"},
    {"ParametersNotEnded", Put("P      1", 15, ","), nullptr,
     "record 10 (P 1): parameter 5: no record delimiter"},
    {"TextAfterParameters", Put("P      1", 20, "7"), nullptr,
     "record 10 (P 1): text after the record delimiter: '7'"},
    {"ParameterRecordLeftOver",
     [](Records& r) {
       r.lines.insert(
           r.lines.end() - 1,
           "116, 0, 0, 0;                                                          9P      3");
       r.lines.back().replace(24, 8, "P      3");
     },
     nullptr, "record 12 (P 3): P record that no Directory Entry points to"},
    {"TerminateStartCount", Put("T      1", 8, "2"), nullptr,
     "record 12 (T 1): S count 2, but the section has 1 records"},
    {"TerminateGlobalCount", Put("T      1", 16, "5"), nullptr,
     "record 12 (T 1): G count 5, but the section has 4 records"},
    {"TerminateDirectoryCount", Put("T      1", 24, "6"), nullptr,
     "record 12 (T 1): D count 6, but the section has 4 records"},
    {"TerminateParameterCount", Put("T      1", 32, "1"), nullptr,
     "record 12 (T 1): P count 1, but the section has 2 records"},
    {"TerminateFieldsSwapped", Put("T      1", 17, "P      2D      4"), nullptr,
     "record 12 (T 1): field 3 'P      2' is not the D count"},
    {"TerminateTextAfterCounts", Put("T      1", 40, "x"), nullptr,
     "record 12 (T 1): columns 33 to 72 are not blank"},
};

INSTANTIATE_TEST_SUITE_P(Faults, IgesStructureFault, ::testing::ValuesIn(kFaults),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace karvonel::testing
