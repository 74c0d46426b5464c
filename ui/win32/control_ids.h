// The control and menu identifiers of karvonel.exe's windows, and their window
// classes: the program uses them, and so does the test driver that works the
// window from another process.
#pragma once

namespace karvonel::win32 {

inline constexpr wchar_t kMainClass[] = L"KarvonelMain";
inline constexpr wchar_t kAboutClass[] = L"KarvonelAbout";
inline constexpr wchar_t kProgressClass[] = L"KarvonelProgress";

// The main window's controls, in the order of window::kMainControls (tab order).
enum MainControl : int {
  kDrv1 = 101,
  kDir1,
  kFil1,
  kTxt1,
  kLbl1,
  kCmd1,
  kLbl2,
  kTxt2,
  kCmd2,
  kLine1,
};

enum MenuItem : int { kMnuEnd = 201, kMnuAbout = 202 };

// The About window's controls, in the order of window::kAboutControls.
enum AboutControl : int { kAboutLbl1 = 301, kAboutLbl2, kAboutCmd1 };

// The progress window's cancel button.
inline constexpr int kProgressCancel = 401;

}  // namespace karvonel::win32
