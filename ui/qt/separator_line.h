// Line1: a sunken horizontal line, a dark row of pixels over a light one, each
// one device pixel high whatever the scale factor (a line drawn one logical
// pixel high can fall between device pixels at 1.25 or 1.5 and vanish).
#pragma once

#include <QWidget>

namespace karvonel::ui {

class SeparatorLine : public QWidget {
 public:
  explicit SeparatorLine(QWidget* parent = nullptr);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace karvonel::ui
