#include "conversion/conversion_run.h"

#include <optional>
#include <system_error>

#include "conversion/buffered_writer.h"
#include "conversion/line_reader.h"
#include "conversion/messages.h"
#include "conversion/point_line.h"
#include "iges/point_entity.h"
#include "iges/terminate.h"
#include "platform/local_time.h"
#include "platform/native_file.h"
#include "platform/pending_file.h"

namespace karvonel::conversion {
namespace {

namespace fs = std::filesystem;
using platform::NativeFile;
using platform::PathText;

Unexpected<ConversionError> Fail(ErrorKind kind, const fs::path& path = {},
                                 std::string reason = {}) {
  return Unexpected{
      ConversionError{kind, 0, path.empty() ? std::string() : PathText(path), std::move(reason)}};
}

Unexpected<ConversionError> FailAt(ErrorKind kind, std::int64_t line) {
  return Unexpected{ConversionError{kind, line, {}, {}}};
}

// The finished file is flushed to disk before it takes its name; asking the
// system to write it while it grows leaves that flush little to wait for.
constexpr std::uint64_t kWritebackEvery = 8 << 20;
// The progress callback is asked after this many lines.
constexpr std::int64_t kProgressEvery = 1 << 14;

// Refuses an output path that cannot take a file, before anything is created.
std::optional<ConversionError> CheckOutputPlace(const ConversionRequest& request) {
  const fs::path& out = request.out_path;
  std::error_code ignored;
  if (out.empty())
    return Fail(ErrorKind::kOutputPathEmpty).error;
  if (fs::is_directory(out, ignored) || !out.has_filename())
    return Fail(ErrorKind::kOutputIsFolder, out).error;
  const fs::path folder = out.parent_path();
  if (!folder.empty() && !fs::is_directory(folder, ignored))
    return Fail(ErrorKind::kOutputFolderMissing, folder).error;
  // Writing over the point list itself would lose it.
  if (fs::equivalent(out, request.in_path, ignored))
    return Fail(ErrorKind::kOutputIsInput, out).error;
  return std::nullopt;
}

// Opens and locks "para.sec", keeping its contents: the records of this
// conversion are written over those of the last one and the file is cut behind
// them at the end, which frees no blocks only to take new ones.
Result<NativeFile, ConversionError> OpenSectionFile(const fs::path& path) {
  auto file = NativeFile::Open(path, NativeFile::Mode::kReadWriteKeep);
  if (!file)
    return Fail(ErrorKind::kCannotCreate, path, file.error().reason);
  if (auto locked = file->TryLock(); !locked) {
    if (locked.error().code == platform::kBusy)
      return Fail(ErrorKind::kSectionFileBusy, path);
    return Fail(ErrorKind::kCannotCreate, path, locked.error().reason);
  }
  return std::move(*file);
}

// The sequence numbers of the next point's records.
struct Counters {
  std::int32_t DeSeq = 1;
  std::int32_t PdSeq = 1;
};

// The point loop: reads each line, parses it, and writes its point's two
// Directory Entry records to `out` and its Parameter Data record to `section`.
Result<Converted, ConversionError> ConvertPoints(const ConversionRequest& request,
                                                 LineReader& reader, std::uint64_t input_size,
                                                 BufferedWriter& out, BufferedWriter& section,
                                                 Counters& counters) {
  Converted converted;
  std::string_view line;
  for (;;) {
    const LineReader::Status status = reader.Next(line);
    if (status == LineReader::Status::kEnd)
      return converted;
    const std::int64_t line_number = reader.LineNumber();
    if (status == LineReader::Status::kReadFailed)
      return Fail(ErrorKind::kReadFailed, request.in_path, reader.Error().reason);
    if (status == LineReader::Status::kTooLong)
      return FailAt(ErrorKind::kLineTooLong, line_number);
    if (request.progress && line_number % kProgressEvery == 0 &&
        !request.progress(reader.BytesConsumed(), input_size)) {
      return Fail(ErrorKind::kCancelled);
    }
    const PointLine point = ParsePointLine(line);
    if (!point.has_point)
      continue;
    if (point.out_of_range)
      return FailAt(ErrorKind::kValueOutOfRange, line_number);
    if (converted.points == iges::kMaxPoints)
      return FailAt(ErrorKind::kTooManyPoints, line_number);
    const iges::PointStatus written = iges::WritePointEntity(
        point.x, point.y, point.z, counters.DeSeq, counters.PdSeq, out, section);
    if (written == iges::PointStatus::kDataTooLong)
      return FailAt(ErrorKind::kDataTooLong, line_number);
    if (written != iges::PointStatus::kOk)
      return FailAt(ErrorKind::kValueOutOfRange, line_number);
    counters.DeSeq += 2;
    counters.PdSeq += 1;
    ++converted.points;
    // A full disk ends the conversion now, not at the end of the input.
    if (out.Failed() || section.Failed())
      return converted;
  }
}

// Copies the Parameter Data records from "para.sec" behind the Directory Entry
// records in the output.
Result<void, ConversionError> AppendSection(const ConversionRequest& request, NativeFile& section,
                                            std::int32_t records, NativeFile& output) {
  if (auto rewound = section.Rewind(); !rewound)
    return Fail(ErrorKind::kReadFailed, request.section_path, rewound.error().reason);
  const std::uint64_t expected = static_cast<std::uint64_t>(records) * iges::kRecordBytes;
  const auto copied = platform::CopyBytes(section, output, expected);
  if (!copied && copied.error().in_target)
    return Fail(ErrorKind::kWriteFailed, request.out_path, copied.error().system.reason);
  if (!copied)
    return Fail(ErrorKind::kReadFailed, request.section_path, copied.error().system.reason);
  if (*copied != expected)
    return Fail(ErrorKind::kSectionFileChanged, request.section_path);
  return {};
}

}  // namespace

ConversionResult RunConversion(const ConversionRequest& request) {
  if (request.in_path.empty())
    return Fail(ErrorKind::kNoFileChosen);
  auto input = NativeFile::Open(request.in_path, NativeFile::Mode::kRead);
  if (!input)
    return Fail(ErrorKind::kInputMissing);
  const auto input_info = input->Info();
  if (!input_info || input_info->kind == platform::FileKind::kDirectory)
    return Fail(ErrorKind::kInputMissing);
  if (auto refusal = CheckOutputPlace(request))
    return Unexpected{*refusal};

  platform::PendingFile output(request.out_path);
  if (auto created = output.Create(); !created)
    return Fail(ErrorKind::kCannotCreate, request.out_path, created.error().reason);
  auto section_file = OpenSectionFile(request.section_path);
  if (!section_file)
    return Unexpected{section_file.error()};

  BufferedWriter out(output.File(), kWritebackEvery);
  BufferedWriter section(*section_file);
  iges::WriteStartGlobal(request.clock ? request.clock() : SystemLocalTime(), out);

  // Start, Global and Directory Entry records into the output, Parameter Data
  // records into "para.sec".
  const std::uint64_t input_size = input_info->size > 0 ? input_info->size : 0;
  LineReader reader(*input);
  Counters counters;
  ConversionResult points = ConvertPoints(request, reader, input_size, out, section, counters);
  if (out.Failed())
    points = Fail(ErrorKind::kWriteFailed, request.out_path, out.Error().reason);
  else if (section.Failed())
    points = Fail(ErrorKind::kWriteFailed, request.section_path, section.Error().reason);
  // "para.sec" holds whole records, those of the points written and nothing
  // of the last conversion: after a refused line too.
  auto section_written = section.Flush();
  if (section_written)
    section_written = section_file->TruncateHere();
  if (!points)
    return points;
  if (!section_written)
    return Fail(ErrorKind::kWriteFailed, request.section_path, section_written.error().reason);
  // A file written to while it was read is a mixture of two point lists.
  const auto input_after = input->Info();
  if ((input_info->size >= 0 &&
       reader.BytesRead() != static_cast<std::uint64_t>(input_info->size)) ||
      !input_after || input_after->stamp != input_info->stamp) {
    return Fail(ErrorKind::kInputChanged, request.in_path);
  }
  (void)input->Close();

  // The Parameter Data section behind the Directory Entry section, then the
  // Terminate record.
  if (auto written = out.Flush(); !written)
    return Fail(ErrorKind::kWriteFailed, request.out_path, written.error().reason);
  if (auto appended = AppendSection(request, *section_file, counters.PdSeq - 1, output.File());
      !appended) {
    return Unexpected{appended.error()};
  }
  iges::WriteTerminate(counters.DeSeq, counters.PdSeq, out);
  if (auto written = out.Flush(); !written)
    return Fail(ErrorKind::kWriteFailed, request.out_path, written.error().reason);
  if (request.progress && !request.progress(input_size, input_size))
    return Fail(ErrorKind::kCancelled);
  if (auto committed = output.Commit(); !committed)
    return Fail(ErrorKind::kWriteFailed, request.out_path, committed.error().reason);
  return points;
}

std::string ResultMessage(const ConversionResult& result) {
  return result ? kMessageConverted : ErrorMessage(result.error());
}

iges::LocalTime SystemLocalTime() {
  const std::tm local = platform::LocalTimeNow();
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

}  // namespace karvonel::conversion
