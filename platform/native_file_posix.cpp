// NativeFile on POSIX systems.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <system_error>

#include "platform/buffer_copy.h"
#include "platform/native_file.h"

namespace karvonel::platform {
namespace {

SystemError LastError() {
  const int code = errno;
  return {code, std::generic_category().message(code)};
}

Unexpected<SystemError> Failed() {
  return Unexpected{LastError()};
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

SystemResult<NativeFile> NativeFile::Open(const std::filesystem::path& path, Mode mode) {
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
    return Failed();
  return file;
}

bool NativeFile::IsOpen() const {
  return fd_ >= 0;
}

SystemResult<FileInfo> NativeFile::Info() const {
  struct stat status {};
  if (::fstat(fd_, &status) != 0)
    return Failed();
  FileInfo info;
  if (S_ISDIR(status.st_mode)) {
    info.kind = FileKind::kDirectory;
  } else if (S_ISREG(status.st_mode)) {
    info.kind = FileKind::kRegular;
    info.size = static_cast<std::int64_t>(status.st_size);
    // The modification time, not the status change time: that one also moves
    // when the file loses its name, which leaves its contents as they were.
    info.stamp = status.st_mtim.tv_sec * 1'000'000'000LL + status.st_mtim.tv_nsec;
  }
  return info;
}

SystemResult<std::size_t> NativeFile::Read(char* data, std::size_t size) {
  for (;;) {
    const ssize_t count = ::read(fd_, data, size);
    if (count >= 0)
      return static_cast<std::size_t>(count);
    if (errno != EINTR)
      return Failed();
  }
}

Status NativeFile::Write(const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t count = ::write(fd_, data, size);
    if (count < 0) {
      if (errno == EINTR)
        continue;
      return Failed();
    }
    data += count;
    size -= static_cast<std::size_t>(count);
  }
  return {};
}

Status NativeFile::Sync() {
  if (::fsync(fd_) != 0)
    return Failed();
  return {};
}

void NativeFile::StartWriteback() {
#ifdef __linux__
  ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
}

Status NativeFile::Rewind() {
  if (::lseek(fd_, 0, SEEK_SET) != 0)
    return Failed();
  return {};
}

Status NativeFile::TruncateHere() {
  const off_t position = ::lseek(fd_, 0, SEEK_CUR);
  if (position < 0 || ::ftruncate(fd_, position) != 0)
    return Failed();
  return {};
}

Status NativeFile::TryLock() {
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0)
    return Failed();
  return {};
}

Status NativeFile::Close() {
  if (fd_ < 0)
    return {};
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0)
    return Failed();
  return {};
}

Result<std::uint64_t, CopyError> CopyBytes(NativeFile& source, NativeFile& target,
                                           std::uint64_t size) {
  std::uint64_t copied = 0;
#ifdef __linux__
  // The kernel copies page to page, without a trip through this process.
  while (copied < size) {
    const ssize_t count =
        ::copy_file_range(source.fd_, nullptr, target.fd_, nullptr, size - copied, 0);
    if (count == 0)
      return copied;
    if (count > 0) {
      copied += static_cast<std::uint64_t>(count);
      continue;
    }
    if (errno == EINTR)
      continue;
    const bool unsupported =
        errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP;
    if (!unsupported || copied > 0) {
      // The call does not say which side failed; a read error shows as EIO.
      return Unexpected{CopyError{LastError(), errno != EIO && errno != EBADF}};
    }
    break;  // not between these two files: copy through a buffer
  }
#endif
  auto rest = CopyThroughBuffer(source, target, size - copied);
  if (!rest)
    return rest;
  return copied + *rest;
}

Status MoveIntoPlace(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::rename(from.c_str(), to.c_str()) != 0)
    return Failed();
  // Make the new name itself durable: sync the folder that holds it.
  std::filesystem::path folder = to.parent_path();
  if (folder.empty())
    folder = ".";
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
  return {};
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

}  // namespace karvonel::platform
