#include "conversion/line_reader.h"

#include <cstring>

namespace karvonel::conversion {

// The buffer is filled with zeros at once, so the memory in use is the same for
// a small file as for a large one.
LineReader::LineReader(platform::NativeFile& file)
    : file_(file), buffer_(std::make_unique<char[]>(kBufferSize)) {}

bool LineReader::Fill() {
  if (at_end_ || failed_)
    return false;
  if (begin_ > 0) {
    std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  const auto count = file_.Read(buffer_.get() + end_, kBufferSize - end_);
  if (!count) {
    error_ = count.error();
    failed_ = true;
    return false;
  }
  if (*count == 0) {
    at_end_ = true;
    return false;
  }
  end_ += *count;
  read_ += *count;
  return true;
}

Result<Line, LineError> LineReader::Next() {
  if (!started_) {
    started_ = true;
    while (end_ < kByteOrderMark.size() && Fill()) {
    }
    if (failed_)
      return Unexpected{LineError{false, error_}};
    if (std::string_view(buffer_.get(), end_).starts_with(kByteOrderMark)) {
      begin_ = kByteOrderMark.size();
      consumed_ = kByteOrderMark.size();
    }
  }
  std::size_t scanned = begin_;  // bytes before this position hold no line end
  for (;;) {
    const char* data = buffer_.get();
    const char* found = nullptr;
    for (const char* p = data + scanned; p < data + end_; ++p) {
      // One comparison for the digits, signs and commas a line is made of.
      if (static_cast<unsigned char>(*p) <= '\r' && (*p == '\n' || *p == '\r')) {
        found = p;
        break;
      }
    }
    if (found != nullptr) {
      const std::size_t stop = static_cast<std::size_t>(found - data);
      if (*found == '\r' && stop + 1 == end_ && !at_end_) {
        // A CR at the end of the buffer: its LF, if any, is still unread.
        // Fill moves the unread part to the front of the buffer, so the scan
        // resumes at the CR's new place, now with its follower or the end.
        const std::size_t offset = stop - begin_;
        Fill();
        if (failed_)
          return Unexpected{LineError{false, error_}};
        scanned = begin_ + offset;
        continue;
      }
      ++line_number_;
      if (stop - begin_ > kMaxLineLength)
        return Unexpected{LineError{true, {}}};
      const std::string_view line(data + begin_, stop - begin_);
      std::size_t next = stop + 1;
      if (*found == '\r' && next < end_ && data[next] == '\n')
        ++next;
      consumed_ += next - begin_;
      begin_ = next;
      return Line(line);
    }
    if (end_ - begin_ > kMaxLineLength) {
      ++line_number_;
      return Unexpected{LineError{true, {}}};
    }
    scanned = end_;
    const std::size_t offset = scanned - begin_;
    if (!Fill()) {
      if (failed_)
        return Unexpected{LineError{false, error_}};
      if (begin_ == end_)
        return Line();
      ++line_number_;  // the last line, without a line end
      const std::string_view line(buffer_.get() + begin_, end_ - begin_);
      consumed_ += end_ - begin_;
      begin_ = end_;
      return Line(line);
    }
    scanned = begin_ + offset;
  }
}

}  // namespace karvonel::conversion
