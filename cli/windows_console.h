// karvonel-convert's console on Windows: the arguments as the user typed
// them, and Japanese text on the console whatever its code page.
#pragma once

#include <windows.h>

#include <optional>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

namespace karvonel::cli {

// The arguments (without the program name) as UTF-8: argv holds them in the
// ANSI code page, which loses every character outside it.
std::vector<std::string> WideArguments();

// Writes UTF-8 text to a console as UTF-16 (WriteConsoleW), which shows every
// character whatever the console's code page. A character split across two
// writes is held back until it is complete.
class ConsoleBuffer : public std::streambuf {
 public:
  explicit ConsoleBuffer(HANDLE console);
  ~ConsoleBuffer() override;

 protected:
  int_type overflow(int_type c) override;
  int sync() override;

 private:
  static constexpr int kSize = 4096;
  void Drain(bool everything);

  HANDLE console_;
  char buffer_[kSize];
};

// Sends std::cout and std::cerr to ConsoleBuffers where they are consoles;
// redirected output stays UTF-8 bytes. Undone when it goes.
class ConsoleText {
 public:
  ConsoleText();
  ~ConsoleText();
  ConsoleText(const ConsoleText&) = delete;
  ConsoleText& operator=(const ConsoleText&) = delete;

  bool ErrorIsConsole() const { return err_.has_value(); }

 private:
  std::optional<ConsoleBuffer> out_;
  std::optional<ConsoleBuffer> err_;
  std::streambuf* out_old_ = nullptr;
  std::streambuf* err_old_ = nullptr;
};

}  // namespace karvonel::cli
