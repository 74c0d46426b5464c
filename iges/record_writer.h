// Where finished records go: the output file or the Parameter Data section file.
#pragma once

#include <string_view>

namespace karvonel::iges {

class RecordWriter {
 public:
  virtual ~RecordWriter() = default;
  // Appends one record and CR LF. A writer that fails keeps its error for its
  // owner to read; the record writers of this folder never look at it.
  virtual void WriteRecord(std::string_view record) = 0;
};

}  // namespace karvonel::iges
