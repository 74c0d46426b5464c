// What a drag carries, as paths for the window logic.
#pragma once

#include <filesystem>
#include <vector>

class QMimeData;

namespace karvonel::ui {

// The local files a drag carries, by the file system's own names; none when it
// carries anything else (text, a remote URL).
std::vector<std::filesystem::path> DroppedFiles(const QMimeData* data);

}  // namespace karvonel::ui
