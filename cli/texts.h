// The texts of the command-line tool karvonel-convert, in Japanese (UTF-8); the
// conversion's own are in conversion/messages.h.
#pragma once

#include <string>
#include <string_view>

namespace karvonel::cli::texts {

inline constexpr char kUsage[] =
    "使い方: karvonel-convert [-o OUTPUT] INPUT...\n"
    "点列ファイル（1 行に X,Y,Z、単位 mm）を IGES ファイルに変換します。\n"
    "出力先は INPUT の拡張子を .igs に替えたパスです。\n"
    "\n"
    "  -o OUTPUT    出力ファイル名（INPUT が 1 つのときだけ）\n"
    "  --help       この説明を表示して終了\n"
    "  --version    バージョンを表示して終了\n"
    "\n"
    "終了コード: 0 すべて変換, 1 変換できないファイルあり, 2 使い方の誤り,\n"
    "          128+N シグナル N で中止\n";
inline constexpr char kSeeHelp[] = "詳しくは karvonel-convert --help を参照してください";
inline constexpr char kOutputNeedsName[] = "-o には出力ファイル名が必要です";
inline constexpr char kOutputTwice[] = "-o は 1 回だけ指定できます";
inline constexpr char kOutputWithManyInputs[] = "-o は入力ファイルが 1 つのときだけ使えます";
inline constexpr char kNoInput[] = "入力ファイルを指定してください";
std::string UnknownOption(std::string_view option);
// A conversion ended by a termination signal.
std::string Interrupted(int signal);
// An output that an earlier input of the same run has just been converted to.
std::string OutputOfEarlierInput(std::string_view output, std::string_view earlier_input);
// Memory ran out outside a conversion.
inline constexpr char kOutOfMemory[] = "メモリが足りません";
std::string BadFixedTime(std::string_view variable, std::string_view value);

}  // namespace karvonel::cli::texts
