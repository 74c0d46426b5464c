#include "conversion/file_checks.h"

#include <cerrno>

namespace karvonel::conversion {
namespace {

namespace fs = std::filesystem;
using platform::NativeFile;

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

}  // namespace

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

}  // namespace karvonel::conversion
