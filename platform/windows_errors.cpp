#include "platform/windows_errors.h"

#include <cerrno>
#include <cstdio>

namespace karvonel::platform {
namespace {

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

}  // namespace

std::string Utf8FromWide(std::wstring_view text) {
  const int length = static_cast<int>(text.size());
  const int size =
      ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  if (size <= 0)
    return {};
  std::string out(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, out.data(), size, nullptr, nullptr);
  return out;
}

// The system's own message for `code`, in English where the system has it, as
// UTF-8.
std::string SystemMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  constexpr DWORD kFlags =
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  // In English, as on every system and in every locale; a Windows without the
  // English texts gives its own language.
  DWORD length =
      ::FormatMessageW(kFlags, nullptr, code, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                       reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  if (length == 0)
    length =
        ::FormatMessageW(kFlags, nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text;
  if (length > 0 && buffer != nullptr) {
    DWORD end = length;
    while (end > 0 &&
           (buffer[end - 1] == L'\r' || buffer[end - 1] == L'\n' || buffer[end - 1] == L' ')) {
      --end;
    }
    text = Utf8FromWide(std::wstring_view(buffer, end));
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

}  // namespace karvonel::platform
