// The operating system's files, behind one small RAII class, and the few other
// file operations a conversion needs. Unbuffered: BufferedWriter and LineReader
// buffer above it. All output is binary: nothing translates line ends.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "karvonel/result.h"

namespace karvonel::platform {

class BackgroundFlush;

// The system's reason for a failed file operation: its errno-style code (on
// Windows the nearest errno value) and its own words.
struct SystemError {
  int code = 0;
  std::string reason;
};

template <class T>
using SystemResult = Result<T, SystemError>;
using Status = Result<void, SystemError>;

// What kind of file a name leads to. FIFOs, sockets and devices are told
// apart on POSIX systems only; elsewhere they are kOther.
enum class FileKind { kRegular, kDirectory, kFifo, kSocket, kDevice, kOther };

// Which file a name or a handle leads to: equal ids, the same file.
struct FileId {
  std::uint64_t device = 0;
  std::uint64_t index = 0;
  bool operator==(const FileId&) const = default;
};

// Who owns a file (-1 where there are no owners), and whether they are those
// of the file it replaced.
struct Ownership {
  std::int64_t owner = -1;
  std::int64_t group = -1;
  bool kept = true;
};

// What the system keeps about a file.
struct FileInfo {
  FileKind kind = FileKind::kOther;
  // The size of a regular file; -1 for anything else (a pipe, a device).
  std::int64_t size = -1;
  // When the contents last changed, in the system's own units, or -1. Two equal
  // stamps taken a while apart mean nobody wrote the file in between.
  std::int64_t stamp = -1;
  FileId id;
  std::uint64_t links = 1;  // the number of names (hard links) of the file
  // The permission bits (POSIX: mode & 07777; Windows: 0444 for a read-only
  // file, else 0666), and the owner and group (-1 where there are none).
  std::uint32_t mode = 0666;
  std::int64_t owner = -1;
  std::int64_t group = -1;
};

// What the file at `path` is, following symbolic links. Fails with ENOENT when
// there is none.
SystemResult<FileInfo> InfoOf(const std::filesystem::path& path);

class NativeFile {
 public:
  enum class Mode {
    kRead,       // an existing file, for reading
    kCreateNew,  // a new file for writing; fails if the name exists
    // Read and write, created if missing, contents kept. A symbolic link (on
    // Windows a reparse point) at the path is not followed: the open fails
    // with ELOOP. Opening never blocks, whatever kind of file the name holds.
    kReadWriteKeep,
  };

  NativeFile();
  NativeFile(NativeFile&& other) noexcept;
  NativeFile& operator=(NativeFile&& other) noexcept;
  NativeFile(const NativeFile&) = delete;
  NativeFile& operator=(const NativeFile&) = delete;
  ~NativeFile();  // closes, ignoring errors: call Close() to see them

  // Opens `path`, or says why it cannot.
  static SystemResult<NativeFile> Open(const std::filesystem::path& path, Mode mode);

  bool IsOpen() const;
  SystemResult<FileInfo> Info() const;
  // Gives the file the owner, group and permission bits of `earlier`, as far
  // as the process may. An owner or a group it may not give (an ordinary user
  // replacing another's file) stays this process's; then nobody gets rights
  // the old file did not give: a group the file did not have gets no more
  // than the old file gave everyone, and set-ID bits go.
  SystemResult<Ownership> TakeModeOf(const FileInfo& earlier);

  // Reads up to `size` bytes: the count, 0 at the end.
  SystemResult<std::size_t> Read(char* data, std::size_t size);
  // Writes all `size` bytes, or fails.
  Status Write(const char* data, std::size_t size);
  // Writes all `size` bytes at `offset`, leaving the file's position as it
  // was, or fails.
  Status WriteAt(const char* data, std::size_t size, std::uint64_t offset);
  // Sends written data to the disk and waits for it.
  Status Sync();
  // Starts sending written data to the disk without waiting, so that a later
  // Sync of a large file has little left to wait for: on Linux a flush in the
  // background (BackgroundFlush), or where there is none, or one still runs,
  // the write-back of the data. Where the system has no such call it does
  // nothing. A failure of the background flush is Sync's to report.
  void StartWriteback();
  // Moves to the start of the file.
  Status Rewind();
  // Ends the file at the current position rounded down to a multiple of
  // `unit`, dropping what lies behind: after a failed write too, which may
  // have moved the position to the middle of a unit.
  Status TruncateHere(std::uint64_t unit = 1);
  // Takes an exclusive lock that lasts until the file is closed. Fails with
  // code kBusy when another open file holds it.
  Status TryLock();
  Status Close();

 private:
  friend class NativeFolder;
#ifdef _WIN32
  void* handle_ = reinterpret_cast<void*>(static_cast<std::intptr_t>(-1));
#else
  int fd_ = -1;
  // Made by the first StartWriteback; collected by Sync. Closing the file
  // leaves a flush still running to the system.
  std::unique_ptr<BackgroundFlush> background_;
  bool background_tried_ = false;
#endif
};

// The code of TryLock's failure when another file holds the lock.
inline constexpr int kBusy = EWOULDBLOCK;

// The absolute path of the current folder. A process may stay in a folder
// that has been removed: then `removed` is set and `path` is the name the
// folder had, where the system still knows it.
struct CurrentFolder {
  std::filesystem::path path;
  bool removed = false;
};
CurrentFolder CurrentFolderNow();

// This process's id.
std::int64_t CurrentProcessId();

// The names of a user and of a group, or their numbers where they have none.
std::string UserName(std::int64_t user);
std::string GroupName(std::int64_t group);

// The system's reason for the errno-style `code`, in English whatever the
// user's locale (on Windows: the C library's words, also English).
std::string ReasonText(int code);

// The path as UTF-8 text, for messages.
std::string PathText(const std::filesystem::path& path);

}  // namespace karvonel::platform
