#include "ui/win32/win32_support.h"

#include "window/texts.h"

namespace karvonel::win32 {

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty())
    return {};
  const int size =
      ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), size);
  return out;
}

std::string Utf8(std::wstring_view wide) {
  if (wide.empty())
    return {};
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), size,
                        nullptr, nullptr);
  return out;
}

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

RECT PixelRect(const window::TwipsRect& t, UINT dpi) {
  const int left = Pixels(t.left, dpi), top = Pixels(t.top, dpi);
  return {left, top, left + Pixels(t.width, dpi), top + Pixels(t.height, dpi)};
}

UINT WindowDpi(HWND window) {
  const UINT dpi = ::GetDpiForWindow(window);
  return dpi == 0 ? 96 : dpi;
}

MessageFont::MessageFont(UINT dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  // The metrics come at the system's DPI; the window may be at another.
  if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    LOGFONTW font = metrics.lfMessageFont;
    font.lfHeight =
        ::MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(::GetDpiForSystem()));
    font_ = ::CreateFontIndirectW(&font);
  }
}

MessageFont::~MessageFont() {
  if (font_ != nullptr)
    ::DeleteObject(font_);
}

void ApplyFont(HWND window, HFONT font) {
  ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
}

SIZE WindowSizeFor(SIZE client, DWORD style, DWORD ex_style, bool menu, UINT dpi) {
  RECT rect{0, 0, client.cx, client.cy};
  ::AdjustWindowRectExForDpi(&rect, style, menu, ex_style, dpi);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

bool RegisterWindowClass(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = ::GetModuleHandleW(nullptr);
  window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = name;
  return ::RegisterClassW(&window_class) != 0;
}

void MoveToSuggested(HWND window, LPARAM lparam) {
  const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
  ::SetWindowPos(window, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void ShowMessage(HWND owner, std::string_view text) {
  ::MessageBoxW(owner, Wide(text).c_str(), Wide(window::kApplicationTitle).c_str(), MB_OK);
}

bool PumpMessages(HWND window) {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(message.wParam));  // for the main loop
      return true;
    }
    if (window == nullptr || !::IsDialogMessageW(window, &message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  return false;
}

}  // namespace karvonel::win32
