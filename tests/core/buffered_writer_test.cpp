#include <gtest/gtest.h>

#include <string>

#include "conversion/buffered_writer.h"
#include "tests/support/test_files.h"

namespace karvonel::conversion {
namespace {

using platform::NativeFile;

// Records of many lengths, a few buffers' worth, so that records straddle the
// points where the buffer is written out.
TEST(BufferedWriter, KeepsEveryByteInOrderAcrossFullBuffers) {
  testing::TempDir dir;
  auto file = NativeFile::Open(dir / "out", NativeFile::Mode::kCreateNew);
  ASSERT_TRUE(file) << file.error().reason;
  std::string expected;
  {
    BufferedWriter writer(*file, 1 << 20);
    for (int i = 0; expected.size() < (3u << 20); ++i) {
      const std::string record(static_cast<std::size_t>(i % 81), static_cast<char>('a' + i % 26));
      writer.WriteRecord(record);
      expected += record + "\r\n";
    }
    ASSERT_TRUE(writer.Flush());
  }
  ASSERT_TRUE(file->Close());
  EXPECT_TRUE(testing::ReadFileBytes(dir / "out") == expected) << "the file differs";
}

// /dev/full refuses every write: the failure is kept with its reason, for the
// final flush as for a full buffer written out, and later records are ignored.
TEST(BufferedWriter, KeepsTheFirstFailureWithTheSystemsReason) {
  for (const std::size_t bytes : {82u, 3u << 20}) {
    SCOPED_TRACE(std::to_string(bytes) + " bytes");
    auto file = NativeFile::Open("/dev/full", NativeFile::Mode::kReadWriteKeep);
    if (!file)
      GTEST_SKIP() << "no /dev/full: " << file.error().reason;
    BufferedWriter writer(*file);
    const std::string record(80, 'x');
    for (std::size_t written = 0; written < bytes; written += 82)
      writer.WriteRecord(record);
    EXPECT_FALSE(writer.Flush());
    ASSERT_TRUE(writer.Failed());
#ifdef _WIN32
    // Only Wine reaches Linux's /dev/full, and words it as its own system does.
    EXPECT_EQ(writer.Error().reason, "Disk full.");
#else
    EXPECT_EQ(writer.Error().reason, "No space left on device");
#endif
    writer.WriteRecord(record);
    EXPECT_FALSE(writer.Flush());
  }
}

}  // namespace
}  // namespace karvonel::conversion
