#include "conversion/buffered_writer.h"

#include <cstring>

#include "iges/record.h"

namespace karvonel::conversion {

// The buffer is filled with zeros at once, so the memory in use is the same
// for a small file as for a large one.
BufferedWriter::BufferedWriter(platform::NativeFile& file, std::uint64_t writeback_every,
                               RecordDigest* digest)
    : file_(file),
      buffer_(std::make_unique<char[]>(kCapacity)),
      writeback_every_(writeback_every),
      digest_(digest) {}

void BufferedWriter::WriteRecord(std::string_view record) {
  static_assert(iges::kRecordLength + iges::kLineEndLength <= kCapacity);
  const std::size_t size = record.size() + iges::kLineEndLength;
  if (used_ + size > kCapacity)
    WriteOut();
  if (Failed())
    return;
  if (digest_ != nullptr)
    digest_->Add(record);
  char* out = buffer_.get() + used_;
  std::memcpy(out, record.data(), record.size());
  std::memcpy(out + record.size(), iges::kLineEnd, iges::kLineEndLength);
  used_ += size;
}

void BufferedWriter::WriteRecords(std::string_view records) {
  if (used_ + records.size() > kCapacity)
    WriteOut();
  if (Failed())
    return;
  // As much as the buffer holds, or more: straight to the file, not copied.
  if (records.size() >= kCapacity) {
    Hand(records.data(), records.size());
    return;
  }
  std::memcpy(buffer_.get() + used_, records.data(), records.size());
  used_ += records.size();
}

platform::Status BufferedWriter::Flush() {
  WriteOut();
  if (Failed())
    return Unexpected{*error_};
  return {};
}

void BufferedWriter::WriteOut() {
  if (used_ == 0 || Failed())
    return;
  Hand(buffer_.get(), used_);
  used_ = 0;
}

void BufferedWriter::Hand(const char* data, std::size_t size) {
  if (auto written = file_.Write(data, size); !written) {
    error_ = written.error();
    return;
  }
  since_writeback_ += size;
  if (writeback_every_ > 0 && since_writeback_ >= writeback_every_) {
    file_.StartWriteback();
    since_writeback_ = 0;
  }
}

}  // namespace karvonel::conversion
