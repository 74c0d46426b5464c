#include "ui/qt/message_box.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

#include "ui/qt/application.h"

namespace karvonel::ui {
namespace {

// Window frames put their buttons (close, maximize, minimize) on one side of
// the title and often the window icon on the other, and centre the title
// between both: room for three buttons and an icon on either side.
constexpr int kTitleBarButtons = 96;

}  // namespace

void ShowMessage(QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, kApplicationTitle, text, QMessageBox::Ok, parent);
  // Desktop styles put an icon on standard buttons, a tick on OK.
  box.button(QMessageBox::Ok)->setIcon(QIcon());
  // The text comes broken between phrases (window::BreakAtPhrases); Qt would
  // break Japanese lines anywhere.
  if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
    label->setWordWrap(false);
  // A short message makes a box narrower than its title, which the window
  // frame then cuts with "…". Frames draw titles bold.
  QFont title_font = QApplication::font();
  title_font.setBold(true);
  const int title_width =
      QFontMetrics(title_font).horizontalAdvance(box.windowTitle()) + 2 * kTitleBarButtons;
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    grid->addItem(new QSpacerItem(title_width, 0, QSizePolicy::Fixed, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
  }
  box.exec();
}

}  // namespace karvonel::ui
