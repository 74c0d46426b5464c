// karvonel.exe: the window program on Windows. Starts in the current folder.
#include <windows.h>
// After windows.h:
#include <commctrl.h>
#include <ole2.h>

#include "platform/native_file.h"
#include "ui/win32/frm_karvonel.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&controls);
  if (FAILED(::OleInitialize(nullptr)))  // for the drop target
    return 1;
  int status = 1;
  {
    karvonel::win32::FrmKarvonel window(karvonel::window::SystemDrives(),
                                        karvonel::platform::CurrentFolderNow().path);
    if (window.Create(show)) {
      MSG message;
      while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!::IsDialogMessageW(window.Handle(), &message)) {
          ::TranslateMessage(&message);
          ::DispatchMessageW(&message);
        }
      }
      status = static_cast<int>(message.wParam);
    }
  }
  ::OleUninitialize();
  return status;
}
