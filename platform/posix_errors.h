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
// Whether a call that has just failed is to be made again: a signal that asks
// for nothing interrupted it. After one that asks the program to end (see
// signals.h), a blocking call is given up.
bool Interrupted();

}  // namespace karvonel::platform
