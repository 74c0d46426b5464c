#include "window/main_window.h"

#include <algorithm>

#include "conversion/conversion_run.h"
#include "conversion/output_path.h"
#include "platform/volumes.h"
#include "window/shown_text.h"
#include "window/texts.h"

namespace karvonel::window {
namespace {

namespace fs = std::filesystem;

bool IsGone(const std::error_code& error) {
  return error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory;
}

// The output path for `in_file` by the core's rule, on the file system's own
// name (on Linux bytes, which need not be UTF-8).
fs::path OutputFileFor(const fs::path& in_file) {
#ifdef _WIN32
  const std::u8string in = in_file.u8string();
  const std::string out = conversion::OutputPathFor(
      std::string_view(reinterpret_cast<const char*>(in.data()), in.size()));
  return fs::path(std::u8string(out.begin(), out.end()));
#else
  return fs::path(conversion::OutputPathFor(in_file.native()));
#endif
}

template <class Rows>
bool IsRow(const Rows& rows, int row) {
  return row >= 0 && static_cast<std::size_t>(row) < rows.size();
}

}  // namespace

MainWindow::MainWindow(std::vector<Drive> drives, const fs::path& start_folder)
    : drives_(std::move(drives)) {
  if (!start_folder.empty())
    start_message_ = Open(start_folder);
  for (const Drive& drive : drives_) {
    if (!folder_.empty())
      break;
    (void)Open(drive.root);
  }
}

std::string MainWindow::Open(const fs::path& folder) {
  const fs::path path = AbsoluteFolder(folder);
  const FolderListing listing = ReadFolder(path);
  if (!listing.error) {
    Show(path, listing);
    return {};
  }
  if (IsGone(listing.error)) {
    for (fs::path up = path.parent_path(); !up.empty(); up = up.parent_path()) {
      const FolderListing above = ReadFolder(up);
      if (!above.error) {
        Show(up, above);
        return FolderGone(ShownText(path), ShownText(up));
      }
      if (up == up.parent_path())
        break;
    }
  }
  return FolderFailed(ShownText(path), platform::ReasonFor(listing.error));
}

void MainWindow::Show(const fs::path& folder, const FolderListing& listing) {
  folder_ = folder;
  directory_rows_.clear();
  int depth = 0;
  for (const fs::path& step : FolderChain(folder)) {
    const std::string text = step.has_filename() ? ShownText(step.filename()) : ShownText(step);
    directory_rows_.push_back({step, text, depth++, true});
  }
  open_row_ = static_cast<int>(directory_rows_.size()) - 1;
  for (const FolderEntry& entry : listing.folders)
    directory_rows_.push_back({folder / entry.name, entry.text, depth, false});
  file_rows_.clear();
  for (const FolderEntry& entry : listing.point_lists)
    file_rows_.push_back({entry.name, entry.text});
  chosen_file_ = -1;
  drive_index_ = DriveIndexFor(drives_, folder);
  if (drive_index_ >= 0)
    last_folder_[drives_[static_cast<std::size_t>(drive_index_)].root] = folder;
}

Reply MainWindow::Drv1_Change(int index) {
  if (!IsRow(drives_, index))
    return {};
  const Drive& drive = drives_[static_cast<std::size_t>(index)];
  // Each drive keeps the folder last open on it, while that is left.
  if (const auto last = last_folder_.find(drive.root); last != last_folder_.end()) {
    if (const FolderListing listing = ReadFolder(last->second); !listing.error) {
      Show(last->second, listing);
      return {true, false, {}, false};
    }
  }
  const FolderListing listing = ReadFolder(drive.root);
  if (listing.error)  // the drive list goes back to the drive it showed
    return {true, false, DriveFailed(drive.label, platform::ReasonFor(listing.error)), false};
  Show(drive.root, listing);
  return {true, false, {}, false};
}

Reply MainWindow::Dir1_Change(int row) {
  if (!IsRow(directory_rows_, row))
    return {};
  return {true, false, Open(directory_rows_[static_cast<std::size_t>(row)].path), false};
}

Reply MainWindow::Fil1_Click(int row) {
  if (!IsRow(file_rows_, row))
    return {};
  chosen_file_ = row;
  in_path_ = folder_ / file_rows_[static_cast<std::size_t>(row)].name;
  out_path_ = OutputFileFor(in_path_);
  in_text_ = ShownText(in_path_);
  out_text_ = ShownText(out_path_);
  return {true, true, {}, false};
}

Reply MainWindow::Txt2_Change(std::string_view text) {
  out_text_ = text;
  // A path that still begins with the chosen file's folder keeps that
  // folder's own name, which its text may not hold. What follows must be a
  // name: "folder//x" is the path as typed, not "/x".
  if (!in_path_.empty()) {
    const fs::path folder = in_path_.parent_path();
    std::string shown = ShownText(folder);
    if (!shown.ends_with(static_cast<char>(fs::path::preferred_separator)))
      shown += static_cast<char>(fs::path::preferred_separator);
    if (text.starts_with(shown)) {
      const fs::path rest = PathFromText(text.substr(shown.size()));
      if (rest.is_relative() && !rest.has_root_directory()) {
        out_path_ = folder / rest;
        return {};
      }
    }
  }
  out_path_ = PathFromText(text);
  return {};
}

Reply MainWindow::Cmd1_Click(ConversionProgress& progress) {
  Reply reply;
  if (!out_path_.empty()) {
    fs::path used = out_path_.is_absolute() ? out_path_ : folder_ / out_path_;
    used = WithSingleSeparators(used);
    if (used.native() != out_path_.native()) {  // paths compare equal over "//"
      out_path_ = used;
      out_text_ = ShownText(used);
      reply.paths = true;
    }
  }
  conversion::ConversionRequest request;
  request.in_path = in_path_;
  request.out_path = out_path_;
  request.progress = [&progress](std::uint64_t done, std::uint64_t total) {
    const double share =
        total == 0 ? 0.0 : static_cast<double>(std::min(done, total)) / static_cast<double>(total);
    return progress.Update(share);
  };
  reply.message = BreakAtPhrases(conversion::ResultMessage(conversion::RunConversion(request)));
  return reply;
}

bool MainWindow::Droppable(const std::vector<fs::path>& files) {
  std::error_code error;
  return files.size() == 1 && files.front().has_filename() &&
         fs::is_regular_file(files.front(), error) && IsPointListName(files.front());
}

Reply MainWindow::Drop(const std::vector<fs::path>& files) {
  if (!Droppable(files))
    return {};
  const fs::path& file = files.front();
  if (std::string message = Open(file.parent_path()); !message.empty())
    return {true, false, message, false};
  for (std::size_t row = 0; row < file_rows_.size(); ++row) {
    if (file_rows_[row].name == file.filename())
      return Fil1_Click(static_cast<int>(row));
  }
  return {true, false, {}, false};
}

}  // namespace karvonel::window
