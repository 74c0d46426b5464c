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

// Copies the Parameter Data records from "para.sec" behind the Directory Entry
// records in the output, through memory: only records that are exactly those
// this conversion wrote (`written`) may reach the output. Another program may
// have cut the file or written into it meanwhile; the lock does not stop it.
Result<void, ConversionError> AppendSection(const fs::path& section_path, NativeFile& section,
                                            std::int32_t records, const RecordDigest& written,
                                            BufferedWriter& out) {
  if (auto rewound = section.Rewind(); !rewound)
    return Fail(ErrorKind::kReadFailed, section_path, rewound.error().reason);
  constexpr std::size_t kChunkRecords = 3200;
  auto chunk = std::make_unique<char[]>(kChunkRecords * iges::kRecordBytes);
  RecordDigest read;
  for (std::int32_t left = records; left > 0 && !out.Failed();) {
    const std::size_t wanted =
        std::min<std::size_t>(static_cast<std::size_t>(left), kChunkRecords) * iges::kRecordBytes;
    std::size_t got = 0;
    while (got < wanted) {
      const auto count = section.Read(chunk.get() + got, wanted - got);
      if (!count)
        return Fail(ErrorKind::kReadFailed, section_path, count.error().reason);
      if (*count == 0)
        return Fail(ErrorKind::kSectionFileChanged, section_path);
      got += *count;
    }
    for (std::size_t at = 0; at < got; at += iges::kRecordBytes) {
      const std::string_view record(chunk.get() + at, iges::kRecordLength);
      if (std::string_view(chunk.get() + at + iges::kRecordLength, iges::kLineEndLength) !=
          iges::kLineEnd) {
        return Fail(ErrorKind::kSectionFileChanged, section_path);
      }
      read.Add(record);
    }
    out.WriteRecords(std::string_view(chunk.get(), got));
    left -= static_cast<std::int32_t>(got / iges::kRecordBytes);
  }
  // A failed write is the output's to report, at its next flush.
  if (!out.Failed() && !(read == written))
    return Fail(ErrorKind::kSectionFileChanged, section_path);
  return {};
}

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
  std::int32_t points = 0;       // written so far
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

// The point loop: each line read, parsed and its point's two Directory Entry
// records written to `out`, its Parameter Data record to `section`.
ConversionResult PointLoop(Run& run, LineReader& reader, BufferedWriter& out,
                           BufferedWriter& section) {
  Converted converted;
  // A full disk ends the conversion now, not at the end of the input.
  while (!out.Failed() && !section.Failed()) {
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
        run.DeSeq(), run.PdSeq(), out, section);
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
ConversionResult WritePoints(Run& run, BufferedWriter& out) {
  const ConversionRequest& request = run.request;
  BufferedWriter section(run.section, 0, &run.section_records);
  iges::WriteStartGlobal(request.clock ? request.clock() : SystemLocalTime(), out);
  LineReader reader(run.input);
  ConversionResult points = PointLoop(run, reader, out, section);
  if (out.Failed())
    points = run.WriteFailed(out.Error());
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
      input_after->stamp != run.input_info.stamp) {
    return Fail(ErrorKind::kInputChanged, request.in_path);
  }
  (void)run.input.Close();
  return points;
}

// Step 3: the Parameter Data section behind the Directory Entry section, the
// Terminate record, the flush to disk, and the file named over its target.
Result<void, ConversionError> Finish(Run& run, BufferedWriter& out) {
  if (!run.GoOn(run.InputSize()))
    return Fail(ErrorKind::kCancelled);
  if (auto appended =
          AppendSection(run.section_path, run.section, run.points, run.section_records, out);
      !appended) {
    return appended;
  }
  iges::WriteTerminate(run.DeSeq(), run.PdSeq(), out);
  if (auto written = out.Flush(); !written)
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
  BufferedWriter out(run.output.File(), kWritebackEvery);
  ConversionResult converted = WritePoints(run, out);
  if (!converted)
    return converted;
  if (auto finished = Finish(run, out); !finished)
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
