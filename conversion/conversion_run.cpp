#include "conversion/conversion_run.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <new>
#include <optional>
#include <system_error>

#include "conversion/buffered_writer.h"
#include "conversion/file_checks.h"
#include "conversion/line_reader.h"
#include "conversion/messages.h"
#include "conversion/point_line.h"
#include "conversion/record_digest.h"
#include "conversion/record_tee.h"
#include "conversion/section_copy.h"
#include "iges/point_entity.h"
#include "iges/terminate.h"
#include "platform/local_time.h"
#include "platform/native_file.h"
#include "platform/pending_file.h"

namespace karvonel::conversion {
namespace {

namespace fs = std::filesystem;
using platform::NativeFile;

// The finished file is flushed to disk before it takes its name; asking the
// system to write it while it grows leaves that flush little to wait for.
constexpr std::uint64_t kWritebackEvery = 8 << 20;
// The progress callback is asked after this many lines.
constexpr std::int64_t kProgressEvery = 1 << 14;

// What the three steps of one conversion share.
struct Run {
  explicit Run(const ConversionRequest& request) : request(request), output(request.out_path) {}

  // The refusal of a failed write to the output, or to "para.sec".
  Unexpected<ConversionError> WriteFailed(const platform::SystemError& error) const {
    return Fail(ErrorKind::kWriteFailed, request.out_path, error.reason);
  }
  Unexpected<ConversionError> SectionWriteFailed(const platform::SystemError& error) const {
    return Fail(ErrorKind::kWriteFailed, section_path, error.reason);
  }
  // Progress counts the input's bytes, and about a tenth more (the tail) for
  // copying the Parameter Data section and flushing the file to disk.
  std::uint64_t Tail() const { return InputSize() / 9 + 1; }
  // Asks the caller whether to go on, `done` bytes of that count behind.
  bool GoOn(std::uint64_t done) const {
    return !request.progress || request.progress(done, InputSize() > 0 ? InputSize() + Tail() : 0);
  }
  // The input's size, 0 where it has none (a pipe). A size of 0 says nothing
  // of the contents: files under /proc have it and yet hold data.
  std::uint64_t InputSize() const {
    return input_info.size > 0 ? static_cast<std::uint64_t>(input_info.size) : 0;
  }

  const ConversionRequest& request;
  NativeFile input;
  platform::FileInfo input_info;
  platform::PendingFile output;
  std::optional<platform::FileInfo> earlier_output;  // the file the output replaces
  fs::path section_path;                             // "para.sec", absolute
  NativeFile section;
  RecordDigest section_records;  // what this run wrote to "para.sec"
  // The number of points, where the input was counted before the first
  // record: the Parameter Data records then go straight to their place.
  std::optional<std::int64_t> counted;
  std::int32_t points = 0;  // written so far
  // The sequence numbers of the next point's first Directory Entry record
  // and of its Parameter Data record.
  std::int32_t DeSeq() const { return 2 * points + 1; }
  std::int32_t PdSeq() const { return points + 1; }
};

// Step 1: every refusal that needs no line of the input, in order; the input,
// the pending output and "para.sec" are open when it succeeds.
Result<void, ConversionError> CheckAndOpen(Run& run) {
  const ConversionRequest& request = run.request;
  if (request.in_path.empty())
    return Fail(ErrorKind::kNoFileChosen);
  auto input = NativeFile::Open(request.in_path, NativeFile::Mode::kRead);
  if (!input && (input.error().code == ENOENT || input.error().code == ENOTDIR))
    return Fail(ErrorKind::kInputMissing);
  if (!input)
    return Fail(ErrorKind::kReadFailed, request.in_path, input.error().reason);
  run.input = std::move(*input);
  const auto input_info = run.input.Info();
  if (!input_info)
    return Fail(ErrorKind::kReadFailed, request.in_path, input_info.error().reason);
  if (input_info->kind == platform::FileKind::kDirectory)
    return Fail(ErrorKind::kInputIsFolder, request.in_path);
  run.input_info = *input_info;
  if (request.out_path.empty())
    return Fail(ErrorKind::kOutputPathEmpty);
  if (!request.out_path.has_filename())
    return Fail(ErrorKind::kOutputIsFolder, request.out_path);
  if (auto opened = run.output.OpenFolder(); !opened)
    return OutputFailure(request.out_path, opened.error());
  auto earlier = CheckTarget(request.out_path, run.output.TargetInfo(), run.input_info);
  if (!earlier)
    return Unexpected{earlier.error()};
  run.earlier_output = *earlier;
  if (auto created = run.output.Create(run.earlier_output); !created)
    return OutputFailure(request.out_path, created.error());
  // "para.sec" is named by its absolute path in every message, even where the
  // current folder has been removed and cannot take it.
  const platform::CurrentFolder here = platform::CurrentFolderNow();
  run.section_path = here.path / request.section_path;
  if (here.removed && request.section_path.is_relative())
    return Fail(ErrorKind::kWorkFolderRemoved, run.section_path);
  auto section = OpenSectionFile(run.section_path, run.input_info, run.output, run.earlier_output);
  if (!section)
    return Unexpected{section.error()};
  run.section = std::move(*section);
  return {};
}

// Where the input is a file that can be read twice, its points are counted
// before the first record is written: the place of the Parameter Data section
// in the output is then known, and each of its records is written there at
// once, so that the disk takes it while the run goes on. A pipe is read once;
// its records are copied from "para.sec" at the end.
Result<void, ConversionError> CountPoints(Run& run) {
  if (run.input_info.kind != platform::FileKind::kRegular || run.InputSize() == 0)
    return {};
  run.counted = CountPointLines(run.input);
  if (auto rewound = run.input.Rewind(); !rewound)
    return Fail(ErrorKind::kReadFailed, run.request.in_path, rewound.error().reason);
  return {};
}

// The point loop: each line read, parsed and its point's two Directory Entry
// records written to `out`, its Parameter Data record to `section` and, where
// the points were counted, to `after_entries`.
ConversionResult PointLoop(Run& run, LineReader& reader, BufferedWriter& out,
                           BufferedWriter& section, BufferedWriter& after_entries) {
  Converted converted;
  RecordTee parameter_data(section, run.counted ? &after_entries : nullptr);
  // A full disk ends the conversion now, not at the end of the input.
  while (!out.Failed() && !section.Failed() && !after_entries.Failed()) {
    const auto next = reader.Next();
    const std::int64_t line_number = reader.LineNumber();
    if (!next && next.error().too_long)
      return FailAt(ErrorKind::kLineTooLong, line_number);
    if (!next)
      return Fail(ErrorKind::kReadFailed, run.request.in_path, next.error().read.reason);
    if (!*next)
      break;
    if (line_number % kProgressEvery == 0 && !run.GoOn(reader.BytesConsumed()))
      return Fail(ErrorKind::kCancelled);
    const PointLine point = ParsePointLine(**next);
    if (!point.has_point)
      continue;
    if (point.out_of_range)
      return FailAt(ErrorKind::kValueOutOfRange, line_number);
    if (run.points == iges::kMaxPoints)
      return FailAt(ErrorKind::kTooManyPoints, line_number);
    const iges::PointResult written = iges::WritePointEntity(
        {point.x, point.decimals[0]}, {point.y, point.decimals[1]}, {point.z, point.decimals[2]},
        run.DeSeq(), run.PdSeq(), out, parameter_data);
    if (!written && written.error() == iges::PointError::kDataTooLong)
      return FailAt(ErrorKind::kDataTooLong, line_number);
    if (!written)
      return FailAt(ErrorKind::kValueOutOfRange, line_number);
    ++run.points;
    if (!point.three_numbers && converted.incomplete_lines++ == 0)
      converted.first_incomplete_line = line_number;
  }
  converted.points = run.points;
  return converted;
}

// Step 2: the Start and Global records, then the point loop. A refused line,
// a failed write or a cancel ends it; "para.sec" is left holding whole records
// all the same.
ConversionResult WritePoints(Run& run, BufferedWriter& out, BufferedWriter& after_entries) {
  const ConversionRequest& request = run.request;
  BufferedWriter section(run.section, 0, run.counted ? nullptr : &run.section_records);
  iges::WriteStartGlobal(request.clock ? request.clock() : SystemLocalTime(), out);
  LineReader reader(run.input);
  ConversionResult points = PointLoop(run, reader, out, section, after_entries);
  if (out.Failed())
    points = run.WriteFailed(out.Error());
  else if (after_entries.Failed())
    points = run.WriteFailed(after_entries.Error());
  else if (section.Failed())
    points = run.SectionWriteFailed(section.Error());
  // "para.sec" holds whole records, those of the points written and nothing
  // of the last conversion: after a refused line or a failed write too.
  const auto section_written = section.Flush();
  const auto section_cut = run.section.TruncateHere(iges::kRecordBytes);
  if (!points)
    return points;
  if (!section_written)
    return run.SectionWriteFailed(section_written.error());
  if (!section_cut)
    return run.SectionWriteFailed(section_cut.error());
  // A file written to while it was read is a mixture of two point lists.
  const auto input_after = run.input.Info();
  if ((run.InputSize() > 0 && reader.BytesRead() != run.InputSize()) || !input_after ||
      input_after->stamp != run.input_info.stamp || (run.counted && *run.counted != run.points)) {
    return Fail(ErrorKind::kInputChanged, request.in_path);
  }
  (void)run.input.Close();
  return points;
}

// Step 3: the Parameter Data section behind the Directory Entry section (where
// it is not there already), the Terminate record, the flush to disk, and the
// file named over its target.
Result<void, ConversionError> Finish(Run& run, BufferedWriter& out, BufferedWriter& after_entries) {
  if (!run.GoOn(run.InputSize()))
    return Fail(ErrorKind::kCancelled);
  BufferedWriter* last = &after_entries;
  if (!run.counted) {
    if (auto appended =
            AppendSection(run.section_path, run.section, run.points, run.section_records, out);
        !appended) {
      return appended;
    }
    last = &out;
  }
  iges::WriteTerminate(run.DeSeq(), run.PdSeq(), *last);
  if (auto written = out.Flush(); !written)
    return run.WriteFailed(written.error());
  if (auto written = after_entries.Flush(); !written)
    return run.WriteFailed(written.error());
  if (!run.GoOn(run.InputSize() + run.Tail() / 2))
    return Fail(ErrorKind::kCancelled);
  if (auto synced = run.output.File().Sync(); !synced)
    return run.WriteFailed(synced.error());
  // The last moment to cancel: the rename that follows gives the file its name.
  if (!run.GoOn(run.InputSize() + run.Tail()))
    return Fail(ErrorKind::kCancelled);
  // What stands at the target now must still be what may be replaced: another
  // program may have made it read-only or put something else there.
  if (const auto target =
          CheckTarget(run.request.out_path, run.output.TargetInfo(), run.input_info);
      !target) {
    return Unexpected{target.error()};
  }
  if (auto committed = run.output.Commit(); !committed)
    return run.WriteFailed(committed.error());
  return {};
}

ConversionResult Convert(const ConversionRequest& request) {
  Run run(request);
  if (auto opened = CheckAndOpen(run); !opened)
    return Unexpected{opened.error()};
  if (auto counted = CountPoints(run); !counted)
    return Unexpected{counted.error()};
  BufferedWriter out(run.output.File(), kWritebackEvery);
  // The Parameter Data records and the Terminate record, where the points
  // were counted: they follow the Start, Global and Directory Entry records.
  BufferedWriter after_entries(run.output.File(), 0, nullptr,
                               iges::ParameterDataOffset(run.counted.value_or(0)));
  ConversionResult converted = WritePoints(run, out, after_entries);
  if (!converted)
    return converted;
  if (auto finished = Finish(run, out, after_entries); !finished)
    return Unexpected{finished.error()};
  if (const platform::Ownership& owners = run.output.Owners(); !owners.kept) {
    converted->new_owner = platform::UserName(owners.owner);
    converted->new_group = platform::GroupName(owners.group);
  }
  return converted;
}

}  // namespace

ConversionResult RunConversion(const ConversionRequest& request) {
  try {
    return Convert(request);
  } catch (const std::bad_alloc&) {
    // Every file is closed and the temporary output removed on the way here.
    return Unexpected{ConversionError{ErrorKind::kOutOfMemory, 0, {}, {}}};
  }
}

iges::LocalTime SystemLocalTime() {
  const std::tm local = platform::LocalTimeNow();
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

}  // namespace karvonel::conversion
