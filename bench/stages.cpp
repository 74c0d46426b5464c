// Where a conversion's time goes: counts the points of POINTS_FILE as the
// conversion does before its loop, then runs the point loop over it in
// growing parts (reading lines, then parsing them, then writing number texts,
// then building whole records, then writing them to files in the current
// folder: the Parameter Data records to a section file and to their place in
// the output, then flushing the output to disk) and prints what each part
// adds, as the median of RUNS runs of each. The parts are the core's own
// functions, called as the conversion calls them.
//
//   karvonel_stages POINTS_FILE [RUNS]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <vector>

#include "conversion/buffered_writer.h"
#include "conversion/line_reader.h"
#include "conversion/point_line.h"
#include "conversion/record_tee.h"
#include "iges/number_text.h"
#include "iges/point_entity.h"
#include "platform/native_file.h"

namespace {

using karvonel::conversion::BufferedWriter;
using karvonel::conversion::LineReader;
using karvonel::platform::NativeFile;

enum class Upto { kCount, kRead, kParse, kNumberText, kRecords, kWrite, kFlush };

// What the loop produced, so that no part of it can be left out by the compiler.
volatile std::size_t g_sink = 0;

NativeFile CreateFresh(const char* name) {
  std::filesystem::remove(name);
  auto file = NativeFile::Open(name, NativeFile::Mode::kCreateNew);
  if (!file) {
    std::fprintf(stderr, "cannot create %s: %s\n", name, file.error().reason.c_str());
    std::exit(1);
  }
  return std::move(*file);
}

// One pass over the list up to `upto`, in seconds; the final flush alone is
// timed by itself, into `flush`.
double Pass(const char* path, Upto upto, double& flush) {
  using Clock = std::chrono::steady_clock;
  NativeFile out = CreateFresh("stages-out.igs");
  NativeFile section = CreateFresh("stages-para.sec");
  ::sync();  // what earlier passes left to write is written first, untimed
  const auto start = Clock::now();
  auto input = NativeFile::Open(path, NativeFile::Mode::kRead);
  if (!input) {
    std::fprintf(stderr, "cannot read %s\n", path);
    std::exit(1);
  }
  // As the conversion does: the points counted, then the Parameter Data
  // records written to "para.sec" and to their place in the output.
  const std::int64_t points = karvonel::conversion::CountPointLines(*input).value_or(0);
  (void)input->Rewind();
  if (upto == Upto::kCount)
    return std::chrono::duration<double>(Clock::now() - start).count();
  BufferedWriter out_writer(out, 8 << 20);  // as the conversion asks for write-back
  BufferedWriter section_writer(section);
  BufferedWriter after_entries(out, 0, nullptr, karvonel::iges::ParameterDataOffset(points));
  karvonel::conversion::RecordTee parameter_data(section_writer, &after_entries);
  LineReader reader(*input);
  std::size_t sink = 0;
  std::int32_t n = 1;
  char text[karvonel::iges::kMaxNumberText];
  karvonel::iges::PointRecords records;
  for (auto next = reader.Next(); next && *next; next = reader.Next()) {
    const std::string_view line = **next;
    sink += line.size();
    if (upto == Upto::kRead)
      continue;
    const auto point = karvonel::conversion::ParsePointLine(line);
    const karvonel::iges::Coordinate xyz[3] = {
        {point.x, point.decimals[0]}, {point.y, point.decimals[1]}, {point.z, point.decimals[2]}};
    if (upto == Upto::kParse) {
      sink += static_cast<std::size_t>(point.x);
    } else if (upto == Upto::kNumberText) {
      for (const auto& coordinate : xyz)
        sink += karvonel::iges::NumberTextTo(text, coordinate);
    } else if (upto == Upto::kRecords) {
      sink += karvonel::iges::BuildPointEntity(xyz[0], xyz[1], xyz[2], 2 * n - 1, n, records)
                  .has_value();
      sink += static_cast<unsigned char>(records.p[10]);
    } else {
      (void)karvonel::iges::WritePointEntity(xyz[0], xyz[1], xyz[2], 2 * n - 1, n, out_writer,
                                             parameter_data);
    }
    n = n % 4'999'999 + 1;
  }
  if (upto >= Upto::kWrite) {
    (void)section_writer.Flush();
    (void)out_writer.Flush();
    (void)after_entries.Flush();
  }
  if (upto == Upto::kFlush) {
    const auto synced = Clock::now();
    (void)out.Sync();
    flush = std::chrono::duration<double>(Clock::now() - synced).count();
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  g_sink = g_sink + sink;
  return seconds;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: karvonel_stages POINTS_FILE [RUNS]\n");
    return 2;
  }
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  const struct {
    Upto upto;
    const char* what;
  } kParts[] = {{Upto::kCount, "counting the points (a pass before the loop)"},
                {Upto::kRead, "reading lines"},
                {Upto::kParse, "parsing the numbers"},
                {Upto::kNumberText, "number text"},
                {Upto::kRecords, "record building (besides number text)"},
                {Upto::kWrite, "writing (handing records to the system)"},
                {Upto::kFlush, "final flush to disk"}};
  // The runs of all parts are interleaved, as in run.sh.
  std::vector<std::vector<double>> times(std::size(kParts));
  std::vector<double> flushes;
  for (int run = 0; run < runs; ++run) {
    for (std::size_t i = 0; i < std::size(kParts); ++i) {
      double flush = 0;
      times[i].push_back(Pass(argv[1], kParts[i].upto, flush));
      if (kParts[i].upto == Upto::kFlush)
        flushes.push_back(flush);
    }
  }
  double before = 0;
  for (std::size_t i = 0; i < std::size(kParts); ++i) {
    const double upto = Median(times[i]);
    const double part = kParts[i].upto == Upto::kFlush ? Median(flushes) : upto - before;
    std::printf("  %-46s %7.3f s\n", kParts[i].what, std::max(0.0, part));
    before = upto;
  }
  std::printf("  %-46s %7.3f s\n", "all of it", before);
  std::filesystem::remove("stages-out.igs");
  std::filesystem::remove("stages-para.sec");
  return 0;
}
