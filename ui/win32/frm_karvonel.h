// FrmKarvonel in karvonel.exe: the main window as a Win32 view of
// window::MainWindow. It creates the controls at their places at the window's
// DPI, forwards each notification to the logic's handler of the same name and
// shows what the handler changed.
#pragma once

#include <windows.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "ui/win32/win32_support.h"
#include "window/main_window.h"

namespace karvonel::win32 {

class DropTarget;

class FrmKarvonel {
 public:
  FrmKarvonel(std::vector<window::Drive> drives, const std::filesystem::path& start_folder);
  ~FrmKarvonel();
  FrmKarvonel(const FrmKarvonel&) = delete;
  FrmKarvonel& operator=(const FrmKarvonel&) = delete;

  // Creates and shows the window; false when the system refused.
  bool Create(int show);
  HWND Handle() const { return window_; }

 private:
  static constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;
  static HWND Control(HWND window, int id) { return ::GetDlgItem(window, id); }

  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void CreateControls();
  void CreateMenus();
  void Layout();
  void OnCommand(int id, int code);
  void DrawDirectoryRow(const DRAWITEMSTRUCT& item);

  void Show(const window::Reply& reply);
  void ShowLists();
  void ShowPaths();

  void Cmd1_Click();
  void mnuAbout_Click();

  window::MainWindow logic_;
  HWND window_ = nullptr;
  UINT dpi_ = 96;
  std::unique_ptr<MessageFont> font_;
  DropTarget* drop_target_ = nullptr;  // COM: released, not deleted
  bool showing_ = false;               // the program itself sets a text: no handler for it
};

}  // namespace karvonel::win32
