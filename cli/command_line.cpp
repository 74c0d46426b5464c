#include "cli/command_line.h"

#include <optional>

#include "cli/fixed_time.h"
#include "cli/progress_bar.h"
#include "conversion/conversion_run.h"
#include "conversion/messages.h"
#include "conversion/output_path.h"
#include "karvonel/version.h"

namespace karvonel::cli {
namespace {

namespace texts = conversion::cli_text;

// A path given as UTF-8 text.
std::filesystem::path PathFromText(const std::string& text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

int UsageError(Environment& env, const std::string& message) {
  env.err << "karvonel-convert: " << message << "\n" << texts::kSeeHelp << "\n";
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
      env.out << texts::kUsage;
      return kExitAllConverted;
    } else if (!options_done && arg == "--version") {
      env.out << kVersionText << "\n";
      return kExitAllConverted;
    } else if (!options_done && arg == "-o") {
      if (i + 1 >= args.size())
        return UsageError(env, texts::kOutputNeedsName);
      if (output)
        return UsageError(env, texts::kOutputTwice);
      output = args[++i];
    } else if (!options_done && arg.size() > 1 && arg[0] == '-') {
      return UsageError(env, texts::UnknownOption(arg));
    } else {
      inputs.push_back(arg);
    }
  }
  if (inputs.empty())
    return UsageError(env, texts::kNoInput);
  if (output && inputs.size() > 1)
    return UsageError(env, texts::kOutputWithManyInputs);
  if (env.fixed_time != nullptr) {
    const std::optional<iges::LocalTime> time = ParseFixedTime(env.fixed_time);
    if (!time)
      return UsageError(env, texts::BadFixedTime(kFixedTimeVariable, env.fixed_time));
    env.clock = [time] { return *time; };
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
    if (result) {
      env.err << input << ": " << message << ": " << out_text << "\n";
    } else {
      env.err << input << ": " << message << "\n";
      status = kExitSomeFailed;
    }
  }
  return status;
}

}  // namespace karvonel::cli
