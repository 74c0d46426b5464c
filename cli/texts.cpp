#include "cli/texts.h"

namespace karvonel::cli::texts {

std::string UnknownOption(std::string_view option) {
  return "不明なオプションです: " + std::string(option);
}

std::string Interrupted(int signal) {
  return "シグナル " + std::to_string(signal) +
         " を受けて変換を中止しました。出力ファイルは変更されていません";
}

std::string OutputOfEarlierInput(std::string_view output, std::string_view earlier_input) {
  return "出力ファイル " + std::string(output) + " には先に " + std::string(earlier_input) +
         " を変換しました。上書きせずに中止しました";
}

std::string BadFixedTime(std::string_view variable, std::string_view value) {
  return std::string(variable) +
         " は実在する日時を YYYYMMDDhhmmss の 14 桁で指定してください: " + std::string(value);
}

}  // namespace karvonel::cli::texts
