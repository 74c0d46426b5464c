// The program files' version record, as Explorer shows it.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace karvonel {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> ProgramFiles() {
  return {
      fs::absolute(KARVONEL_CONVERT_EXE),
#ifdef KARVONEL_WINDOW_EXE
      fs::absolute(KARVONEL_WINDOW_EXE),
#endif
  };
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
  for (const fs::path& program : ProgramFiles()) {
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
