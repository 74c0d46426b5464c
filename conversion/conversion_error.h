// Why a conversion did not produce its file: each error's kind beside its
// message. In a message "{line}" stands for the input line number and "{path}"
// for the file concerned; the system's reason, where the error has one,
// follows on a line of its own (ErrorMessage).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "karvonel/result.h"
#include "platform/native_file.h"

// clang-format off
#define KARVONEL_CONVERSION_ERRORS(ERROR)                                                          \
  ERROR(kNoFileChosen, "ファイル名を選択してください")                                             \
  ERROR(kInputMissing, "ファイル名が存在しません")                                                 \
  ERROR(kInputIsFolder, "入力ファイル名がフォルダを指しています：{path}")                          \
  ERROR(kLineTooLong, "{line} 行目が長すぎます（1 行は 32766 バイトまで）。変換を中止しました")    \
  ERROR(kDataTooLong,                                                                              \
        "{line} 行目の数値が長すぎて、点データの 64 桁に収まりません。変換を中止しました")         \
  ERROR(kValueOutOfRange, "{line} 行目の数値が大きすぎます。変換を中止しました")                   \
  ERROR(kTooManyPoints, "{line} 行目で点の数が上限の 4999999 を超えました。変換を中止しました")    \
  ERROR(kOutputPathEmpty, "出力ファイル名を入力してください")                                      \
  ERROR(kOutputIsFolder, "出力ファイル名がフォルダを指しています：{path}")                         \
  ERROR(kOutputIsInput, "出力ファイル名が入力ファイルと同じです：{path}")                          \
  ERROR(kOutputNotRegular,                                                                         \
        "出力ファイル名が通常のファイルでないもの（デバイスなど）を指しています：{path}")          \
  ERROR(kOutputReadOnly, "出力ファイルは書き込みが禁止されているため置き換えません：{path}")       \
  ERROR(kOutputFolderMissing, "出力先のフォルダが存在しません：{path}")                            \
  ERROR(kOutputFolderIsFile, "出力先のフォルダ名がファイルを指しています：{path}")                 \
  ERROR(kPathTooLong, "パスまたはファイル名が長すぎます：{path}")                                  \
  ERROR(kCannotCreate, "ファイルを作成できません：{path}")                                         \
  ERROR(kReadFailed, "ファイルを読み込めません：{path}")                                           \
  ERROR(kWriteFailed, "ファイルに書き込めません：{path}")                                          \
  ERROR(kInputChanged, "変換中に入力ファイルが変更されました：{path}")                             \
  ERROR(kSectionFileChanged, "変換中に作業ファイルが変更されました：{path}")                       \
  ERROR(kSectionFileBusy,                                                                          \
        "作業ファイルを別の変換が使用中です：{path}\nその変換が終わってから、やり直してください")  \
  ERROR(kSectionFileIsLink, "作業ファイルがシンボリックリンクのため使えません：{path}")            \
  ERROR(kSectionFileIsFolder, "作業ファイル名がフォルダを指しているため使えません：{path}")        \
  ERROR(kSectionFileIsFifo, "作業ファイルが FIFO（名前付きパイプ）のため使えません：{path}")       \
  ERROR(kSectionFileIsSocket, "作業ファイルがソケットのため使えません：{path}")                    \
  ERROR(kSectionFileIsDevice, "作業ファイルがデバイスのため使えません：{path}")                    \
  ERROR(kSectionFileNotRegular, "作業ファイルが通常のファイルでないため使えません：{path}")        \
  ERROR(kWorkFolderRemoved, "作業フォルダが削除されているため作業ファイルを作れません：{path}"     \
                            "\n存在するフォルダに移ってから、やり直してください")                  \
  ERROR(kSectionFileHasLinks,                                                                      \
        "作業ファイルに別の名前（ハードリンク）があるため使えません：{path}")                      \
  ERROR(kSectionFileIsInput, "作業ファイルが入力ファイルと同じファイルのため使えません：{path}")   \
  ERROR(kSectionFileIsOutput, "作業ファイルが出力ファイルと同じファイルのため使えません：{path}")  \
  ERROR(kOutOfMemory, "メモリが足りません。変換を中止しました")                                    \
  ERROR(kCancelled, "変換を取り消しました。出力ファイルは変更されていません")
// clang-format on

namespace karvonel::conversion {

enum class ErrorKind {
#define KARVONEL_ERROR_KIND(kind, message) kind,
  KARVONEL_CONVERSION_ERRORS(KARVONEL_ERROR_KIND)
#undef KARVONEL_ERROR_KIND
};

struct ConversionError {
  ErrorKind kind = ErrorKind::kCancelled;
  std::int64_t line = 0;  // input line number, counted from 1, or 0
  std::string path;       // the file concerned, UTF-8, or empty; "para.sec" absolute
  std::string reason;     // the system's reason, or empty
};

// The refusal `kind`, naming `path` and the system's `reason` where given.
inline Unexpected<ConversionError> Fail(ErrorKind kind, const std::filesystem::path& path = {},
                                        std::string reason = {}) {
  return Unexpected{ConversionError{
      kind, 0, path.empty() ? std::string() : platform::PathText(path), std::move(reason)}};
}
// The refusal of input line `line`.
inline Unexpected<ConversionError> FailAt(ErrorKind kind, std::int64_t line) {
  return Unexpected{ConversionError{kind, line, {}, {}}};
}

// The kind's name as it stands above ("kNoFileChosen"), for case tables and
// logs; "" for a value that is no kind.
std::string_view ErrorKindName(ErrorKind kind);

}  // namespace karvonel::conversion
