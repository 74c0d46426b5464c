#include "tests/structure/iges_structure.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>

namespace karvonel::testing {
namespace {

constexpr std::size_t kRecordBytes = 82;  // 80 columns and CR LF
constexpr std::string_view kSections = "SGDPT";

// A right-justified integer field (blanks or zeros before the digits); -1 when
// the field is anything else.
int Integer(std::string_view field) {
  const std::size_t first = field.find_first_not_of(' ');
  int value = -1;
  if (first == std::string_view::npos ||
      std::from_chars(field.data() + first, field.data() + field.size(), value).ptr !=
          field.data() + field.size()) {
    return -1;
  }
  return value;
}

std::string Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos)
    return {};
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

bool IsNumber(const std::string& text) {
  double value = 0;
  return !text.empty() && text.find_first_not_of("0123456789.E+-") == std::string::npos &&
         std::from_chars(text.data(), text.data() + text.size(), value).ptr ==
             text.data() + text.size();
}

// The first problem of point `k` (from 0), whose first D record is
// records[d] and whose P record is records[p].
std::optional<std::string> EntityProblem(const std::vector<std::string_view>& records,
                                         std::size_t d, std::size_t p, int k, IgesEntity& entity) {
  const auto at = [](std::size_t index, const std::string& what) {
    return "record " + std::to_string(index + 1) + ": " + what;
  };
  for (const std::size_t index : {d, d + 1}) {
    if (records[index].substr(0, 8) != "     116")
      return at(index, "entity type '" + std::string(records[index].substr(0, 8)) + "', not 116");
  }
  if (Integer(records[d].substr(8, 8)) != k + 1)
    return at(d, "parameter data pointer '" + std::string(records[d].substr(8, 8)) +
                     "', expected " + std::to_string(k + 1));
  if (Integer(records[d + 1].substr(24, 8)) != 1)
    return at(d + 1,
              "parameter line count '" + std::string(records[d + 1].substr(24, 8)) + "', not 1");
  entity.de_seq = 2 * k + 1;
  if (Integer(records[p].substr(64, 8)) != entity.de_seq)
    return at(p, "DE pointer '" + std::string(records[p].substr(64, 8)) + "', expected " +
                     std::to_string(entity.de_seq));
  const std::string_view data = records[p].substr(0, 64);
  const std::size_t end = data.find(';');
  if (end == std::string_view::npos || data.find_first_not_of(' ', end + 1) != data.npos)
    return at(p, "parameters not ended by ';' and blanks");
  for (std::size_t start = 0; start <= end;) {
    const std::size_t comma = std::min(data.find(',', start), end);
    entity.parameters.push_back(Trim(data.substr(start, comma - start)));
    start = comma + 1;
  }
  const auto& parameters = entity.parameters;
  if (parameters.size() != 4 || parameters[0] != "116" || !IsNumber(parameters[1]) ||
      !IsNumber(parameters[2]) || !IsNumber(parameters[3])) {
    return at(p, "parameters '" + std::string(data.substr(0, end)) + "', not 116 and 3 numbers");
  }
  return std::nullopt;
}

std::optional<std::string> Problem(std::string_view bytes,
                                   const std::function<void(const IgesEntity&)>& on_entity) {
  std::vector<std::string_view> records;
  std::array<int, 5> counts{};
  std::size_t section = 0;
  for (std::size_t offset = 0; offset < bytes.size(); offset += kRecordBytes) {
    const std::string where = "record " + std::to_string(records.size() + 1) + ": ";
    const std::string_view record = bytes.substr(offset, kRecordBytes);
    if (record.size() < kRecordBytes || record.find_first_of("\r\n") != 80 ||
        record.substr(80) != "\r\n") {
      return where + "not 80 bytes and CR LF";
    }
    const std::string_view columns = record.substr(0, 80);
    const std::size_t letter = kSections.find(columns[72]);
    if (letter == kSections.npos || letter < section)
      return where + "column 73 holds '" + columns[72] + "', out of S, G, D, P, T order";
    section = letter;
    if (Integer(columns.substr(73)) != ++counts[letter])
      return where + "sequence number '" + std::string(columns.substr(73)) + "', expected " +
             std::to_string(counts[letter]);
    records.push_back(columns);
  }
  const int points = counts[3];
  if (counts != std::array<int, 5>{1, 4, 2 * points, points, 1}) {
    char text[80];
    std::snprintf(text, sizeof text, "S %d, G %d, D %d, P %d, T %d records", counts[0], counts[1],
                  counts[2], counts[3], counts[4]);
    return std::string(text) + ", not 1, 4, 2 per point, 1 per point, 1";
  }
  for (int k = 0; k < points; ++k) {
    IgesEntity entity;
    const auto d = static_cast<std::size_t>(5 + 2 * k);
    const auto p = static_cast<std::size_t>(5 + 2 * points + k);
    if (auto problem = EntityProblem(records, d, p, k, entity))
      return problem;
    if (on_entity)
      on_entity(entity);
  }
  char counted[40];
  std::snprintf(counted, sizeof counted, "S%7dG%7dD%7dP%7d", counts[0], counts[1], counts[2],
                counts[3]);
  const std::string_view terminate = records.back().substr(0, 72);
  if (terminate != std::string(counted) + std::string(40, ' '))
    return "record " + std::to_string(records.size()) + ": '" + Trim(terminate) +
           "' does not count the sections";
  return std::nullopt;
}

}  // namespace

IgesStructure InspectIges(std::string_view file_bytes,
                          const std::function<void(const IgesEntity&)>& on_entity) {
  return {Problem(file_bytes, on_entity)};
}

std::optional<std::string> CheckIgesStructure(std::string_view file_bytes) {
  return Problem(file_bytes, {});
}

}  // namespace karvonel::testing
