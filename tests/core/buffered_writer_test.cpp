#include "conversion/buffered_writer.h"

#include <gtest/gtest.h>

#include <string>

namespace karvonel::conversion {
namespace {

// /dev/full refuses every write: the failure is kept with the system's reason,
// for the final flush as for a full buffer written out.
TEST(BufferedWriter, KeepsTheFirstFailureWithTheSystemsReason) {
  for (const std::size_t bytes : {82u, 3u << 20}) {
    SCOPED_TRACE(std::to_string(bytes) + " bytes");
    auto file = platform::NativeFile::Open("/dev/full", platform::NativeFile::Mode::kReadWriteKeep);
    if (!file)
      GTEST_SKIP() << "no /dev/full: " << file.error().reason;
    BufferedWriter writer(*file);
    for (std::size_t written = 0; written < bytes; written += 82)
      writer.WriteRecord(std::string(80, 'x'));
    EXPECT_FALSE(writer.Flush());
#ifdef _WIN32
    // Only Wine reaches Linux's /dev/full, and words it as its own system does.
    EXPECT_EQ(writer.Error().reason, "Disk full.");
#else
    EXPECT_EQ(writer.Error().reason, "No space left on device");
#endif
  }
}

}  // namespace
}  // namespace karvonel::conversion
