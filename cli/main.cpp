// karvonel-convert's entry point: the platform's arguments and console, then
// one call into the command-line library.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command_line.h"

#ifdef _WIN32
#include <windows.h>
// After <windows.h>, which it needs.
#include <shellapi.h>

#include <streambuf>
#else
#include <unistd.h>
#endif

namespace {

using karvonel::iges::LocalTime;

// KARVONEL_FIXED_TIME=YYYYMMDDhhmmss stamps every file with that local time
// instead of the clock's. A test aid: it makes two runs of the tool, say a
// Windows and a Linux build, write identical bytes for the same input.
constexpr char kFixedTimeVariable[] = "KARVONEL_FIXED_TIME";

// The time of a 14-digit "YYYYMMDDhhmmss"; nothing when the text is not one.
std::optional<LocalTime> ParseFixedTime(std::string_view text) {
  if (text.size() != 14)
    return std::nullopt;
  for (const char c : text) {
    if (c < '0' || c > '9')
      return std::nullopt;
  }
  const auto field = [text](std::size_t at, std::size_t width) {
    int value = 0;
    for (std::size_t i = at; i < at + width; ++i)
      value = value * 10 + (text[i] - '0');
    return value;
  };
  const LocalTime time{field(0, 4), field(4, 2),  field(6, 2),
                       field(8, 2), field(10, 2), field(12, 2)};
  if (time.year < 1 || time.month < 1 || time.month > 12 || time.day < 1 || time.day > 31 ||
      time.hour > 23 || time.minute > 59 || time.second > 59) {
    return std::nullopt;
  }
  return time;
}

#ifdef _WIN32

std::string Utf8FromWide(const wchar_t* text) {
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1)
    return {};
  std::string out(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
  out.pop_back();  // the terminating zero
  return out;
}

// The arguments as the user typed them, as UTF-8: argv holds them in the ANSI
// code page, which loses every character outside it.
std::vector<std::string> Arguments(int, char**) {
  std::vector<std::string> args;
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr)
    return args;
  for (int i = 1; i < count; ++i)
    args.push_back(Utf8FromWide(wide[i]));
  ::LocalFree(wide);
  return args;
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && handle != nullptr && ::GetConsoleMode(handle, &mode);
}

// Writes UTF-8 text to a console as UTF-16 (WriteConsoleW), which shows every
// character whatever the console's code page. A character split across two
// writes is held back until it is complete.
class ConsoleBuffer : public std::streambuf {
 public:
  explicit ConsoleBuffer(HANDLE console) : console_(console) { setp(buffer_, buffer_ + kSize); }
  ~ConsoleBuffer() override { sync(); }

 protected:
  int_type overflow(int_type c) override {
    Drain(false);
    if (traits_type::eq_int_type(c, traits_type::eof()))
      return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
  }

  int sync() override {
    Drain(true);
    return 0;
  }

 private:
  static constexpr int kSize = 4096;

  // The bytes at the end of [begin, end) that start a UTF-8 character still
  // missing its last bytes.
  static int IncompleteTail(const char* begin, const char* end) {
    for (int back = 1; back <= 3 && end - back >= begin; ++back) {
      const auto byte = static_cast<unsigned char>(end[-back]);
      if ((byte & 0xC0) == 0x80)
        continue;  // a continuation byte
      const int length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
      return length > back ? back : 0;
    }
    return 0;
  }

  void Drain(bool everything) {
    char* const begin = pbase();
    const int held = everything ? 0 : IncompleteTail(begin, pptr());
    const int length = static_cast<int>(pptr() - begin) - held;
    if (length > 0) {
      const int wide_length = ::MultiByteToWideChar(CP_UTF8, 0, begin, length, nullptr, 0);
      std::wstring wide(static_cast<std::size_t>(wide_length), L'\0');
      ::MultiByteToWideChar(CP_UTF8, 0, begin, length, wide.data(), wide_length);
      DWORD written = 0;
      ::WriteConsoleW(console_, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    }
    std::copy(pptr() - held, pptr(), begin);
    setp(begin, begin + kSize);
    pbump(held);
  }

  HANDLE console_;
  char buffer_[kSize];
};

// Sends std::cout and std::cerr to ConsoleBuffers where they are consoles;
// redirected output stays UTF-8 bytes. Undone when it goes.
class ConsoleText {
 public:
  ConsoleText() {
    Attach(std::cout, STD_OUTPUT_HANDLE, out_, out_old_);
    Attach(std::cerr, STD_ERROR_HANDLE, err_, err_old_);
  }
  ~ConsoleText() {
    // Out in the order written, before the buffers go.
    std::cout.flush();
    std::cerr.flush();
    if (out_) {
      std::cout.rdbuf(out_old_);
    }
    if (err_) {
      std::cerr.rdbuf(err_old_);
    }
  }
  ConsoleText(const ConsoleText&) = delete;
  ConsoleText& operator=(const ConsoleText&) = delete;

  bool ErrorIsConsole() const { return err_.has_value(); }

 private:
  static void Attach(std::ostream& stream, DWORD which, std::optional<ConsoleBuffer>& buffer,
                     std::streambuf*& old) {
    const HANDLE handle = ::GetStdHandle(which);
    if (!IsConsole(handle))
      return;
    stream.flush();
    buffer.emplace(handle);
    old = stream.rdbuf(&*buffer);
  }

  std::optional<ConsoleBuffer> out_;
  std::optional<ConsoleBuffer> err_;
  std::streambuf* out_old_ = nullptr;
  std::streambuf* err_old_ = nullptr;
};

#else

std::vector<std::string> Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

class ConsoleText {
 public:
  bool ErrorIsConsole() const { return ::isatty(STDERR_FILENO) != 0; }
};

#endif

}  // namespace

int main(int argc, char** argv) {
  ConsoleText console;
  const std::vector<std::string> args = Arguments(argc, argv);
  karvonel::cli::Environment env{std::cout, std::cerr, console.ErrorIsConsole(), {}};
  if (const char* fixed = std::getenv(kFixedTimeVariable); fixed != nullptr) {
    const std::optional<LocalTime> time = ParseFixedTime(fixed);
    if (!time) {
      std::cerr << "karvonel-convert: " << kFixedTimeVariable
                << " は YYYYMMDDhhmmss の 14 桁で指定してください: " << fixed << "\n";
      return karvonel::cli::kExitUsage;
    }
    env.clock = [time] { return *time; };
  }
  return karvonel::cli::RunCommandLine(args, env);
}
