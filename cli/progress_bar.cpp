#include "cli/progress_bar.h"

#include <string>

namespace karvonel::cli {
namespace {
constexpr int kWidth = 40;
}

ProgressBar::ProgressBar(std::ostream& out, std::chrono::milliseconds delay)
    : out_(out), start_(std::chrono::steady_clock::now()), delay_(delay) {}

ProgressBar::~ProgressBar() {
  if (drawn_)
    out_ << '\r' << std::string(kWidth + 8, ' ') << '\r' << std::flush;
}

void ProgressBar::Update(std::uint64_t done, std::uint64_t total) {
  if (total == 0)
    return;
  if (!drawn_ && std::chrono::steady_clock::now() - start_ < delay_)
    return;
  const int percent = static_cast<int>(done >= total ? 100 : done * 100 / total);
  if (percent == last_percent_)
    return;
  last_percent_ = percent;
  drawn_ = true;
  const int filled = percent * kWidth / 100;
  out_ << "\r[" << std::string(filled, '#') << std::string(kWidth - filled, ' ') << "] " << percent
       << "%" << std::flush;
}

}  // namespace karvonel::cli
