// Helpers for the window tests: acting on a modal window while the code under
// test waits for it to close.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

namespace karvonel::ui::testing {

// Watches, from its creation on, for a modal window that `matches` while the
// event loop runs, and hands the first one to `act`, which must close it. After
// five seconds without one it gives up and closes whatever modal window is
// open, so a test fails instead of hanging.
class ModalWatcher {
 public:
  explicit ModalWatcher(std::function<bool(QWidget*)> matches, std::function<void(QWidget*)> act);
  ~ModalWatcher();
  ModalWatcher(const ModalWatcher&) = delete;
  ModalWatcher& operator=(const ModalWatcher&) = delete;

  // Empty when a matching window appeared and was handed to `act`.
  QString Failure() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

template <typename T>
std::function<bool(QWidget*)> IsA() {
  return [](QWidget* widget) { return qobject_cast<T*>(widget) != nullptr; };
}

// Writes `text` to `path`, replacing it; false on failure.
bool WriteText(const QString& path, const QByteArray& text);
// The whole file; empty when it cannot be read.
QByteArray ReadAll(const QString& path);

}  // namespace karvonel::ui::testing
