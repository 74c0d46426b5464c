#include "ui/qt/separator_line.h"

#include <QPainter>

namespace karvonel::ui {

SeparatorLine::SeparatorLine(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

QSize SeparatorLine::sizeHint() const {
  return {width(), 2};
}

void SeparatorLine::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  // Rectangles in device pixels: one row dark, the one below it light.
  const qreal pixel = 1.0 / devicePixelRatioF();
  painter.fillRect(QRectF(0, 0, width(), pixel), palette().color(QPalette::Dark));
  painter.fillRect(QRectF(0, pixel, width(), pixel), palette().color(QPalette::Light));
}

}  // namespace karvonel::ui
