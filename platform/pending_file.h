// A file written under a temporary name beside its target, which takes the
// target's place only when it is complete.
#pragma once

#include <filesystem>

#include "platform/native_file.h"

namespace karvonel::platform {

class PendingFile {
 public:
  explicit PendingFile(std::filesystem::path target) : target_(std::move(target)) {}
  // Closes and removes the temporary file unless it was committed.
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Creates the temporary file, a new name in the target's folder (so that the
  // final rename stays within one file system).
  Status Create();
  NativeFile& File() { return file_; }
  // Flushes the file to disk, closes it and renames it over the target. On
  // failure the target is as it was.
  Status Commit();

 private:
  std::filesystem::path target_;
  std::filesystem::path temp_;
  NativeFile file_;
  bool committed_ = false;
};

}  // namespace karvonel::platform
