#include "ui/file_lists.h"

#include <QDir>
#include <QHeaderView>
#include <QMouseEvent>
#include <QStyle>

#include "ui/folders.h"

namespace karvonel::ui {
namespace {

// Each entry's path (directory list) or name (file list) as the file system
// gave it, a std::filesystem::path; the entry's text only shows it.
constexpr int kPathRole = Qt::UserRole;

std::filesystem::path EntryPath(const QModelIndex& index) {
  return index.data(kPathRole).value<std::filesystem::path>();
}

QString ShownName(const std::filesystem::path& folder) {
  return folder.has_filename() ? PathText(folder.filename())
                               : QDir::toNativeSeparators(PathText(folder));  // a root
}

}  // namespace

DirectoryList::DirectoryList(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setExpandsOnDoubleClick(false);
  setUniformRowHeights(true);
  setIndentation(8);
  setSelectionMode(QAbstractItemView::SingleSelection);
  connect(this, &QTreeWidget::activated, this, &DirectoryList::Open);
}

QString DirectoryList::SetPath(const std::filesystem::path& folder) {
  const std::filesystem::path path = AbsoluteFolder(folder);
  const FolderListing listing = ReadFolder(path);
  if (!listing.error.isEmpty()) {
    return listing.error;
  }
  clear();
  const QIcon open_icon = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed_icon = style()->standardIcon(QStyle::SP_DirClosedIcon);
  QTreeWidgetItem* parent_item = nullptr;
  for (const std::filesystem::path& step : FolderChain(path)) {
    auto* item = parent_item ? new QTreeWidgetItem(parent_item) : new QTreeWidgetItem(this);
    item->setText(0, ShownName(step));
    item->setIcon(0, open_icon);
    item->setData(0, kPathRole, QVariant::fromValue(step));
    parent_item = item;
  }
  for (const FolderEntry& entry : listing.folders) {
    auto* item = new QTreeWidgetItem(parent_item);
    item->setText(0, entry.text);
    item->setIcon(0, closed_icon);
    item->setData(0, kPathRole, QVariant::fromValue(path / entry.name));
  }
  expandAll();
  setCurrentItem(parent_item);
  scrollToItem(parent_item, QAbstractItemView::PositionAtTop);
  path_ = path;
  emit Changed();
  return {};
}

void DirectoryList::Open(const QModelIndex& index) {
  const std::filesystem::path folder = EntryPath(index);
  const QString reason = SetPath(folder);
  if (!reason.isEmpty()) {
    emit OpenFailed(folder, reason);
  }
}

FileList::FileList(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  connect(this, &QListWidget::itemSelectionChanged, this, [this] {
    if (!loading_ && !selectedItems().isEmpty()) {
      emit Chosen();
    }
  });
}

QString FileList::SetDirectory(const std::filesystem::path& folder) {
  const FolderListing listing = ReadFolder(folder);
  if (!listing.error.isEmpty()) {
    return listing.error;
  }
  loading_ = true;
  clear();
  for (const FolderEntry& entry : listing.point_lists) {
    auto* item = new QListWidgetItem(entry.text, this);
    item->setData(kPathRole, QVariant::fromValue(entry.name));
  }
  setCurrentItem(nullptr);
  loading_ = false;
  directory_ = AbsoluteFolder(folder);
  return {};
}

std::filesystem::path FileList::SelectedFile() const {
  const QModelIndexList selected = selectedIndexes();
  return selected.isEmpty() ? std::filesystem::path() : directory_ / EntryPath(selected.front());
}

bool FileList::Choose(const std::filesystem::path& name) {
  for (int row = 0; row < count(); ++row) {
    if (EntryPath(indexFromItem(item(row))) == name) {
      if (item(row)->isSelected()) {
        emit Chosen();  // as a click on the selected file
      } else {
        setCurrentItem(item(row));  // selects it, and Chosen follows
      }
      scrollToItem(item(row));
      return true;
    }
  }
  return false;
}

void FileList::focusInEvent(QFocusEvent* event) {
  QListWidget::focusInEvent(event);
  // Qt makes the first file current when the list takes the focus, so Down
  // would skip it. Until a file is selected, the first Down selects the first.
  if (!selectionModel()->hasSelection()) {
    selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
  }
}

QModelIndex FileList::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  // With no file current yet, every key would go to the first file.
  if (!currentIndex().isValid() && count() > 0 && (action == MoveEnd || action == MovePageDown)) {
    return indexFromItem(item(count() - 1));
  }
  return QListWidget::moveCursor(action, modifiers);
}

QItemSelectionModel::SelectionFlags FileList::selectionCommand(const QModelIndex& index,
                                                               const QEvent* event) const {
  const QItemSelectionModel::SelectionFlags command = QListWidget::selectionCommand(index, event);
  if (!index.isValid() ||
      (command & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle))) {
    return QItemSelectionModel::NoUpdate;
  }
  return command;
}

void FileList::mousePressEvent(QMouseEvent* event) {
  QListWidgetItem* const item = itemAt(event->position().toPoint());
  const bool was_selected = item != nullptr && item->isSelected();
  QListWidget::mousePressEvent(event);
  if (was_selected && event->button() == Qt::LeftButton) {
    emit Chosen();
  }
}

}  // namespace karvonel::ui
