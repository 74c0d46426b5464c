// The version record and the icon inside the built program files, read back
// the way Explorer reads them: karvonel-convert.exe, and karvonel.exe when
// the build has Qt for Windows.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/windows/win_test_support.h"

namespace karvonel::windows_test {
namespace {

struct ProgramFile {
  std::filesystem::path path;
  const wchar_t* name;  // its OriginalFilename
};

std::vector<ProgramFile> ProgramFiles() {
  std::vector<ProgramFile> files{{ConvertExe(), L"karvonel-convert.exe"}};
#ifdef KARVONEL_WINDOW_EXE
  files.push_back({std::filesystem::absolute(KARVONEL_WINDOW_EXE), L"karvonel.exe"});
#endif
  return files;
}

std::vector<char> VersionRecord(const std::filesystem::path& program) {
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(program.c_str(), &ignored);
  std::vector<char> record(size);
  if (size == 0 || !::GetFileVersionInfoW(program.c_str(), 0, size, record.data())) {
    ADD_FAILURE() << "no version record in " << Utf8(program.wstring());
    record.clear();
  }
  return record;
}

// A text of the record's first (and only) language, or "(missing)".
std::wstring VersionText(std::vector<char>& record, const std::wstring& language,
                         const wchar_t* name) {
  const std::wstring key = L"\\StringFileInfo\\" + language + L"\\" + name;
  void* value = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(record.data(), key.c_str(), &value, &length) || length == 0) {
    return L"(missing)";
  }
  return std::wstring(static_cast<const wchar_t*>(value));
}

void ExpectVersionRecord(const ProgramFile& program) {
  std::vector<char> record = VersionRecord(program.path);
  ASSERT_FALSE(record.empty());

  // Japanese, Unicode.
  struct Translation {
    WORD language;
    WORD code_page;
  }* translation = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
  ASSERT_GE(length, sizeof(Translation));
  EXPECT_EQ(translation->language, 0x0411);
  EXPECT_EQ(translation->code_page, 1200);
  wchar_t language[9];
  swprintf(language, 9, L"%04X%04X", translation->language, translation->code_page);

  const struct {
    const wchar_t* name;
    const wchar_t* value;
  } fields[] = {
      {L"FileVersion", L"1.00"},           {L"ProductVersion", L"1.00"},
      {L"ProductName", L"PrjKarvonel"},    {L"CompanyName", L"Karvonel Works"},
      {L"OriginalFilename", program.name},
  };
  for (const auto& field : fields) {
    EXPECT_EQ(VersionText(record, language, field.name), field.value) << Utf8(field.name);
  }

  VS_FIXEDFILEINFO* fixed = nullptr;
  ASSERT_TRUE(::VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u) << "1.0";
  EXPECT_EQ(fixed->dwFileVersionLS, 0u) << ".0.0";
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST(VersionResource, ProgramFilesCarryTheProductsVersionRecord) {
  for (const ProgramFile& program : ProgramFiles()) {
    SCOPED_TRACE(Utf8(program.name));
    ExpectVersionRecord(program);
  }
}

// RT_ICON and RT_GROUP_ICON, for the wide resource functions.
const LPCWSTR kIconType = MAKEINTRESOURCEW(3);
const LPCWSTR kIconGroupType = MAKEINTRESOURCEW(14);

#pragma pack(push, 2)
struct IconGroupEntry {  // GRPICONDIRENTRY
  BYTE width;
  BYTE height;
  BYTE colours;  // 0 for 256 and more
  BYTE reserved;
  WORD planes;
  WORD bits_per_pixel;
  DWORD bytes;
  WORD id;
};
struct IconGroup {  // GRPICONDIR
  WORD reserved;
  WORD type;
  WORD count;
  IconGroupEntry entries[1];
};
#pragma pack(pop)

// Loaded as data, so nothing of the program runs; freed when it goes.
struct ProgramData {
  explicit ProgramData(const std::filesystem::path& path)
      : module(::LoadLibraryExW(path.c_str(), nullptr,
                                LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
  ~ProgramData() {
    if (module != nullptr)
      ::FreeLibrary(module);
  }
  ProgramData(const ProgramData&) = delete;
  ProgramData& operator=(const ProgramData&) = delete;
  const HMODULE module;
};

// The program's icon: 32x32 in 2 colours, 32x32 and 16x16 in 16 colours.
void ExpectIcon(const std::filesystem::path& path) {
  const ProgramData data(path);
  const HMODULE program = data.module;
  ASSERT_NE(program, nullptr) << ::GetLastError();
  const HRSRC found = ::FindResourceW(program, MAKEINTRESOURCEW(1), kIconGroupType);
  HRSRC group_resource = found;
  if (group_resource == nullptr) {
    // Named rather than numbered: take the first icon group there is.
    ::EnumResourceNamesW(
        program, kIconGroupType,
        [](HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR out) -> BOOL {
          *reinterpret_cast<HRSRC*>(out) = ::FindResourceW(module, name, type);
          return FALSE;
        },
        reinterpret_cast<LONG_PTR>(&group_resource));
  }
  ASSERT_NE(group_resource, nullptr) << "no icon group";
  const auto* group =
      static_cast<const IconGroup*>(::LockResource(::LoadResource(program, group_resource)));
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->type, 1) << "an icon, not a cursor";
  ASSERT_EQ(group->count, 3);

  std::vector<std::string> images;
  for (WORD i = 0; i < group->count; ++i) {
    const IconGroupEntry& entry = group->entries[i];
    images.push_back(std::to_string(entry.width) + "x" + std::to_string(entry.height) + "/" +
                     std::to_string(entry.colours));
    // Each image the group names is there.
    EXPECT_NE(::FindResourceW(program, MAKEINTRESOURCEW(entry.id), kIconType), nullptr)
        << images.back();
  }
  EXPECT_EQ(images, (std::vector<std::string>{"32x32/2", "32x32/16", "16x16/16"}));
}

TEST(VersionResource, ProgramFilesCarryTheIconWithItsThreeImages) {
  for (const ProgramFile& program : ProgramFiles()) {
    SCOPED_TRACE(Utf8(program.name));
    ExpectIcon(program.path);
  }
}

}  // namespace
}  // namespace karvonel::windows_test
