// A checker, for tests, of the fixed form of the IGES files the converter
// writes: it reports the first problem it finds, naming the record.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace karvonel::testing {

// One point entity as the file states it.
struct IgesEntity {
  int de_seq = 0;                       // sequence number of its first D record
  std::vector<std::string> parameters;  // "116" and the three coordinates, blanks trimmed
};

struct IgesStructure {
  // The first problem, e.g. "record 11 (P 2): DE pointer 5, expected 3"; empty
  // when the file passed every check.
  std::optional<std::string> problem;
};

// Checks the whole file:
//  - every record is 80 bytes and CR LF, nothing after the last;
//  - column 73 holds the section letter and columns 74 to 80 number the
//    records of each section from 1: one S, four G, two D per point, one P per
//    point, one T;
//  - point n has type 116 in both D records, the pointer n to its P record in
//    D record 2n - 1, a parameter line count of 1 in D record 2n, and its P
//    record points back to D 2n - 1 and holds "116," and three numbers
//    separated by commas and ended by ";";
//  - the Terminate record counts the S, G, D and P records.
// `on_entity`, when set, is called for each entity whose records passed.
IgesStructure InspectIges(std::string_view file_bytes,
                          const std::function<void(const IgesEntity&)>& on_entity = {});

// The first problem InspectIges finds, or nothing for a well-formed file.
std::optional<std::string> CheckIgesStructure(std::string_view file_bytes);

}  // namespace karvonel::testing
