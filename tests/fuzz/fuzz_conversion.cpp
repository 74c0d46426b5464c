// A whole conversion of arbitrary bytes. It either converts every point, each
// written as its value rounded to 15 significant digits (read back with
// std::from_chars, worked out with std::to_chars) in a file that passes the
// structure check, or refuses a line that exists and is what the refusal says,
// after lines that are not; a refusal leaves the earlier output as it was, and
// nothing but the input, the output and para.sec is ever left behind.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "conversion/conversion_run.h"
#include "conversion/line_reader.h"
#include "conversion/point_line.h"
#include "iges/point_entity.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/structure/iges_structure.h"
#include "tests/support/rounding.h"

namespace {

namespace fs = std::filesystem;
using karvonel::conversion::ErrorKind;

constexpr char kEarlierOutput[] = "an earlier output file, to be kept on failure\r\n";

// One folder per process, in memory where the system has one: every run
// writes, syncs and renames files. libFuzzer ends its process without running
// exit handlers, so each process also removes the folders of processes that
// are gone.
const fs::path& WorkFolder() {
  static const fs::path folder = [] {
    const fs::path base =
        fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    const std::string prefix = "karvonel-fuzz-";
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(base, ignored)) {
      const std::string name = entry.path().filename().string();
      const long pid = name.rfind(prefix, 0) == 0 ? std::atol(name.c_str() + prefix.size()) : 0;
      if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
        fs::remove_all(entry.path(), ignored);
    }
    fs::path path = base / (prefix + std::to_string(::getpid()));
    fs::create_directories(path);
    return path;
  }();
  // Registered once `folder` is complete, so it runs before `folder` goes.
  static const bool cleanup = [] {
    std::atexit([] {  // the replay main ends normally
      std::error_code ignored;
      fs::remove_all(WorkFolder(), ignored);
    });
    return true;
  }();
  (void)cleanup;
  return folder;
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  FUZZ_CHECK(out.good(), "cannot write %s", path.c_str());
}

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
  const auto status = karvonel::iges::BuildPointEntity(point.x, point.y, point.z, 1, 1, records);
  if (point.out_of_range || status == karvonel::iges::PointStatus::kOutOfRange)
    return "out of range";
  return status == karvonel::iges::PointStatus::kDataTooLong ? "data too long" : "";
}

void CheckConverted(const std::string& file, const std::string& section,
                    const std::vector<std::string_view>& lines) {
  std::vector<karvonel::conversion::PointLine> points;
  for (std::string_view line : lines) {
    FUZZ_CHECK(Refusal(line).empty(), "converted a line of %s", Refusal(line).c_str());
    if (const auto point = karvonel::conversion::ParsePointLine(line); point.has_point)
      points.push_back(point);
  }
  std::size_t index = 0;
  const auto structure = karvonel::testing::InspectIges(file, [&](const auto& entity) {
    FUZZ_CHECK(index < points.size(), "more entities than points");
    const double xyz[3] = {points[index].x, points[index].y, points[index].z};
    for (std::size_t k = 0; k < 3; ++k) {
      const std::string& text = entity.parameters[k + 1];
      double read = 0;
      std::from_chars(text.data(), text.data() + text.size(), read);
      FUZZ_CHECK(read == karvonel::testing::Rounded15(xyz[k]),
                 "point %zu coordinate %zu written '%s' for %.17g", index + 1, k, text.c_str(),
                 xyz[k]);
    }
    ++index;
  });
  FUZZ_CHECK(!structure.problem, "%s", structure.problem->c_str());
  FUZZ_CHECK(index == points.size(), "%zu entities for %zu points", index, points.size());
  FUZZ_CHECK(file.compare(3 * 82, 18, "15H20261206.102345") == 0, "not the fixed clock's stamp");
  const std::size_t p_bytes = points.size() * 82;
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

// The reader takes the input a buffer at a time. An input that starts with
// the byte 0xFF and two bytes k (little-endian) is the rest placed k bytes
// before the end of the first buffer, behind blank lines, so that its lines
// and line ends straddle the reader's refill.
std::string Placed(std::string_view data) {
  if (data.size() < 3 || data[0] != '\xFF')
    return std::string(data);
  const std::size_t k = static_cast<unsigned char>(data[1]) |
                        (static_cast<std::size_t>(static_cast<unsigned char>(data[2])) << 8);
  std::string placed;
  const std::size_t padding = karvonel::conversion::LineReader::kBufferSize - k;
  while (placed.size() < padding) {
    placed.append(std::min<std::size_t>(30'000, padding - placed.size()) - 1, ' ');
    placed += '\n';
  }
  return placed.append(data.substr(3));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input = Placed({reinterpret_cast<const char*>(data), size});
  const fs::path& folder = WorkFolder();
  karvonel::conversion::ConversionRequest request;
  request.in_path = folder / "points.csv";
  request.out_path = folder / "points.igs";
  request.section_path = folder / "para.sec";
  request.clock = [] { return karvonel::iges::LocalTime{2026, 12, 6, 10, 23, 45}; };
  WriteAll(request.in_path, input);
  WriteAll(request.out_path, kEarlierOutput);

  const auto result = karvonel::conversion::RunConversion(request);
  const std::string message = karvonel::conversion::ResultMessage(result);
  const std::vector<std::string_view> lines = Lines(input);
  if (result) {
    CheckConverted(ReadAll(request.out_path), ReadAll(request.section_path), lines);
  } else {
    CheckRefused(result.error(), message, lines);
    FUZZ_CHECK(ReadAll(request.out_path) == kEarlierOutput, "the earlier output changed");
  }
  std::size_t files = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    FUZZ_CHECK(name == "points.csv" || name == "points.igs" || name == "para.sec",
               "left behind: %s", name.c_str());
    ++files;
  }
  FUZZ_CHECK(files == 3, "%zu files in the work folder", files);
  return 0;
}
