#include "cli/command_line.h"

#include <optional>

#include "cli/progress_bar.h"
#include "conversion/output_path.h"

namespace karvonel::cli {
namespace {

constexpr char kUsage[] =
    "使い方: karvonel-convert [-o OUTPUT] INPUT...\n"
    "点列ファイル（1 行に X,Y,Z、単位 mm）を IGES ファイルに変換します。\n"
    "出力先は INPUT の拡張子を .igs に替えたパスです。\n"
    "\n"
    "  -o OUTPUT    出力ファイル名（INPUT が 1 つのときだけ）\n"
    "  --help       この説明を表示して終了\n"
    "  --version    バージョンを表示して終了\n"
    "\n"
    "終了コード: 0 すべて変換, 1 変換できないファイルあり, 2 使い方の誤り\n";

// A path given as UTF-8 text.
std::filesystem::path PathFromText(const std::string& text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

int UsageError(Environment& env, const std::string& message) {
  env.err << "karvonel-convert: " << message << "\n"
          << "詳しくは karvonel-convert --help を参照してください\n";
  return kExitUsage;
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& args, Environment& env) {
  std::vector<std::string> inputs;
  std::optional<std::string> output;
  bool options_done = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!options_done && arg == "--") {
      options_done = true;
    } else if (!options_done && arg == "--help") {
      env.out << kUsage;
      return kExitAllConverted;
    } else if (!options_done && arg == "--version") {
      env.out << kVersionText << "\n";
      return kExitAllConverted;
    } else if (!options_done && arg == "-o") {
      if (i + 1 >= args.size())
        return UsageError(env, "-o には出力ファイル名が必要です");
      if (output)
        return UsageError(env, "-o は 1 回だけ指定できます");
      output = args[++i];
    } else if (!options_done && arg.size() > 1 && arg[0] == '-') {
      return UsageError(env, "不明なオプションです: " + arg);
    } else {
      inputs.push_back(arg);
    }
  }
  if (inputs.empty())
    return UsageError(env, "入力ファイルを指定してください");
  if (output && inputs.size() > 1) {
    return UsageError(env, "-o は入力ファイルが 1 つのときだけ使えます");
  }

  int status = kExitAllConverted;
  for (const std::string& input : inputs) {
    const std::string out_text = output ? *output : conversion::OutputPathFor(input);
    conversion::ConversionRequest request;
    request.in_path = PathFromText(input);
    request.out_path = PathFromText(out_text);
    request.clock = env.clock;
    std::optional<ProgressBar> bar;
    if (env.err_is_terminal) {
      bar.emplace(env.err, std::chrono::seconds(1));
      request.progress = [&bar](std::uint64_t done, std::uint64_t total) {
        bar->Update(done, total);
        return true;
      };
    }
    const conversion::ConversionResult result = conversion::RunConversion(request);
    bar.reset();
    const std::string message = conversion::ResultMessage(result);
    if (result.outcome == conversion::Outcome::kConverted) {
      env.err << input << ": " << message << ": " << out_text << "\n";
    } else {
      env.err << input << ": " << message << "\n";
      status = kExitSomeFailed;
    }
  }
  return status;
}

}  // namespace karvonel::cli
