#include "cli/command_line.h"

#include <algorithm>
#include <optional>
#include <system_error>

#include "cli/fixed_time.h"
#include "cli/progress_bar.h"
#include "cli/texts.h"
#include "conversion/conversion_run.h"
#include "conversion/messages.h"
#include "conversion/output_path.h"
#include "karvonel/version.h"
#include "platform/native_file.h"
#include "platform/signals.h"

namespace karvonel::cli {
namespace {

// A path given as UTF-8 text.
std::filesystem::path PathFromText(const std::string& text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

// An output written by this run: its path with every link resolved, the
// file it became, and the input it came from.
struct ConvertedOutput {
  std::filesystem::path resolved;
  platform::FileId id;
  std::string input;
};

ConvertedOutput Resolved(const std::filesystem::path& out, const std::string& input) {
  std::error_code ignored;
  const auto info = platform::InfoOf(out);
  return {std::filesystem::weakly_canonical(out, ignored), info ? info->id : platform::FileId{},
          input};
}

// The earlier conversion of this run whose output `out` names, whatever its
// spelling, or null.
const ConvertedOutput* WrittenBefore(const std::vector<ConvertedOutput>& done,
                                     const std::filesystem::path& out) {
  const ConvertedOutput now = Resolved(out, {});
  for (const ConvertedOutput& earlier : done) {
    if (earlier.resolved == now.resolved ||
        (now.id != platform::FileId{} && earlier.id == now.id)) {
      return &earlier;
    }
  }
  return nullptr;
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
  std::vector<ConvertedOutput> done;  // the outputs written so far, and their inputs
  for (const std::string& input : inputs) {
    const std::string out_text = output ? *output : conversion::OutputPathFor(input);
    conversion::ConversionRequest request;
    request.in_path = PathFromText(input);
    request.out_path = PathFromText(out_text);
    request.clock = env.clock;
    if (const ConvertedOutput* earlier = WrittenBefore(done, request.out_path)) {
      env.err << input << ": " << texts::OutputOfEarlierInput(out_text, earlier->input) << "\n";
      status = kExitSomeFailed;
      continue;
    }
    std::optional<ProgressBar> bar;
    if (env.err_is_terminal)
      bar.emplace(env.err, env.progress_delay);
    request.progress = [&bar](std::uint64_t done_bytes, std::uint64_t total) {
      if (bar)
        bar->Update(done_bytes, total);
      return platform::TerminationSignal() == 0;
    };
    const conversion::ConversionResult result = conversion::RunConversion(request);
    bar.reset();
    if (const int signal = platform::TerminationSignal(); signal != 0 && !result) {
      env.err << input << ": " << texts::Interrupted(signal) << "\n";
      return 128 + signal;
    }
    if (result) {
      env.err << input << ": " << conversion::kMessageConverted << ": " << out_text << "\n";
      if (result->incomplete_lines > 0) {
        env.err << input << ": "
                << conversion::IncompleteLinesWarning(result->incomplete_lines,
                                                      result->first_incomplete_line)
                << "\n";
      }
      if (!result->new_owner.empty()) {
        env.err << input << ": "
                << conversion::OwnerChangedNote(result->new_owner, result->new_group) << "\n";
      }
      done.push_back(Resolved(request.out_path, input));
    } else {
      // One line per input: where the window breaks a line, the terminal
      // has a blank.
      env.err << input << ": " << conversion::ErrorMessage(result.error(), " ") << "\n";
      status = kExitSomeFailed;
    }
    if (const int signal = platform::TerminationSignal(); signal != 0)
      return 128 + signal;
  }
  return status;
}

}  // namespace karvonel::cli
