#include "ui_test_support.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QTimer>

namespace karvonel::ui::testing {

struct ModalWatcher::State {
  std::function<bool(QWidget*)> matches;
  std::function<void(QWidget*)> act;
  QTimer timer;
  QElapsedTimer clock;
  bool found = false;
  bool timed_out = false;
};

ModalWatcher::ModalWatcher(std::function<bool(QWidget*)> matches, std::function<void(QWidget*)> act)
    : state_(std::make_unique<State>()) {
  state_->matches = std::move(matches);
  state_->act = std::move(act);
  state_->clock.start();
  // Interval 0: looks at every turn of the event loop, also the short turns a
  // running conversion gives it.
  state_->timer.setInterval(0);
  QObject::connect(&state_->timer, &QTimer::timeout, [state = state_.get()] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && state->matches(modal)) {
      state->timer.stop();
      state->found = true;
      state->act(modal);
      return;
    }
    if (state->clock.elapsed() > 5000) {
      state->timer.stop();
      state->timed_out = true;
      if (modal != nullptr) {
        modal->close();  // do not hang the test on the wrong window
      }
    }
  });
  state_->timer.start();
}

ModalWatcher::~ModalWatcher() = default;

QString ModalWatcher::Failure() const {
  if (state_->found) {
    return {};
  }
  return state_->timed_out ? QStringLiteral("the expected modal window did not appear")
                           : QStringLiteral("the event loop never ran while waiting");
}

bool WriteText(const QString& path, const QByteArray& text) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    return {};
  }
  return file.readAll();
}

}  // namespace karvonel::ui::testing
