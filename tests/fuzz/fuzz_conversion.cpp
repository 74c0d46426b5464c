// A whole conversion of arbitrary bytes. It either converts every point, each
// written as its value rounded to 15 significant digits in a file of the fixed
// form this program writes, or refuses a line that exists and is what the
// refusal says, after lines that are not; a refusal leaves the earlier output
// as it was, and nothing but the input, the output and para.sec is left behind.
// Where std::from_chars reads a whole field, the point has the value it reads.
// The files go to the folder KARVONEL_FUZZ_DIR names; the replay main makes one.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "conversion/conversion_run.h"
#include "conversion/line_reader.h"
#include "conversion/point_line.h"
#include "iges/point_entity.h"
#include "tests/support/rounding.h"
#include "tests/support/test_files.h"

// Reports a broken property with its details and aborts, so that libFuzzer
// saves the input and the replay test fails.
#define FUZZ_CHECK(condition, ...)                                                            \
  do {                                                                                        \
    if (!(condition)) {                                                                       \
      std::fprintf(stderr, "%s:%d: property failed: %s\n  ", __FILE__, __LINE__, #condition); \
      std::fprintf(stderr, __VA_ARGS__);                                                      \
      std::fprintf(stderr, "\n");                                                             \
      std::abort();                                                                           \
    }                                                                                         \
  } while (false)

namespace {

namespace fs = std::filesystem;
using karvonel::conversion::ErrorKind;
using karvonel::testing::ReadFileBytes;
using karvonel::testing::WriteFileBytes;

constexpr char kEarlierOutput[] = "an earlier output file, to be kept on failure\r\n";

// The lines of a point list: a byte-order mark at the start dropped; CR LF, CR
// and LF each end a line.
std::vector<std::string_view> Lines(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
    bytes.remove_prefix(3);
  std::vector<std::string_view> lines;
  while (!bytes.empty()) {
    const std::size_t end = std::min(bytes.find_first_of("\r\n"), bytes.size());
    lines.push_back(bytes.substr(0, end));
    bytes.remove_prefix(std::min(end + (bytes.substr(end, 2) == "\r\n" ? 2 : 1), bytes.size()));
  }
  return lines;
}

// Why the converter must refuse a line, going by the reader's and the record
// builder's own verdicts; empty when it takes the line.
std::string Refusal(std::string_view line) {
  if (line.size() > karvonel::conversion::kMaxLineLength)
    return "line too long";
  const auto point = karvonel::conversion::ParsePointLine(line);
  karvonel::iges::PointRecords records;
  const auto built = karvonel::iges::BuildPointEntity(point.x, point.y, point.z, 1, 1, records);
  if (point.out_of_range || (!built && built.error() == karvonel::iges::PointError::kOutOfRange))
    return "out of range";
  return built ? "" : "data too long";
}

// `value` right-justified in `width` columns.
std::string Field(std::size_t value, int width = 8) {
  char text[24];
  std::snprintf(text, sizeof text, "%*zu", width, value);
  return text;
}

// The fixed form of a file of `points` points: 80 columns and CR LF a record;
// one S, four G, two D a point, one P a point and one T record in this order,
// numbered from 1 in each section; the D records of point k of type 116 and
// pointing to P record k, which points back and holds "116," and three
// numbers ended by ";"; the T record counting the others. Returns the texts of
// the coordinates.
std::vector<std::string> CheckForm(std::string_view file, std::size_t points) {
  const std::string letters =
      "SGGGG" + std::string(2 * points, 'D') + std::string(points, 'P') + "T";
  FUZZ_CHECK(file.size() == letters.size() * 82, "%zu bytes for %zu points", file.size(), points);
  std::map<char, std::size_t> numbers;
  for (std::size_t r = 0; r < letters.size(); ++r) {
    char end[16];  // the S and G records are numbered with zeros before, the others with blanks
    std::snprintf(end, sizeof end,
                  letters[r] == 'S' || letters[r] == 'G' ? "%c%07zu\r\n" : "%c%7zu\r\n", letters[r],
                  ++numbers[letters[r]]);
    FUZZ_CHECK(file.compare(r * 82 + 72, 10, end) == 0 &&
                   file.find_first_of("\r\n", r * 82) == r * 82 + 80,
               "record %zu: '%.80s'", r + 1, file.data() + r * 82);
  }
  static const std::regex parameters(R"(116, *([-+.0-9E]+), *([-+.0-9E]+), *([-+.0-9E]+); *)");
  std::vector<std::string> coordinates;
  for (std::size_t k = 0; k < points; ++k) {
    const std::string_view d = file.substr((5 + 2 * k) * 82, 164),
                           p = file.substr((5 + 2 * points + k) * 82, 80);
    FUZZ_CHECK(d.substr(0, 16) == "     116" + Field(k + 1) && d.substr(82, 8) == "     116" &&
                   d.substr(82 + 24, 8) == Field(1),
               "D records of point %zu", k + 1);
    std::match_results<std::string_view::const_iterator> match;
    FUZZ_CHECK(p.substr(64, 8) == Field(2 * k + 1) &&
                   std::regex_match(p.begin(), p.begin() + 64, match, parameters),
               "P record '%.*s'", 80, p.data());
    coordinates.insert(coordinates.end(), {match[1], match[2], match[3]});
  }
  const std::string counts = "S" + Field(1, 7) + "G" + Field(4, 7) + "D" + Field(2 * points, 7) +
                             "P" + Field(points, 7) + std::string(40, ' ');
  FUZZ_CHECK(file.compare(file.size() - 82, 72, counts) == 0, "T record '%.72s'",
             file.data() + file.size() - 82);
  return coordinates;
}

void CheckConverted(const std::string& file, const std::string& section,
                    const std::vector<std::string_view>& lines) {
  std::vector<double> expected;
  for (std::string_view line : lines) {
    FUZZ_CHECK(Refusal(line).empty(), "converted a line of %s", Refusal(line).c_str());
    const auto point = karvonel::conversion::ParsePointLine(line);
    if (!point.has_point)
      continue;
    expected.insert(expected.end(), {point.x, point.y, point.z});
    // Where std::from_chars reads a whole field of digits, signs, marks and
    // exponents (blanks and tabs dropped, D taken for E), the value it reads.
    std::string_view rest = line;
    for (std::size_t k = expected.size() - 3; k < expected.size(); ++k) {
      std::string plain;
      const std::size_t comma = std::min(rest.find(','), rest.size());
      for (char c : rest.substr(0, comma))
        plain += c == ' ' || c == '\t' ? "" : std::string(1, c == 'D' || c == 'd' ? 'e' : c);
      rest.remove_prefix(std::min(comma + 1, rest.size()));
      double value = 0;
      const auto read = std::from_chars(plain.data(), plain.data() + plain.size(), value);
      FUZZ_CHECK(plain.find_first_not_of("0123456789.eE+-") != std::string::npos ||
                     read.ptr != plain.data() + plain.size() || read.ec != std::errc() ||
                     value == expected[k],
                 "'%s' read as %.17g, not %.17g", plain.c_str(), expected[k], value);
    }
  }
  const std::vector<std::string> written = CheckForm(file, expected.size() / 3);
  for (std::size_t i = 0; i < written.size(); ++i) {
    double read = 0;
    const char* end = written[i].data() + written[i].size();
    FUZZ_CHECK(std::from_chars(written[i].data(), end, read).ptr == end &&
                   read == karvonel::testing::Rounded15(expected[i]),
               "coordinate %zu written '%s' for %.17g", i + 1, written[i].c_str(), expected[i]);
  }
  FUZZ_CHECK(file.compare(3 * 82, 18, "15H20261206.102345") == 0, "not the fixed clock's stamp");
  const std::size_t p_bytes = written.size() / 3 * 82;
  FUZZ_CHECK(section == file.substr(file.size() - 82 - p_bytes, p_bytes),
             "para.sec differs from the P section");
}

void CheckRefused(const karvonel::conversion::ConversionError& error, const std::string& message,
                  const std::vector<std::string_view>& lines) {
  FUZZ_CHECK(error.line >= 1 && error.line <= static_cast<std::int64_t>(lines.size()),
             "line %lld of %zu refused: %s", static_cast<long long>(error.line), lines.size(),
             message.c_str());
  const auto refused = static_cast<std::size_t>(error.line - 1);
  for (std::size_t i = 0; i < refused; ++i)
    FUZZ_CHECK(Refusal(lines[i]).empty(), "line %zu: %s", i + 1, Refusal(lines[i]).c_str());
  const char* kind = error.kind == ErrorKind::kLineTooLong       ? "line too long"
                     : error.kind == ErrorKind::kValueOutOfRange ? "out of range"
                     : error.kind == ErrorKind::kDataTooLong     ? "data too long"
                                                                 : "another failure";
  FUZZ_CHECK(Refusal(lines[refused]) == kind, "line %lld: %s", static_cast<long long>(error.line),
             message.c_str());
  FUZZ_CHECK(message.rfind(std::to_string(error.line) + " 行目", 0) == 0,
             "the message does not start with the line: %s", message.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fs::path folder = [] {
    const char* named = std::getenv("KARVONEL_FUZZ_DIR");
    FUZZ_CHECK(named != nullptr && fs::is_directory(named), "KARVONEL_FUZZ_DIR is no folder");
    return fs::path(named);
  }();
  const std::string input(reinterpret_cast<const char*>(data), size);
  karvonel::conversion::ConversionRequest request;
  request.in_path = folder / "points.csv";
  request.out_path = folder / "points.igs";
  request.section_path = folder / "para.sec";
  request.clock = [] { return karvonel::iges::LocalTime{2026, 12, 6, 10, 23, 45}; };
  WriteFileBytes(request.in_path, input);
  WriteFileBytes(request.out_path, kEarlierOutput);

  const auto result = karvonel::conversion::RunConversion(request);
  const std::vector<std::string_view> lines = Lines(input);
  if (result) {
    CheckConverted(ReadFileBytes(request.out_path), ReadFileBytes(request.section_path), lines);
  } else {
    CheckRefused(result.error(), karvonel::conversion::ResultMessage(result), lines);
    FUZZ_CHECK(ReadFileBytes(request.out_path) == kEarlierOutput, "the earlier output changed");
  }
  const auto files = std::distance(fs::directory_iterator(folder), {});
  FUZZ_CHECK(files == 3, "%td files in the work folder, not the input, output and para.sec", files);
  return 0;
}

#ifdef KARVONEL_REPLAY_MAIN
// Without libFuzzer: runs the saved inputs in the folder given, so that they
// are a test in every build, with files in a new temporary folder. Fails when
// there is none, so a missing corpus is noticed.
int main(int argc, char** argv) {
  const karvonel::testing::TempDir work;
  ::setenv("KARVONEL_FUZZ_DIR", work.Path().c_str(), 1);
  const std::set<fs::path> inputs =
      argc == 2 ? std::set<fs::path>(fs::directory_iterator(argv[1]), {}) : std::set<fs::path>();
  for (const fs::path& input : inputs) {
    std::fprintf(stderr, "%s\n", input.c_str());
    const std::string bytes = ReadFileBytes(input);
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  }
  std::fprintf(stderr, "%zu inputs passed\n", inputs.size());
  return inputs.empty() ? 1 : 0;
}
#endif
