#include "ui/qt/file_lists.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>

namespace karvonel::ui {
namespace {

// Draws the focus mark on the current row of a list that has the focus, in
// every style: some draw none on a list's rows, or one too faint to see.
class FocusMarkDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem plain = option;
    plain.state &= ~QStyle::State_HasFocus;
    QStyledItemDelegate::paint(painter, plain, index);
    if (option.state & QStyle::State_HasFocus)
      DrawFocusMark(painter, option.rect.adjusted(0, 0, -1, -1), option.palette);
  }

  // A dotted frame in the text colour.
  static void DrawFocusMark(QPainter* painter, const QRect& rect, const QPalette& palette) {
    painter->save();
    QPen pen(palette.color(QPalette::Text), 1, Qt::DotLine);
    pen.setCosmetic(true);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(rect);
    painter->restore();
  }
};

}  // namespace

DirectoryList::DirectoryList(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setExpandsOnDoubleClick(false);
  setUniformRowHeights(true);
  setIndentation(8);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setItemDelegate(new FocusMarkDelegate(this));
  // Long names are not cut: the column is as wide as its widest name.
  setTextElideMode(Qt::ElideNone);
  header()->setStretchLastSection(false);
  header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  connect(this, &QTreeWidget::activated, this,
          [this](const QModelIndex& index) { emit Opened(index.data(Qt::UserRole).toInt()); });
}

void DirectoryList::SetRows(const std::vector<window::DirectoryRow>& rows, int open_row) {
  clear();
  const QIcon open_icon = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed_icon = style()->standardIcon(QStyle::SP_DirClosedIcon);
  std::vector<QTreeWidgetItem*> at_depth;  // the last item of each depth
  QTreeWidgetItem* open_item = nullptr;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const window::DirectoryRow& row = rows[i];
    const auto depth = static_cast<std::size_t>(row.depth);
    auto* item = depth == 0 || depth > at_depth.size() ? new QTreeWidgetItem(this)
                                                       : new QTreeWidgetItem(at_depth[depth - 1]);
    const QString text = QString::fromStdString(row.text);
    item->setText(0, text);
    item->setToolTip(0, text);
    item->setIcon(0, row.open ? open_icon : closed_icon);
    item->setData(0, Qt::UserRole, static_cast<int>(i));
    at_depth.resize(depth);
    at_depth.push_back(item);
    if (static_cast<int>(i) == open_row)
      open_item = item;
  }
  expandAll();
  setCurrentItem(open_item);
  if (open_item != nullptr)
    scrollToItem(open_item, QAbstractItemView::PositionAtTop);
}

FileList::FileList(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setItemDelegate(new FocusMarkDelegate(this));
  connect(this, &QListWidget::itemSelectionChanged, this, [this] {
    if (!loading_ && !selectedItems().isEmpty())
      emit Chosen(row(selectedItems().front()));
  });
}

void FileList::SetRows(const std::vector<window::FileRow>& rows, int chosen) {
  loading_ = true;
  clear();
  for (const window::FileRow& file : rows) {
    auto* item = new QListWidgetItem(QString::fromStdString(file.text), this);
    item->setToolTip(item->text());
  }
  if (chosen >= 0 && chosen < count()) {
    setCurrentItem(item(chosen));
    scrollToItem(item(chosen));
  } else {
    setCurrentItem(nullptr);
  }
  loading_ = false;
}

void FileList::focusInEvent(QFocusEvent* event) {
  QListWidget::focusInEvent(event);
  // Qt makes the first file current when the list takes the focus, so Down
  // would skip it. Until a file is selected, the first Down selects the first.
  if (!selectionModel()->hasSelection())
    selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

void FileList::paintEvent(QPaintEvent* event) {
  QListWidget::paintEvent(event);
  if (hasFocus() && !currentIndex().isValid()) {
    QPainter painter(viewport());
    FocusMarkDelegate::DrawFocusMark(&painter, viewport()->rect().adjusted(1, 1, -2, -2),
                                     palette());
  }
}

QModelIndex FileList::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  // With no file current yet, every key would go to the first file.
  if (!currentIndex().isValid() && count() > 0 && (action == MoveEnd || action == MovePageDown))
    return indexFromItem(item(count() - 1));
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
  QListWidgetItem* const pressed = itemAt(event->position().toPoint());
  const bool was_selected = pressed != nullptr && pressed->isSelected();
  QListWidget::mousePressEvent(event);
  if (was_selected && event->button() == Qt::LeftButton)
    emit Chosen(row(pressed));
}

}  // namespace karvonel::ui
