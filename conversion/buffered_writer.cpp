#include "conversion/buffered_writer.h"

#include <cstring>

#include "iges/record.h"

namespace karvonel::conversion {

// The buffer is filled with zeros at once, so the memory in use is the same
// for a small file as for a large one.
BufferedWriter::BufferedWriter(platform::NativeFile& file, std::uint64_t writeback_every,
                               RecordDigest* digest, std::optional<std::uint64_t> at)
    : file_(file),
      buffer_(std::make_unique<char[]>(kCapacity)),
      writeback_every_(writeback_every),
      digest_(digest),
      at_(at) {}

char* BufferedWriter::Room(std::size_t count) {
  static_assert(kMaxRoom * iges::kRecordBytes <= kCapacity);
  if (used_ + count * iges::kRecordBytes > kCapacity)
    WriteOut();
  return buffer_.get() + used_;
}

void BufferedWriter::Commit(std::size_t count) {
  char* record = buffer_.get() + used_;
  for (std::size_t i = 0; i < count; ++i, record += iges::kRecordBytes) {
    if (digest_ != nullptr)
      digest_->Add(std::string_view(record, iges::kRecordLength));
    std::memcpy(record + iges::kRecordLength, iges::kLineEnd, iges::kLineEndLength);
  }
  used_ += count * iges::kRecordBytes;
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

// After a failure the buffer is emptied all the same, so that it still has
// room for records that go nowhere.
void BufferedWriter::WriteOut() {
  const std::size_t size = used_;
  used_ = 0;
  if (size > 0 && !Failed())
    Hand(buffer_.get(), size);
}

void BufferedWriter::Hand(const char* data, std::size_t size) {
  if (auto written = at_ ? file_.WriteAt(data, size, *at_) : file_.Write(data, size); !written) {
    error_ = written.error();
    return;
  }
  if (at_)
    *at_ += size;
  since_writeback_ += size;
  if (writeback_every_ > 0 && since_writeback_ >= writeback_every_) {
    file_.StartWriteback();
    since_writeback_ = 0;
  }
}

}  // namespace karvonel::conversion
