// NativeFile on Windows: the wide-character file API, so every path reaches the
// system as UTF-16 whatever the ANSI code page, and no C run-time text mode.
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

#include "platform/buffer_copy.h"
#include "platform/native_file.h"

namespace karvonel::platform {
namespace {

HANDLE AsHandle(void* handle) {
  return static_cast<HANDLE>(handle);
}

// The nearest errno value, so callers test `code` the same way everywhere.
int ErrnoFor(DWORD code) {
  switch (code) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
      return EINVAL;
    case ERROR_DIRECTORY:
      return ENOTDIR;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    case ERROR_NOT_READY:
      return EAGAIN;
    default:
      return EIO;
  }
}

std::string Utf8FromWide(const wchar_t* text, int length) {
  if (length <= 0)
    return {};
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (size <= 0)
    return {};
  std::string out(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
  return out;
}

// The system's own message for `code`, in the user's language, as UTF-8.
std::string SystemMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text;
  if (length > 0 && buffer != nullptr) {
    DWORD end = length;
    while (end > 0 &&
           (buffer[end - 1] == L'\r' || buffer[end - 1] == L'\n' || buffer[end - 1] == L' ')) {
      --end;
    }
    text = Utf8FromWide(buffer, static_cast<int>(end));
  }
  if (buffer != nullptr)
    ::LocalFree(buffer);
  if (text.empty()) {
    char fallback[40];
    std::snprintf(fallback, sizeof fallback, "Windows error %lu", static_cast<unsigned long>(code));
    text = fallback;
  }
  return text;
}

SystemError ErrorFor(DWORD code) {
  return {ErrnoFor(code), SystemMessage(code)};
}

Unexpected<SystemError> Failed(DWORD code) {
  return Unexpected{ErrorFor(code)};
}

Unexpected<SystemError> Failed() {
  return Failed(::GetLastError());
}

FileInfo InfoFrom(const BY_HANDLE_FILE_INFORMATION& status) {
  FileInfo info;
  info.id = {status.dwVolumeSerialNumber,
             (static_cast<std::uint64_t>(status.nFileIndexHigh) << 32) | status.nFileIndexLow};
  info.links = status.nNumberOfLinks;
  info.mode = (status.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0666;
  if ((status.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    info.kind = FileKind::kDirectory;
    return info;
  }
  info.kind = FileKind::kRegular;
  info.size = static_cast<std::int64_t>((static_cast<std::uint64_t>(status.nFileSizeHigh) << 32) |
                                        status.nFileSizeLow);
  info.stamp = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(status.ftLastWriteTime.dwHighDateTime) << 32) |
      status.ftLastWriteTime.dwLowDateTime);
  return info;
}

// ReadFile and WriteFile take 32-bit counts; larger requests go in pieces.
constexpr std::size_t kMaxChunk = 1u << 30;

}  // namespace

NativeFile::NativeFile(NativeFile&& other) noexcept : handle_(other.handle_) {
  other.handle_ = INVALID_HANDLE_VALUE;
}

NativeFile& NativeFile::operator=(NativeFile&& other) noexcept {
  if (this != &other) {
    if (IsOpen())
      ::CloseHandle(AsHandle(handle_));
    handle_ = other.handle_;
    other.handle_ = INVALID_HANDLE_VALUE;
  }
  return *this;
}

NativeFile::~NativeFile() {
  if (IsOpen())
    ::CloseHandle(AsHandle(handle_));
}

SystemResult<NativeFile> NativeFile::Open(const std::filesystem::path& path, Mode mode) {
  DWORD access = 0;
  DWORD share = 0;
  DWORD disposition = 0;
  switch (mode) {
    case Mode::kRead:
      // Others may go on writing, renaming or deleting: the run notices a
      // change of size itself.
      access = GENERIC_READ;
      share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
      disposition = OPEN_EXISTING;
      break;
    case Mode::kCreateNew:
      access = GENERIC_WRITE;
      share = FILE_SHARE_READ;
      disposition = CREATE_NEW;
      break;
    case Mode::kReadWriteKeep:
      // Shared, so that a second user meets the lock (TryLock) rather than a
      // sharing violation and can be told what is going on.
      access = GENERIC_READ | GENERIC_WRITE;
      share = FILE_SHARE_READ | FILE_SHARE_WRITE;
      disposition = OPEN_ALWAYS;
      break;
  }
  // para.sec: a reparse point (a symbolic link, a junction) is opened itself,
  // not followed, and then refused.
  const DWORD flags = mode == Mode::kReadWriteKeep
                          ? FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT
                          : FILE_ATTRIBUTE_NORMAL;
  NativeFile file;
  const HANDLE handle =
      ::CreateFileW(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return Failed();
  file.handle_ = handle;
  if (mode == Mode::kReadWriteKeep) {
    BY_HANDLE_FILE_INFORMATION status{};
    if (::GetFileInformationByHandle(handle, &status) &&
        (status.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      return Unexpected{SystemError{ELOOP, SystemMessage(ERROR_CANT_ACCESS_FILE)}};
    }
  }
  return file;
}

bool NativeFile::IsOpen() const {
  return AsHandle(handle_) != INVALID_HANDLE_VALUE;
}

SystemResult<NativeFile> NativeFile::OpenUnnamed(const std::filesystem::path&) {
  return Unexpected{SystemError{EOPNOTSUPP, SystemMessage(ERROR_NOT_SUPPORTED)}};
}

Status NativeFile::LinkAs(const std::filesystem::path&) {
  return Failed(ERROR_NOT_SUPPORTED);
}

SystemResult<FileInfo> NativeFile::Info() const {
  const HANDLE handle = AsHandle(handle_);
  FileInfo info;
  if (::GetFileType(handle) != FILE_TYPE_DISK)
    return info;  // a pipe or a device
  BY_HANDLE_FILE_INFORMATION status{};
  if (!::GetFileInformationByHandle(handle, &status))
    return Failed();
  return InfoFrom(status);
}

SystemResult<FileInfo> InfoOf(const std::filesystem::path& path) {
  // Opened for nothing but its attributes; a folder needs BACKUP_SEMANTICS.
  const HANDLE handle =
      ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return Failed();
  FileInfo info;
  BY_HANDLE_FILE_INFORMATION status{};
  const bool disk = ::GetFileType(handle) == FILE_TYPE_DISK;
  const bool known = disk && ::GetFileInformationByHandle(handle, &status);
  const DWORD code = ::GetLastError();
  ::CloseHandle(handle);
  if (disk && !known)
    return Failed(code);
  return disk ? InfoFrom(status) : info;
}

Status NativeFile::TakeModeOf(const FileInfo&) {
  // Windows keeps no permission bits beside the read-only attribute, and a
  // read-only file is never replaced.
  return {};
}

SystemResult<std::size_t> NativeFile::Read(char* data, std::size_t size) {
  DWORD count = 0;
  if (::ReadFile(AsHandle(handle_), data, static_cast<DWORD>(std::min(size, kMaxChunk)), &count,
                 nullptr)) {
    return static_cast<std::size_t>(count);
  }
  const DWORD code = ::GetLastError();
  // The writing end of a pipe was closed: that is the end of the input.
  if (code == ERROR_BROKEN_PIPE)
    return std::size_t{0};
  return Failed(code);
}

Status NativeFile::Write(const char* data, std::size_t size) {
  while (size > 0) {
    DWORD count = 0;
    if (!::WriteFile(AsHandle(handle_), data, static_cast<DWORD>(std::min(size, kMaxChunk)), &count,
                     nullptr)) {
      return Failed();
    }
    if (count == 0)
      return Failed(ERROR_WRITE_FAULT);
    data += count;
    size -= count;
  }
  return {};
}

Status NativeFile::Sync() {
  if (!::FlushFileBuffers(AsHandle(handle_)))
    return Failed();
  return {};
}

void NativeFile::StartWriteback() {}

Status NativeFile::Rewind() {
  LARGE_INTEGER start{};
  if (!::SetFilePointerEx(AsHandle(handle_), start, nullptr, FILE_BEGIN))
    return Failed();
  return {};
}

Status NativeFile::TruncateHere(std::uint64_t unit) {
  LARGE_INTEGER zero{};
  LARGE_INTEGER position{};
  if (!::SetFilePointerEx(AsHandle(handle_), zero, &position, FILE_CURRENT))
    return Failed();
  LARGE_INTEGER whole{};
  whole.QuadPart = position.QuadPart - static_cast<LONGLONG>(position.QuadPart % unit);
  if (!::SetFilePointerEx(AsHandle(handle_), whole, nullptr, FILE_BEGIN) ||
      !::SetEndOfFile(AsHandle(handle_))) {
    return Failed();
  }
  return {};
}

Status NativeFile::TryLock() {
  // The whole file, as far as it could ever grow. The lock goes with the
  // handle: Windows releases it when the handle is closed.
  OVERLAPPED from_start{};
  if (::LockFileEx(AsHandle(handle_), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0,
                   MAXDWORD, MAXDWORD, &from_start)) {
    return {};
  }
  const DWORD code = ::GetLastError();
  if (code == ERROR_LOCK_VIOLATION || code == ERROR_SHARING_VIOLATION)
    return Unexpected{SystemError{kBusy, SystemMessage(code)}};
  return Failed(code);
}

Status NativeFile::Close() {
  if (!IsOpen())
    return {};
  const HANDLE handle = AsHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
  if (!::CloseHandle(handle))
    return Failed();
  return {};
}

Result<std::uint64_t, CopyError> CopyBytes(NativeFile& source, NativeFile& target,
                                           std::uint64_t size) {
  return CopyThroughBuffer(source, target, size);
}

Status MoveIntoPlace(const std::filesystem::path& from, const std::filesystem::path& to) {
  // WRITE_THROUGH: the call returns only once the new name is on the disk.
  if (!::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return Failed();
  return {};
}

void RemoveFileQuietly(const std::filesystem::path& path) {
  ::DeleteFileW(path.c_str());
}

std::vector<std::filesystem::path> EntriesStartingWith(const std::filesystem::path& folder,
                                                       std::string_view prefix) {
  std::vector<std::filesystem::path> entries;
  WIN32_FIND_DATAW found{};
  const std::filesystem::path pattern =
      (folder.empty() ? std::filesystem::path(".") : folder) / "*";
  const HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE)
    return entries;
  do {
    const std::string name =
        Utf8FromWide(found.cFileName, static_cast<int>(wcslen(found.cFileName)));
    if (std::string_view(name).starts_with(prefix))
      entries.push_back(folder / found.cFileName);
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return entries;
}

std::int64_t CurrentProcessId() {
  return static_cast<std::int64_t>(::GetCurrentProcessId());
}

bool ProcessIsGone(std::int64_t pid) {
  const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
  if (process == nullptr)
    return ::GetLastError() == ERROR_INVALID_PARAMETER;  // no such process
  const bool ended = ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
  ::CloseHandle(process);
  return ended;
}

std::string PathText(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace karvonel::platform
