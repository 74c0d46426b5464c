#include "ui/qt/frm_about.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "ui/qt/application.h"
#include "window/layout.h"
#include "window/texts.h"

namespace karvonel::ui {

FrmAbout::FrmAbout(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString::fromUtf8(window::about_text::kTitle));
  setWindowIcon(ApplicationIcon());

  lbl1_ = new QLabel(QString::fromStdString(window::about_text::Banner()), this);
  lbl2_ = new QLabel(QString::fromUtf8(window::about_text::kNotice), this);
  for (QLabel* label : {lbl1_, lbl2_})
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  cmd1_ = new QPushButton(QString::fromUtf8(window::about_text::kOk), this);
  cmd1_->setAutoDefault(false);
  cmd1_->setDefault(false);
  connect(cmd1_, &QPushButton::clicked, this, &FrmAbout::Cmd1_Click);

  QWidget* const widgets[] = {lbl1_, lbl2_, cmd1_};
  static_assert(std::size(widgets) == std::size(window::kAboutControls));
  for (std::size_t i = 0; i < std::size(widgets); ++i) {
    const window::ControlPlace& place = window::kAboutControls[i];
    widgets[i]->setObjectName(QLatin1String(place.name));
    designed_.append({widgets[i], TwipsRect(place.twips.left, place.twips.top, place.twips.width,
                                            place.twips.height)});
  }
  FitControlsToTexts();
  cmd1_->setFocus();
}

void FrmAbout::FitControlsToTexts() {
  const window::TwipsRect& client = window::kAboutClient;
  resize(PlaceFittingTexts(designed_, TwipsRect(0, 0, client.width, client.height).size()));
}

void FrmAbout::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::FontChange && !designed_.isEmpty())
    FitControlsToTexts();
}

void FrmAbout::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The focus mark shows from the start, not only once Tab has been pressed.
  // Showing a window clears this, so it is set here.
  setAttribute(Qt::WA_KeyboardFocusChange);
  activateWindow();
}

void FrmAbout::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->ignore();
    return;
  }
  QDialog::keyPressEvent(event);
}

void FrmAbout::Cmd1_Click() {
  close();
}

}  // namespace karvonel::ui
