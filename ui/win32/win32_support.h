// What both windows of karvonel.exe need from the Windows API: texts in
// UTF-16, twips in pixels at the window's DPI, the system's message font.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "window/layout.h"

namespace karvonel::win32 {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);

// The text of a window or control.
std::wstring WindowText(HWND window);

// Twips (1/1440 inch) in pixels at `dpi`.
inline int Pixels(int twips, UINT dpi) {
  return ::MulDiv(twips, static_cast<int>(dpi), 1440);
}
RECT PixelRect(const window::TwipsRect& twips, UINT dpi);

// The DPI of the monitor the window is on (96 before per-monitor awareness).
UINT WindowDpi(HWND window);

// The system's message font at `dpi`, deleted with the object.
class MessageFont {
 public:
  explicit MessageFont(UINT dpi);
  ~MessageFont();
  MessageFont(const MessageFont&) = delete;
  MessageFont& operator=(const MessageFont&) = delete;
  HFONT Get() const { return font_; }

 private:
  HFONT font_ = nullptr;
};

// Gives `window` and each of its child controls `font`.
void ApplyFont(HWND window, HFONT font);

// The size of the whole window for a client area of `client` at `dpi`.
SIZE WindowSizeFor(SIZE client, DWORD style, DWORD ex_style, bool menu, UINT dpi);

// Registers a window class of the program's own windows: the dialog colour,
// the arrow cursor. False when the system refused.
bool RegisterWindowClass(const wchar_t* name, WNDPROC procedure);

// Moves a window to the place WM_DPICHANGED suggests (its `lparam`).
void MoveToSuggested(HWND window, LPARAM lparam);

// A message box of the program: title "PrjKarvonel", OK only, no icon.
void ShowMessage(HWND owner, std::string_view text);

// Runs one turn of the message loop for `window` (a dialog-like window: Tab,
// Space and the access keys work) and returns whether WM_QUIT came.
bool PumpMessages(HWND window);

}  // namespace karvonel::win32
