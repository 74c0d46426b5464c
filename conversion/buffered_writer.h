// Record output through large buffers, written to the file by a background
// thread while the next buffer fills, with the first failure kept.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "conversion/background_worker.h"
#include "conversion/native_file.h"
#include "iges/record_writer.h"

namespace karvonel::conversion {

class BufferedWriter final : public iges::RecordWriter {
 public:
  explicit BufferedWriter(NativeFile& file);
  ~BufferedWriter() override = default;  // waits for a write under way; unflushed data is dropped
  BufferedWriter(const BufferedWriter&) = delete;
  BufferedWriter& operator=(const BufferedWriter&) = delete;

  // Appends the record and CR LF. After a failure further writes do nothing.
  void WriteRecord(std::string_view record) override;
  // Appends raw bytes.
  void WriteBytes(const char* data, std::size_t size);
  // Returns when everything appended so far is in the file, or has failed.
  bool Flush();
  // Asks the file to start writing its data to disk after every `bytes`
  // handed to it; 0 (the default) never asks.
  void StartWritebackEvery(std::uint64_t bytes) { writeback_every_ = bytes; }

  bool Failed() const { return failed_.load(std::memory_order_acquire); }
  // The reason of the failure; read it once Failed() is true.
  const SystemError& Error() const { return error_; }

 private:
  static constexpr std::size_t kCapacity = 256 << 10;

  // Hands the full buffer to the background thread and goes on in the other.
  bool HandOff();
  void WriteOut(const char* data, std::size_t size);  // on the writing thread

  NativeFile& file_;
  std::unique_ptr<char[]> buffers_[2];
  int current_ = 0;
  std::size_t used_ = 0;
  std::uint64_t writeback_every_ = 0;
  std::uint64_t since_writeback_ = 0;
  std::atomic<bool> failed_{false};
  SystemError error_;

  BackgroundWorker worker_;  // last: it ends before the buffers go
};

}  // namespace karvonel::conversion
