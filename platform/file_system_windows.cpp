// The Windows file system beyond one open file and the output's folder: what
// a path names, the current folder, the process, paths as text.
#include <windows.h>

#include <cstring>

#include "platform/native_file.h"
#include "platform/windows_errors.h"

namespace karvonel::platform {

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

// Windows keeps the current folder of a process from being removed.
CurrentFolder CurrentFolderNow() {
  std::error_code error;
  std::filesystem::path path = std::filesystem::current_path(error);
  return {error ? std::filesystem::path(L".") : std::move(path), false};
}

std::string UserName(std::int64_t user) {
  return std::to_string(user);
}

std::string GroupName(std::int64_t group) {
  return std::to_string(group);
}

std::int64_t CurrentProcessId() {
  return static_cast<std::int64_t>(::GetCurrentProcessId());
}

std::string ReasonText(int code) {
  return std::strerror(code);  // the C runtime speaks English only
}

std::string PathText(const std::filesystem::path& path) {
  return Utf8FromWide(path.native());
}

}  // namespace karvonel::platform
