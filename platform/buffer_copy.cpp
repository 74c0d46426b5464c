#include "platform/buffer_copy.h"

#include <algorithm>
#include <memory>

namespace karvonel::platform {

Result<std::uint64_t, CopyError> CopyThroughBuffer(NativeFile& source, NativeFile& target,
                                                   std::uint64_t size) {
  constexpr std::size_t kChunk = 256 << 10;
  const auto chunk = std::make_unique<char[]>(kChunk);
  std::uint64_t copied = 0;
  while (copied < size) {
    const auto part = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, size - copied));
    const auto count = source.Read(chunk.get(), part);
    if (!count)
      return Unexpected{CopyError{count.error(), false}};
    if (*count == 0)
      break;
    if (auto written = target.Write(chunk.get(), *count); !written)
      return Unexpected{CopyError{written.error(), true}};
    copied += *count;
  }
  return copied;
}

}  // namespace karvonel::platform
