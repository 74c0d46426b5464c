// Paths as the windows show them, and texts the user typed as paths. A path
// keeps the file system's own name; its text is for showing only.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace karvonel::window {

// The text (UTF-8) that shows `path`, with the system's own separator ("\" on
// Windows). On Linux a name need not be UTF-8 (Shift_JIS from a Windows
// archive, say): each byte that is not part of a UTF-8 character shows as
// U+FFFD.
std::string ShownText(const std::filesystem::path& path);

// The path that a text (UTF-8) typed by the user names.
std::filesystem::path PathFromText(std::string_view text);

// `path` with each run of separators after its root as one separator:
// "/a//b" is "/a/b", as the system reads it; a Windows network path's leading
// "\\" stays.
std::filesystem::path WithSingleSeparators(const std::filesystem::path& path);

// `text` with the letters A to Z in lower case: for comparing names without
// regard to case.
std::string AsciiLower(std::string text);

// Whether the file name ends in ".csv" in any case.
bool IsPointListName(const std::filesystem::path& name);

}  // namespace karvonel::window
