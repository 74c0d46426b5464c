// The directory list and the file list of the main window: they show the rows
// the window logic gives them and report what the user opens or chooses.
#pragma once

#include <QListWidget>
#include <QTreeWidget>
#include <vector>

#include "window/main_window.h"

namespace karvonel::ui {

// The open folder with its parents above it and its sub-folders below it, each
// indented one step further. Double-click or Enter on an entry opens it. A name
// wider than the list scrolls sideways and shows whole as the row's tooltip.
class DirectoryList : public QTreeWidget {
  Q_OBJECT

 public:
  explicit DirectoryList(QWidget* parent = nullptr);

  // Shows `rows`, with the focus and the highlight on `open_row`.
  void SetRows(const std::vector<window::DirectoryRow>& rows, int open_row);

 signals:
  void Opened(int row);

 protected:
  // No expand arrows: the tree is always fully open and only indents.
  void drawBranches(QPainter*, const QRect&, const QModelIndex&) const override {}
};

// The "*.csv" files of one folder, by name alone; one can be chosen.
class FileList : public QListWidget {
  Q_OBJECT

 public:
  explicit FileList(QWidget* parent = nullptr);

  // Shows `rows` with `chosen` (-1: none) selected.
  void SetRows(const std::vector<window::FileRow>& rows, int chosen);

 signals:
  // The user chose a file with the mouse or the keyboard, or clicked the file
  // that was already chosen.
  void Chosen(int row);

 protected:
  void focusInEvent(QFocusEvent* event) override;
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
  void mousePressEvent(QMouseEvent* event) override;
  // With the focus and no current file, the whole list shows the focus mark.
  void paintEvent(QPaintEvent* event) override;
  // Only choosing another file takes the highlight from the chosen one: not a
  // click on empty space, nor Ctrl with a click or Space on the chosen file.
  QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                       const QEvent* event) const override;

 private:
  bool loading_ = false;
};

}  // namespace karvonel::ui
