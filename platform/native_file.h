// The operating system's files, behind one small RAII class, and the few other
// file operations a conversion needs. Unbuffered: BufferedWriter and LineReader
// buffer above it. All output is binary: nothing translates line ends.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/result.h"

namespace karvonel::platform {

// The system's reason for a failed file operation: its errno-style code (on
// Windows the nearest errno value) and its own words.
struct SystemError {
  int code = 0;
  std::string reason;
};

template <class T>
using SystemResult = Result<T, SystemError>;
using Status = Result<void, SystemError>;

// Why a copy between two files failed, and on which side.
struct CopyError {
  SystemError system;
  bool in_target = false;  // false: reading the source failed
};

enum class FileKind { kRegular, kDirectory, kOther };

// What the system keeps about an open file.
struct FileInfo {
  FileKind kind = FileKind::kOther;
  // The size of a regular file; -1 for anything else (a pipe, a device).
  std::int64_t size = -1;
  // When the contents last changed, in the system's own units, or -1. Two equal
  // stamps taken a while apart mean nobody wrote the file in between.
  std::int64_t stamp = -1;
};

class NativeFile {
 public:
  enum class Mode {
    kRead,           // an existing file, for reading
    kCreateNew,      // a new file for writing; fails if the name exists
    kReadWriteKeep,  // read and write, created if missing, contents kept
  };

  NativeFile() = default;
  NativeFile(NativeFile&& other) noexcept;
  NativeFile& operator=(NativeFile&& other) noexcept;
  NativeFile(const NativeFile&) = delete;
  NativeFile& operator=(const NativeFile&) = delete;
  ~NativeFile();  // closes, ignoring errors: call Close() to see them

  // Opens `path`, or says why it cannot.
  static SystemResult<NativeFile> Open(const std::filesystem::path& path, Mode mode);

  bool IsOpen() const;
  SystemResult<FileInfo> Info() const;

  // Reads up to `size` bytes: the count, 0 at the end.
  SystemResult<std::size_t> Read(char* data, std::size_t size);
  // Writes all `size` bytes, or fails.
  Status Write(const char* data, std::size_t size);
  // Sends written data to the disk and waits for it.
  Status Sync();
  // Starts sending written data to the disk without waiting, so that a later
  // Sync of a large file has little left to wait for. Only a hint: where the
  // system has no such call it does nothing.
  void StartWriteback();
  // Moves to the start of the file.
  Status Rewind();
  // Ends the file at the current position, dropping what lies behind it.
  Status TruncateHere();
  // Takes an exclusive lock that lasts until the file is closed. Fails with
  // code kBusy when another open file holds it.
  Status TryLock();
  Status Close();

 private:
  friend Result<std::uint64_t, CopyError> CopyBytes(NativeFile& source, NativeFile& target,
                                                    std::uint64_t size);
#ifdef _WIN32
  void* handle_ = reinterpret_cast<void*>(static_cast<std::intptr_t>(-1));
#else
  int fd_ = -1;
#endif
};

// The code of TryLock's failure when another file holds the lock.
inline constexpr int kBusy = EWOULDBLOCK;

// Copies `size` bytes from `source`'s position to `target`'s, inside the system
// where it can. Returns the bytes copied: fewer than `size` when the source
// ends first.
Result<std::uint64_t, CopyError> CopyBytes(NativeFile& source, NativeFile& target,
                                           std::uint64_t size);

// Replaces `to` by `from` in one step, then makes the change durable.
Status MoveIntoPlace(const std::filesystem::path& from, const std::filesystem::path& to);

// Removes a file if it exists; errors are ignored (used for cleaning up).
void RemoveFileQuietly(const std::filesystem::path& path);

// A text that differs between processes and between calls, for temporary names.
std::string UniqueSuffix();

// The path as UTF-8 text, for messages.
std::string PathText(const std::filesystem::path& path);

}  // namespace karvonel::platform
