// windows_file_holder MODE PATH
//
// Plays another program that has PATH open: opens it, writes "ready" on
// standard output, and keeps it open until its standard input ends. MODE:
//   exclusive          no sharing at all (as many editors and spreadsheets)
//   share-read         others may read
//   share-read-write   others may read and write, not delete or rename
//   lock               as a running conversion holds its section file: shared
//                      reading and writing, with an exclusive lock on all of it
// Exit status 0 after holding the file, 1 when it cannot be opened, 2 on a
// usage error.
#include <windows.h>
// After <windows.h>, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <string>

int main() {
  int count = 0;
  wchar_t** args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (args == nullptr || count != 3) {
    std::fputs("usage: windows_file_holder MODE PATH\n", stderr);
    return 2;
  }
  const std::wstring mode = args[1];
  DWORD access = GENERIC_READ | GENERIC_WRITE;
  DWORD share = 0;
  DWORD disposition = OPEN_EXISTING;
  bool lock = false;
  if (mode == L"exclusive") {
    share = 0;
  } else if (mode == L"share-read") {
    share = FILE_SHARE_READ;
  } else if (mode == L"share-read-write") {
    share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  } else if (mode == L"lock") {
    share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    disposition = OPEN_ALWAYS;
    lock = true;
  } else {
    std::fputs("windows_file_holder: unknown mode\n", stderr);
    return 2;
  }
  const HANDLE file =
      ::CreateFileW(args[2], access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "windows_file_holder: cannot open (error %lu)\n", ::GetLastError());
    return 1;
  }
  if (lock) {
    OVERLAPPED from_start{};
    if (!::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                      MAXDWORD, &from_start)) {
      std::fprintf(stderr, "windows_file_holder: cannot lock (error %lu)\n", ::GetLastError());
      return 1;
    }
  }
  std::fputs("ready\n", stdout);
  std::fflush(stdout);
  char byte = 0;
  DWORD read = 0;
  while (::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), &byte, 1, &read, nullptr) && read > 0) {
  }
  ::CloseHandle(file);
  return 0;
}
