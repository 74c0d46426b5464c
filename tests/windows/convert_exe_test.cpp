// The programs as a Windows user meets them: karvonel-convert.exe with a
// drive letter, "\" and Japanese names on the wide command line, its report
// redirected to a file as UTF-8, "para.sec" locked by a conversion in another
// process, and the version record Explorer shows for each program file.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/native_file.h"
#include "tests/support/test_files.h"

namespace karvonel {
namespace {

namespace fs = std::filesystem;
using platform::NativeFile;
using platform::PathText;
using testing::ListFolder;
using testing::ReadFileBytes;
using testing::TempDir;

struct Outcome {
  DWORD status = 99;
  std::string log;  // standard output and error, as bytes
};

// Runs karvonel-convert.exe with the command line `args` in `folder`, its
// standard output and error going to `folder`\log.txt, at a fixed stamp.
Outcome Convert(const fs::path& folder, const std::wstring& args) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const HANDLE log = ::CreateFileW((folder / "log.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                   &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = log;
  startup.hStdError = log;
  std::wstring line = L"karvonel-convert.exe " + args;
  ::SetEnvironmentVariableW(L"KARVONEL_FIXED_TIME", L"20261207101112");
  PROCESS_INFORMATION process{};
  Outcome run;
  if (::CreateProcessW(fs::absolute(KARVONEL_CONVERT_EXE).c_str(), line.data(), nullptr, nullptr,
                       TRUE, 0, nullptr, folder.c_str(), &startup, &process)) {
    ::WaitForSingleObject(process.hProcess, INFINITE);
    ::GetExitCodeProcess(process.hProcess, &run.status);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  } else {
    ADD_FAILURE() << "cannot start karvonel-convert.exe: " << ::GetLastError();
  }
  ::CloseHandle(log);
  run.log = ReadFileBytes(folder / "log.txt");
  return run;
}

const std::string kExamples = KARVONEL_SOURCE_DIR "/examples/points.csv";
const std::string kGolden = KARVONEL_SOURCE_DIR "/tests/e2e/expected/points.igs";

// "\" separates folders: the output of a name without a full stop in a folder
// with one is that name plus ".igs", the same bytes as on Linux, and named
// exactly so for the system, not in some code page's approximation.
TEST(ConvertExe, DriveLetterBackslashesAndJapaneseNames) {
  TempDir dir;
  const fs::path folder = dir.Path() / u8"測定.2024";
  fs::create_directory(folder);
  fs::copy_file(kExamples, folder / u8"点群");
  fs::copy_file(kExamples, folder / u8"第2回.csv");
  const std::string at = PathText(dir.Path());
  ASSERT_EQ(at.substr(1, 2), ":\\") << "a drive letter: " << at;

  const Outcome run =
      Convert(dir.Path(), L"\"" + (folder / L"点群").wstring() + L"\" 測定.2024\\第2回.csv");
  EXPECT_EQ(run.status, 0u);
  EXPECT_EQ(run.log, at + "\\測定.2024\\点群: 変換しました: " + at +
                         "\\測定.2024\\点群.igs\r\n"
                         "測定.2024\\第2回.csv: 変換しました: 測定.2024\\第2回.igs\r\n");
  EXPECT_EQ(ListFolder(folder), "点群\n点群.igs\n第2回.csv\n第2回.igs\n");
  EXPECT_EQ(ReadFileBytes(folder / u8"点群.igs"), ReadFileBytes(kGolden));
  EXPECT_EQ(ReadFileBytes(folder / u8"第2回.igs"), ReadFileBytes(kGolden));
  EXPECT_EQ(ListFolder(dir.Path()), "log.txt\npara.sec\n測定.2024\n")
      << "para.sec in the current folder";
}

// para.sec locked by a conversion in another process: this one is refused with
// the lock's message before any output is written, and runs once the other
// lets go.
TEST(ConvertExe, SectionFileLockedInAnotherProcess) {
  TempDir dir;
  testing::WriteFileBytes(dir / "pts.csv", "1,2,3\r\n");
  testing::WriteFileBytes(dir / "pts.igs", "earlier");
  auto held = NativeFile::Open(dir / "para.sec", NativeFile::Mode::kReadWriteKeep);
  ASSERT_TRUE(held && held->TryLock());

  const Outcome refused = Convert(dir.Path(), L"pts.csv");
  EXPECT_EQ(refused.status, 1u);
  EXPECT_EQ(refused.log, "pts.csv: 作業ファイルを別の変換が使用中です：" +
                             PathText(dir / "para.sec") +
                             " その変換が終わってから、やり直してください\r\n");
  EXPECT_EQ(ReadFileBytes(dir / "pts.igs"), "earlier");
  EXPECT_EQ(ListFolder(dir.Path()), "log.txt\npara.sec\npts.csv\npts.igs\n")
      << "a temporary file left";

  ASSERT_TRUE(held->Close());
  const Outcome again = Convert(dir.Path(), L"pts.csv");
  EXPECT_EQ(again.status, 0u) << again.log;
  EXPECT_EQ(ReadFileBytes(dir / "pts.igs").size(), 9u * 82)
      << "Start, 4 Global, 3 point, Terminate";
}

// The sweep of temporary files that killed runs left, in a folder of other
// files: only names of the temporary form whose process is gone go. (A living
// run's file cannot be removed on Windows: it is open without delete sharing.)
TEST(ConvertExe, SweepRemovesOnlyAbandonedTemporaries) {
  TempDir dir;
  testing::WriteFileBytes(dir / "pts.csv", "1,2,3\r\n");
  for (const char* name : {".karvonel-99999999-0.tmp", ".karvonel-99999999-1.txt",
                           "karvonel-99999999-2.tmp", ".karvonel-x.tmp"})
    testing::WriteFileBytes(dir / name, "a temporary file or not");
  const Outcome run = Convert(dir.Path(), L"pts.csv");
  EXPECT_EQ(run.status, 0u) << run.log;
  EXPECT_EQ(ListFolder(dir.Path()),
            ".karvonel-99999999-1.txt\n.karvonel-x.tmp\nkarvonel-99999999-2.tmp\n"
            "log.txt\npara.sec\npts.csv\npts.igs\n");
}

// Ctrl+C and Ctrl+Break at the console end a long conversion cleanly, with the
// status of a program that Ctrl+C ended, so that a batch file's loop can tell:
// the earlier output kept, nothing left behind. It needs a console: the
// common suite has none and skips it; the test windows.console_ctrl_events
// runs it again on a terminal, with KARVONEL_NEEDS_CONSOLE set.
BOOL WINAPI IgnoreConsoleEvent(DWORD) {
  return TRUE;
}

TEST(ConvertExe, CtrlCAndCtrlBreakEndTheRun) {
  if (::GetConsoleWindow() == nullptr) {
    ASSERT_EQ(std::getenv("KARVONEL_NEEDS_CONSOLE"), nullptr) << "no console";
    GTEST_SKIP() << "no console";
  }
  ::SetConsoleCtrlHandler(IgnoreConsoleEvent, TRUE);  // the event reaches this test too
  // Wine 8 sends only Ctrl+C to a console: GenerateConsoleCtrlEvent fails for
  // Ctrl+Break there, to the console as to a process group.
  const bool under_wine =
      ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  std::vector<DWORD> events{CTRL_C_EVENT};
  if (!under_wine)
    events.push_back(CTRL_BREAK_EVENT);
  for (const DWORD event : events) {
    SCOPED_TRACE(event == CTRL_C_EVENT ? "Ctrl+C" : "Ctrl+Break");
    TempDir dir;
    std::string points;
    for (int i = 0; i < 1'000'000; ++i)
      points += std::to_string(i) + ".5,-2.25,1E2\r\n";
    testing::WriteFileBytes(dir / "pts.csv", points);
    testing::WriteFileBytes(dir / "pts.igs", "earlier");

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring line = L"karvonel-convert.exe pts.csv";
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(::CreateProcessW(fs::absolute(KARVONEL_CONVERT_EXE).c_str(), line.data(), nullptr,
                                 nullptr, FALSE, 0, nullptr, dir.Path().c_str(), &startup,
                                 &process));
    // Sent once the point loop is under way: para.sec has grown.
    for (int i = 0; i < 500; ++i) {
      std::error_code missing;
      const auto size = fs::file_size(dir / "para.sec", missing);
      if (!missing && size > 0)
        break;
      ::Sleep(20);
    }
    const bool sent = ::GenerateConsoleCtrlEvent(event, 0);
    const DWORD send_error = ::GetLastError();
    if (!sent)
      ::TerminateProcess(process.hProcess, 1);
    EXPECT_TRUE(sent) << "GenerateConsoleCtrlEvent: error " << send_error;
    EXPECT_EQ(::WaitForSingleObject(process.hProcess, 60'000), WAIT_OBJECT_0);
    DWORD status = 0;
    ::GetExitCodeProcess(process.hProcess, &status);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    EXPECT_EQ(status, 0xC000013Au);
    const std::string kept = ReadFileBytes(dir / "pts.igs");
    EXPECT_TRUE(kept == "earlier") << "the earlier output replaced: " << kept.size() << " bytes";
    EXPECT_EQ(ListFolder(dir.Path()), "para.sec\npts.csv\npts.igs\n") << "a temporary file left";
    EXPECT_EQ(ReadFileBytes(dir / "para.sec").size() % 82, 0u);
  }
}

// A text of the version record's Japanese (Unicode) block, or "(none)".
std::wstring VersionText(const fs::path& program, const wchar_t* name) {
  DWORD ignored = 0;
  std::vector<char> record(::GetFileVersionInfoSizeW(program.c_str(), &ignored));
  const std::wstring key = std::wstring(L"\\StringFileInfo\\041104B0\\") + name;
  void* text = nullptr;
  UINT length = 0;
  if (record.empty() ||
      !::GetFileVersionInfoW(program.c_str(), 0, static_cast<DWORD>(record.size()),
                             record.data()) ||
      !::VerQueryValueW(record.data(), key.c_str(), &text, &length)) {
    return L"(none)";
  }
  return static_cast<const wchar_t*>(text);
}

TEST(ProgramFile, VersionRecord) {
  for (const char* file : {KARVONEL_CONVERT_EXE,
#ifdef KARVONEL_WINDOW_EXE
                           KARVONEL_WINDOW_EXE
#endif
       }) {
    const fs::path program = fs::absolute(file);
    SCOPED_TRACE(program.string());
    EXPECT_EQ(VersionText(program, L"FileVersion"), L"1.00");
    EXPECT_EQ(VersionText(program, L"ProductVersion"), L"1.00");
    EXPECT_EQ(VersionText(program, L"ProductName"), L"PrjKarvonel");
    EXPECT_EQ(VersionText(program, L"CompanyName"), L"Karvonel Works");
    EXPECT_EQ(VersionText(program, L"OriginalFilename"), program.filename().wstring());
  }
}

}  // namespace
}  // namespace karvonel
