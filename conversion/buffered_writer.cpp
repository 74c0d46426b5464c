#include "conversion/buffered_writer.h"

#include <cstring>

#include "iges/record.h"

namespace karvonel::conversion {

BufferedWriter::BufferedWriter(NativeFile& file) : file_(file), buffer_(new char[kCapacity]) {}

void BufferedWriter::WriteRecord(std::string_view record) {
  if (used_ + record.size() + iges::kLineEndLength > kCapacity && !Flush())
    return;
  if (record.size() + iges::kLineEndLength > kCapacity) {
    WriteBytes(record.data(), record.size());
    WriteBytes(iges::kLineEnd, iges::kLineEndLength);
    return;
  }
  std::memcpy(buffer_.get() + used_, record.data(), record.size());
  used_ += record.size();
  buffer_[used_++] = '\r';
  buffer_[used_++] = '\n';
}

void BufferedWriter::WriteBytes(const char* data, std::size_t size) {
  if (failed_)
    return;
  if (used_ + size > kCapacity) {
    if (!Flush())
      return;
    if (size > kCapacity) {
      if (!file_.Write(data, size, error_))
        failed_ = true;
      return;
    }
  }
  std::memcpy(buffer_.get() + used_, data, size);
  used_ += size;
}

bool BufferedWriter::Flush() {
  if (failed_)
    return false;
  if (used_ > 0 && !file_.Write(buffer_.get(), used_, error_))
    failed_ = true;
  since_writeback_ += used_;
  used_ = 0;
  if (!failed_ && writeback_every_ > 0 && since_writeback_ >= writeback_every_) {
    file_.StartWriteback();
    since_writeback_ = 0;
  }
  return !failed_;
}

}  // namespace karvonel::conversion
