#include "conversion/messages.h"

#include "conversion/conversion_run.h"

namespace karvonel::conversion {
namespace {

struct ErrorEntry {
  std::string_view name;
  std::string_view message;
};

constexpr ErrorEntry kErrors[] = {
#define KARVONEL_ERROR_ENTRY(kind, message) {#kind, message},
    KARVONEL_CONVERSION_ERRORS(KARVONEL_ERROR_ENTRY)
#undef KARVONEL_ERROR_ENTRY
};

// The kind's entry; an empty one for a value that is no kind.
ErrorEntry EntryOf(ErrorKind kind) {
  const auto index = static_cast<std::size_t>(kind);
  return index < std::size(kErrors) ? kErrors[index] : ErrorEntry{};
}

}  // namespace

std::string_view ErrorKindName(ErrorKind kind) {
  return EntryOf(kind).name;
}

std::string WithReason(std::string text, std::string_view reason, std::string_view line_break) {
  if (!reason.empty())
    text.append(line_break).append("(").append(reason).append(")");
  return text;
}

std::string ErrorMessage(const ConversionError& error, std::string_view line_break) {
  std::string_view rest = EntryOf(error.kind).message;
  std::string text;
  while (!rest.empty()) {
    if (rest.starts_with("{line}")) {
      text += std::to_string(error.line);
      rest.remove_prefix(6);
    } else if (rest.starts_with("{path}")) {
      text += error.path;
      rest.remove_prefix(6);
    } else {
      if (rest.front() == '\n')
        text += line_break;
      else
        text += rest.front();
      rest.remove_prefix(1);
    }
  }
  return WithReason(std::move(text), error.reason, line_break);
}

std::string IncompleteLinesWarning(std::int64_t lines, std::int64_t first_line) {
  return "注意：3 つの数値がそろっていない行が " + std::to_string(lines) + " 行あります（最初は " +
         std::to_string(first_line) + " 行目）。足りない値は 0 として変換しました";
}

std::string OwnerChangedNote(std::string_view owner, std::string_view group) {
  return "注意：置き換えたファイルの所有者とグループを元のままにできなかったため、出力ファイルの所"
         "有者は " +
         std::string(owner) + "、グループは " + std::string(group) + " になりました";
}

std::string ResultMessage(const ConversionResult& result) {
  if (!result)
    return ErrorMessage(result.error());
  std::string message = kMessageConverted;
  if (result->incomplete_lines > 0) {
    message +=
        "\n\n" + IncompleteLinesWarning(result->incomplete_lines, result->first_incomplete_line);
  }
  if (!result->new_owner.empty())
    message += "\n\n" + OwnerChangedNote(result->new_owner, result->new_group);
  return message;
}

}  // namespace karvonel::conversion
