// Windows-only helpers for the tests: child processes, other programs that
// hold a file open, and folder listings through the wide-character API.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <windows.h>

namespace karvonel::windows_test {

// UTF-8 text of a wide string, and back.
std::string Utf8(const std::wstring& wide);
std::wstring Wide(const std::string& utf8);

// The names in `folder` as FindFirstFileW reports them, sorted, without "."
// and "..".
std::vector<std::wstring> WideNames(const std::filesystem::path& folder);

// The command line that gives `args` to a C run-time program's argv unchanged.
std::wstring CommandLine(const std::filesystem::path& program,
                         const std::vector<std::wstring>& args);

struct ProgramResult {
  DWORD exit_code = 0;
  std::string out;  // standard output, as bytes
  std::string err;  // standard error, as bytes
};

// Runs `program` in `folder` and waits for it (at most a minute; a test failure
// after that). Its standard output and error go to files in `scratch`. With
// `fixed_time` not empty, KARVONEL_FIXED_TIME is set to it for the child.
ProgramResult RunProgram(const std::filesystem::path& program,
                         const std::vector<std::wstring>& args, const std::filesystem::path& folder,
                         const std::filesystem::path& scratch,
                         const std::wstring& fixed_time = L"");

// Another process that holds a file open the way `mode` says (see
// file_holder.cpp) from construction until destruction.
class HeldFile {
 public:
  HeldFile(const std::string& mode, const std::filesystem::path& path);
  ~HeldFile();
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;

  // True once the holder has reported that it holds the file.
  bool Holding() const { return holding_; }

 private:
  PROCESS_INFORMATION process_{};
  HANDLE to_child_ = nullptr;
  bool holding_ = false;
};

// The test programs' paths, made absolute when the test program starts.
const std::filesystem::path& ConvertExe();
const std::filesystem::path& FileHolderExe();

// Makes `folder` the current directory until the object goes.
class CurrentFolder {
 public:
  explicit CurrentFolder(const std::filesystem::path& folder);
  ~CurrentFolder();
  CurrentFolder(const CurrentFolder&) = delete;
  CurrentFolder& operator=(const CurrentFolder&) = delete;

 private:
  std::filesystem::path previous_;
};

}  // namespace karvonel::windows_test
