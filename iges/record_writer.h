// Where finished records go: the output file or the Parameter Data section file.
#pragma once

#include <cstddef>
#include <string_view>

#include "iges/record.h"

namespace karvonel::iges {

class RecordWriter {
 public:
  // The most records one Room may hold.
  static constexpr std::size_t kMaxRoom = 3;

  virtual ~RecordWriter() = default;
  // Appends one record and CR LF. A writer that fails keeps its error for its
  // owner to read; the record writers of this folder never look at it.
  virtual void WriteRecord(std::string_view record) = 0;

  // Room for the next `count` records (at most kMaxRoom), kRecordBytes apart,
  // for the caller to fill in their kRecordLength columns; the writer adds
  // the line ends. Nothing of it is written before Commit(count): a record
  // that turns out wrong is simply not committed. A writer that keeps its
  // records in a buffer gives room in that buffer, where they are built in
  // their final place; by default the room is a scratch copy.
  virtual char* Room(std::size_t count);
  // Writes the `count` records filled in at the room last given.
  virtual void Commit(std::size_t count);

 private:
  char scratch_[kMaxRoom * kRecordBytes];
};

inline char* RecordWriter::Room(std::size_t) {
  return scratch_;
}

inline void RecordWriter::Commit(std::size_t count) {
  for (std::size_t i = 0; i < count; ++i)
    WriteRecord(std::string_view(scratch_ + i * kRecordBytes, kRecordLength));
}

}  // namespace karvonel::iges
