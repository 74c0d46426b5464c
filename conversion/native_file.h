// The operating system's files, behind one small RAII class. Unbuffered; the
// buffering is done by BufferedWriter and LineReader above it. All output is
// binary: nothing translates line ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace karvonel::conversion {

// The system's reason for a failed file operation, in its own words.
struct SystemError {
  int code = 0;
  std::string reason;
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

  // Opens `path`; on failure returns a closed file and fills `error`.
  static NativeFile Open(const std::filesystem::path& path, Mode mode, SystemError& error);

  bool IsOpen() const;
  // True for a folder (which can be opened for reading on some systems).
  bool IsDirectory() const;
  // The size of a regular file, or -1 where the size means nothing (a pipe).
  std::int64_t RegularSize() const;
  // When the file's contents last changed, as the system keeps it (in its own
  // units), or -1 where the system keeps none. Two equal stamps taken a while
  // apart mean nobody wrote the file in between.
  std::int64_t ModificationStamp() const;

  // Reads up to `size` bytes: the count, 0 at the end, -1 on failure.
  std::int64_t Read(char* data, std::size_t size, SystemError& error);
  // Writes all `size` bytes, or fails.
  bool Write(const char* data, std::size_t size, SystemError& error);
  // Sends written data to the disk.
  bool Sync(SystemError& error);
  // Starts sending written data to the disk without waiting for it, so that a
  // later Sync of a large file has little left to wait for. Only a hint: where
  // the system has no such call it does nothing.
  void StartWriteback();
  // Empties the file and moves to its start.
  bool Truncate(SystemError& error);
  // Moves to the start of the file.
  bool Rewind(SystemError& error);
  // Ends the file at the current position, dropping what lies behind it.
  bool TruncateHere(SystemError& error);
  // Copies `size` bytes from this file's position to `target`'s position,
  // inside the system where it can. Returns the bytes copied (fewer when this
  // file ends first), or -1 with `target_failed` telling which side failed.
  std::int64_t CopyTo(NativeFile& target, std::uint64_t size, SystemError& error,
                      bool& target_failed);
  // Takes an exclusive lock that lasts until the file is closed. Returns false
  // with `busy` set when another open file holds it.
  bool TryLock(bool& busy, SystemError& error);
  bool Close(SystemError& error);

 private:
#ifdef _WIN32
  void* handle_ = reinterpret_cast<void*>(static_cast<std::intptr_t>(-1));
#else
  int fd_ = -1;
#endif
};

#ifdef _WIN32
inline void NativeFile::StartWriteback() {}
#endif

// Copies `size` bytes from `source`'s position to `target`'s through a
// buffer, as NativeFile::CopyTo does where the system cannot copy itself.
std::int64_t CopyThroughBuffer(NativeFile& source, NativeFile& target, std::uint64_t size,
                               SystemError& error, bool& target_failed);

// Replaces `to` by `from` in one step, then makes the change durable.
bool MoveIntoPlace(const std::filesystem::path& from, const std::filesystem::path& to,
                   SystemError& error);

// Removes a file if it exists; errors are ignored (used for cleaning up).
void RemoveFileQuietly(const std::filesystem::path& path);

// A text that differs between processes and between calls, for temporary names.
std::string UniqueSuffix();

// The path as UTF-8 text, for messages.
std::string PathText(const std::filesystem::path& path);

}  // namespace karvonel::conversion
