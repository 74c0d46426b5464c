// The program files as Explorer shows them: the version record and the icon.
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

// The icon group's images as "width x height / colours", each present.
std::string IconImages(const fs::path& program) {
  const HMODULE data = ::LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  const HRSRC found = ::FindResourceW(data, L"IDI_ICON1", MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
  const auto* group =
      found ? static_cast<const BYTE*>(::LockResource(::LoadResource(data, found))) : nullptr;
  std::string images = group ? "" : "(none)";
  // GRPICONDIR: type 1 (icon) at 2, the count at 4, then 14-byte entries.
  for (int i = 0; group && i < *reinterpret_cast<const WORD*>(group + 4); ++i) {
    const BYTE* entry = group + 6 + 14 * i;
    const WORD id = *reinterpret_cast<const WORD*>(entry + 12);
    images += std::to_string(entry[0]) + "x" + std::to_string(entry[1]) + "/" +
              std::to_string(entry[2]) +
              (::FindResourceW(data, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(3)) ? " " : "? ");
  }
  ::FreeLibrary(data);
  return images;
}

TEST(ProgramFile, IconWithItsThreeImages) {
  for (const fs::path& program : ProgramFiles())
    EXPECT_EQ(IconImages(program), "32x32/2 32x32/16 16x16/16 ") << program.string();
}

}  // namespace
}  // namespace karvonel
