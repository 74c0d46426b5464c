// A file written beside its target, which takes the target's place only when
// it is complete.
#pragma once

#include <filesystem>
#include <optional>

#include "platform/native_file.h"
#include "platform/native_folder.h"

namespace karvonel::platform {

class PendingFile {
 public:
  explicit PendingFile(std::filesystem::path target);
  // Closes the file and removes its temporary name, unless it was committed.
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Opens the target's folder, which every later step works in: the folder
  // checked is the folder written to, whatever its path names meanwhile.
  Status OpenFolder();
  // What the target's name in that folder is now, following a symbolic link.
  // Fails with ENOENT when there is nothing.
  SystemResult<FileInfo> TargetInfo() const;
  // Creates the file in the target's folder, so that the final rename stays
  // within one file system: without a name where the system allows (nothing is
  // left behind however the process ends), else under a short temporary name
  // of a fixed form (TemporaryName), after removing such files that no living
  // run holds (NativeFolder::RemoveIfAbandoned). The file stays locked until
  // it has taken the target's place. It takes the owner, group, permission
  // bits, user extended attributes and access list of `earlier`, the regular
  // file now at the target, if any, as far as the process may
  // (NativeFile::TakeModeOf).
  Status Create(const std::optional<FileInfo>& earlier);
  NativeFile& File() { return file_; }
  // Who owns the file: whether it has the owner and group of the file it
  // replaces, and if not, whose it is.
  const Ownership& Owners() const { return ownership_; }
  // Names the file and renames it over the target; call it once File().Sync()
  // has put the whole file on the disk. On failure the target is as it was.
  Status Commit();

 private:
  Status CreateNamed();
  void RemoveStaleTemporaries() const;
  bool IsNamed(const NativeFile& file, const std::filesystem::path& name) const;

  std::filesystem::path folder_path_;
  std::filesystem::path name_;  // the target's name in its folder
  NativeFolder folder_;
  std::filesystem::path temp_;  // the temporary name, once the file has one
  NativeFile file_;
  Ownership ownership_;
  bool committed_ = false;
};

// ".karvonel-<process id>-<n>.tmp": a temporary name for this process, new at
// every call. At most 40 bytes, so it fits wherever the target's name fits.
std::string TemporaryName();

}  // namespace karvonel::platform
