// The main window's state and behaviour, without any toolkit: what the three
// lists and the two path boxes show, and what each of the user's acts does.
// A view (Qt on Linux, Win32 on Windows) builds the controls, forwards each
// event to the handler of the same name and then shows what the Reply says
// has changed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "window/folders.h"

namespace karvonel::window {

// A row of the directory list: the open folder's chain above it (open) and its
// sub-folders below (closed), each indented by `depth`.
struct DirectoryRow {
  std::filesystem::path path;  // absolute
  std::string text;            // a folder's own name, a root's whole path
  int depth = 0;
  bool open = false;
};

// A row of the file list.
struct FileRow {
  std::filesystem::path name;  // the file's own name, no folder
  std::string text;
};

// What a handler changed, for the view to show again.
struct Reply {
  bool lists = false;   // the drive, the rows of both lists and their choices
  bool paths = false;   // the texts of both path boxes
  std::string message;  // a message box to show after that, or empty
  bool end = false;     // the program ends at once
};

// The feedback of a running conversion, as each view draws it.
class ConversionProgress {
 public:
  virtual ~ConversionProgress() = default;
  // `share` of the work is done, from 0 to 1 (1 only at the very end). The
  // view draws it and lets the user cancel: false when the user has.
  virtual bool Update(double share) = 0;
};

class MainWindow {
 public:
  // The lists open on `start_folder`; when it is gone, on the nearest folder
  // above it that is left (and the first message says so); when that cannot
  // be read either, on the first drive that can.
  MainWindow(std::vector<Drive> drives, const std::filesystem::path& start_folder);

  // What the view shows.
  const std::vector<Drive>& Drives() const { return drives_; }
  int DriveIndex() const { return drive_index_; }  // -1: none of them
  const std::vector<DirectoryRow>& DirectoryRows() const { return directory_rows_; }
  int OpenRow() const { return open_row_; }  // the row of the open folder
  const std::vector<FileRow>& FileRows() const { return file_rows_; }
  int ChosenFile() const { return chosen_file_; }  // -1: none
  const std::string& InText() const { return in_text_; }
  const std::string& OutText() const { return out_text_; }
  // A message from opening the window (its start folder was gone), or empty.
  const std::string& StartMessage() const { return start_message_; }

  // The folder the lists show, absolute.
  const std::filesystem::path& Folder() const { return folder_; }
  // The chosen point list; empty until a file has been chosen.
  const std::filesystem::path& InPath() const { return in_path_; }
  // The IGES file to write.
  const std::filesystem::path& OutPath() const { return out_path_; }

  // The user chose drive `index`: the lists open the folder last open on it,
  // or its root. A drive that cannot be read leaves everything as it was.
  Reply Drv1_Change(int index);
  // The user opened directory row `row`.
  Reply Dir1_Change(int row);
  // The user chose file row `row` (again, or another one).
  Reply Fil1_Click(int row);
  // The output box now holds `text`, typed by the user.
  Reply Txt2_Change(std::string_view text);
  // Runs the conversion. A relative output path is first taken in the folder
  // the lists show, and the box shows the absolute path really used.
  Reply Cmd1_Click(ConversionProgress& progress);
  // Cancel and File > Exit: the program ends, without a question.
  Reply Cmd2_Click() const { return {false, false, {}, true}; }
  Reply mnuEnd_Click() const { return {false, false, {}, true}; }

  // Whether the dropped files are a point list that Drop takes: one regular
  // file whose name ends in ".csv" in any case.
  static bool Droppable(const std::vector<std::filesystem::path>& files);
  // A dropped point list is chosen as the user would: its folder opened, the
  // file clicked in the file list.
  Reply Drop(const std::vector<std::filesystem::path>& files);

 private:
  // Opens `folder` in the lists; a folder that is gone moves the lists to the
  // nearest one above it that is left. Returns the message, or empty.
  std::string Open(const std::filesystem::path& folder);
  void Show(const std::filesystem::path& folder, const FolderListing& listing);

  std::vector<Drive> drives_;
  int drive_index_ = -1;
  std::map<std::filesystem::path, std::filesystem::path> last_folder_;  // drive root -> folder

  std::filesystem::path folder_;
  std::vector<DirectoryRow> directory_rows_;
  int open_row_ = -1;
  std::vector<FileRow> file_rows_;
  int chosen_file_ = -1;

  std::filesystem::path in_path_;
  std::filesystem::path out_path_;
  std::string in_text_;
  std::string out_text_;
  std::string start_message_;
};

}  // namespace karvonel::window
