#include "ui/qt/conversion_progress.h"

#include <QApplication>
#include <algorithm>

#include "window/texts.h"

namespace karvonel::ui {
namespace {

constexpr int kSteps = 1000;  // the dialog counts in tenths of a percent

}  // namespace

ConversionProgress::ConversionProgress(QWidget* parent, std::chrono::milliseconds delay)
    : parent_(parent), delay_(delay) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  clock_.start();
}

ConversionProgress::~ConversionProgress() {
  delete dialog_.data();
  QApplication::restoreOverrideCursor();
}

bool ConversionProgress::Update(double share) {
  if (dialog_.isNull()) {
    if (clock_.elapsed() < delay_.count())
      return true;
    dialog_ =
        new QProgressDialog(QString::fromUtf8(window::main_text::kConverting),
                            QString::fromUtf8(window::main_text::kCancel), 0, kSteps, parent_);
    dialog_->setWindowTitle(QString::fromUtf8(window::kApplicationTitle));
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setMinimumDuration(0);
    // The cursor still says "working", but the cancel button can be clicked.
    QApplication::changeOverrideCursor(Qt::BusyCursor);
    dialog_->show();
  }
  dialog_->setValue(static_cast<int>(std::clamp(share, 0.0, 1.0) * kSteps));
  QApplication::processEvents();
  return dialog_ && !dialog_->wasCanceled();
}

}  // namespace karvonel::ui
