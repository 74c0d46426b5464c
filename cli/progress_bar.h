// A progress bar on a terminal, shown only for conversions that take a while.
#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>

namespace karvonel::cli {

class ProgressBar {
 public:
  // Draws on `out` once `delay` has passed since construction.
  ProgressBar(std::ostream& out, std::chrono::milliseconds delay);
  ~ProgressBar();  // clears the bar if it was drawn

  void Update(std::uint64_t done, std::uint64_t total);

 private:
  std::ostream& out_;
  std::chrono::steady_clock::time_point start_;
  std::chrono::milliseconds delay_;
  int last_percent_ = -1;
  bool drawn_ = false;
};

}  // namespace karvonel::cli
