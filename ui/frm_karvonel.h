// FrmKarvonel, the main window: choose a point list with the drive, directory
// and file lists, see and edit the output path, convert, open the About window.
#pragma once

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QString>
#include <chrono>
#include <functional>

#include "ui/folders.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

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
  FrmKarvonel(QList<Drive> drives, const QString& start_folder);

  // The chosen point list; empty until a file has been selected.
  const QString& InPath() const { return in_path_; }
  // The IGES file to write; always the text of the output path box.
  const QString& OutPath() const { return out_path_; }

  // Replaces the message box (title "PrjKarvonel", OK only, no icon) through
  // which the window reports.
  void SetMessageFunction(MessageFunction show_message);
  // How long a conversion runs before its progress dialog appears.
  void SetProgressDelay(std::chrono::milliseconds delay);

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
  void OpenFailed(const QString& folder, const QString& reason);

  QString in_path_;
  QString out_path_;

  QList<Drive> drives_;
  int drive_index_ = -1;                 // the drive Drv1 shows
  QHash<QString, QString> last_folder_;  // drive root -> folder last open on it

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
