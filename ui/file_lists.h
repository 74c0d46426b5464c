// The directory list and the file list of the main window.
#pragma once

#include <QListWidget>
#include <QString>
#include <QTreeWidget>
#include <filesystem>

namespace karvonel::ui {

// The open folder with its parents above it and its sub-folders below it, each
// indented one step further. Double-click or Enter on an entry opens it.
class DirectoryList : public QTreeWidget {
  Q_OBJECT

 public:
  explicit DirectoryList(QWidget* parent = nullptr);

  // The open folder, absolute; empty before the first SetPath.
  const std::filesystem::path& Path() const { return path_; }

  // Opens `folder` and emits Changed. When the folder cannot be read, returns
  // the system's reason and shows what it showed before.
  QString SetPath(const std::filesystem::path& folder);

 signals:
  void Changed();
  // The user opened an entry that could not be read.
  void OpenFailed(const std::filesystem::path& folder, const QString& reason);

 protected:
  // No expand arrows: the tree is always fully open and only indents.
  void drawBranches(QPainter*, const QRect&, const QModelIndex&) const override {}

 private:
  void Open(const QModelIndex& index);

  std::filesystem::path path_;
};

// The "*.csv" files of one folder, by name alone; one can be selected.
class FileList : public QListWidget {
  Q_OBJECT

 public:
  explicit FileList(QWidget* parent = nullptr);

  // The folder whose files are shown, absolute.
  const std::filesystem::path& Directory() const { return directory_; }

  // Shows the files of `folder` with none selected. When the folder cannot be
  // read, returns the system's reason and shows what it showed before.
  QString SetDirectory(const std::filesystem::path& folder);

  // The selected file, in Directory(); empty when none is.
  std::filesystem::path SelectedFile() const;

  // Selects the file named `name` as a click on it does. False when the list
  // does not show it.
  bool Choose(const std::filesystem::path& name);

 signals:
  // The user selected a file with the mouse or the keyboard, or clicked the
  // file that was already selected.
  void Chosen();

 protected:
  void focusInEvent(QFocusEvent* event) override;
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
  void mousePressEvent(QMouseEvent* event) override;
  // Only choosing another file takes the highlight from the chosen one: not a
  // click on empty space, nor Ctrl with a click or Space on the chosen file.
  QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                       const QEvent* event) const override;

 private:
  std::filesystem::path directory_;
  bool loading_ = false;
};

}  // namespace karvonel::ui
