#include "conversion/conversion_run.h"

#include <cerrno>
#include <chrono>
#include <ctime>
#include <memory>
#include <optional>
#include <system_error>

#include "conversion/buffered_writer.h"
#include "conversion/line_reader.h"
#include "conversion/native_file.h"
#include "conversion/point_line.h"
#include "conversion/point_writer_thread.h"
#include "iges/point_entity.h"
#include "iges/terminate.h"

namespace karvonel::conversion {
namespace {

namespace fs = std::filesystem;

ConversionResult Failure(ErrorKind kind, std::string path = {}, std::string reason = {},
                         std::int64_t line = 0) {
  ConversionResult result;
  result.outcome = Outcome::kFailed;
  result.error.kind = kind;
  result.error.path = std::move(path);
  result.error.reason = std::move(reason);
  result.error.line = line;
  return result;
}

ConversionResult LineFailure(ErrorKind kind, std::int64_t line) {
  return Failure(kind, {}, {}, line);
}

// The output under construction: a new file beside out_path that is removed
// again unless it is committed, renamed over out_path.
class PendingOutput {
 public:
  PendingOutput(const PendingOutput&) = delete;
  PendingOutput& operator=(const PendingOutput&) = delete;
  explicit PendingOutput(fs::path target) : target_(std::move(target)) {}
  ~PendingOutput() {
    if (!committed_ && file_.IsOpen()) {
      SystemError ignored;
      file_.Close(ignored);
    }
    if (!committed_ && !temp_.empty())
      RemoveFileQuietly(temp_);
  }

  bool Create(SystemError& error) {
    for (int attempt = 0; attempt < 100; ++attempt) {
      // Beside the target, so the final rename stays within one file system.
      std::string suffix(".");
      suffix += UniqueSuffix();
      suffix += ".tmp";
      fs::path name = target_;
      name += suffix;
      file_ = NativeFile::Open(name, NativeFile::Mode::kCreateNew, error);
      if (file_.IsOpen()) {
        temp_ = std::move(name);
        return true;
      }
      if (error.code != EEXIST)
        return false;
    }
    return false;
  }

  NativeFile& File() { return file_; }

  // Flushes to disk, closes and renames into place.
  bool Commit(SystemError& error) {
    if (!file_.Sync(error) || !file_.Close(error))
      return false;
    if (!MoveIntoPlace(temp_, target_, error))
      return false;
    committed_ = true;
    return true;
  }

 private:
  fs::path target_;
  fs::path temp_;
  NativeFile file_;
  bool committed_ = false;
};

class Run {
 public:
  explicit Run(const ConversionRequest& request) : request_(request) {}

  ConversionResult Execute();

 private:
  // The failure, if any.
  std::optional<ConversionResult> CheckOutputPlace();
  // The failure, if any.
  std::optional<ConversionResult> OpenSectionFile();
  ConversionResult PointLoop(LineReader& reader, BufferedWriter& out, BufferedWriter& section);
  // The failure, if any.
  std::optional<ConversionResult> AppendSection(BufferedWriter& out, NativeFile& out_file);
  bool Progress(std::uint64_t done);

  const ConversionRequest& request_;
  NativeFile input_;
  NativeFile section_file_;
  std::int64_t input_size_ = -1;
  std::int64_t input_stamp_ = -1;
  std::int32_t DeSeq = 1;
  std::int32_t PdSeq = 1;
};

std::optional<ConversionResult> Run::CheckOutputPlace() {
  const fs::path& out = request_.out_path;
  if (out.empty())
    return Failure(ErrorKind::kOutputPathEmpty);
  std::error_code ignored;
  if (fs::is_directory(out, ignored))
    return Failure(ErrorKind::kOutputIsFolder, PathText(out));
  fs::path folder = out.parent_path();
  if (!folder.empty() && !fs::is_directory(folder, ignored)) {
    return Failure(ErrorKind::kOutputFolderMissing, PathText(folder));
  }
  if (!out.has_filename())
    return Failure(ErrorKind::kOutputIsFolder, PathText(out));
  // Writing over the point list itself would lose it.
  if (fs::equivalent(out, request_.in_path, ignored))
    return Failure(ErrorKind::kOutputIsInput, PathText(out));
  return std::nullopt;
}

std::optional<ConversionResult> Run::OpenSectionFile() {
  const fs::path& path = request_.section_path;
  SystemError error;
  section_file_ = NativeFile::Open(path, NativeFile::Mode::kReadWriteKeep, error);
  if (!section_file_.IsOpen()) {
    return Failure(ErrorKind::kCannotCreate, PathText(path), error.reason);
  }
  bool busy = false;
  if (!section_file_.TryLock(busy, error)) {
    if (busy)
      return Failure(ErrorKind::kSectionFileBusy, PathText(path));
    return Failure(ErrorKind::kCannotCreate, PathText(path), error.reason);
  }
  // The records of this conversion are written over those of the last one,
  // and the file is cut behind them at the end: that frees no blocks of the
  // last file only to take new ones.
  if (!section_file_.Rewind(error)) {
    return Failure(ErrorKind::kWriteFailed, PathText(path), error.reason);
  }
  return std::nullopt;
}

bool Run::Progress(std::uint64_t done) {
  if (!request_.progress)
    return true;
  const std::uint64_t total = input_size_ > 0 ? static_cast<std::uint64_t>(input_size_) : 0;
  return request_.progress(done, total);
}

ConversionResult Run::PointLoop(LineReader& reader, BufferedWriter& out, BufferedWriter& section) {
  // The progress callback is asked after this many lines.
  constexpr std::int64_t kProgressEvery = 1 << 14;
  std::int64_t points = 0;
  ConversionResult result{Outcome::kConverted, {}, 0};
  {
    // Lines are read and parsed here while the records are formatted and
    // written on a second thread; an earlier point's refusal there comes
    // before any failure found here for a later line.
    PointWriterThread writer(out, section);
    std::string_view line;
    for (;;) {
      const LineReader::Status status = reader.Next(line);
      if (status == LineReader::Status::kEnd)
        break;
      const std::int64_t line_number = reader.LineNumber();
      if (status == LineReader::Status::kReadFailed) {
        result = Failure(ErrorKind::kReadFailed, PathText(request_.in_path), reader.Error().reason);
        break;
      }
      if (status == LineReader::Status::kTooLong) {
        result = LineFailure(ErrorKind::kLineTooLong, line_number);
        break;
      }
      if (line_number % kProgressEvery == 0) {
        if (!Progress(reader.BytesConsumed())) {
          result = Failure(ErrorKind::kCancelled);
          break;
        }
        if (out.Failed() || section.Failed())
          break;
      }
      const PointLine point = ParsePointLine(line);
      if (!point.has_point)
        continue;
      if (point.out_of_range) {
        result = LineFailure(ErrorKind::kValueOutOfRange, line_number);
        break;
      }
      if (points == iges::kMaxPoints) {
        result = LineFailure(ErrorKind::kTooManyPoints, line_number);
        break;
      }
      ++points;
      if (!writer.Add(point.x, point.y, point.z, line_number))
        break;
    }
    writer.Finish();
    if (const auto refused = writer.Refused()) {
      result = LineFailure(refused->status == iges::PointStatus::kDataTooLong
                               ? ErrorKind::kDataTooLong
                               : ErrorKind::kValueOutOfRange,
                           refused->line);
    }
    DeSeq = writer.NextDeSeq();
    PdSeq = writer.NextPdSeq();
  }
  if (out.Failed()) {
    return Failure(ErrorKind::kWriteFailed, PathText(request_.out_path), out.Error().reason);
  }
  if (section.Failed()) {
    return Failure(ErrorKind::kWriteFailed, PathText(request_.section_path),
                   section.Error().reason);
  }
  if (result.outcome != Outcome::kConverted)
    return result;
  // A file written to while it was read is a mixture of two point lists.
  if ((input_size_ >= 0 && reader.BytesRead() != static_cast<std::uint64_t>(input_size_)) ||
      input_.ModificationStamp() != input_stamp_) {
    return Failure(ErrorKind::kInputChanged, PathText(request_.in_path));
  }
  result.points = points;
  return result;
}

std::optional<ConversionResult> Run::AppendSection(BufferedWriter& out, NativeFile& out_file) {
  SystemError error;
  const std::string section_name = PathText(request_.section_path);
  if (!out.Flush()) {
    return Failure(ErrorKind::kWriteFailed, PathText(request_.out_path), out.Error().reason);
  }
  if (!section_file_.Rewind(error)) {
    return Failure(ErrorKind::kReadFailed, section_name, error.reason);
  }
  const std::uint64_t expected = static_cast<std::uint64_t>(PdSeq - 1) * iges::kRecordBytes;
  bool out_failed = false;
  const std::int64_t copied = section_file_.CopyTo(out_file, expected, error, out_failed);
  if (copied < 0 && out_failed) {
    return Failure(ErrorKind::kWriteFailed, PathText(request_.out_path), error.reason);
  }
  if (copied < 0)
    return Failure(ErrorKind::kReadFailed, section_name, error.reason);
  // The section file must hold exactly the records written to it.
  if (static_cast<std::uint64_t>(copied) != expected) {
    return Failure(ErrorKind::kReadFailed, section_name, "the file changed during the conversion");
  }
  return std::nullopt;
}

ConversionResult Run::Execute() {
  if (request_.in_path.empty())
    return {Outcome::kNoFileChosen, {}, 0};

  SystemError error;
  input_ = NativeFile::Open(request_.in_path, NativeFile::Mode::kRead, error);
  if (!input_.IsOpen() || input_.IsDirectory())
    return {Outcome::kInputMissing, {}, 0};
  input_size_ = input_.RegularSize();
  input_stamp_ = input_.ModificationStamp();

  if (auto failure = CheckOutputPlace())
    return *failure;
  PendingOutput output(request_.out_path);
  if (!output.Create(error)) {
    return Failure(ErrorKind::kCannotCreate, PathText(request_.out_path), error.reason);
  }
  if (auto failure = OpenSectionFile())
    return *failure;

  const iges::LocalTime time = request_.clock ? request_.clock() : SystemLocalTime();
  BufferedWriter out(output.File());
  // The finished file is flushed to disk before it takes its name; sending it
  // on its way while it is written leaves that flush little to wait for.
  out.StartWritebackEvery(8 << 20);
  BufferedWriter section(section_file_);
  iges::WriteStartGlobal(time, out);

  LineReader reader(input_);
  ConversionResult result = PointLoop(reader, out, section);
  // para.sec holds whole records, those of the points written, and nothing
  // of the last conversion; after a failure too.
  const bool section_written = section.Flush() && section_file_.TruncateHere(error);
  if (result.outcome != Outcome::kConverted)
    return result;
  input_.Close(error);
  if (!section_written) {
    return Failure(ErrorKind::kWriteFailed, PathText(request_.section_path),
                   section.Failed() ? section.Error().reason : error.reason);
  }
  if (auto failure = AppendSection(out, output.File()))
    return *failure;
  iges::WriteTerminate(DeSeq, PdSeq, out);
  if (!out.Flush()) {
    return Failure(ErrorKind::kWriteFailed, PathText(request_.out_path), out.Error().reason);
  }
  if (!Progress(input_size_ > 0 ? static_cast<std::uint64_t>(input_size_) : 0)) {
    return Failure(ErrorKind::kCancelled);
  }
  if (!output.Commit(error)) {
    return Failure(ErrorKind::kWriteFailed, PathText(request_.out_path), error.reason);
  }
  section_file_.Close(error);
  return result;
}

}  // namespace

ConversionResult RunConversion(const ConversionRequest& request) {
  Run run(request);
  return run.Execute();
}

std::string ResultMessage(const ConversionResult& result) {
  switch (result.outcome) {
    case Outcome::kConverted:
      return kMessageConverted;
    case Outcome::kNoFileChosen:
      return kMessageNoFileChosen;
    case Outcome::kInputMissing:
      return kMessageInputMissing;
    case Outcome::kFailed:
      break;
  }
  return ErrorMessage(result.error);
}

iges::LocalTime SystemLocalTime() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

}  // namespace karvonel::conversion
