#include "window/texts.h"

#include <vector>

#include "conversion/messages.h"
#include "karvonel/version.h"

namespace karvonel::window {
namespace {

// The number of characters (code points) in UTF-8 text.
std::size_t Characters(std::string_view text) {
  std::size_t count = 0;
  for (const char byte : text)
    count += (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
  return count;
}

// The end of the last `mark` in `line` that leaves at most `width` characters
// before it and some text behind it, or npos.
std::size_t LastBreakWithin(std::string_view line, std::string_view mark, std::size_t width) {
  std::size_t cut = std::string_view::npos;
  for (std::size_t at = line.find(mark); at != std::string_view::npos;
       at = line.find(mark, at + 1)) {
    const std::size_t end = at + mark.size();
    if (Characters(line.substr(0, end)) > width)
      break;
    if (end < line.size())
      cut = end;
  }
  return cut;
}

void BreakLine(std::string_view line, std::size_t width, std::string& out) {
  while (Characters(line) > width) {
    std::size_t cut = LastBreakWithin(line, "。", width);
    if (cut == std::string_view::npos)
      cut = LastBreakWithin(line, "、", width);
    if (cut == std::string_view::npos)
      break;
    out.append(line.substr(0, cut)).append("\n");
    line.remove_prefix(cut);
  }
  out.append(line);
}

}  // namespace

std::string about_text::Banner() {
  return std::string("Karvonel  Ver ") + kVersion + " " + kVersionLevel;
}

std::string DriveFailed(std::string_view drive, std::string_view reason) {
  return conversion::WithReason("ドライブ " + std::string(drive) + " を開けません。", reason);
}

std::string FolderFailed(std::string_view folder, std::string_view reason) {
  return conversion::WithReason("フォルダ " + std::string(folder) + " を開けません。", reason);
}

std::string FolderGone(std::string_view folder, std::string_view shown) {
  return "フォルダ " + std::string(folder) + " はありません。\n" + std::string(shown) +
         " を表示します";
}

std::string BreakAtPhrases(std::string_view text, std::size_t width) {
  std::string out;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find('\n', start);
    BreakLine(text.substr(start, end == std::string_view::npos ? end : end - start), width, out);
    if (end == std::string_view::npos)
      return out;
    out += '\n';
    start = end + 1;
  }
}

}  // namespace karvonel::window
