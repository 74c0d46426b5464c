// The Windows side of SystemError and FileInfo, shared by the files of this
// folder that call the Windows API.
#pragma once

#include <windows.h>

#include <string>

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
std::string Utf8FromWide(const wchar_t* text, int length);
FileInfo InfoFrom(const BY_HANDLE_FILE_INFORMATION& status);

}  // namespace karvonel::platform
