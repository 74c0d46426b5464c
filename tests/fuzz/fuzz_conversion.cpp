// A whole conversion of arbitrary bytes. The input either converts or fails
// with an error naming the line that the plain reading in reference.cpp
// expects; a converted file passes the structure checker and holds every point
// rounded to 15 significant digits; a failure leaves the earlier output as it
// was; no temporary file is ever left behind.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "conversion/conversion_run.h"
#include "conversion/line_reader.h"
#include "conversion/messages.h"
#include "iges/number_text.h"
#include "iges/point_entity.h"
#include "iges/record.h"
#include "tests/fuzz/reference.h"
#include "tests/structure/iges_structure.h"

namespace {

namespace fs = std::filesystem;
using karvonel::conversion::ErrorKind;
using karvonel::fuzz::Show;

constexpr char kEarlierOutput[] = "an earlier output file, to be kept on failure\r\n";
constexpr std::size_t kMaxLine = 32766;

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
      if (name.rfind(prefix, 0) != 0)
        continue;
      const long pid = std::atol(name.c_str() + prefix.size());
      if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
        fs::remove_all(entry.path(), ignored);
      }
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

std::size_t DataTextLength(const double xyz[3]) {
  std::size_t length = 4 + 3;  // "116," the two commas and ";"
  for (int k = 0; k < 3; ++k)
    length += karvonel::iges::NumberText(xyz[k]).size();
  return length;
}

struct Expected {
  bool converts = true;
  ErrorKind kind = ErrorKind::kCancelled;  // when it does not convert
  std::int64_t line = 0;
  std::vector<karvonel::fuzz::ReferencePoint> points;
};

Expected Expect(std::string_view bytes) {
  Expected expected;
  std::int64_t number = 0;
  for (std::string_view line : karvonel::fuzz::SplitReferenceLines(bytes)) {
    ++number;
    const auto fail = [&](ErrorKind kind) {
      expected.converts = false;
      expected.kind = kind;
      expected.line = number;
    };
    if (line.size() > kMaxLine) {
      fail(ErrorKind::kLineTooLong);
      break;
    }
    const auto point = karvonel::fuzz::ReadReferencePoint(line);
    if (!point.has_point)
      continue;
    bool overflows = false;  // rounded to 15 digits, the value passes the largest double
    for (double value : point.xyz)
      overflows = overflows || std::isinf(karvonel::fuzz::RoundTo15(value));
    if (point.out_of_range || overflows) {
      fail(ErrorKind::kValueOutOfRange);
      break;
    }
    if (DataTextLength(point.xyz) > karvonel::iges::kParameterColumns) {
      fail(ErrorKind::kDataTooLong);
      break;
    }
    expected.points.push_back(point);
  }
  return expected;
}

void CheckConverted(const fs::path& out, const fs::path& section, const Expected& expected) {
  const std::string file = ReadAll(out);
  std::size_t index = 0;
  const auto structure = karvonel::testing::InspectIges(file, [&](const auto& entity) {
    FUZZ_CHECK(index < expected.points.size(), "more entities than points");
    FUZZ_CHECK(entity.type == 116 && entity.parameters.size() == 4, "entity %zu", index);
    for (int k = 0; k < 3; ++k) {
      const std::string& text = entity.parameters[static_cast<std::size_t>(k) + 1];
      const double want = karvonel::fuzz::RoundTo15(expected.points[index].xyz[k]);
      FUZZ_CHECK(std::strtod(text.c_str(), nullptr) == want,
                 "point %zu coordinate %d written '%s', expected %s", index + 1, k, text.c_str(),
                 Show(want).c_str());
    }
    ++index;
  });
  FUZZ_CHECK(!structure.problem, "%s", structure.problem->c_str());
  FUZZ_CHECK(index == expected.points.size(), "%zu entities for %zu points", index,
             expected.points.size());
  FUZZ_CHECK(structure.global.size() == 26 && structure.global[17] == "15H20261206.102345",
             "the stamp of the fixed clock");
  // The section file holds exactly the Parameter Data records of the output.
  const std::size_t p_bytes = expected.points.size() * karvonel::iges::kRecordBytes;
  const std::string p_records =
      file.substr(file.size() - karvonel::iges::kRecordBytes - p_bytes, p_bytes);
  FUZZ_CHECK(ReadAll(section) == p_records, "para.sec differs from the P section");
}

// The reader takes the input a buffer at a time. An input that starts with
// the byte 0xFF and two bytes k (little-endian) is the rest placed k bytes
// before the end of the first buffer, behind blank lines, so that its lines
// and line ends straddle the reader's refill.
std::string Placed(std::string_view data) {
  if (data.size() < 3 || data[0] != '\xFF')
    return std::string(data);
  constexpr std::size_t kReaderBuffer = karvonel::conversion::LineReader::kBufferSize;
  const std::size_t k = static_cast<unsigned char>(data[1]) |
                        (static_cast<std::size_t>(static_cast<unsigned char>(data[2])) << 8);
  std::string placed;
  const std::size_t padding = kReaderBuffer - k;
  while (placed.size() < padding) {
    const std::size_t line = std::min<std::size_t>(30'000, padding - placed.size());
    placed.append(line - 1, ' ');
    placed += '\n';
  }
  placed.append(data.substr(3));
  return placed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input = Placed({reinterpret_cast<const char*>(data), size});
  const std::string_view bytes = input;
  const fs::path& folder = WorkFolder();
  const fs::path in = folder / "points.csv";
  const fs::path out = folder / "points.igs";
  const fs::path section = folder / "para.sec";
  WriteAll(in, bytes);
  WriteAll(out, kEarlierOutput);

  karvonel::conversion::ConversionRequest request;
  request.in_path = in;
  request.out_path = out;
  request.section_path = section;
  request.clock = [] { return karvonel::iges::LocalTime{2026, 12, 6, 10, 23, 45}; };
  const auto result = karvonel::conversion::RunConversion(request);
  const Expected expected = Expect(bytes);
  const std::string summary = karvonel::conversion::ResultMessage(result);

  if (expected.converts) {
    FUZZ_CHECK(result.has_value(), "failed: %s", summary.c_str());
    FUZZ_CHECK(result->points == static_cast<std::int64_t>(expected.points.size()),
               "%lld points reported, %zu expected", static_cast<long long>(result->points),
               expected.points.size());
    CheckConverted(out, section, expected);
  } else {
    FUZZ_CHECK(!result.has_value(), "converted; expected an error at line %lld",
               static_cast<long long>(expected.line));
    FUZZ_CHECK(result.error().kind == expected.kind && result.error().line == expected.line,
               "%s; expected kind %d at line %lld", summary.c_str(),
               static_cast<int>(expected.kind), static_cast<long long>(expected.line));
    const std::string message = karvonel::conversion::ResultMessage(result);
    FUZZ_CHECK(message.rfind(std::to_string(expected.line) + " 行目", 0) == 0,
               "the message does not start with the line: %s", message.c_str());
    FUZZ_CHECK(ReadAll(out) == kEarlierOutput, "the earlier output changed");
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
