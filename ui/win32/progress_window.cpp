#include "ui/win32/progress_window.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>

#include "ui/win32/control_ids.h"
#include "ui/win32/win32_support.h"
#include "window/texts.h"

namespace karvonel::win32 {
namespace {

constexpr int kSteps = 1000;  // tenths of a percent
// The window's client area and its controls, in twips.
constexpr window::TwipsRect kClient = {0, 0, 4800, 1500};
constexpr window::TwipsRect kText = {240, 180, 4320, 300};
constexpr window::TwipsRect kBar = {240, 540, 4320, 270};
constexpr window::TwipsRect kCancel = {3360, 1005, 1200, 330};

}  // namespace

ProgressWindow::ProgressWindow(HWND owner, DWORD delay_ms)
    : owner_(owner), delay_ms_(delay_ms), started_(::GetTickCount64()) {
  cursor_ = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
}

ProgressWindow::~ProgressWindow() {
  if (window_ != nullptr) {
    ::EnableWindow(owner_, TRUE);  // before the window goes, so the focus returns
    ::DestroyWindow(window_);
  }
  ::SetCursor(cursor_);
}

LRESULT CALLBACK ProgressWindow::Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COMMAND && LOWORD(wparam) == kProgressCancel) {
    auto* self = reinterpret_cast<ProgressWindow*>(::GetPropW(window, L"KarvonelProgress"));
    if (self != nullptr)
      self->cancelled_ = true;
    return 0;
  }
  if (message == WM_CLOSE)
    return 0;  // only キャンセル ends the conversion
  return ::DefWindowProcW(window, message, wparam, lparam);
}

void ProgressWindow::Open() {
  static const bool registered = RegisterWindowClass(kProgressClass, Proc);
  (void)registered;
  const UINT dpi = WindowDpi(owner_);
  constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  const SIZE size = WindowSizeFor({Pixels(kClient.width, dpi), Pixels(kClient.height, dpi)}, kStyle,
                                  WS_EX_DLGMODALFRAME, false, dpi);
  RECT owner_rect{};
  ::GetWindowRect(owner_, &owner_rect);
  const int left = owner_rect.left + ((owner_rect.right - owner_rect.left) - size.cx) / 2;
  const int top = owner_rect.top + ((owner_rect.bottom - owner_rect.top) - size.cy) / 2;
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  window_ = ::CreateWindowExW(WS_EX_DLGMODALFRAME, kProgressClass,
                              Wide(window::kApplicationTitle).c_str(), kStyle, left, top, size.cx,
                              size.cy, owner_, nullptr, instance, nullptr);
  if (window_ == nullptr)
    return;
  ::SetPropW(window_, L"KarvonelProgress", this);
  const auto place = [&](const wchar_t* kind, const std::wstring& text, DWORD style,
                         const window::TwipsRect& twips, int id) {
    const RECT r = PixelRect(twips, dpi);
    return ::CreateWindowExW(0, kind, text.c_str(), WS_CHILD | WS_VISIBLE | style, r.left, r.top,
                             r.right - r.left, r.bottom - r.top, window_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  };
  place(L"STATIC", Wide(window::main_text::kConverting), SS_LEFT, kText, -1);
  bar_ = place(PROGRESS_CLASSW, L"", 0, kBar, -1);
  ::SendMessageW(bar_, PBM_SETRANGE32, 0, kSteps);
  place(L"BUTTON", Wide(window::main_text::kCancel), WS_TABSTOP | BS_PUSHBUTTON, kCancel,
        kProgressCancel);
  font_ = std::make_unique<MessageFont>(dpi);
  ApplyFont(window_, font_->Get());
  ::EnableWindow(owner_, FALSE);  // the main window takes no other input
  ::ShowWindow(window_, SW_SHOW);
  ::SetFocus(::GetDlgItem(window_, kProgressCancel));
}

bool ProgressWindow::Update(double share) {
  if (window_ == nullptr) {
    if (::GetTickCount64() - started_ < delay_ms_)
      return true;
    Open();
    if (window_ == nullptr)
      return true;
  }
  ::SendMessageW(bar_, PBM_SETPOS, static_cast<WPARAM>(std::clamp(share, 0.0, 1.0) * kSteps), 0);
  PumpMessages(window_);
  return !cancelled_;
}

}  // namespace karvonel::win32
