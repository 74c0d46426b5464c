// NativeFile on Windows: binary bytes, the error codes the conversion run
// relies on, the lock, the replacing rename, and Japanese paths.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "conversion/native_file.h"
#include "tests/support/test_files.h"
#include "tests/windows/win_test_support.h"

namespace karvonel::conversion {
namespace {

using karvonel::testing::ReadFileBytes;
using karvonel::testing::TempDir;
using karvonel::testing::WriteFileBytes;
using karvonel::windows_test::WideNames;
using Mode = NativeFile::Mode;

std::string ReadAll(NativeFile& file) {
  std::string bytes;
  char buffer[7];  // small, so that reads end in the middle of the data
  SystemError error;
  for (;;) {
    const std::int64_t count = file.Read(buffer, sizeof buffer, error);
    EXPECT_GE(count, 0) << error.reason;
    if (count <= 0)
      return bytes;
    bytes.append(buffer, static_cast<std::size_t>(count));
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
  SystemError error;
  {
    NativeFile file = NativeFile::Open(dir / "bytes.bin", Mode::kCreateNew, error);
    ASSERT_TRUE(file.IsOpen()) << error.reason;
    ASSERT_TRUE(file.Write(bytes.data(), bytes.size(), error)) << error.reason;
    ASSERT_TRUE(file.Sync(error)) << error.reason;
    ASSERT_TRUE(file.Close(error)) << error.reason;
  }
  EXPECT_EQ(ReadFileBytes(dir / "bytes.bin"), bytes);
  NativeFile file = NativeFile::Open(dir / "bytes.bin", Mode::kRead, error);
  ASSERT_TRUE(file.IsOpen()) << error.reason;
  EXPECT_EQ(file.RegularSize(), static_cast<std::int64_t>(bytes.size()));
  EXPECT_FALSE(file.IsDirectory());
  EXPECT_EQ(ReadAll(file), bytes);
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
    SystemError error;
    const NativeFile file = NativeFile::Open(dir / c.name, c.mode, error);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(error.code, c.code);
    EXPECT_FALSE(error.reason.empty());
    EXPECT_NE(error.reason.back(), '\n');
    if (c.create_first) {
      EXPECT_EQ(ReadFileBytes(dir / c.name), "earlier");
    }
  }
}

TEST(NativeFileWindows, LockIsRefusedToASecondHandleUntilTheFirstCloses) {
  TempDir dir;
  SystemError error;
  NativeFile first = NativeFile::Open(dir / "para.sec", Mode::kReadWriteKeep, error);
  NativeFile second = NativeFile::Open(dir / "para.sec", Mode::kReadWriteKeep, error);
  ASSERT_TRUE(first.IsOpen() && second.IsOpen()) << error.reason;

  bool busy = false;
  ASSERT_TRUE(first.TryLock(busy, error)) << error.reason;
  EXPECT_FALSE(second.TryLock(busy, error));
  EXPECT_TRUE(busy);

  ASSERT_TRUE(first.Close(error));
  EXPECT_TRUE(second.TryLock(busy, error)) << error.reason;
  EXPECT_FALSE(busy);
}

TEST(NativeFileWindows, TruncateEmptiesKeptFileAndWritesFromTheStart) {
  TempDir dir;
  WriteFileBytes(dir / "para.sec", "records of the conversion before");
  SystemError error;
  NativeFile file = NativeFile::Open(dir / "para.sec", Mode::kReadWriteKeep, error);
  ASSERT_TRUE(file.IsOpen()) << error.reason;
  EXPECT_EQ(file.RegularSize(), 32);
  ASSERT_TRUE(file.Truncate(error)) << error.reason;
  EXPECT_EQ(file.RegularSize(), 0);
  ASSERT_TRUE(file.Write("new\r\n", 5, error));
  ASSERT_TRUE(file.Rewind(error));
  EXPECT_EQ(ReadAll(file), "new\r\n");
}

TEST(NativeFileWindows, JapaneseNamesReachTheWideApiAndComeBackAsUtf8) {
  TempDir dir;
  const std::filesystem::path folder = dir.Path() / u8"点群データ";
  ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
  const std::filesystem::path from = folder / u8"測定点.tmp";
  const std::filesystem::path to = folder / u8"測定点.igs";
  WriteFileBytes(to, "earlier");

  SystemError error;
  NativeFile file = NativeFile::Open(from, Mode::kCreateNew, error);
  ASSERT_TRUE(file.IsOpen()) << error.reason;
  ASSERT_TRUE(file.Write("new", 3, error));
  ASSERT_TRUE(file.Close(error));
  ASSERT_TRUE(MoveIntoPlace(from, to, error)) << error.reason;

  // Named exactly so for the system, not in some code page's approximation.
  EXPECT_EQ(WideNames(folder), std::vector<std::wstring>{L"測定点.igs"});
  EXPECT_EQ(ReadFileBytes(to), "new");

  const std::string expected_text = windows_test::Utf8(to.wstring());
  EXPECT_EQ(PathText(to), expected_text);
  EXPECT_NE(PathText(to).find("\\\xE7\x82\xB9\xE7\xBE\xA4\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF\\"),
            std::string::npos)
      << "the folder name as UTF-8 between backslashes";
}

}  // namespace
}  // namespace karvonel::conversion
