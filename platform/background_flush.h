// A flush to disk that runs while the caller goes on writing: the system's
// fdatasync, asked for through io_uring and collected later. On a virtual disk
// the host keeps written data in its own cache until the guest flushes, so a
// file's final fsync waits for every byte since the last flush; flushing in
// the background while the file grows leaves it only the tail. Linux only.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>

#include "platform/native_file.h"

namespace karvonel::platform {

class BackgroundFlush {
 public:
  // None where the system refuses io_uring (an older kernel, a sandbox that
  // forbids it): the caller then does without.
  static std::unique_ptr<BackgroundFlush> Create();
  // Leaves a flush still running to the system, which holds its own reference
  // to the file until it is done.
  ~BackgroundFlush();
  BackgroundFlush(const BackgroundFlush&) = delete;
  BackgroundFlush& operator=(const BackgroundFlush&) = delete;

  // Starts flushing the file `fd` unless an earlier flush is still running:
  // whether it started one.
  bool Start(int fd);
  // Waits for a running flush; then the first failure of any flush started,
  // which the file's later fsync may no longer report (the system reports a
  // failed write-back once per open file).
  Status Finish();

 private:
  BackgroundFlush() = default;
  // Takes the results of flushes that have ended; with `wait`, waits for one.
  Status Collect(bool wait);

  int ring_ = -1;
  // The three regions the system shares with the process: the submission
  // ring, the completion ring and the submission entries.
  void* maps_[3] = {};
  std::size_t map_sizes_[3] = {};
  unsigned* submission_tail_ = nullptr;
  unsigned* submission_mask_ = nullptr;
  unsigned* submission_array_ = nullptr;
  unsigned* completion_head_ = nullptr;
  unsigned* completion_tail_ = nullptr;
  unsigned* completion_mask_ = nullptr;
  void* completions_ = nullptr;
  bool running_ = false;
  std::optional<SystemError> failure_;
};

}  // namespace karvonel::platform
