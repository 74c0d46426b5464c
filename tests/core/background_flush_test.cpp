// The flush that runs while a file is written: its failures reach the caller,
// who may not learn of them from the file's own fsync afterwards.
#include <gtest/gtest.h>

#include <cerrno>

#include "platform/background_flush.h"
#include "platform/native_file.h"
#include "tests/support/test_files.h"

namespace karvonel::platform {
namespace {

using karvonel::testing::TempDir;

TEST(BackgroundFlush, AFailedFlushIsReportedAtFinishAndStays) {
  const auto flush = BackgroundFlush::Create();
  if (!flush)
    GTEST_SKIP() << "this system refuses io_uring: files are flushed at the end only";
  ASSERT_TRUE(flush->Start(-1));
  const Status first = flush->Finish();
  ASSERT_FALSE(first);
  EXPECT_EQ(first.error().code, EBADF);
  EXPECT_EQ(first.error().reason, "Bad file descriptor");
  // A later flush that succeeds does not wipe out the failure.
  TempDir dir;
  auto file = NativeFile::Open(dir / "a.bin", NativeFile::Mode::kCreateNew);
  ASSERT_TRUE(file);
  ASSERT_TRUE(file->Write("abc", 3));
  file->StartWriteback();
  EXPECT_TRUE(file->Sync());
  EXPECT_FALSE(flush->Finish());
}

}  // namespace
}  // namespace karvonel::platform
