// Record output through one large buffer over a file, with the first failure
// kept: after it, further writes do nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "conversion/record_digest.h"
#include "iges/record_writer.h"
#include "platform/native_file.h"

namespace karvonel::conversion {

class BufferedWriter final : public iges::RecordWriter {
 public:
  // Writes to `file`: at its position, or with `at`, from that offset on
  // (the file's position is then left alone, for another writer). With
  // `writeback_every` > 0, asks the system to start writing the file to disk
  // after every that many bytes handed to it. With a `digest`, adds every
  // record written to it.
  explicit BufferedWriter(platform::NativeFile& file, std::uint64_t writeback_every = 0,
                          RecordDigest* digest = nullptr,
                          std::optional<std::uint64_t> at = std::nullopt);
  BufferedWriter(const BufferedWriter&) = delete;
  BufferedWriter& operator=(const BufferedWriter&) = delete;

  // Room in the buffer itself: the records are built where they are written from.
  char* Room(std::size_t count) override;
  void Commit(std::size_t count) override;
  // Appends bytes that are already records with their line ends.
  void WriteRecords(std::string_view records);
  // Hands everything appended so far to the file.
  platform::Status Flush();

  bool Failed() const { return error_.has_value(); }
  // The first failure; only when Failed().
  const platform::SystemError& Error() const { return *error_; }

 private:
  static constexpr std::size_t kCapacity = 256 << 10;

  void WriteOut();
  // Writes `size` bytes to the file, keeping the first failure.
  void Hand(const char* data, std::size_t size);

  platform::NativeFile& file_;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
  std::uint64_t writeback_every_;
  std::uint64_t since_writeback_ = 0;
  RecordDigest* digest_;
  std::optional<std::uint64_t> at_;  // where the next bytes go, if not at the position
  std::optional<platform::SystemError> error_;
};

}  // namespace karvonel::conversion
