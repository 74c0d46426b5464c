// NativeFile on Windows: binary bytes, the error codes the conversion run
// relies on, the lock, the replacing rename, and Japanese paths.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "platform/native_file.h"
#include "tests/support/test_files.h"
#include "tests/windows/win_test_support.h"

namespace karvonel::platform {
namespace {

using karvonel::testing::ReadFileBytes;
using karvonel::testing::TempDir;
using karvonel::testing::WriteFileBytes;
using karvonel::windows_test::WideNames;
using Mode = NativeFile::Mode;

std::string ReadAll(NativeFile& file) {
  std::string bytes;
  char buffer[7];  // small, so that reads end in the middle of the data
  for (;;) {
    const auto count = file.Read(buffer, sizeof buffer);
    EXPECT_TRUE(count) << count.error().reason;
    if (!count || *count == 0)
      return bytes;
    bytes.append(buffer, *count);
  }
}

// Line ends, Ctrl+Z and NUL pass unchanged: the C run-time's text mode would
// add a CR before each LF and stop reading at Ctrl+Z.
TEST(NativeFileWindows, WritesAndReadsBytesUnchanged) {
  TempDir dir;
  const std::string bytes(
      "A\r\nB\nC\rD\x1A"
      "E\0F\r\n",
      13);
  {
    auto file = NativeFile::Open(dir / "bytes.bin", Mode::kCreateNew);
    ASSERT_TRUE(file) << file.error().reason;
    ASSERT_TRUE(file->Write(bytes.data(), bytes.size()));
    ASSERT_TRUE(file->Sync());
    ASSERT_TRUE(file->Close());
  }
  EXPECT_EQ(ReadFileBytes(dir / "bytes.bin"), bytes);
  auto file = NativeFile::Open(dir / "bytes.bin", Mode::kRead);
  ASSERT_TRUE(file) << file.error().reason;
  const auto info = file->Info();
  ASSERT_TRUE(info);
  EXPECT_EQ(info->kind, FileKind::kRegular);
  EXPECT_EQ(info->size, static_cast<std::int64_t>(bytes.size()));
  EXPECT_EQ(ReadAll(*file), bytes);
}

struct OpenFailure {
  const char* name;
  Mode mode;
  bool create_first;
  int code;
};

// PendingOutput tries another name only on EEXIST; other codes end the run.
TEST(NativeFileWindows, FailedOpensGiveErrnoCodesAndTheSystemsReason) {
  const OpenFailure cases[] = {
      {"exists.tmp", Mode::kCreateNew, true, EEXIST},
      {"missing.csv", Mode::kRead, false, ENOENT},
      {"no-folder/out.tmp", Mode::kCreateNew, false, ENOENT},
  };
  for (const OpenFailure& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    if (c.create_first)
      WriteFileBytes(dir / c.name, "earlier");
    const auto file = NativeFile::Open(dir / c.name, c.mode);
    ASSERT_FALSE(file);
    EXPECT_EQ(file.error().code, c.code);
    ASSERT_FALSE(file.error().reason.empty());
    EXPECT_NE(file.error().reason.back(), '\n');
    if (c.create_first) {
      EXPECT_EQ(ReadFileBytes(dir / c.name), "earlier");
    }
  }
}

TEST(NativeFileWindows, LockIsRefusedToASecondHandleUntilTheFirstCloses) {
  TempDir dir;
  auto first = NativeFile::Open(dir / "para.sec", Mode::kReadWriteKeep);
  auto second = NativeFile::Open(dir / "para.sec", Mode::kReadWriteKeep);
  ASSERT_TRUE(first && second);

  ASSERT_TRUE(first->TryLock());
  const auto refused = second->TryLock();
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().code, kBusy);

  ASSERT_TRUE(first->Close());
  EXPECT_TRUE(second->TryLock());
}

TEST(NativeFileWindows, JapaneseNamesReachTheWideApiAndComeBackAsUtf8) {
  TempDir dir;
  const std::filesystem::path folder = dir.Path() / u8"点群データ";
  ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
  const std::filesystem::path from = folder / u8"測定点.tmp";
  const std::filesystem::path to = folder / u8"測定点.igs";
  WriteFileBytes(to, "earlier");

  auto file = NativeFile::Open(from, Mode::kCreateNew);
  ASSERT_TRUE(file) << file.error().reason;
  ASSERT_TRUE(file->Write("new", 3));
  ASSERT_TRUE(file->Close());
  const auto moved = MoveIntoPlace(from, to);
  ASSERT_TRUE(moved) << moved.error().reason;

  // Named exactly so for the system, not in some code page's approximation.
  EXPECT_EQ(WideNames(folder), std::vector<std::wstring>{L"測定点.igs"});
  EXPECT_EQ(ReadFileBytes(to), "new");

  const std::string expected_text = karvonel::windows_test::Utf8(to.wstring());
  EXPECT_EQ(PathText(to), expected_text);
  EXPECT_NE(PathText(to).find("\\\xE7\x82\xB9\xE7\xBE\xA4\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF\\"),
            std::string::npos)
      << "the folder name as UTF-8 between backslashes";
}

}  // namespace
}  // namespace karvonel::platform
