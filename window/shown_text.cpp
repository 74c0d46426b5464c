#include "window/shown_text.h"

namespace karvonel::window {
namespace {

#ifndef _WIN32

// The length of the UTF-8 character at the start of `text`, or 0 when it
// does not begin with one (stray, overlong or surrogate sequences).
std::size_t Utf8CharacterLength(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80)
    return 1;
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    low = lead == 0xE0 ? 0xA0 : 0x80;
    high = lead == 0xED ? 0x9F : 0xBF;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    low = lead == 0xF0 ? 0x90 : 0x80;
    high = lead == 0xF4 ? 0x8F : 0xBF;
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high)
    return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80)
      return 0;
  }
  return length;
}
#endif

}  // namespace

std::string ShownText(const std::filesystem::path& path) {
#ifdef _WIN32
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
#else
  std::string_view bytes = path.native();
  std::string text;
  while (!bytes.empty()) {
    const std::size_t length = Utf8CharacterLength(bytes);
    if (length == 0) {
      text += "\uFFFD";
      bytes.remove_prefix(1);
    } else {
      text += bytes.substr(0, length);
      bytes.remove_prefix(length);
    }
  }
  return text;
#endif
}

std::filesystem::path PathFromText(std::string_view text) {
#ifdef _WIN32
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
#else
  return std::filesystem::path(std::string(text));
#endif
}

std::filesystem::path WithSingleSeparators(const std::filesystem::path& path) {
  std::filesystem::path out = path.root_path();
  for (const std::filesystem::path& part : path.relative_path())
    out /= part;  // the parts hold no separators; a trailing one gives an empty last part
  return out;
}

std::string AsciiLower(std::string text) {
  for (char& c : text)
    c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return text;
}

bool IsPointListName(const std::filesystem::path& name) {
  const std::string text = AsciiLower(ShownText(name.filename()));
  return text.ends_with(".csv");
}

}  // namespace karvonel::window
