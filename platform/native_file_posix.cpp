// NativeFile on POSIX systems.
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <locale.h>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <system_error>

#include "platform/background_flush.h"
#include "platform/native_file.h"
#include "platform/posix_errors.h"
#include "platform/signals.h"

namespace karvonel::platform {
namespace {

SystemError LastError() {
  const int code = errno;
  return {code, ReasonText(code)};
}

}  // namespace

std::string ReasonText(int code) {
  // strerror follows LC_MESSAGES, which a window program takes from the user's
  // locale; the C locale's words are the same in every locale.
  static const locale_t c_locale = ::newlocale(LC_ALL_MASK, "C", locale_t{});
  if (c_locale == locale_t{})
    return "error " + std::to_string(code);
  return ::strerror_l(code, c_locale);
}

Unexpected<SystemError> Failed() {
  return Unexpected{LastError()};
}

Unexpected<SystemError> FailedWith(int code) {
  return Unexpected{SystemError{code, ReasonText(code)}};
}

bool Interrupted() {
  return errno == EINTR && TerminationSignal() == 0;
}

FileInfo InfoFrom(const struct stat& status) {
  FileInfo info;
  if (S_ISDIR(status.st_mode)) {
    info.kind = FileKind::kDirectory;
  } else if (S_ISREG(status.st_mode)) {
    info.kind = FileKind::kRegular;
    info.size = static_cast<std::int64_t>(status.st_size);
    // The modification time, not the status change time: that one also moves
    // when the file loses its name, which leaves its contents as they were.
    info.stamp = status.st_mtim.tv_sec * 1'000'000'000LL + status.st_mtim.tv_nsec;
  } else if (S_ISFIFO(status.st_mode)) {
    info.kind = FileKind::kFifo;
  } else if (S_ISSOCK(status.st_mode)) {
    info.kind = FileKind::kSocket;
  } else if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode)) {
    info.kind = FileKind::kDevice;
  }
  info.id = {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino)};
  info.links = static_cast<std::uint64_t>(status.st_nlink);
  info.mode = static_cast<std::uint32_t>(status.st_mode & 07777);
  info.owner = static_cast<std::int64_t>(status.st_uid);
  info.group = static_cast<std::int64_t>(status.st_gid);
  return info;
}

NativeFile::NativeFile() = default;

NativeFile::NativeFile(NativeFile&& other) noexcept
    : fd_(other.fd_),
      background_(std::move(other.background_)),
      background_tried_(other.background_tried_) {
  other.fd_ = -1;
}

NativeFile& NativeFile::operator=(NativeFile&& other) noexcept {
  if (this != &other) {
    (void)Close();
    fd_ = other.fd_;
    other.fd_ = -1;
    background_ = std::move(other.background_);
    background_tried_ = other.background_tried_;
  }
  return *this;
}

NativeFile::~NativeFile() {
  (void)Close();
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
      flags |= O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK;
      break;
  }
  NativeFile file;
  // An open that waits (a FIFO with no writer yet) is retried after a signal
  // that asks for nothing, and given up after one that asks the program to end.
  do {
    file.fd_ = ::open(path.c_str(), flags, 0666);
  } while (file.fd_ < 0 && Interrupted());
  if (file.fd_ < 0)
    return Failed();
  // Without O_NONBLOCK from here on (a regular file never had it anyway).
  if (mode == Mode::kReadWriteKeep)
    ::fcntl(file.fd_, F_SETFL, ::fcntl(file.fd_, F_GETFL) & ~O_NONBLOCK);
  return file;
}

SystemResult<FileInfo> InfoOf(const std::filesystem::path& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0)
    return Failed();
  return InfoFrom(status);
}

SystemResult<Ownership> NativeFile::TakeModeOf(const FileInfo& earlier) {
  // The owner first: changing it clears the set-user-ID and set-group-ID bits.
  // Failing that, the group alone, which a member of it may give.
  if (::fchown(fd_, static_cast<uid_t>(earlier.owner), static_cast<gid_t>(earlier.group)) != 0)
    (void)::fchown(fd_, static_cast<uid_t>(-1), static_cast<gid_t>(earlier.group));
  struct stat now {};
  if (::fstat(fd_, &now) != 0)
    return Failed();
  Ownership who{static_cast<std::int64_t>(now.st_uid), static_cast<std::int64_t>(now.st_gid)};
  mode_t mode = static_cast<mode_t>(earlier.mode);
  if (who.owner != earlier.owner) {
    who.kept = false;
    mode &= ~S_ISUID;
  }
  if (who.group != earlier.group) {
    who.kept = false;
    mode &= ~S_ISGID;
    mode &= ~S_IRWXG | ((mode & S_IRWXO) << 3);
  }
  if (::fchmod(fd_, mode) != 0)
    return Failed();
  return who;
}

bool NativeFile::IsOpen() const {
  return fd_ >= 0;
}

SystemResult<FileInfo> NativeFile::Info() const {
  struct stat status {};
  if (::fstat(fd_, &status) != 0)
    return Failed();
  return InfoFrom(status);
}

SystemResult<std::size_t> NativeFile::Read(char* data, std::size_t size) {
  for (;;) {
    const ssize_t count = ::read(fd_, data, size);
    if (count >= 0)
      return static_cast<std::size_t>(count);
    if (!Interrupted())
      return Failed();
  }
}

namespace {

// Writes all `size` bytes to `fd`: at its position, or with `offset` there.
Status WriteAll(int fd, const char* data, std::size_t size, std::optional<std::uint64_t> offset) {
  while (size > 0) {
    const ssize_t count =
        offset ? ::pwrite(fd, data, size, static_cast<off_t>(*offset)) : ::write(fd, data, size);
    if (count < 0) {
      if (Interrupted())
        continue;
      return Failed();
    }
    data += count;
    size -= static_cast<std::size_t>(count);
    if (offset)
      *offset += static_cast<std::uint64_t>(count);
  }
  return {};
}

}  // namespace

Status NativeFile::Write(const char* data, std::size_t size) {
  return WriteAll(fd_, data, size, std::nullopt);
}

Status NativeFile::WriteAt(const char* data, std::size_t size, std::uint64_t offset) {
  return WriteAll(fd_, data, size, offset);
}

Status NativeFile::Sync() {
  if (background_) {
    if (auto flushed = background_->Finish(); !flushed)
      return flushed;
  }
  if (::fsync(fd_) != 0)
    return Failed();
  return {};
}

void NativeFile::StartWriteback() {
#ifdef __linux__
  if (!background_tried_) {
    background_tried_ = true;
    background_ = BackgroundFlush::Create();
  }
  if (!background_ || !background_->Start(fd_))
    ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
}

Status NativeFile::Rewind() {
  if (::lseek(fd_, 0, SEEK_SET) != 0)
    return Failed();
  return {};
}

Status NativeFile::TruncateHere(std::uint64_t unit) {
  const off_t position = ::lseek(fd_, 0, SEEK_CUR);
  if (position < 0 || ::ftruncate(fd_, position - static_cast<off_t>(position % unit)) != 0)
    return Failed();
  return {};
}

Status NativeFile::TryLock() {
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0)
    return Failed();
  return {};
}

Status NativeFile::Close() {
  background_.reset();
  if (fd_ < 0)
    return {};
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0)
    return Failed();
  return {};
}

CurrentFolder CurrentFolderNow() {
  std::error_code error;
  std::filesystem::path path = std::filesystem::current_path(error);
  if (!error)
    return {std::move(path), false};
  const bool removed = error == std::errc::no_such_file_or_directory;
  // Linux still names the folder, with " (deleted)" behind a removed one's name.
  path = std::filesystem::read_symlink("/proc/self/cwd", error);
  std::string name = error ? std::string() : path.string();
  constexpr std::string_view kDeleted = " (deleted)";
  if (removed && std::string_view(name).ends_with(kDeleted))
    name.resize(name.size() - kDeleted.size());
  return {name.empty() ? std::filesystem::path(".") : std::filesystem::path(name), removed};
}

namespace {

// The name a system database (getpwuid_r, getgrgid_r) gives `id`, or the number.
template <class Entry, class Id>
std::string NameIn(int (*lookup)(Id, Entry*, char*, std::size_t, Entry**), char* Entry::*name,
                   std::int64_t id) {
  char buffer[4096];
  Entry entry{};
  Entry* found = nullptr;
  if (lookup(static_cast<Id>(id), &entry, buffer, sizeof buffer, &found) == 0 && found)
    return found->*name;
  return std::to_string(id);
}

}  // namespace

std::string UserName(std::int64_t user) {
  return NameIn(::getpwuid_r, &passwd::pw_name, user);
}

std::string GroupName(std::int64_t group) {
  return NameIn(::getgrgid_r, &group::gr_name, group);
}

std::int64_t CurrentProcessId() {
  return static_cast<std::int64_t>(::getpid());
}

std::string PathText(const std::filesystem::path& path) {
  return path.string();
}

}  // namespace karvonel::platform
