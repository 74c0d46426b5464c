// Case tables: data files of tab-separated rows, one case a row; a line that
// starts with "#" is a comment. Texts take the escapes \r \n \t \0 \\ \xHH,
// and \{N} repeats the next character (or escape) N times.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace karvonel::testing {

std::string Unescape(std::string_view text);

struct CaseRow {
  std::string where;  // "file.tsv:12: <first field>", for SCOPED_TRACE
  std::vector<std::string> fields;
  // Field i unescaped; a missing field is empty.
  std::string operator[](std::size_t i) const;
};

// The parts of a field between `separator`s; none for an empty field.
std::vector<std::string> Split(const std::string& text, char separator);

// `text` with every `from` replaced by `to`.
std::string ReplaceAll(std::string text, std::string_view from, std::string_view to);

// The rows of the table; none when it cannot be read.
std::vector<CaseRow> ReadCaseTable(const std::filesystem::path& path);

}  // namespace karvonel::testing
