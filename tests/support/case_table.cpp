#include "tests/support/case_table.h"

#include <charconv>
#include <fstream>
#include <sstream>

namespace karvonel::testing {

std::string Unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t count = 1;
    if (text.substr(i, 2) == "\\{") {
      const std::size_t close = text.find('}', i);
      std::from_chars(text.data() + i + 2, text.data() + close, count);
      i = close + 1;
    }
    char c = text[i++];
    if (c == '\\') {
      c = text[i++];
      if (c == 'x') {
        unsigned byte = 0;
        std::from_chars(text.data() + i, text.data() + i + 2, byte, 16);
        c = static_cast<char>(byte);
        i += 2;
      } else {
        c = c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c == '0' ? '\0' : c;
      }
    }
    out.append(count, c);
  }
  return out;
}

std::string CaseRow::operator[](std::size_t i) const {
  return i < fields.size() ? Unescape(fields[i]) : std::string();
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  if (text.empty())
    return parts;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
    parts.push_back(text.substr(start, at - start));
  parts.push_back(text.substr(start));
  return parts;
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
    text.replace(at, from.size(), to);
  return text;
}

std::vector<CaseRow> ReadCaseTable(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::vector<CaseRow> rows;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (line.empty() || line[0] == '#')
      continue;
    CaseRow row{path.filename().string() + ":" + std::to_string(number) + ": " +
                    line.substr(0, line.find('\t')),
                {}};
    std::istringstream fields(line);
    for (std::string field; std::getline(fields, field, '\t');)
      row.fields.push_back(field);
    rows.push_back(row);
  }
  return rows;
}

}  // namespace karvonel::testing
