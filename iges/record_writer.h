// Where finished records go: the output file or the Parameter Data section file.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

#include "iges/record.h"

namespace karvonel::iges {

class RecordWriter {
 public:
  // The most records one Room may hold.
  static constexpr std::size_t kMaxRoom = 3;

  virtual ~RecordWriter() = default;

  // Room for the next `count` records (at most kMaxRoom), kRecordBytes apart,
  // for the caller to fill in their kRecordLength columns; the writer adds
  // the line ends. Nothing of it is written before Commit(count): a record
  // that turns out wrong is simply not committed. A writer that keeps its
  // records in a buffer gives room in that buffer, so that they are built in
  // their final place.
  virtual char* Room(std::size_t count) = 0;
  // Writes the `count` records filled in at the room last given. A writer
  // that fails keeps its error for its owner to read; the record writers of
  // this folder never look at it.
  virtual void Commit(std::size_t count) = 0;

  // Appends one record (kRecordLength bytes) and CR LF.
  void WriteRecord(std::string_view record) {
    std::memcpy(Room(1), record.data(), kRecordLength);
    Commit(1);
  }
};

}  // namespace karvonel::iges
