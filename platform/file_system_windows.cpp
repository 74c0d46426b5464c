// The Windows file system beyond one open file: what a path names, moving
// into place, removing, listing, processes, paths as text.
#include <windows.h>

#include <cwchar>

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

Status MoveIntoPlace(const std::filesystem::path& from, const std::filesystem::path& to) {
  // WRITE_THROUGH: the call returns only once the new name is on the disk.
  if (!::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return Failed();
  return {};
}

void RemoveFileQuietly(const std::filesystem::path& path) {
  ::DeleteFileW(path.c_str());
}

std::vector<std::filesystem::path> EntriesNamedLike(const std::filesystem::path& folder,
                                                    std::string_view prefix,
                                                    std::string_view suffix) {
  std::vector<std::filesystem::path> entries;
  WIN32_FIND_DATAW found{};
  // The pattern also matches short (8.3) names, so each long name is checked.
  const std::filesystem::path pattern = (folder.empty() ? std::filesystem::path(".") : folder) /
                                        (std::string(prefix) + "*" + std::string(suffix));
  const HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE)
    return entries;
  do {
    const std::string name =
        Utf8FromWide(found.cFileName, static_cast<int>(wcslen(found.cFileName)));
    if (name.size() >= prefix.size() + suffix.size() && name.starts_with(prefix) &&
        name.ends_with(suffix)) {
      entries.push_back(folder / found.cFileName);
    }
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return entries;
}

namespace {

bool ProcessIsGone(std::int64_t pid) {
  const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
  if (process == nullptr)
    return ::GetLastError() == ERROR_INVALID_PARAMETER;  // no such process
  const bool ended = ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
  ::CloseHandle(process);
  return ended;
}

}  // namespace

void RemoveIfAbandoned(const std::filesystem::path& path, std::int64_t owner) {
  if (owner != CurrentProcessId() && ProcessIsGone(owner))
    ::DeleteFileW(path.c_str());
}

// Windows keeps the current folder of a process from being removed.
CurrentFolder CurrentFolderNow() {
  std::error_code error;
  std::filesystem::path path = std::filesystem::current_path(error);
  return {error ? std::filesystem::path(L".") : std::move(path), false};
}

std::int64_t CurrentProcessId() {
  return static_cast<std::int64_t>(::GetCurrentProcessId());
}

std::string PathText(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace karvonel::platform
