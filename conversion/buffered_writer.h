// Record output through a large buffer, with the first failure kept.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "conversion/native_file.h"
#include "iges/record_writer.h"

namespace karvonel::conversion {

class BufferedWriter final : public iges::RecordWriter {
 public:
  explicit BufferedWriter(NativeFile& file);

  // Appends the record and CR LF. After a failure further writes do nothing.
  void WriteRecord(std::string_view record) override;
  // Appends raw bytes.
  void WriteBytes(const char* data, std::size_t size);
  // Hands the buffer to the file.
  bool Flush();
  // Asks the file to start writing its data to disk after every `bytes`
  // handed to it; 0 (the default) never asks.
  void StartWritebackEvery(std::uint64_t bytes) { writeback_every_ = bytes; }

  bool Failed() const { return failed_; }
  const SystemError& Error() const { return error_; }

 private:
  static constexpr std::size_t kCapacity = 1 << 20;
  NativeFile& file_;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
  bool failed_ = false;
  SystemError error_;
  std::uint64_t writeback_every_ = 0;
  std::uint64_t since_writeback_ = 0;
};

}  // namespace karvonel::conversion
