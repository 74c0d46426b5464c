// The lines of a point list, read through a fixed buffer.
//
// CR LF, a lone CR and a lone LF each end a line; the last line may lack its
// line end. A UTF-8 byte-order mark at the very start is skipped. Lines longer
// than the limit are refused without being buffered, so memory stays bounded
// whatever the input.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/native_file.h"

namespace karvonel::conversion {

// The longest line a point list may have, in bytes.
inline constexpr std::size_t kMaxLineLength = 32766;

// The UTF-8 byte order mark, skipped at the start of a file.
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A line of the file, valid until the next one is read; none at the end.
using Line = std::optional<std::string_view>;

// Why the reader gives no more lines before the end.
struct LineError {
  bool too_long = false;       // a line of more than kMaxLineLength bytes
  platform::SystemError read;  // else: the system's failure to read
};

class LineReader {
 public:
  // The reader takes the file this many bytes at a time.
  static constexpr std::size_t kBufferSize = 256 << 10;
  static_assert(kBufferSize > 2 * kMaxLineLength);

  explicit LineReader(platform::NativeFile& file);

  // The next line, none at the end of the file, or why there is none.
  Result<Line, LineError> Next();

  // The number of the line last returned (or refused), counted from 1.
  std::int64_t LineNumber() const { return line_number_; }
  // Bytes of the file consumed so far.
  std::uint64_t BytesConsumed() const { return consumed_; }
  // Bytes read from the file so far.
  std::uint64_t BytesRead() const { return read_; }

 private:
  bool Fill();  // reads more after the unread part; false at the end or failure

  platform::NativeFile& file_;
  std::unique_ptr<char[]> buffer_;
  std::size_t begin_ = 0;  // start of the unread part
  std::size_t end_ = 0;    // end of the data in the buffer
  bool at_end_ = false;
  bool failed_ = false;
  bool started_ = false;
  std::int64_t line_number_ = 0;
  std::uint64_t consumed_ = 0;
  std::uint64_t read_ = 0;
  platform::SystemError error_;
};

}  // namespace karvonel::conversion
