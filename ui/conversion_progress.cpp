#include "ui/conversion_progress.h"

#include <QApplication>
#include <algorithm>

#include "ui/application.h"

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
  Finish();
}

bool ConversionProgress::Update(std::uint64_t done, std::uint64_t total) {
  if (!busy_) {
    return true;
  }
  if (dialog_.isNull()) {
    if (clock_.elapsed() < delay_.count()) {
      return true;
    }
    dialog_ = new QProgressDialog(QStringLiteral("変換しています…"), QStringLiteral("キャンセル"),
                                  0, kSteps, parent_);
    dialog_->setWindowTitle(kApplicationTitle);
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setMinimumDuration(0);
    // The cursor still says "working", but the cancel button can be clicked.
    QApplication::changeOverrideCursor(Qt::BusyCursor);
    dialog_->show();
  }
  const std::uint64_t share = total == 0 ? kSteps : std::min(done, total) * kSteps / total;
  dialog_->setValue(static_cast<int>(share));
  QApplication::processEvents();
  return dialog_ && !dialog_->wasCanceled();
}

void ConversionProgress::Finish() {
  delete dialog_.data();
  if (busy_) {
    QApplication::restoreOverrideCursor();
    busy_ = false;
  }
}

}  // namespace karvonel::ui
