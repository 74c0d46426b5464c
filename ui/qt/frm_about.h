// FrmAbout, the About window: the program's name, version and maker.
#pragma once

#include <QDialog>
#include <QList>

#include "ui/qt/text_fit.h"

class QKeyEvent;
class QShowEvent;
class QLabel;
class QPushButton;

namespace karvonel::ui {

class FrmAbout : public QDialog {
  Q_OBJECT

 public:
  explicit FrmAbout(QWidget* parent = nullptr);

 protected:
  // Escape does not close the window; only the OK button and the close box do.
  void keyPressEvent(QKeyEvent* event) override;
  // The button shows its focus mark from the start.
  void showEvent(QShowEvent* event) override;
  // A larger font grows the window rather than cutting its texts.
  void changeEvent(QEvent* event) override;

 private slots:
  void Cmd1_Click();

 private:
  void FitControlsToTexts();

  QList<DesignedControl> designed_;
  QLabel* lbl1_ = nullptr;
  QLabel* lbl2_ = nullptr;
  QPushButton* cmd1_ = nullptr;
};

}  // namespace karvonel::ui
