// Building the main window: its menus and controls, in tab order, at their
// places in twips converted at the window's DPI.
#include <algorithm>

#include "ui/win32/control_ids.h"
#include "ui/win32/frm_karvonel.h"
#include "window/layout.h"
#include "window/texts.h"

namespace karvonel::win32 {
namespace {

// The class and style of each control, in the order of window::kMainControls.
struct ControlKind {
  const wchar_t* window_class;
  DWORD style;
  DWORD ex_style;
};
constexpr ControlKind kKinds[] = {
    {L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0},
    {L"LISTBOX",
     LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL |
         WS_HSCROLL | WS_TABSTOP,
     WS_EX_CLIENTEDGE},
    {L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP,
     WS_EX_CLIENTEDGE},
    {L"EDIT", ES_AUTOHSCROLL | ES_READONLY | WS_TABSTOP, WS_EX_CLIENTEDGE},
    {L"STATIC", SS_LEFT, 0},
    {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0},
    {L"STATIC", SS_LEFT, 0},
    {L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE},
    {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0},
    {L"STATIC", SS_ETCHEDHORZ, 0},  // Line1: a sunken line
};
static_assert(std::size(kKinds) == std::size(window::kMainControls));

// A control's caption: the labels' and buttons' texts.
std::wstring Caption(int id) {
  switch (id) {
    case kLbl1:
      return Wide(window::main_text::kLbl1);
    case kLbl2:
      return Wide(window::main_text::kLbl2);
    case kCmd1:
      return Wide(window::main_text::kCmd1);
    case kCmd2:
      return Wide(window::main_text::kCmd2);
    default:
      return {};
  }
}

// The size of `text` in the font of `control`.
SIZE TextExtent(HWND control, const std::wstring& text) {
  HDC dc = ::GetDC(control);
  HGDIOBJ old_font =
      ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)));
  SIZE size{};
  ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  ::SelectObject(dc, old_font);
  ::ReleaseDC(control, dc);
  return size;
}

}  // namespace

void FrmKarvonel::CreateMenus() {
  HMENU bar = ::CreateMenu();
  HMENU file = ::CreatePopupMenu();
  ::AppendMenuW(file, MF_STRING, kMnuEnd, Wide(window::main_text::kMnuEnd).c_str());
  ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file),
                Wide(window::main_text::kMnuFile).c_str());
  HMENU help = ::CreatePopupMenu();
  ::AppendMenuW(help, MF_STRING, kMnuAbout, Wide(window::main_text::kMnuAbout).c_str());
  ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help),
                Wide(window::main_text::kMnuHelp).c_str());
  ::SetMenu(window_, bar);  // destroyed with the window
}

void FrmKarvonel::CreateControls() {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  // Created in tab order, so Tab moves Drv1, Dir1, Fil1, Txt1, Cmd1, Txt2, Cmd2.
  for (std::size_t i = 0; i < std::size(kKinds); ++i) {
    const int id = kDrv1 + static_cast<int>(i);
    ::CreateWindowExW(kKinds[i].ex_style, kKinds[i].window_class, Caption(id).c_str(),
                      WS_CHILD | WS_VISIBLE | kKinds[i].style, 0, 0, 10, 10, window_,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  }
  for (const window::Drive& drive : logic_.Drives()) {
    ::SendMessageW(Control(window_, kDrv1), CB_ADDSTRING, 0,
                   reinterpret_cast<LPARAM>(Wide(drive.label).c_str()));
  }
}

void FrmKarvonel::Layout() {
  dpi_ = WindowDpi(window_);
  font_ = std::make_unique<MessageFont>(dpi_);
  ApplyFont(window_, font_->Get());
  for (std::size_t i = 0; i < std::size(window::kMainControls); ++i) {
    RECT r = PixelRect(window::kMainControls[i].twips, dpi_);
    const int id = kDrv1 + static_cast<int>(i);
    if (id == kDrv1)
      r.bottom = r.top + Pixels(2400, dpi_);  // a drop-down list's height includes its list
    if (id == kLine1)
      r.bottom = r.top + 2;  // the dark line and the light one under it
    // A label grows to its text and a text box to a line of the font, where
    // the font needs more room than the design gave (a larger font, a wider
    // Japanese face): texts are never cut.
    if (id == kLbl1 || id == kLbl2) {
      const SIZE text = TextExtent(Control(window_, id), Caption(id));
      r.right = std::max(r.right, r.left + text.cx + 1);
      r.bottom = std::max(r.bottom, r.top + text.cy);
    }
    if (id == kTxt1 || id == kTxt2) {
      const SIZE line = TextExtent(Control(window_, id), L"Ag");
      r.bottom =
          std::max(r.bottom, r.top + line.cy + 2 * ::GetSystemMetricsForDpi(SM_CYEDGE, dpi_) + 2);
    }
    ::SetWindowPos(Control(window_, id), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const window::TwipsRect& client = window::kMainClient;
  const SIZE size = WindowSizeFor({Pixels(client.width, dpi_), Pixels(client.height, dpi_)}, kStyle,
                                  0, true, dpi_);
  ::SetWindowPos(window_, nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace karvonel::win32
