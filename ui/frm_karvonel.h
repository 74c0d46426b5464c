// FrmKarvonel, the main window: choose a point list with the drive, directory
// and file lists, see and edit the output path, convert, open the About window.
#pragma once

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QString>
#include <chrono>
#include <filesystem>
#include <functional>

#include "ui/folders.h"
#include "ui/text_fit.h"

class QComboBox;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QShowEvent;

namespace karvonel::ui {

class DirectoryList;
class FileList;

class FrmKarvonel : public QMainWindow {
  Q_OBJECT

 public:
  // Shows a message to the user and returns when it has been read.
  using MessageFunction = std::function<void(const QString& text)>;

  // The machine's drives, opened on the current folder.
  FrmKarvonel();
  // `drives` for the drive list, opened on `start_folder`; when that cannot be
  // read, on the first drive that can.
  FrmKarvonel(QList<Drive> drives, const std::filesystem::path& start_folder);

  // The chosen point list; empty until a file has been selected. Its name is
  // the file system's own, which the input path box may not show exactly.
  const std::filesystem::path& InPath() const { return in_path_; }
  // The IGES file to write: the path derived from the chosen file until the
  // output path box is edited, then the text of the box, in the chosen file's
  // own folder while the text begins with it.
  const std::filesystem::path& OutPath() const { return out_path_; }

  // Replaces the message box (title "PrjKarvonel", OK only, no icon) through
  // which the window reports.
  void SetMessageFunction(MessageFunction show_message);
  // How long a conversion runs before its progress dialog appears.
  void SetProgressDelay(std::chrono::milliseconds delay);

 protected:
  void showEvent(QShowEvent* event) override;
  // A larger font grows the controls that would cut their texts.
  void changeEvent(QEvent* event) override;
  // A point-list file dropped anywhere on the window is chosen as a click on
  // it in the file list chooses it; nothing else can be dropped.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  // The text boxes pass a dropped point-list file on to the window and take
  // nothing dropped themselves.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private slots:
  void Drv1_Change();
  void Dir1_Change();
  void Fil1_Click();
  void Txt2_Change();
  void Cmd1_Click();
  void Cmd2_Click();
  void mnuEnd_Click();
  void mnuAbout_Click();

 private:
  void CreateControls();
  void CreateMenus();
  void FitControlsToTexts();
  void OpenFailed(const std::filesystem::path& folder, const QString& reason);
  // Handles a drag event that carries a point-list file; false for any other.
  bool TakeDrop(QEvent* event);

  std::filesystem::path in_path_;
  std::filesystem::path out_path_;

  QList<Drive> drives_;
  int drive_index_ = -1;                               // the drive Drv1 shows
  QHash<QString, std::filesystem::path> last_folder_;  // drive root -> folder last open on it
  QList<DesignedControl> designed_;                    // the controls at their designed places

  MessageFunction show_message_;
  std::chrono::milliseconds progress_delay_{500};

  QComboBox* drv1_ = nullptr;
  DirectoryList* dir1_ = nullptr;
  FileList* fil1_ = nullptr;
  QLineEdit* txt1_ = nullptr;
  QLabel* lbl1_ = nullptr;
  QPushButton* cmd1_ = nullptr;
  QLabel* lbl2_ = nullptr;
  QLineEdit* txt2_ = nullptr;
  QPushButton* cmd2_ = nullptr;
  QFrame* line1_ = nullptr;
};

}  // namespace karvonel::ui
