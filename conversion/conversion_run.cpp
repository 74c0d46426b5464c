#include "conversion/conversion_run.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <new>
#include <optional>
#include <system_error>

#include "conversion/buffered_writer.h"
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

// The failure to create or look at a file of the output path, by its cause.
Unexpected<ConversionError> OutputFailure(const fs::path& out, const platform::SystemError& error) {
  switch (error.code) {
    case ENOENT:
      return Fail(ErrorKind::kOutputFolderMissing, out.parent_path());
    case ENOTDIR:
      return Fail(ErrorKind::kOutputFolderIsFile, out.parent_path(), error.reason);
    case ENAMETOOLONG:
      return Fail(ErrorKind::kPathTooLong, out, error.reason);
    default:
      return Fail(ErrorKind::kCannotCreate, out, error.reason);
  }
}

// Looks at what the output path names (`target`, as the output's folder
// tells): nothing, or a regular file that may be replaced (returned). Asked
// before anything is created and again right before the new file takes the
// target's place.
Result<std::optional<platform::FileInfo>, ConversionError> CheckTarget(
    const fs::path& out, const platform::SystemResult<platform::FileInfo>& target,
    const platform::FileInfo& input) {
  if (!target && target.error().code == ENOENT)
    return std::optional<platform::FileInfo>();
  if (!target)
    return OutputFailure(out, target.error());
  if (target->kind == platform::FileKind::kDirectory)
    return Fail(ErrorKind::kOutputIsFolder, out);
  if (target->kind != platform::FileKind::kRegular)
    return Fail(ErrorKind::kOutputNotRegular, out);
  // Writing over the point list itself would lose it.
  if (target->id == input.id)
    return Fail(ErrorKind::kOutputIsInput, out);
  // Its owner has made it read-only: a careful editor would not replace it.
  if ((target->mode & 0200) == 0)
    return Fail(ErrorKind::kOutputReadOnly, out);
  return std::optional<platform::FileInfo>(*target);
}

// The refusal of a "para.sec" that is not a regular file, saying what it is.
Unexpected<ConversionError> SectionFileOfKind(platform::FileKind kind, const fs::path& path) {
  switch (kind) {
    case platform::FileKind::kDirectory:
      return Fail(ErrorKind::kSectionFileIsFolder, path);
    case platform::FileKind::kFifo:
      return Fail(ErrorKind::kSectionFileIsFifo, path);
    case platform::FileKind::kSocket:
      return Fail(ErrorKind::kSectionFileIsSocket, path);
    case platform::FileKind::kDevice:
      return Fail(ErrorKind::kSectionFileIsDevice, path);
    default:
      return Fail(ErrorKind::kSectionFileNotRegular, path);
  }
}

// Opens and locks "para.sec" (`path`, absolute), keeping its contents: the
// records of this conversion are written over those of the last one and the
// file is cut behind them at the end, which frees no blocks only to take new
// ones. Only a plain file of its own is used: never a link, a device, a file
// with a second name, nor the input or the output under another name.
Result<NativeFile, ConversionError> OpenSectionFile(
    const fs::path& path, const platform::FileInfo& input, const platform::PendingFile& out,
    const std::optional<platform::FileInfo>& output) {
  auto file = NativeFile::Open(path, NativeFile::Mode::kReadWriteKeep);
  if (!file && file.error().code == ELOOP)
    return Fail(ErrorKind::kSectionFileIsLink, path);
  if (!file && file.error().code == EISDIR)
    return Fail(ErrorKind::kSectionFileIsFolder, path);
  // A socket, or a device without its driver, cannot be opened at all.
  if (!file && file.error().code == ENXIO) {
    if (const auto info = platform::InfoOf(path);
        info && info->kind != platform::FileKind::kRegular)
      return SectionFileOfKind(info->kind, path);
  }
  if (!file)
    return Fail(ErrorKind::kCannotCreate, path, file.error().reason);
  const auto info = file->Info();
  if (!info)
    return Fail(ErrorKind::kReadFailed, path, info.error().reason);
  if (info->kind != platform::FileKind::kRegular)
    return SectionFileOfKind(info->kind, path);
  if (info->id == input.id)
    return Fail(ErrorKind::kSectionFileIsInput, path);
  if (output && info->id == output->id)
    return Fail(ErrorKind::kSectionFileIsOutput, path);
  // With no output there yet, its path may still name this file, which did not
  // exist either until now: as "para.sec", or through a link to this folder.
  if (!output) {
    if (const auto named = out.TargetInfo(); named && named->id == info->id)
      return Fail(ErrorKind::kSectionFileIsOutput, path);
  }
  if (info->links > 1)
    return Fail(ErrorKind::kSectionFileHasLinks, path);
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
                                                 LineReader& reader, std::uint64_t total,
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
        !request.progress(reader.BytesConsumed(), total)) {
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
        {point.x, point.decimals[0]}, {point.y, point.decimals[1]}, {point.z, point.decimals[2]},
        counters.DeSeq, counters.PdSeq, out, section);
    if (written == iges::PointStatus::kDataTooLong)
      return FailAt(ErrorKind::kDataTooLong, line_number);
    if (written != iges::PointStatus::kOk)
      return FailAt(ErrorKind::kValueOutOfRange, line_number);
    counters.DeSeq += 2;
    counters.PdSeq += 1;
    ++converted.points;
    if (!point.three_numbers && converted.incomplete_lines++ == 0)
      converted.first_incomplete_line = line_number;
    // A full disk ends the conversion now, not at the end of the input.
    if (out.Failed() || section.Failed())
      return converted;
  }
}

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

ConversionResult Convert(const ConversionRequest& request) {
  if (request.in_path.empty())
    return Fail(ErrorKind::kNoFileChosen);
  auto input = NativeFile::Open(request.in_path, NativeFile::Mode::kRead);
  if (!input && (input.error().code == ENOENT || input.error().code == ENOTDIR))
    return Fail(ErrorKind::kInputMissing);
  if (!input)
    return Fail(ErrorKind::kReadFailed, request.in_path, input.error().reason);
  const auto input_info = input->Info();
  if (!input_info)
    return Fail(ErrorKind::kReadFailed, request.in_path, input_info.error().reason);
  if (input_info->kind == platform::FileKind::kDirectory)
    return Fail(ErrorKind::kInputIsFolder, request.in_path);
  if (request.out_path.empty())
    return Fail(ErrorKind::kOutputPathEmpty);
  if (!request.out_path.has_filename())
    return Fail(ErrorKind::kOutputIsFolder, request.out_path);
  platform::PendingFile output(request.out_path);
  if (auto opened = output.OpenFolder(); !opened)
    return OutputFailure(request.out_path, opened.error());
  const auto earlier_output = CheckTarget(request.out_path, output.TargetInfo(), *input_info);
  if (!earlier_output)
    return Unexpected{earlier_output.error()};

  if (auto created = output.Create(*earlier_output); !created)
    return OutputFailure(request.out_path, created.error());
  // "para.sec" is named by its absolute path in every message, even where the
  // current folder has been removed and cannot take it.
  const platform::CurrentFolder here = platform::CurrentFolderNow();
  const fs::path section_path = here.path / request.section_path;
  if (here.removed && request.section_path.is_relative())
    return Fail(ErrorKind::kWorkFolderRemoved, section_path);
  auto section_file = OpenSectionFile(section_path, *input_info, output, *earlier_output);
  if (!section_file)
    return Unexpected{section_file.error()};

  const auto output_failed = [&request](const platform::SystemError& error) {
    return Fail(ErrorKind::kWriteFailed, request.out_path, error.reason);
  };
  BufferedWriter out(output.File(), kWritebackEvery);
  RecordDigest section_records;
  BufferedWriter section(*section_file, 0, &section_records);
  iges::WriteStartGlobal(request.clock ? request.clock() : SystemLocalTime(), out);

  // Start, Global and Directory Entry records into the output, Parameter Data
  // records into "para.sec". A size of 0 says nothing: files under /proc have
  // it and yet hold data.
  const std::uint64_t input_size = input_info->size > 0 ? input_info->size : 0;
  // Progress counts the input's bytes, and about a tenth more for copying the
  // Parameter Data section and flushing the file to disk.
  const std::uint64_t tail = input_size / 9 + 1;
  const std::uint64_t total = input_size > 0 ? input_size + tail : 0;
  const auto go_on = [&request, total](std::uint64_t done) {
    return !request.progress || request.progress(done, total);
  };
  LineReader reader(*input);
  Counters counters;
  ConversionResult points = ConvertPoints(request, reader, total, out, section, counters);
  if (out.Failed())
    points = output_failed(out.Error());
  else if (section.Failed())
    points = Fail(ErrorKind::kWriteFailed, section_path, section.Error().reason);
  // "para.sec" holds whole records, those of the points written and nothing
  // of the last conversion: after a refused line or a failed write too.
  const auto section_written = section.Flush();
  const auto section_cut = section_file->TruncateHere(iges::kRecordBytes);
  if (!points)
    return points;
  if (!section_written)
    return Fail(ErrorKind::kWriteFailed, section_path, section_written.error().reason);
  if (!section_cut)
    return Fail(ErrorKind::kWriteFailed, section_path, section_cut.error().reason);
  // A file written to while it was read is a mixture of two point lists.
  const auto input_after = input->Info();
  if ((input_size > 0 && reader.BytesRead() != input_size) || !input_after ||
      input_after->stamp != input_info->stamp) {
    return Fail(ErrorKind::kInputChanged, request.in_path);
  }
  (void)input->Close();

  // The Parameter Data section behind the Directory Entry section, then the
  // Terminate record.
  if (!go_on(input_size))
    return Fail(ErrorKind::kCancelled);
  if (auto appended =
          AppendSection(section_path, *section_file, counters.PdSeq - 1, section_records, out);
      !appended) {
    return Unexpected{appended.error()};
  }
  iges::WriteTerminate(counters.DeSeq, counters.PdSeq, out);
  if (auto written = out.Flush(); !written)
    return output_failed(written.error());
  if (!go_on(input_size + tail / 2))
    return Fail(ErrorKind::kCancelled);
  if (auto synced = output.File().Sync(); !synced)
    return output_failed(synced.error());
  // The last moment to cancel: the rename that follows gives the file its name.
  if (!go_on(total))
    return Fail(ErrorKind::kCancelled);
  // What stands at the target now must still be what may be replaced: another
  // program may have made it read-only or put something else there.
  if (const auto target_now = CheckTarget(request.out_path, output.TargetInfo(), *input_info);
      !target_now) {
    return Unexpected{target_now.error()};
  }
  if (auto committed = output.Commit(); !committed)
    return output_failed(committed.error());
  if (const platform::Ownership& owners = output.Owners(); !owners.kept) {
    points->new_owner = platform::UserName(owners.owner);
    points->new_group = platform::GroupName(owners.group);
  }
  return points;
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

std::string ResultMessage(const ConversionResult& result) {
  if (!result)
    return ErrorMessage(result.error());
  std::string message = kMessageConverted;
  if (result->incomplete_lines > 0) {
    message +=
        "\n\n" + IncompleteLinesWarning(result->incomplete_lines, result->first_incomplete_line);
  }
  if (!result->new_owner.empty())
    message += "\n\n" + OwnerChangedNote(result->new_owner, result->new_group);
  return message;
}

iges::LocalTime SystemLocalTime() {
  const std::tm local = platform::LocalTimeNow();
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

}  // namespace karvonel::conversion
