// Controls placed by hand that still show their texts in full whatever the
// font: a larger desktop font grows a control rather than cutting its text.
#pragma once

#include <QList>
#include <QRect>
#include <QSize>

class QWidget;

namespace karvonel::ui {

// A control with its designed place in its window, in pixels.
struct DesignedControl {
  QWidget* widget;
  QRect rect;
};

// Places each control at its designed place, grown where its text needs more
// room at the control's font: a label to the size of its text, a text box to
// the height of a line of its font inside its frame, a button or a drop-down
// list to a line of its font inside a frame of one pixel. Other controls keep
// their designed size. A row, the controls designed at the same top, moves
// down when a control above that shares columns with one of them comes closer
// than 2 pixels (or than their designed gap, if that is smaller); the rows
// below it follow. Returns the size the
// client area needs: `designed_client`, grown so that the controls keep its
// right and bottom margins.
QSize PlaceFittingTexts(const QList<DesignedControl>& controls, QSize designed_client);

}  // namespace karvonel::ui
