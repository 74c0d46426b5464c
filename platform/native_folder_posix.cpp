// NativeFolder on POSIX systems: every operation relative to the folder's
// descriptor.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef __linux__
#include <sys/xattr.h>
#endif

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/native_folder.h"
#include "platform/posix_errors.h"

namespace karvonel::platform {
namespace {

// A descriptor only to look up names relative to: it needs no permission to
// read the folder, only to search it, as creating a file in it does.
#ifdef O_PATH
constexpr int kLookupOnly = O_PATH;
#else
constexpr int kLookupOnly = O_RDONLY;
#endif

// A descriptor of the folder itself for reading or syncing it; -1 if the
// folder may not be read.
int OpenForReading(int folder) {
  return ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

}  // namespace

SystemResult<NativeFolder> NativeFolder::Open(const std::filesystem::path& path) {
  NativeFolder folder;
  folder.held_.fd_ =
      ::open(path.empty() ? "." : path.c_str(), kLookupOnly | O_DIRECTORY | O_CLOEXEC);
  if (folder.held_.fd_ < 0)
    return Failed();
  return folder;
}

SystemResult<FileInfo> NativeFolder::InfoOf(const std::filesystem::path& name) const {
  struct stat status {};
  if (::fstatat(held_.fd_, name.c_str(), &status, 0) != 0)
    return Failed();
  return InfoFrom(status);
}

SystemResult<NativeFile> NativeFolder::CreateUnnamed() const {
#ifdef O_TMPFILE
  NativeFile file;
  do {
    file.fd_ = ::openat(held_.fd_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  } while (file.fd_ < 0 && Interrupted());
  if (file.fd_ >= 0)
    return file;
  // A file system without unnamed files says so in one of these ways.
  if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)
    return FailedWith(EOPNOTSUPP);
  return Failed();
#else
  return FailedWith(EOPNOTSUPP);
#endif
}

SystemResult<NativeFile> NativeFolder::CreateNew(const std::filesystem::path& name) const {
  NativeFile file;
  do {
    file.fd_ = ::openat(held_.fd_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  } while (file.fd_ < 0 && Interrupted());
  if (file.fd_ < 0)
    return Failed();
  return file;
}

Status NativeFolder::Link(const NativeFile& file, const std::filesystem::path& name) const {
  char proc_path[40];
  std::snprintf(proc_path, sizeof proc_path, "/proc/self/fd/%d", file.fd_);
  if (::linkat(AT_FDCWD, proc_path, held_.fd_, name.c_str(), AT_SYMLINK_FOLLOW) != 0)
    return Failed();
  return {};
}

Status NativeFolder::Rename(const std::filesystem::path& from,
                            const std::filesystem::path& to) const {
  // Taken first: after the rename nothing may fail for want of a descriptor.
  const int syncable = OpenForReading(held_.fd_);
  if (::renameat(held_.fd_, from.c_str(), held_.fd_, to.c_str()) != 0) {
    const auto failed = Failed();
    if (syncable >= 0)
      ::close(syncable);
    return failed;
  }
  // Make the new name itself durable: sync the folder that holds it.
  if (syncable >= 0) {
    ::fsync(syncable);
    ::close(syncable);
  }
  return {};
}

void NativeFolder::CopyExtendedAttributes(const std::filesystem::path& name, const NativeFile& to,
                                          bool access_list) const {
#ifdef __linux__
  NativeFile from;  // closes it however this ends
  from.fd_ = ::openat(held_.fd_, name.c_str(), O_PATH | O_CLOEXEC);
  if (from.fd_ < 0)
    return;
  char from_path[40];
  std::snprintf(from_path, sizeof from_path, "/proc/self/fd/%d", from.fd_);
  const ssize_t listed = ::listxattr(from_path, nullptr, 0);
  if (listed <= 0)
    return;
  std::vector<char> names(static_cast<std::size_t>(listed));
  const ssize_t names_size = ::listxattr(from_path, names.data(), names.size());
  std::vector<char> value;
  for (ssize_t at = 0; at < names_size;) {
    const std::string_view attribute(names.data() + at);
    at += static_cast<ssize_t>(attribute.size()) + 1;
    if (!attribute.starts_with("user.") &&
        !(access_list && attribute == "system.posix_acl_access")) {
      continue;
    }
    const std::string key(attribute);
    const ssize_t size = ::getxattr(from_path, key.c_str(), nullptr, 0);
    if (size < 0)
      continue;
    value.resize(static_cast<std::size_t>(size));
    const ssize_t got = ::getxattr(from_path, key.c_str(), value.data(), value.size());
    if (got >= 0)
      (void)::fsetxattr(to.fd_, key.c_str(), value.data(), static_cast<std::size_t>(got), 0);
  }
#else
  (void)name;
  (void)to;
  (void)access_list;
#endif
}

void NativeFolder::Remove(const std::filesystem::path& name) const {
  ::unlinkat(held_.fd_, name.c_str(), 0);
}

std::vector<std::filesystem::path> NativeFolder::NamesLike(std::string_view prefix,
                                                           std::string_view suffix) const {
  std::vector<std::filesystem::path> names;
  const int readable = OpenForReading(held_.fd_);
  if (readable < 0)
    return names;
  DIR* const listing = ::fdopendir(readable);
  if (listing == nullptr) {
    ::close(readable);
    return names;
  }
  while (const dirent* entry = ::readdir(listing)) {
    const std::string_view name = entry->d_name;
    if (name.size() >= prefix.size() + suffix.size() && name.starts_with(prefix) &&
        name.ends_with(suffix)) {
      names.emplace_back(name);
    }
  }
  ::closedir(listing);
  return names;
}

void NativeFolder::RemoveIfAbandoned(const std::filesystem::path& name, std::int64_t) const {
  const int fd = ::openat(held_.fd_, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return;
  // Locked, and still the file of that name: a run that created the file but
  // has not yet locked it finds its name gone and takes another.
  struct stat held {
  }, named{};
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) &&
      ::fstatat(held_.fd_, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
      named.st_dev == held.st_dev && named.st_ino == held.st_ino) {
    ::unlinkat(held_.fd_, name.c_str(), 0);
  }
  ::close(fd);
}

}  // namespace karvonel::platform
