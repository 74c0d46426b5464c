// The feedback of a running conversion: a busy cursor at once, and a modal
// progress dialog with a cancel button once the conversion has run for a
// while.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>
#include <chrono>

#include "window/main_window.h"

namespace karvonel::ui {

class ConversionProgress : public window::ConversionProgress {
 public:
  // Sets the busy cursor. The dialog appears, over `parent`, at the first
  // Update after `delay`.
  ConversionProgress(QWidget* parent, std::chrono::milliseconds delay);
  // Closes the dialog and restores the cursor.
  ~ConversionProgress() override;

  ConversionProgress(const ConversionProgress&) = delete;
  ConversionProgress& operator=(const ConversionProgress&) = delete;

  // Shows `share` of the work done and lets the window system run, so the
  // dialog repaints and its cancel button works. False once the user has
  // cancelled.
  bool Update(double share) override;

 private:
  QWidget* parent_;
  std::chrono::milliseconds delay_;
  QElapsedTimer clock_;
  QPointer<QProgressDialog> dialog_;
};

}  // namespace karvonel::ui
