#include "conversion/messages.h"

namespace karvonel::conversion {
namespace {

std::string Line(const ConversionError& error) {
  return std::to_string(error.line);
}

std::string WithReason(std::string text, const ConversionError& error) {
  if (!error.reason.empty())
    text += "\n(" + error.reason + ")";
  return text;
}

}  // namespace

std::string ErrorMessage(const ConversionError& error) {
  switch (error.kind) {
    case ErrorKind::kNoFileChosen:
      return "ファイル名を選択してください";
    case ErrorKind::kInputMissing:
      return "ファイル名が存在しません";
    case ErrorKind::kLineTooLong:
      return Line(error) + " 行目が長すぎます（1 行は 32766 文字まで）。変換を中止しました";
    case ErrorKind::kDataTooLong:
      return Line(error) +
             " 行目の数値が長すぎて、点データの 64 桁に収まりません。変換を中止しました";
    case ErrorKind::kValueOutOfRange:
      return Line(error) + " 行目の数値が大きすぎます。変換を中止しました";
    case ErrorKind::kTooManyPoints:
      return Line(error) + " 行目で点の数が上限の 4999999 を超えました。変換を中止しました";
    case ErrorKind::kOutputPathEmpty:
      return "出力ファイル名を入力してください";
    case ErrorKind::kOutputIsFolder:
      return "出力ファイル名がフォルダを指しています：" + error.path;
    case ErrorKind::kOutputIsInput:
      return "出力ファイル名が入力ファイルと同じです：" + error.path;
    case ErrorKind::kOutputFolderMissing:
      return "出力先のフォルダが存在しません：" + error.path;
    case ErrorKind::kCannotCreate:
      return WithReason("ファイルを作成できません：" + error.path, error);
    case ErrorKind::kReadFailed:
      return WithReason("ファイルを読み込めません：" + error.path, error);
    case ErrorKind::kWriteFailed:
      return WithReason("ファイルに書き込めません：" + error.path, error);
    case ErrorKind::kInputChanged:
      return "変換中に入力ファイルが変更されました：" + error.path;
    case ErrorKind::kSectionFileChanged:
      return "変換中に作業ファイルが変更されました：" + error.path;
    case ErrorKind::kSectionFileBusy:
      return "作業ファイルを別の変換が使用中です：" + error.path +
             "\nその変換が終わってから、やり直してください";
    case ErrorKind::kCancelled:
      return "変換を取り消しました。出力ファイルは変更されていません";
  }
  return {};
}

namespace cli_text {

std::string UnknownOption(std::string_view option) {
  return "不明なオプションです: " + std::string(option);
}

std::string BadFixedTime(std::string_view variable, std::string_view value) {
  return std::string(variable) +
         " は実在する日時を YYYYMMDDhhmmss の 14 桁で指定してください: " + std::string(value);
}

}  // namespace cli_text

}  // namespace karvonel::conversion
