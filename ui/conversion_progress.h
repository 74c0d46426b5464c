// The feedback of a running conversion: a busy cursor at once, and a modal
// progress dialog with a cancel button once the conversion has run for a
// while.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>
#include <chrono>
#include <cstdint>

namespace karvonel::ui {

class ConversionProgress {
 public:
  // Sets the busy cursor. The dialog appears, over `parent`, at the first
  // Update after `delay`.
  ConversionProgress(QWidget* parent, std::chrono::milliseconds delay);
  // Closes the dialog and restores the cursor.
  ~ConversionProgress();

  ConversionProgress(const ConversionProgress&) = delete;
  ConversionProgress& operator=(const ConversionProgress&) = delete;

  // Reports `done` of `total` input bytes and lets the window system run, so
  // the dialog repaints and its cancel button works. Returns false once the
  // user has cancelled.
  bool Update(std::uint64_t done, std::uint64_t total);

  // Closes the dialog and restores the cursor now.
  void Finish();

 private:
  QWidget* parent_;
  std::chrono::milliseconds delay_;
  QElapsedTimer clock_;
  QPointer<QProgressDialog> dialog_;
  bool busy_ = true;
};

}  // namespace karvonel::ui
