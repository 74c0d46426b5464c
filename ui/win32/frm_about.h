// FrmAbout in karvonel.exe: the program's name, version and maker, shown
// modally over the main window (which takes no input meanwhile), created
// afresh each time and closed by O  K or its close box.
#pragma once

#include <windows.h>

namespace karvonel::win32 {

// Shows the About window over `owner` and returns when it has been closed.
void ShowAboutModal(HWND owner);

}  // namespace karvonel::win32
