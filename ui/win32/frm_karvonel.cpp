#include "ui/win32/frm_karvonel.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "ui/win32/control_ids.h"
#include "ui/win32/drop_target.h"
#include "ui/win32/frm_about.h"
#include "ui/win32/progress_window.h"
#include "window/layout.h"
#include "window/texts.h"

namespace karvonel::win32 {
namespace {

constexpr DWORD kProgressDelayMs = 500;
constexpr int kIndentTwips = 150;  // one step of the directory list

}  // namespace

FrmKarvonel::FrmKarvonel(std::vector<window::Drive> drives,
                         const std::filesystem::path& start_folder)
    : logic_(std::move(drives), start_folder) {}

FrmKarvonel::~FrmKarvonel() {
  if (drop_target_ != nullptr)
    drop_target_->Release();
}

bool FrmKarvonel::Create(int show) {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = Proc;
  window_class.hInstance = instance;
  window_class.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kMainClass;
  window_class.hIcon =
      static_cast<HICON>(::LoadImageW(instance, L"IDI_ICON1", IMAGE_ICON, 32, 32, 0));
  window_class.hIconSm =
      static_cast<HICON>(::LoadImageW(instance, L"IDI_ICON1", IMAGE_ICON, 16, 16, 0));
  if (::RegisterClassExW(&window_class) == 0)
    return false;
  window_ =
      ::CreateWindowExW(0, kMainClass, Wide(window::main_text::kTitle).c_str(), kStyle,
                        CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr, nullptr, instance, this);
  if (window_ == nullptr)
    return false;
  CreateMenus();
  CreateControls();
  Layout();
  ShowLists();
  drop_target_ = new DropTarget(
      [](const DropTarget::Files& files) { return window::MainWindow::Droppable(files); },
      [this](const DropTarget::Files& files) { Show(logic_.Drop(files)); });
  ::RegisterDragDrop(window_, drop_target_);
  ::ShowWindow(window_, show);
  ::SetFocus(Control(window_, kDrv1));  // the drive list has the focus when the window opens
  if (!logic_.StartMessage().empty())
    ShowMessage(window_, logic_.StartMessage());
  return true;
}

void FrmKarvonel::Show(const window::Reply& reply) {
  if (reply.lists)
    ShowLists();
  if (reply.paths)
    ShowPaths();
  if (!reply.message.empty())
    ShowMessage(window_, reply.message);
  if (reply.end)
    ::DestroyWindow(window_);
}

void FrmKarvonel::ShowLists() {
  showing_ = true;
  ::SendMessageW(Control(window_, kDrv1), CB_SETCURSEL, static_cast<WPARAM>(logic_.DriveIndex()),
                 0);
  HWND dir1 = Control(window_, kDir1);
  ::SendMessageW(dir1, WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(dir1, LB_RESETCONTENT, 0, 0);
  HDC dc = ::GetDC(dir1);
  HGDIOBJ old_font = ::SelectObject(dc, font_->Get());
  int widest = 0;
  for (const window::DirectoryRow& row : logic_.DirectoryRows()) {
    const std::wstring text = Wide(row.text);
    const LRESULT at =
        ::SendMessageW(dir1, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    ::SendMessageW(dir1, LB_SETITEMDATA, static_cast<WPARAM>(at), row.depth);
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    widest = std::max(widest,
                      static_cast<int>(extent.cx) + Pixels(kIndentTwips, dpi_) * (row.depth + 1));
  }
  ::SelectObject(dc, old_font);
  ::ReleaseDC(dir1, dc);
  // A long folder name scrolls sideways rather than being cut.
  ::SendMessageW(dir1, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest), 0);
  ::SendMessageW(dir1, LB_SETCURSEL, static_cast<WPARAM>(logic_.OpenRow()), 0);
  ::SendMessageW(dir1, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(dir1, nullptr, TRUE);

  HWND fil1 = Control(window_, kFil1);
  ::SendMessageW(fil1, LB_RESETCONTENT, 0, 0);
  for (const window::FileRow& row : logic_.FileRows())
    ::SendMessageW(fil1, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(row.text).c_str()));
  ::SendMessageW(fil1, LB_SETCURSEL, static_cast<WPARAM>(logic_.ChosenFile()), 0);
  showing_ = false;
}

void FrmKarvonel::ShowPaths() {
  showing_ = true;  // Txt2_Change is for the user's typing
  ::SetWindowTextW(Control(window_, kTxt1), Wide(logic_.InText()).c_str());
  ::SetWindowTextW(Control(window_, kTxt2), Wide(logic_.OutText()).c_str());
  showing_ = false;
}

void FrmKarvonel::DrawDirectoryRow(const DRAWITEMSTRUCT& item) {
  if (item.itemID == static_cast<UINT>(-1))
    return;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  const int depth = static_cast<int>(item.itemData);
  std::wstring text(
      static_cast<std::size_t>(::SendMessageW(item.hwndItem, LB_GETTEXTLEN, item.itemID, 0)) + 1,
      L'\0');
  text.resize(static_cast<std::size_t>(::SendMessageW(item.hwndItem, LB_GETTEXT, item.itemID,
                                                      reinterpret_cast<LPARAM>(text.data()))));
  RECT text_rect = item.rcItem;
  text_rect.left += Pixels(kIndentTwips, dpi_) * depth + Pixels(30, dpi_);
  ::SetBkMode(item.hDC, TRANSPARENT);
  ::SetTextColor(item.hDC, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  ::DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &text_rect,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if ((item.itemState & ODS_FOCUS) != 0)
    ::DrawFocusRect(item.hDC, &item.rcItem);
}

void FrmKarvonel::OnCommand(int id, int code) {
  switch (id) {
    case kDrv1:
      if (code == CBN_SELCHANGE && !showing_) {
        Show(logic_.Drv1_Change(
            static_cast<int>(::SendMessageW(Control(window_, kDrv1), CB_GETCURSEL, 0, 0))));
      }
      break;
    case kDir1:
      if (code == LBN_DBLCLK) {
        Show(logic_.Dir1_Change(
            static_cast<int>(::SendMessageW(Control(window_, kDir1), LB_GETCURSEL, 0, 0))));
      }
      break;
    case kFil1:
      if (code == LBN_SELCHANGE && !showing_) {
        Show(logic_.Fil1_Click(
            static_cast<int>(::SendMessageW(Control(window_, kFil1), LB_GETCURSEL, 0, 0))));
      }
      break;
    case kTxt2:
      if (code == EN_CHANGE && !showing_)
        Show(logic_.Txt2_Change(Utf8(WindowText(Control(window_, kTxt2)))));
      break;
    case kCmd1:
      if (code == BN_CLICKED)
        Cmd1_Click();
      break;
    case kCmd2:
      if (code == BN_CLICKED)
        Show(logic_.Cmd2_Click());
      break;
    case kMnuEnd:
      Show(logic_.mnuEnd_Click());
      break;
    case kMnuAbout:
      mnuAbout_Click();
      break;
    case IDOK:  // Enter: opens the folder chosen in the directory list
      if (::GetFocus() == Control(window_, kDir1))
        OnCommand(kDir1, LBN_DBLCLK);
      break;
    default:
      break;
  }
}

void FrmKarvonel::Cmd1_Click() {
  window::Reply reply;
  {
    ProgressWindow progress(window_, kProgressDelayMs);
    reply = logic_.Cmd1_Click(progress);
  }
  Show(reply);
}

void FrmKarvonel::mnuAbout_Click() {
  ShowAboutModal(window_);
}

LRESULT CALLBACK FrmKarvonel::Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<FrmKarvonel*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_ = window;
  }
  auto* self = reinterpret_cast<FrmKarvonel*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  return self != nullptr ? self->Handle(message, wparam, lparam)
                         : ::DefWindowProcW(window, message, wparam, lparam);
}

LRESULT FrmKarvonel::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_MEASUREITEM: {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
      TEXTMETRICW metrics{};
      HDC dc = ::GetDC(window_);
      HGDIOBJ old_font =
          ::SelectObject(dc, font_ ? font_->Get() : ::GetStockObject(DEFAULT_GUI_FONT));
      ::GetTextMetricsW(dc, &metrics);
      ::SelectObject(dc, old_font);
      ::ReleaseDC(window_, dc);
      item->itemHeight = static_cast<UINT>(metrics.tmHeight + Pixels(30, dpi_));
      return TRUE;
    }
    case WM_DRAWITEM:
      DrawDirectoryRow(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
      return TRUE;
    case WM_DPICHANGED: {
      Layout();
      ShowLists();
      MoveToSuggested(window_, lparam);
      return 0;
    }
    case WM_DESTROY:
      ::RevokeDragDrop(window_);
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcW(window_, message, wparam, lparam);
  }
}

}  // namespace karvonel::win32
