// A file dropped on the main window.
#pragma once

#include <filesystem>

class QMimeData;

namespace karvonel::ui {

// The point list that a drag carries: exactly one local file, a regular file
// whose name ends in ".csv" in any case, as the file list shows them. Empty
// for anything else: a folder, another file, several files, text.
std::filesystem::path DroppedPointList(const QMimeData* data);

}  // namespace karvonel::ui
