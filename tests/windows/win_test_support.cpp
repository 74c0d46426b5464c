#include "tests/windows/win_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/test_files.h"

namespace karvonel::windows_test {
namespace {

constexpr DWORD kProgramTimeoutMs = 60'000;

// Absolute now, while the current folder is still the one the test started in:
// tests change it later.
const std::filesystem::path kConvertExe = std::filesystem::absolute(KARVONEL_CONVERT_EXE);
const std::filesystem::path kFileHolderExe = std::filesystem::absolute(KARVONEL_FILE_HOLDER_EXE);

HANDLE InheritableFile(const std::filesystem::path& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Sets an environment variable for the children started meanwhile.
class ScopedVariable {
 public:
  ScopedVariable(const wchar_t* name, const std::wstring& value) : name_(name) {
    wchar_t old[256];
    const DWORD length = ::GetEnvironmentVariableW(name, old, 256);
    had_ = length > 0 && length < 256;
    if (had_)
      old_ = old;
    if (!value.empty())
      ::SetEnvironmentVariableW(name, value.c_str());
  }
  ~ScopedVariable() { ::SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const wchar_t* name_;
  std::wstring old_;
  bool had_ = false;
};

}  // namespace

std::string Utf8(const std::wstring& wide) {
  if (wide.empty())
    return {};
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), size,
                        nullptr, nullptr);
  return out;
}

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty())
    return {};
  const int size =
      ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), size);
  return out;
}

std::vector<std::wstring> WideNames(const std::filesystem::path& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found{};
  const std::wstring pattern = folder.wstring() + L"\\*";
  const HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    ADD_FAILURE() << "cannot list " << Utf8(folder.wstring());
    return names;
  }
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..")
      names.push_back(name);
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

std::wstring CommandLine(const std::filesystem::path& program,
                         const std::vector<std::wstring>& args) {
  std::wstring line = L"\"" + program.wstring() + L"\"";
  for (const std::wstring& arg : args) {
    // Quotes around every argument; a quote inside is escaped with "\", and
    // the backslashes in front of a quote (or of the closing quote) doubled.
    line += L" \"";
    std::size_t backslashes = 0;
    for (const wchar_t c : arg) {
      if (c == L'\\') {
        ++backslashes;
        continue;
      }
      line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
      backslashes = 0;
      line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
  }
  return line;
}

ProgramResult RunProgram(const std::filesystem::path& program,
                         const std::vector<std::wstring>& args, const std::filesystem::path& folder,
                         const std::filesystem::path& scratch, const std::wstring& fixed_time) {
  ProgramResult result;
  const std::filesystem::path out_path = scratch / "program-stdout.txt";
  const std::filesystem::path err_path = scratch / "program-stderr.txt";
  const HANDLE out = InheritableFile(out_path, GENERIC_WRITE, CREATE_ALWAYS);
  const HANDLE err = InheritableFile(err_path, GENERIC_WRITE, CREATE_ALWAYS);
  const HANDLE in = InheritableFile(L"NUL", GENERIC_READ, OPEN_EXISTING);
  EXPECT_NE(out, INVALID_HANDLE_VALUE);
  EXPECT_NE(err, INVALID_HANDLE_VALUE);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  std::wstring line = CommandLine(program, args);
  BOOL started = FALSE;
  {
    const ScopedVariable variable(L"KARVONEL_FIXED_TIME", fixed_time);
    started = ::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                               folder.c_str(), &startup, &process);
  }
  ::CloseHandle(out);
  ::CloseHandle(err);
  ::CloseHandle(in);
  if (!started) {
    ADD_FAILURE() << "cannot start " << Utf8(program.wstring()) << " (error " << ::GetLastError()
                  << ")";
    return result;
  }
  if (::WaitForSingleObject(process.hProcess, kProgramTimeoutMs) != WAIT_OBJECT_0) {
    ADD_FAILURE() << Utf8(program.wstring()) << " did not finish";
    ::TerminateProcess(process.hProcess, 99);
  }
  ::GetExitCodeProcess(process.hProcess, &result.exit_code);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  result.out = testing::ReadFileBytes(out_path);
  result.err = testing::ReadFileBytes(err_path);
  return result;
}

HeldFile::HeldFile(const std::string& mode, const std::filesystem::path& path) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE child_in = nullptr;
  HANDLE child_out = nullptr;
  HANDLE from_child = nullptr;
  if (!::CreatePipe(&child_in, &to_child_, &inherit, 0) ||
      !::CreatePipe(&from_child, &child_out, &inherit, 0)) {
    ADD_FAILURE() << "cannot create pipes";
    return;
  }
  ::SetHandleInformation(to_child_, HANDLE_FLAG_INHERIT, 0);
  ::SetHandleInformation(from_child, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = child_in;
  startup.hStdOutput = child_out;
  startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
  std::wstring line = CommandLine(FileHolderExe(), {Wide(mode), path.wstring()});
  const BOOL started = ::CreateProcessW(FileHolderExe().c_str(), line.data(), nullptr, nullptr,
                                        TRUE, 0, nullptr, nullptr, &startup, &process_);
  ::CloseHandle(child_in);
  ::CloseHandle(child_out);
  if (!started) {
    ADD_FAILURE() << "cannot start the file holder (error " << ::GetLastError() << ")";
    ::CloseHandle(from_child);
    return;
  }
  // "ready", or nothing when it could not open the file and ended.
  std::string said;
  char buffer[16];
  DWORD count = 0;
  while (said.find('\n') == std::string::npos &&
         ::ReadFile(from_child, buffer, sizeof buffer, &count, nullptr) && count > 0) {
    said.append(buffer, count);
  }
  ::CloseHandle(from_child);
  holding_ = said.rfind("ready", 0) == 0;
}

HeldFile::~HeldFile() {
  if (to_child_ != nullptr)
    ::CloseHandle(to_child_);  // its input ends: it lets go
  if (process_.hProcess != nullptr) {
    EXPECT_EQ(::WaitForSingleObject(process_.hProcess, kProgramTimeoutMs), WAIT_OBJECT_0);
    ::CloseHandle(process_.hThread);
    ::CloseHandle(process_.hProcess);
  }
}

const std::filesystem::path& ConvertExe() {
  return kConvertExe;
}
const std::filesystem::path& FileHolderExe() {
  return kFileHolderExe;
}

CurrentFolder::CurrentFolder(const std::filesystem::path& folder)
    : previous_(std::filesystem::current_path()) {
  std::filesystem::current_path(folder);
}

CurrentFolder::~CurrentFolder() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
}

}  // namespace karvonel::windows_test
