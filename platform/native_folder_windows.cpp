// NativeFolder on Windows: the folder's handle, opened without delete
// sharing, keeps the folder from being renamed or removed while a conversion
// runs, so that its path names the same folder from start to end.
#include <windows.h>

#include <string>

#include "platform/native_folder.h"
#include "platform/windows_errors.h"

namespace karvonel::platform {
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

SystemResult<NativeFolder> NativeFolder::Open(const std::filesystem::path& path) {
  NativeFolder folder;
  folder.path_ = path.empty() ? std::filesystem::path(L".") : path;
  // Listing access, so that the sharing counts: a handle without data access
  // would not keep others from renaming the folder.
  const HANDLE handle =
      ::CreateFileW(folder.path_.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return Failed();
  folder.held_.handle_ = handle;
  BY_HANDLE_FILE_INFORMATION status{};
  if (::GetFileInformationByHandle(handle, &status) &&
      (status.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return Failed(ERROR_DIRECTORY);
  }
  return folder;
}

SystemResult<FileInfo> NativeFolder::InfoOf(const std::filesystem::path& name) const {
  return platform::InfoOf(path_ / name);
}

SystemResult<NativeFile> NativeFolder::CreateUnnamed() const {
  return Unexpected{SystemError{EOPNOTSUPP, SystemMessage(ERROR_NOT_SUPPORTED)}};
}

SystemResult<NativeFile> NativeFolder::CreateNew(const std::filesystem::path& name) const {
  return NativeFile::Open(path_ / name, NativeFile::Mode::kCreateNew);
}

Status NativeFolder::Link(const NativeFile&, const std::filesystem::path&) const {
  return Failed(ERROR_NOT_SUPPORTED);
}

Status NativeFolder::Rename(const std::filesystem::path& from,
                            const std::filesystem::path& to) const {
  // WRITE_THROUGH: the call returns only once the new name is on the disk.
  if (!::MoveFileExW((path_ / from).c_str(), (path_ / to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return Failed();
  }
  return {};
}

void NativeFolder::CopyExtendedAttributes(const std::filesystem::path&, const NativeFile&,
                                          bool) const {
  // A new file takes the folder's inherited access rights; Windows has no user
  // extended attributes this program would keep.
}

void NativeFolder::Remove(const std::filesystem::path& name) const {
  std::error_code ignored;
  std::filesystem::remove(path_ / name, ignored);
}

std::vector<std::filesystem::path> NativeFolder::NamesLike(std::string_view prefix,
                                                           std::string_view suffix) const {
  std::vector<std::filesystem::path> names;
  WIN32_FIND_DATAW found{};
  // The pattern also matches short (8.3) names, so each long name is checked.
  const std::filesystem::path pattern = path_ / (std::string(prefix) + "*" + std::string(suffix));
  const HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE)
    return names;
  do {
    const std::string name = Utf8FromWide(found.cFileName);
    if (name.size() >= prefix.size() + suffix.size() && name.starts_with(prefix) &&
        name.ends_with(suffix)) {
      names.emplace_back(found.cFileName);
    }
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return names;
}

void NativeFolder::RemoveIfAbandoned(const std::filesystem::path& name, std::int64_t owner) const {
  if (owner != CurrentProcessId() && ProcessIsGone(owner))
    Remove(name);
}

}  // namespace karvonel::platform
