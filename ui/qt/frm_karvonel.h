// FrmKarvonel, the main window: the view of window::MainWindow. It builds the
// controls at their places, forwards each event to the logic's handler of the
// same name and shows what the handler changed.
#pragma once

#include <QList>
#include <QMainWindow>
#include <QString>
#include <chrono>
#include <filesystem>
#include <functional>
#include <vector>

#include "ui/qt/text_fit.h"
#include "window/main_window.h"

class QComboBox;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
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
  // `drives` for the drive list, opened on `start_folder` (see
  // window::MainWindow).
  FrmKarvonel(std::vector<window::Drive> drives, const std::filesystem::path& start_folder);

  const window::MainWindow& Logic() const { return logic_; }

  // Replaces the message box (title "PrjKarvonel", OK only, no icon) through
  // which the window reports.
  void SetMessageFunction(MessageFunction show_message);
  // How long a conversion runs before its progress dialog appears.
  void SetProgressDelay(std::chrono::milliseconds delay);

 protected:
  // Takes the focus when shown, with or without a window manager, and shows
  // the message of the start, if any.
  void showEvent(QShowEvent* event) override;
  // A larger font grows the controls that would cut their texts.
  void changeEvent(QEvent* event) override;
  // A point-list file dropped anywhere on the window is chosen as a click on
  // it in the file list chooses it; nothing else can be dropped.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  // The text boxes pass a drop on to the window and take nothing themselves.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private slots:
  void Drv1_Change(int index);
  void Dir1_Change(int row);
  void Fil1_Click(int row);
  void Txt2_Change(const QString& text);
  void Cmd1_Click();
  void Cmd2_Click();
  void mnuEnd_Click();
  void mnuAbout_Click();

 private:
  void CreateControls();
  void CreateMenus();
  void FitControlsToTexts();
  // Shows what a handler changed, then its message.
  void Show(const window::Reply& reply);
  void ShowLists();
  void ShowPaths();
  // Handles a drag event; false when it carries no point list.
  bool TakeDrop(QEvent* event);

  window::MainWindow logic_;
  QList<DesignedControl> designed_;  // the controls at their designed places
  MessageFunction show_message_;
  std::chrono::milliseconds progress_delay_{500};
  bool shown_once_ = false;

  QComboBox* drv1_ = nullptr;
  DirectoryList* dir1_ = nullptr;
  FileList* fil1_ = nullptr;
  QLineEdit* txt1_ = nullptr;
  QLabel* lbl1_ = nullptr;
  QPushButton* cmd1_ = nullptr;
  QLabel* lbl2_ = nullptr;
  QLineEdit* txt2_ = nullptr;
  QPushButton* cmd2_ = nullptr;
  QWidget* line1_ = nullptr;
};

}  // namespace karvonel::ui
