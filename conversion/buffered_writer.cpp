#include "conversion/buffered_writer.h"

#include <algorithm>
#include <cstring>

#include "iges/record.h"

namespace karvonel::conversion {

// Both buffers are filled with zeros at once, so the memory in use is the same
// for a small file as for a large one.
BufferedWriter::BufferedWriter(NativeFile& file)
    : file_(file),
      buffers_{std::make_unique<char[]>(kCapacity), std::make_unique<char[]>(kCapacity)} {}

void BufferedWriter::WriteRecord(std::string_view record) {
  const std::size_t size = record.size() + iges::kLineEndLength;
  if (used_ + size > kCapacity || Failed()) {
    WriteBytes(record.data(), record.size());
    WriteBytes(iges::kLineEnd, iges::kLineEndLength);
    return;
  }
  char* out = buffers_[current_].get() + used_;
  std::memcpy(out, record.data(), record.size());
  out[record.size()] = '\r';
  out[record.size() + 1] = '\n';
  used_ += size;
}

void BufferedWriter::WriteBytes(const char* data, std::size_t size) {
  while (size > 0 && !Failed()) {
    if (used_ == kCapacity && !HandOff())
      return;
    const std::size_t part = std::min(size, kCapacity - used_);
    std::memcpy(buffers_[current_].get() + used_, data, part);
    used_ += part;
    data += part;
    size -= part;
  }
}

bool BufferedWriter::HandOff() {
  worker_.WaitIdle();
  if (Failed())
    return false;
  const char* data = buffers_[current_].get();
  const std::size_t size = used_;
  worker_.Start([this, data, size] { WriteOut(data, size); });
  current_ ^= 1;
  used_ = 0;
  return true;
}

bool BufferedWriter::Flush() {
  worker_.WaitIdle();
  if (used_ > 0 && !Failed())
    WriteOut(buffers_[current_].get(), used_);
  used_ = 0;
  return !Failed();
}

void BufferedWriter::WriteOut(const char* data, std::size_t size) {
  if (!file_.Write(data, size, error_)) {
    failed_.store(true, std::memory_order_release);
    return;
  }
  since_writeback_ += size;
  if (writeback_every_ > 0 && since_writeback_ >= writeback_every_) {
    file_.StartWriteback();
    since_writeback_ = 0;
  }
}

}  // namespace karvonel::conversion
