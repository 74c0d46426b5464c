#include "ui/qt/text_fit.h"

#include <QAbstractButton>
#include <QComboBox>
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
  } else if (qobject_cast<const QAbstractButton*>(control.widget) != nullptr ||
             qobject_cast<const QComboBox*>(control.widget) != nullptr) {
    // A line of text inside a frame of one pixel.
    size.setHeight(std::max(size.height(), control.widget->fontMetrics().height() + 2));
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
  for (std::size_t first = 0; first < order.size();) {
    // A row, the controls designed at the same top, moves as one.
    const int row_top = controls[order[first]].rect.top();
    std::size_t end = first;
    int shift = 0;
    for (; end < order.size() && controls[order[end]].rect.top() == row_top; ++end) {
      const QRect& designed = controls[order[end]].rect;
      for (std::size_t j = 0; j < first; ++j) {
        const QRect& above = controls[order[j]].rect;
        const int gap = row_top - (above.bottom() + 1);
        if (gap >= 0 && SharesColumns(above, designed)) {
          const int clear = placed[order[j]].bottom() + 1 + std::min(gap, kMinimumGap);
          shift = std::max(shift, clear - row_top);
        }
      }
    }
    for (std::size_t i = first; i < end; ++i) {
      const QRect& designed = controls[order[i]].rect;
      QRect& rect = placed[order[i]];
      rect = QRect(designed.topLeft() + QPoint(0, shift), FittingSize(controls[order[i]]));
      controls[order[i]].widget->setGeometry(rect);
      right = std::max(right, rect.right() + 1);
      bottom = std::max(bottom, rect.bottom() + 1);
      designed_right = std::max(designed_right, designed.right() + 1);
      designed_bottom = std::max(designed_bottom, designed.bottom() + 1);
    }
    first = end;
  }
  return designed_client.expandedTo(QSize(right + designed_client.width() - designed_right,
                                          bottom + designed_client.height() - designed_bottom));
}

}  // namespace karvonel::ui
