// NativeFile on Windows: the wide-character file API, so every path reaches the
// system as UTF-16 whatever the ANSI code page, and no C run-time text mode.
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

#include "platform/native_file.h"
#include "platform/windows_errors.h"

namespace karvonel::platform {
namespace {

HANDLE AsHandle(void* handle) {
  return static_cast<HANDLE>(handle);
}

// ReadFile and WriteFile take 32-bit counts; larger requests go in pieces.
constexpr std::size_t kMaxChunk = 1u << 30;

}  // namespace

NativeFile::NativeFile() = default;

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

SystemResult<Ownership> NativeFile::TakeModeOf(const FileInfo&) {
  // Windows keeps no permission bits beside the read-only attribute, and a
  // read-only file is never replaced; the new file takes the folder's
  // inherited access rights, as every new file there does.
  return Ownership{};
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

Status NativeFile::WriteAt(const char* data, std::size_t size, std::uint64_t offset) {
  const HANDLE handle = AsHandle(handle_);
  LARGE_INTEGER zero{};
  LARGE_INTEGER here{};
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(offset);
  if (!::SetFilePointerEx(handle, zero, &here, FILE_CURRENT) ||
      !::SetFilePointerEx(handle, at, nullptr, FILE_BEGIN)) {
    return Failed();
  }
  const Status written = Write(data, size);
  if (!::SetFilePointerEx(handle, here, nullptr, FILE_BEGIN) && written)
    return Failed();
  return written;
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

}  // namespace karvonel::platform
