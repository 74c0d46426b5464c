// The POSIX side of SystemError and FileInfo, shared by the files of this
// folder that call the POSIX API.
#pragma once

#include <sys/stat.h>

#include "platform/native_file.h"

namespace karvonel::platform {

// The error for errno as it stands, or for `code`.
Unexpected<SystemError> Failed();
Unexpected<SystemError> FailedWith(int code);
FileInfo InfoFrom(const struct stat& status);

}  // namespace karvonel::platform
