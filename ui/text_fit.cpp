#include "ui/text_fit.h"

#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>
#include <numeric>
#include <vector>

namespace karvonel::ui {
namespace {

constexpr int kMinimumGap = 2;

// The height a text box needs to show a full line of its font: QLineEdit
// draws its text in the style's contents rectangle less the text margins.
int TextBoxHeight(const QLineEdit* box) {
  QStyleOptionFrame option;
  option.initFrom(box);
  option.rect = QRect(0, 0, 100, 100);
  option.lineWidth = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box);
  const QRect contents = box->style()->subElementRect(QStyle::SE_LineEditContents, &option, box);
  const QMargins margins = box->textMargins();
  return box->fontMetrics().height() + (option.rect.height() - contents.height()) + margins.top() +
         margins.bottom();
}

QSize FittingSize(const DesignedControl& control) {
  QSize size = control.rect.size();
  if (const auto* label = qobject_cast<const QLabel*>(control.widget)) {
    size = size.expandedTo(label->sizeHint());
  } else if (const auto* box = qobject_cast<const QLineEdit*>(control.widget)) {
    size.setHeight(std::max(size.height(), TextBoxHeight(box)));
  }
  return size;
}

bool SharesColumns(const QRect& a, const QRect& b) {
  return a.left() <= b.right() && b.left() <= a.right();
}

}  // namespace

QSize PlaceFittingTexts(const QList<DesignedControl>& controls, QSize designed_client) {
  std::vector<std::size_t> order(controls.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return controls[a].rect.top() < controls[b].rect.top();
  });

  std::vector<QRect> placed(controls.size());
  int right = 0;
  int bottom = 0;
  int designed_right = 0;
  int designed_bottom = 0;
  for (std::size_t i = 0; i < order.size(); ++i) {
    const QRect& designed = controls[order[i]].rect;
    int top = designed.top();
    for (std::size_t j = 0; j < i; ++j) {
      const QRect& above = controls[order[j]].rect;
      const int gap = designed.top() - (above.bottom() + 1);
      if (gap >= 0 && SharesColumns(above, designed)) {
        top = std::max(top, placed[order[j]].bottom() + 1 + std::min(gap, kMinimumGap));
      }
    }
    QRect& rect = placed[order[i]];
    rect = QRect(QPoint(designed.left(), top), FittingSize(controls[order[i]]));
    controls[order[i]].widget->setGeometry(rect);
    right = std::max(right, rect.right() + 1);
    bottom = std::max(bottom, rect.bottom() + 1);
    designed_right = std::max(designed_right, designed.right() + 1);
    designed_bottom = std::max(designed_bottom, designed.bottom() + 1);
  }
  return designed_client.expandedTo(QSize(right + designed_client.width() - designed_right,
                                          bottom + designed_client.height() - designed_bottom));
}

}  // namespace karvonel::ui
