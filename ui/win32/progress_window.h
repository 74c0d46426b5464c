// The feedback of a running conversion in karvonel.exe: a busy cursor at
// once, and half a second on a progress window with キャンセル over the main
// window, which takes no other input meanwhile.
#pragma once

#include <windows.h>

#include <memory>

#include "ui/win32/win32_support.h"
#include "window/main_window.h"

namespace karvonel::win32 {

class ProgressWindow : public window::ConversionProgress {
 public:
  ProgressWindow(HWND owner, DWORD delay_ms);
  ~ProgressWindow() override;
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  bool Update(double share) override;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void Open();

  HWND owner_;
  DWORD delay_ms_;
  ULONGLONG started_;
  std::unique_ptr<MessageFont> font_;  // outlives the window that uses it
  HWND window_ = nullptr;
  HWND bar_ = nullptr;
  HCURSOR cursor_ = nullptr;
  bool cancelled_ = false;
};

}  // namespace karvonel::win32
