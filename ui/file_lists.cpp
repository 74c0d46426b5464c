#include "ui/file_lists.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QMouseEvent>
#include <QStyle>

#include "ui/folders.h"

namespace karvonel::ui {
namespace {

constexpr int kPathRole = Qt::UserRole;

QString ShownName(const QString& folder) {
  const QString name = QFileInfo(folder).fileName();
  return name.isEmpty() ? QDir::toNativeSeparators(folder) : name;  // a root
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

QString DirectoryList::SetPath(const QString& folder) {
  const QString path = QDir::cleanPath(QDir(folder).absolutePath());
  const FolderListing listing = ReadFolder(path);
  if (!listing.error.isEmpty()) {
    return listing.error;
  }
  clear();
  const QIcon open_icon = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed_icon = style()->standardIcon(QStyle::SP_DirClosedIcon);
  QTreeWidgetItem* parent_item = nullptr;
  for (const QString& step : FolderChain(path)) {
    auto* item = parent_item ? new QTreeWidgetItem(parent_item) : new QTreeWidgetItem(this);
    item->setText(0, ShownName(step));
    item->setIcon(0, open_icon);
    item->setData(0, kPathRole, step);
    parent_item = item;
  }
  for (const QString& name : listing.folders) {
    auto* item = new QTreeWidgetItem(parent_item);
    item->setText(0, name);
    item->setIcon(0, closed_icon);
    item->setData(0, kPathRole, QDir(path).filePath(name));
  }
  expandAll();
  setCurrentItem(parent_item);
  scrollToItem(parent_item, QAbstractItemView::PositionAtTop);
  path_ = path;
  emit Changed();
  return {};
}

void DirectoryList::Open(const QModelIndex& index) {
  const QString folder = index.data(kPathRole).toString();
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

QString FileList::SetDirectory(const QString& folder) {
  const FolderListing listing = ReadFolder(folder);
  if (!listing.error.isEmpty()) {
    return listing.error;
  }
  loading_ = true;
  clear();
  addItems(listing.point_lists);
  setCurrentItem(nullptr);
  loading_ = false;
  directory_ = QDir::cleanPath(QDir(folder).absolutePath());
  return {};
}

QString FileList::SelectedName() const {
  const QList<QListWidgetItem*> selected = selectedItems();
  return selected.isEmpty() ? QString() : selected.front()->text();
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

void FileList::mousePressEvent(QMouseEvent* event) {
  QListWidgetItem* const item = itemAt(event->position().toPoint());
  const bool was_selected = item != nullptr && item->isSelected();
  QListWidget::mousePressEvent(event);
  if (was_selected && event->button() == Qt::LeftButton) {
    emit Chosen();
  }
}

}  // namespace karvonel::ui
