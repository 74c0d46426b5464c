#include <gtest/gtest.h>

#include <string>

#include "conversion/buffered_writer.h"
#include "tests/support/test_files.h"

namespace karvonel::conversion {
namespace {

using karvonel::testing::ReadFileBytes;
using karvonel::testing::TempDir;

// Records of every length up to a few buffers' worth, so that records and raw
// bytes straddle the hand-offs between the two buffers.
TEST(BufferedWriter, KeepsEveryByteInOrderAcrossHandOffs) {
  TempDir dir;
  SystemError error;
  NativeFile file = NativeFile::Open(dir / "out", NativeFile::Mode::kCreateNew, error);
  ASSERT_TRUE(file.IsOpen()) << error.reason;
  std::string expected;
  {
    BufferedWriter writer(file);
    writer.StartWritebackEvery(1 << 20);
    for (int i = 0; expected.size() < (5u << 20); ++i) {
      const std::string record(static_cast<std::size_t>(i % 97), static_cast<char>('a' + i % 26));
      writer.WriteRecord(record);
      expected += record + "\r\n";
      if (i % 1000 == 0) {
        const std::string raw(static_cast<std::size_t>(i % 3000), 'z');
        writer.WriteBytes(raw.data(), raw.size());
        expected += raw;
      }
    }
    const std::string big(3 << 20, 'B');  // larger than both buffers together
    writer.WriteBytes(big.data(), big.size());
    expected += big;
    ASSERT_TRUE(writer.Flush());
  }
  ASSERT_TRUE(file.Close(error));
  EXPECT_TRUE(ReadFileBytes(dir / "out") == expected) << "the file differs from what was written";
}

// /dev/full refuses every write: the failure is kept with its reason, both for
// a write on the background thread and for the final flush.
class FullDevice : public ::testing::TestWithParam<std::size_t> {};

TEST_P(FullDevice, FailureIsKeptWithTheSystemsReason) {
#ifdef _WIN32
  GTEST_SKIP() << "/dev/full is a POSIX device";
#endif
  SystemError error;
  NativeFile file = NativeFile::Open("/dev/full", NativeFile::Mode::kReadWriteKeep, error);
  if (!file.IsOpen())
    GTEST_SKIP() << "no /dev/full: " << error.reason;
  BufferedWriter writer(file);
  const std::string record(80, 'x');
  for (std::size_t written = 0; written < GetParam(); written += 82)
    writer.WriteRecord(record);
  EXPECT_FALSE(writer.Flush());
  EXPECT_TRUE(writer.Failed());
  EXPECT_EQ(writer.Error().reason, "No space left on device");
  writer.WriteRecord(record);  // ignored after the failure, without hanging
  EXPECT_FALSE(writer.Flush());
}

INSTANTIATE_TEST_SUITE_P(Sizes, FullDevice, ::testing::Values(82u, 3u << 20));

}  // namespace
}  // namespace karvonel::conversion
