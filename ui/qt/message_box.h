// The message box through which the main window reports.
#pragma once

#include <QString>

class QWidget;

namespace karvonel::ui {

// Shows `text` over `parent` under the title "PrjKarvonel" with one OK button
// and no icon, on the button neither, and returns when it has been closed. The
// box is wide enough for a window frame to show its title in full.
void ShowMessage(QWidget* parent, const QString& text);

}  // namespace karvonel::ui
