// A checker, for tests, of the fixed form of the IGES files the converter
// writes: every record 80 columns and CR LF; column 73 the section letter and
// 74-80 the record's number in its section; one S, four G, two D and one P
// record a point, one T that counts them; each point's D records of type 116
// pointing to its P record, which points back and holds "116," and three
// numbers ended by ";".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace karvonel::testing {

// The first problem, naming its record, or nothing. `coordinates`, when
// given, receives the three coordinate texts of each point in turn.
std::optional<std::string> IgesProblem(std::string_view bytes,
                                       std::vector<std::string>* coordinates = nullptr);

}  // namespace karvonel::testing
