#include "cli/windows_console.h"

// After <windows.h>, which it needs.
#include <shellapi.h>

#include <algorithm>
#include <iostream>

namespace karvonel::cli {
namespace {

std::string Utf8FromWide(const wchar_t* text) {
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1)
    return {};
  std::string out(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
  out.pop_back();  // the terminating zero
  return out;
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && handle != nullptr && ::GetConsoleMode(handle, &mode);
}

// The bytes at the end of [begin, end) that start a UTF-8 character still
// missing its last bytes.
int IncompleteTail(const char* begin, const char* end) {
  for (int back = 1; back <= 3 && end - back >= begin; ++back) {
    const auto byte = static_cast<unsigned char>(end[-back]);
    if ((byte & 0xC0) == 0x80)
      continue;  // a continuation byte
    const int length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    return length > back ? back : 0;
  }
  return 0;
}

void Attach(std::ostream& stream, DWORD which, std::optional<ConsoleBuffer>& buffer,
            std::streambuf*& old) {
  const HANDLE handle = ::GetStdHandle(which);
  if (!IsConsole(handle))
    return;
  stream.flush();
  buffer.emplace(handle);
  old = stream.rdbuf(&*buffer);
}

}  // namespace

std::vector<std::string> WideArguments() {
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

ConsoleBuffer::ConsoleBuffer(HANDLE console) : console_(console) {
  setp(buffer_, buffer_ + kSize);
}

ConsoleBuffer::~ConsoleBuffer() {
  sync();
}

ConsoleBuffer::int_type ConsoleBuffer::overflow(int_type c) {
  Drain(false);
  if (traits_type::eq_int_type(c, traits_type::eof()))
    return traits_type::not_eof(c);
  *pptr() = traits_type::to_char_type(c);
  pbump(1);
  return c;
}

int ConsoleBuffer::sync() {
  Drain(true);
  return 0;
}

void ConsoleBuffer::Drain(bool everything) {
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

ConsoleText::ConsoleText() {
  Attach(std::cout, STD_OUTPUT_HANDLE, out_, out_old_);
  Attach(std::cerr, STD_ERROR_HANDLE, err_, err_old_);
}

ConsoleText::~ConsoleText() {
  // Out in the order written, before the buffers go.
  std::cout.flush();
  std::cerr.flush();
  if (out_)
    std::cout.rdbuf(out_old_);
  if (err_)
    std::cerr.rdbuf(err_old_);
}

}  // namespace karvonel::cli
