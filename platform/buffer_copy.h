// The copy between two files through this process's memory, for systems and
// file pairs the system cannot copy between by itself.
#pragma once

#include "platform/native_file.h"

namespace karvonel::platform {

// Copies `size` bytes from `source`'s position to `target`'s through a fixed
// buffer. Returns the bytes copied: fewer when the source ends first.
Result<std::uint64_t, CopyError> CopyThroughBuffer(NativeFile& source, NativeFile& target,
                                                   std::uint64_t size);

}  // namespace karvonel::platform
