// The Windows side of SystemError and FileInfo, shared by the files of this
// folder that call the Windows API.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/native_file.h"

namespace karvonel::platform {

// The error for a Windows error code: the nearest errno value and the
// system's own message in English, as UTF-8.
SystemError ErrorFor(DWORD code);
Unexpected<SystemError> Failed(DWORD code);
// The same for GetLastError().
Unexpected<SystemError> Failed();
// The system's own message for `code`.
std::string SystemMessage(DWORD code);
// UTF-16 text as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf8FromWide(std::wstring_view text);
FileInfo InfoFrom(const BY_HANDLE_FILE_INFORMATION& status);

}  // namespace karvonel::platform
