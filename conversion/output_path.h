// The output path that goes with an input path.
#pragma once

#include <string>
#include <string_view>

namespace karvonel::conversion {

// Replaces the file name's extension (from the last full stop of the file name,
// folders not included) with ".igs", or appends ".igs" to a file name without
// a full stop: C:\my.data\pts.csv gives C:\my.data\pts.igs, a.b.csv gives
// a.b.igs. "/" always separates folders; "\" does too when
// `backslash_separates` is true, which is the default on Windows.
std::string OutputPathFor(std::string_view in_path, bool backslash_separates
#ifdef _WIN32
                                                    = true
#else
                                                    = false
#endif
);

}  // namespace karvonel::conversion
