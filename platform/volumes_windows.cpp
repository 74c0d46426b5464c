// Volumes on Windows: the drive letters.
#include <windows.h>

#include <system_error>

#include "platform/native_file.h"
#include "platform/volumes.h"
#include "platform/windows_errors.h"

namespace karvonel::platform {

std::vector<Volume> MountedVolumes() {
  std::vector<Volume> volumes;
  const DWORD drives = ::GetLogicalDrives();
  for (int letter = 0; letter < 26; ++letter) {
    if ((drives & (DWORD{1} << letter)) == 0)
      continue;
    const wchar_t root[] = {static_cast<wchar_t>(L'A' + letter), L':', L'\\', L'\0'};
    Volume volume;
    volume.root = root;
    // A drive with no medium in it must not make the system ask for one.
    const UINT mode = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    wchar_t name[MAX_PATH + 1] = {};
    volume.ready = ::GetVolumeInformationW(root, name, MAX_PATH + 1, nullptr, nullptr, nullptr,
                                           nullptr, 0) != 0;
    ::SetErrorMode(mode);
    volume.name = Utf8FromWide(name);
    volumes.push_back(std::move(volume));
  }
  return volumes;
}

bool IsHidden(const std::filesystem::path& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
}

std::string ReasonFor(const std::error_code& error) {
  // std::filesystem reports the Windows API's own codes in system_category.
  if (error.category() == std::system_category())
    return SystemMessage(static_cast<DWORD>(error.value()));
  return ReasonText(error.value());
}

}  // namespace karvonel::platform
