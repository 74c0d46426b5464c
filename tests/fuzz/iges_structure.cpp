#include "tests/fuzz/iges_structure.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <regex>

namespace karvonel::testing {
namespace {

// An integer right-justified in a field of `width` columns.
std::string Field(int value, int width = 8) {
  char text[16];
  std::snprintf(text, sizeof text, "%*d", width, value);
  return text;
}

// A right-justified integer after blanks or zeros; -1 for anything else.
int Integer(std::string_view field) {
  const std::size_t first = std::min(field.find_first_not_of(' '), field.size());
  int value = -1;
  const auto end = field.data() + field.size();
  return first < field.size() && std::from_chars(field.data() + first, end, value).ptr == end
             ? value
             : -1;
}

std::string Trimmed(std::string_view text) {
  return std::string(text.substr(0, text.find_last_not_of(' ') + 1));
}

bool IsNumber(const std::string& text) {
  double value = 0;
  return std::from_chars(text.data(), text.data() + text.size(), value).ptr ==
         text.data() + text.size();
}

}  // namespace

std::optional<std::string> IgesProblem(std::string_view bytes,
                                       std::vector<std::string>* coordinates) {
  std::vector<std::string_view> records;
  std::array<int, 5> counts{};
  std::size_t section = 0;
  for (std::size_t at = 0; at < bytes.size(); at += 82) {
    const std::string where = "record " + std::to_string(records.size() + 1) + ": ";
    const std::string_view record = bytes.substr(at, 82);
    if (record.size() < 82 || record.find_first_of("\r\n") != 80 || record[81] != '\n')
      return where + "not 80 columns and CR LF";
    const std::size_t letter = std::string_view("SGDPT").find(record[72]);
    if (letter == std::string_view::npos || letter < section)
      return where + "column 73 holds '" + record[72] + "', out of S, G, D, P, T order";
    section = letter;
    if (Integer(record.substr(73, 7)) != ++counts[letter])
      return where + "sequence number '" + std::string(record.substr(73, 7)) + "', expected " +
             std::to_string(counts[letter]);
    records.push_back(record.substr(0, 80));
  }
  const int points = counts[3];
  if (counts != std::array<int, 5>{1, 4, 2 * points, points, 1})
    return "S, G, D, P, T records " + Field(counts[0], 0) + ", " + Field(counts[1], 0) + ", " +
           Field(counts[2], 0) + ", " + Field(counts[3], 0) + ", " + Field(counts[4], 0);
  // "116," and three numbers, each after blanks, ended by ";" and blanks.
  static const std::regex parameters(R"(116, *([-+.0-9E]+), *([-+.0-9E]+), *([-+.0-9E]+); *)");
  for (int k = 0; k < points; ++k) {
    const std::size_t d = 5 + 2 * k, p = 5 + 2 * points + k;
    const std::string where = "point " + std::to_string(k + 1) + ": ";
    if (records[d].substr(0, 16) != "     116" + Field(k + 1) ||
        records[d + 1].substr(0, 8) != "     116" || records[d + 1].substr(24, 8) != Field(1))
      return where + "D records '" + std::string(records[d].substr(0, 16)) + "', '" +
             std::string(records[d + 1].substr(0, 32)) + "'";
    if (records[p].substr(64, 8) != Field(2 * k + 1))
      return where + "DE pointer '" + std::string(records[p].substr(64, 8)) + "'";
    std::match_results<std::string_view::const_iterator> match;
    const std::string_view data = records[p].substr(0, 64);
    if (!std::regex_match(data.begin(), data.end(), match, parameters) || !IsNumber(match[1]) ||
        !IsNumber(match[2]) || !IsNumber(match[3]))
      return where + "parameters '" + Trimmed(data) + "'";
    for (int i = 1; coordinates != nullptr && i <= 3; ++i)
      coordinates->push_back(match[i]);
  }
  const std::string counted = "S" + Field(counts[0], 7) + "G" + Field(counts[1], 7) + "D" +
                              Field(counts[2], 7) + "P" + Field(counts[3], 7);
  const std::string_view terminate = records.back().substr(0, 72);
  if (terminate != counted + std::string(40, ' '))
    return "Terminate record '" + Trimmed(terminate) + "'";
  return std::nullopt;
}

}  // namespace karvonel::testing
