#include "tests/fuzz/reference.h"

#include <cerrno>
#include <cmath>

namespace karvonel::fuzz {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

int DigitIn(char c, int base) {
  int digit = 99;
  if (IsDigit(c))
    digit = c - '0';
  if (c >= 'a' && c <= 'f')
    digit = c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    digit = c - 'A' + 10;
  return digit < base ? digit : -1;
}

}  // namespace

ReferenceNumber ReadReferenceNumber(std::string_view field) {
  std::string text;
  for (char c : field) {
    if (c != ' ' && c != '\t' && c != '\n')
      text += c;
  }
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-'))
    negative = text[i++] == '-';

  if (i < text.size() && text[i] == '&') {
    const char kind = i + 1 < text.size() ? text[i + 1] : '\0';
    const int base = (kind == 'H' || kind == 'h') ? 16 : (kind == 'O' || kind == 'o') ? 8 : 0;
    if (base == 0)
      return {};
    unsigned __int128 value = 0;
    for (i += 2; i < text.size() && DigitIn(text[i], base) >= 0; ++i) {
      value = value * static_cast<unsigned>(base) + static_cast<unsigned>(DigitIn(text[i], base));
      if (value > UINT64_MAX)
        return {0, true};
    }
    const double magnitude = static_cast<double>(static_cast<std::uint64_t>(value));
    return {negative ? -magnitude : magnitude, false};
  }

  std::string number = negative ? "-" : "";
  bool digit = false;
  bool point = false;
  for (; i < text.size(); ++i) {
    if (IsDigit(text[i])) {
      digit = true;
    } else if (text[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
    number += text[i];
  }
  if (!digit)
    return {};
  if (i < text.size() && std::string_view("EeDd").find(text[i]) != std::string_view::npos) {
    std::size_t j = i + 1;
    std::string exponent = "e";
    if (j < text.size() && (text[j] == '+' || text[j] == '-'))
      exponent += text[j++];
    const std::size_t first_digit = j;
    while (j < text.size() && IsDigit(text[j]))
      exponent += text[j++];
    if (j > first_digit)
      number += exponent;
  }
  errno = 0;
  const double value = std::strtod(number.c_str(), nullptr);
  if (errno == ERANGE && std::isinf(value))
    return {0, true};
  return {value, false};
}

ReferencePoint ReadReferencePoint(std::string_view line) {
  ReferencePoint point;
  point.has_point = line.find_first_not_of(" \t") != std::string_view::npos;
  if (!point.has_point)
    return point;
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = line.find(',', start);
    fields.push_back(
        line.substr(start, comma == std::string_view::npos ? line.npos : comma - start));
    if (comma == std::string_view::npos)
      break;
    start = comma + 1;
  }
  for (std::size_t k = 0; k < 3 && k < fields.size(); ++k) {
    const ReferenceNumber number = ReadReferenceNumber(fields[k]);
    point.xyz[k] = number.value;
    point.out_of_range = point.out_of_range || number.out_of_range;
  }
  return point;
}

std::vector<std::string_view> SplitReferenceLines(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
    bytes.remove_prefix(3);
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r' && bytes[i] != '\n')
      continue;
    lines.push_back(bytes.substr(start, i - start));
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
      ++i;
    start = i + 1;
  }
  if (start < bytes.size())
    lines.push_back(bytes.substr(start));
  return lines;
}

double RoundTo15(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.14e", value);
  return std::strtod(text, nullptr);
}

std::string Show(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

}  // namespace karvonel::fuzz
