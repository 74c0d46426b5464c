// An independent reader of the fixed-form IGES files the converter writes, for
// tests: it checks the structure every such file must have and reports the
// first problem it finds, naming the record.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace karvonel::testing {

// One entity as the file states it: its Directory Entry fields and its
// parameters (the entity type first), each as written with blanks trimmed.
struct IgesEntity {
  std::int32_t de_seq = 0;      // sequence number of its first D record
  std::int32_t type = 0;        // DE field 1
  std::int32_t form = 0;        // DE field 15
  std::int32_t p_pointer = 0;   // DE field 2
  std::int32_t line_count = 0;  // DE field 14
  std::vector<std::string> parameters;
};

struct IgesStructure {
  // The first problem found, e.g. "record 7 (D 2): parameter line count 2, but
  // 1 P record points back", or empty when the file passed every check.
  std::optional<std::string> problem;
  // Records in the S, G, D, P and T sections, as counted in the file.
  std::array<std::int32_t, 5> section_counts{};
  // The Global parameters as written (Hollerith texts with their "nH" prefix,
  // in the file's own bytes), filled when the Global section parsed.
  std::vector<std::string> global;
};

// Checks the whole file:
//  - every record is 80 bytes followed by CR LF, and nothing follows the last;
//  - column 73 holds S, G, D, P or T, the sections come in that order, S, G and
//    T are present and T is one record, the last;
//  - columns 74 to 80 number the records of each section from 1 without a gap;
//  - the Global section parses into exactly 26 parameters, its delimiters
//    taken from parameters 1 and 2, every Hollerith count counted in characters
//    (a Shift_JIS double-byte character is one), ended by the record delimiter;
//  - the D section is pairs of records, both naming the same entity type; each
//    pair's parameter data pointer names a P record whose back pointer (columns
//    65 to 72) is the pair's first sequence number, and exactly the parameter
//    line count of P records carry that back pointer; the P records are used
//    in order by the entities, none left over; each entity's parameters start
//    with its type and end with the record delimiter;
//  - the Terminate record's S, G, D and P counts equal the section sizes.
// `on_entity`, when set, is called for each entity whose records passed.
IgesStructure InspectIges(std::string_view file_bytes,
                          const std::function<void(const IgesEntity&)>& on_entity = {});

// The first problem InspectIges finds, or nothing for a well-formed file.
std::optional<std::string> CheckIgesStructure(std::string_view file_bytes);

}  // namespace karvonel::testing
