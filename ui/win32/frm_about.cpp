#include "ui/win32/frm_about.h"

#include <memory>

#include "ui/win32/control_ids.h"
#include "ui/win32/win32_support.h"
#include "window/layout.h"
#include "window/texts.h"

namespace karvonel::win32 {
namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;

struct AboutState {
  std::unique_ptr<MessageFont> font;
  bool closed = false;
};

void Layout(HWND window, UINT dpi) {
  for (std::size_t i = 0; i < std::size(window::kAboutControls); ++i) {
    const RECT r = PixelRect(window::kAboutControls[i].twips, dpi);
    ::SetWindowPos(::GetDlgItem(window, kAboutLbl1 + static_cast<int>(i)), nullptr, r.left, r.top,
                   r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* state = reinterpret_cast<AboutState*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wparam) == kAboutCmd1 && HIWORD(wparam) == BN_CLICKED)
        ::DestroyWindow(window);  // Cmd1_Click: unloads the window
      return 0;                   // Enter and Escape do nothing
    case WM_CLOSE:
      ::DestroyWindow(window);
      return 0;
    case WM_DPICHANGED: {
      const UINT dpi = HIWORD(wparam);
      state->font = std::make_unique<MessageFont>(dpi);
      ApplyFont(window, state->font->Get());
      Layout(window, dpi);
      MoveToSuggested(window, lparam);
      return 0;
    }
    case WM_DESTROY:
      if (state != nullptr)
        state->closed = true;
      return 0;
    default:
      return ::DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace

void ShowAboutModal(HWND owner) {
  static const bool registered = RegisterWindowClass(kAboutClass, Proc);
  (void)registered;
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  HWND window =
      ::CreateWindowExW(kExStyle, kAboutClass, Wide(window::about_text::kTitle).c_str(), kStyle,
                        CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, owner, nullptr, instance, nullptr);
  if (window == nullptr)
    return;
  AboutState state;
  ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
  const UINT dpi = WindowDpi(window);
  const std::wstring texts[] = {Wide(window::about_text::Banner()),
                                Wide(window::about_text::kNotice), Wide(window::about_text::kOk)};
  for (int i = 0; i < 3; ++i) {
    const bool button = i == 2;
    ::CreateWindowExW(0, button ? L"BUTTON" : L"STATIC", texts[i].c_str(),
                      WS_CHILD | WS_VISIBLE | (button ? WS_TABSTOP | BS_PUSHBUTTON : SS_LEFT), 0, 0,
                      10, 10, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kAboutLbl1 + i)),
                      instance, nullptr);
  }
  state.font = std::make_unique<MessageFont>(dpi);
  ApplyFont(window, state.font->Get());
  Layout(window, dpi);
  const window::TwipsRect& client = window::kAboutClient;
  const SIZE size = WindowSizeFor({Pixels(client.width, dpi), Pixels(client.height, dpi)}, kStyle,
                                  kExStyle, false, dpi);
  ::SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  ::EnableWindow(owner, FALSE);  // until it closes, the main window takes no input
  ::ShowWindow(window, SW_SHOW);
  ::SetFocus(::GetDlgItem(window, kAboutCmd1));
  MSG message{};
  while (!state.closed && ::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!::IsDialogMessageW(window, &message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  if (message.message == WM_QUIT && !state.closed)
    ::PostQuitMessage(static_cast<int>(message.wParam));
  ::EnableWindow(owner, TRUE);
  if (!state.closed)
    ::DestroyWindow(window);
  ::SetActiveWindow(owner);
}

}  // namespace karvonel::win32
