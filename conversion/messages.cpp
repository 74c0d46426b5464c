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

std::string IncompleteLinesWarning(std::int64_t lines, std::int64_t first_line) {
  return "注意：3 つの数値がそろっていない行が " + std::to_string(lines) + " 行あります（最初は " +
         std::to_string(first_line) + " 行目）。足りない値は 0 として変換しました";
}

std::string OwnerChangedNote(std::string_view owner, std::string_view group) {
  return "注意：置き換えたファイルの所有者とグループを元のままにできなかったため、出力ファイルの所"
         "有者は " +
         std::string(owner) + "、グループは " + std::string(group) + " になりました";
}

std::string ErrorMessage(const ConversionError& error) {
  switch (error.kind) {
    case ErrorKind::kNoFileChosen:
      return "ファイル名を選択してください";
    case ErrorKind::kInputMissing:
      return "ファイル名が存在しません";
    case ErrorKind::kInputIsFolder:
      return "入力ファイル名がフォルダを指しています：" + error.path;
    case ErrorKind::kLineTooLong:
      return Line(error) + " 行目が長すぎます（1 行は 32766 バイトまで）。変換を中止しました";
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
    case ErrorKind::kOutputNotRegular:
      return "出力ファイル名が通常のファイルでないもの（デバイスなど）を指しています：" +
             error.path;
    case ErrorKind::kOutputReadOnly:
      return "出力ファイルは書き込みが禁止されているため置き換えません：" + error.path;
    case ErrorKind::kOutputFolderMissing:
      return "出力先のフォルダが存在しません：" + error.path;
    case ErrorKind::kOutputFolderIsFile:
      return WithReason("出力先のフォルダ名がファイルを指しています：" + error.path, error);
    case ErrorKind::kPathTooLong:
      return WithReason("パスまたはファイル名が長すぎます：" + error.path, error);
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
    case ErrorKind::kSectionFileIsLink:
      return "作業ファイルがシンボリックリンクのため使えません：" + error.path;
    case ErrorKind::kSectionFileIsFolder:
      return "作業ファイル名がフォルダを指しているため使えません：" + error.path;
    case ErrorKind::kSectionFileIsFifo:
      return "作業ファイルが FIFO（名前付きパイプ）のため使えません：" + error.path;
    case ErrorKind::kSectionFileIsSocket:
      return "作業ファイルがソケットのため使えません：" + error.path;
    case ErrorKind::kSectionFileIsDevice:
      return "作業ファイルがデバイスのため使えません：" + error.path;
    case ErrorKind::kWorkFolderRemoved:
      return "作業フォルダが削除されているため作業ファイルを作れません：" + error.path +
             "\n存在するフォルダに移ってから、やり直してください";
    case ErrorKind::kSectionFileNotRegular:
      return "作業ファイルが通常のファイルでないため使えません：" + error.path;
    case ErrorKind::kSectionFileHasLinks:
      return "作業ファイルに別の名前（ハードリンク）があるため使えません：" + error.path;
    case ErrorKind::kSectionFileIsInput:
      return "作業ファイルが入力ファイルと同じファイルのため使えません：" + error.path;
    case ErrorKind::kSectionFileIsOutput:
      return "作業ファイルが出力ファイルと同じファイルのため使えません：" + error.path;
    case ErrorKind::kOutOfMemory:
      return "メモリが足りません。変換を中止しました";
    case ErrorKind::kCancelled:
      return "変換を取り消しました。出力ファイルは変更されていません";
  }
  return {};
}

namespace cli_text {

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

}  // namespace cli_text

}  // namespace karvonel::conversion
