// The texts of both windows, in Japanese (UTF-8): titles, captions, menus and
// the messages that the window itself shows. The conversion's own messages
// are in conversion/messages.h.
#pragma once

#include <string>
#include <string_view>

#include "karvonel/version.h"

namespace karvonel::window {

// The title of every message box: the project's name, "PrjKarvonel".
inline constexpr const char* kApplicationTitle = kProjectName;

namespace main_text {
inline constexpr char kTitle[] = "Karvonel";
inline constexpr char kLbl1[] = "ファイル名";
inline constexpr char kLbl2[] = "出力ファイル名";
inline constexpr char kCmd1[] = "変\u3000換";
inline constexpr char kCmd2[] = "取\u3000消";
inline constexpr char kMnuFile[] = "ファイル(&F)";
inline constexpr char kMnuEnd[] = "終了(&X)";
inline constexpr char kMnuHelp[] = "ヘルプ(&H)";
inline constexpr char kMnuAbout[] = "バージョン表示(&A)";
inline constexpr char kConverting[] = "変換しています…";
inline constexpr char kCancel[] = "キャンセル";
}  // namespace main_text

namespace about_text {
inline constexpr char kTitle[] = "バージョン表示";
// "Karvonel  Ver 1.20 00": two blanks before "Ver".
std::string Banner();
inline constexpr char kNotice[] = "© 2026 Karvonel Works";
inline constexpr char kOk[] = "O  K";
}  // namespace about_text

// A drive that cannot be opened; `reason` is the system's.
std::string DriveFailed(std::string_view drive, std::string_view reason);
// A folder that cannot be opened.
std::string FolderFailed(std::string_view folder, std::string_view reason);
// A folder that is gone: the lists show `shown`, the nearest that is left.
std::string FolderGone(std::string_view folder, std::string_view shown);

// `text` with each line longer than `width` characters broken after the last
// sentence ("。") that leaves it within `width`, or else after the last clause
// ("、"): a message box that shows the lines as they are then breaks none
// inside a phrase. A line with neither stays whole.
std::string BreakAtPhrases(std::string_view text, std::size_t width = 40);

}  // namespace karvonel::window
