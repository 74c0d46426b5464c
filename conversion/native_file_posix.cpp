// NativeFile on POSIX systems.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>

#include "conversion/native_file.h"

namespace karvonel::conversion {
namespace {

bool Fail(SystemError& error) {
  error.code = errno;
  error.reason = std::generic_category().message(errno);
  return false;
}

}  // namespace

NativeFile::NativeFile(NativeFile&& other) noexcept : fd_(other.fd_) {
  other.fd_ = -1;
}

NativeFile& NativeFile::operator=(NativeFile&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0)
      ::close(fd_);
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

NativeFile::~NativeFile() {
  if (fd_ >= 0)
    ::close(fd_);
}

NativeFile NativeFile::Open(const std::filesystem::path& path, Mode mode, SystemError& error) {
  int flags = O_CLOEXEC;
  switch (mode) {
    case Mode::kRead:
      flags |= O_RDONLY;
      break;
    case Mode::kCreateNew:
      flags |= O_WRONLY | O_CREAT | O_EXCL;
      break;
    case Mode::kReadWriteKeep:
      flags |= O_RDWR | O_CREAT;
      break;
  }
  NativeFile file;
  do {
    file.fd_ = ::open(path.c_str(), flags, 0666);
  } while (file.fd_ < 0 && errno == EINTR);
  if (file.fd_ < 0)
    Fail(error);
  return file;
}

bool NativeFile::IsOpen() const {
  return fd_ >= 0;
}

bool NativeFile::IsDirectory() const {
  struct stat info {};
  return fd_ >= 0 && ::fstat(fd_, &info) == 0 && S_ISDIR(info.st_mode);
}

std::int64_t NativeFile::RegularSize() const {
  struct stat info {};
  if (fd_ < 0 || ::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode))
    return -1;
  return static_cast<std::int64_t>(info.st_size);
}

std::int64_t NativeFile::ModificationStamp() const {
  struct stat info {};
  if (fd_ < 0 || ::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode))
    return -1;
  // The modification time, not the status change time: that one also moves
  // when the file loses its name, which leaves its contents as they were.
  return info.st_mtim.tv_sec * 1'000'000'000LL + info.st_mtim.tv_nsec;
}

std::int64_t NativeFile::Read(char* data, std::size_t size, SystemError& error) {
  for (;;) {
    const ssize_t count = ::read(fd_, data, size);
    if (count >= 0)
      return count;
    if (errno != EINTR) {
      Fail(error);
      return -1;
    }
  }
}

bool NativeFile::Write(const char* data, std::size_t size, SystemError& error) {
  while (size > 0) {
    const ssize_t count = ::write(fd_, data, size);
    if (count < 0) {
      if (errno == EINTR)
        continue;
      return Fail(error);
    }
    data += count;
    size -= static_cast<std::size_t>(count);
  }
  return true;
}

bool NativeFile::Sync(SystemError& error) {
  return ::fsync(fd_) == 0 || Fail(error);
}

void NativeFile::StartWriteback() {
#ifdef __linux__
  ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
}

bool NativeFile::Truncate(SystemError& error) {
  return (::ftruncate(fd_, 0) == 0 && ::lseek(fd_, 0, SEEK_SET) == 0) || Fail(error);
}

bool NativeFile::TruncateHere(SystemError& error) {
  const off_t position = ::lseek(fd_, 0, SEEK_CUR);
  return (position >= 0 && ::ftruncate(fd_, position) == 0) || Fail(error);
}

std::int64_t NativeFile::CopyTo(NativeFile& target, std::uint64_t size, SystemError& error,
                                bool& target_failed) {
  target_failed = false;
  std::uint64_t copied = 0;
#ifdef __linux__
  // The kernel copies page to page, without a trip through this process.
  while (copied < size) {
    const ssize_t count = ::copy_file_range(fd_, nullptr, target.fd_, nullptr, size - copied, 0);
    if (count == 0)
      return static_cast<std::int64_t>(copied);
    if (count > 0) {
      copied += static_cast<std::uint64_t>(count);
      continue;
    }
    if (errno == EINTR)
      continue;
    const bool unsupported =
        errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP;
    if (!unsupported || copied > 0) {
      target_failed = errno != EIO && errno != EBADF;
      Fail(error);
      return -1;
    }
    break;  // not between these two files: copy through a buffer
  }
#endif
  const std::int64_t rest = CopyThroughBuffer(*this, target, size - copied, error, target_failed);
  return rest < 0 ? -1 : static_cast<std::int64_t>(copied) + rest;
}

bool NativeFile::Rewind(SystemError& error) {
  return ::lseek(fd_, 0, SEEK_SET) == 0 || Fail(error);
}

bool NativeFile::TryLock(bool& busy, SystemError& error) {
  busy = false;
  if (::flock(fd_, LOCK_EX | LOCK_NB) == 0)
    return true;
  busy = errno == EWOULDBLOCK;
  return Fail(error);
}

bool NativeFile::Close(SystemError& error) {
  if (fd_ < 0)
    return true;
  const int fd = fd_;
  fd_ = -1;
  return ::close(fd) == 0 || Fail(error);
}

bool MoveIntoPlace(const std::filesystem::path& from, const std::filesystem::path& to,
                   SystemError& error) {
  if (::rename(from.c_str(), to.c_str()) != 0)
    return Fail(error);
  // Make the new name itself durable: sync the folder that holds it.
  std::filesystem::path folder = to.parent_path();
  if (folder.empty())
    folder = ".";
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
  return true;
}

void RemoveFileQuietly(const std::filesystem::path& path) {
  ::unlink(path.c_str());
}

std::string UniqueSuffix() {
  static std::atomic<unsigned> counter{0};
  char text[48];
  std::snprintf(text, sizeof text, "%ld-%u", static_cast<long>(::getpid()), counter++);
  return text;
}

std::string PathText(const std::filesystem::path& path) {
  return path.string();
}

}  // namespace karvonel::conversion
