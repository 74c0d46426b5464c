#include "ui/frm_about.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "karvonel/version.h"
#include "ui/application.h"

namespace karvonel::ui {

FrmAbout::FrmAbout(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("バージョン表示"));
  setWindowIcon(ApplicationIcon());

  lbl1_ = new QLabel(QStringLiteral("Karvonel  Ver %1 %2")
                         .arg(QLatin1String(kVersion), QLatin1String(kVersionLevel)),
                     this);
  lbl1_->setObjectName(QStringLiteral("Lbl1"));
  lbl1_->setGeometry(TwipsRect(240, 240, 3015, 255));
  lbl2_ = new QLabel(QStringLiteral("© 2026 Karvonel Works"), this);
  lbl2_->setObjectName(QStringLiteral("Lbl2"));
  lbl2_->setGeometry(TwipsRect(480, 720, 2775, 255));
  for (QLabel* label : {lbl1_, lbl2_}) {
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  }
  cmd1_ = new QPushButton(QStringLiteral("O  K"), this);
  cmd1_->setObjectName(QStringLiteral("Cmd1"));
  cmd1_->setGeometry(TwipsRect(2640, 1200, 1215, 375));
  cmd1_->setAutoDefault(false);
  cmd1_->setDefault(false);
  connect(cmd1_, &QPushButton::clicked, this, &FrmAbout::Cmd1_Click);

  cmd1_->setFocus();
  resize(TwipsRect(0, 0, 3990, 1695).size());
}

void FrmAbout::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The focus mark shows from the start, not only once Tab has been pressed.
  // Showing a window clears this, so it is set here.
  setAttribute(Qt::WA_KeyboardFocusChange);
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
