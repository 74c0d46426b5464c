#include <algorithm>
#include <memory>

#include "conversion/native_file.h"

namespace karvonel::conversion {

std::int64_t CopyThroughBuffer(NativeFile& source, NativeFile& target, std::uint64_t size,
                               SystemError& error, bool& target_failed) {
  target_failed = false;
  constexpr std::size_t kChunk = 256 << 10;
  const auto chunk = std::make_unique<char[]>(kChunk);
  std::uint64_t copied = 0;
  while (copied < size) {
    const auto part = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, size - copied));
    const std::int64_t count = source.Read(chunk.get(), part, error);
    if (count < 0)
      return -1;
    if (count == 0)
      break;
    if (!target.Write(chunk.get(), static_cast<std::size_t>(count), error)) {
      target_failed = true;
      return -1;
    }
    copied += static_cast<std::uint64_t>(count);
  }
  return static_cast<std::int64_t>(copied);
}

}  // namespace karvonel::conversion
