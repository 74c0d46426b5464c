// One stream of records written alike to two writers: the Parameter Data
// records to "para.sec" and, where the output's layout is known before the
// first point, straight to their place in the output.
#pragma once

#include <cstring>

#include "iges/record_writer.h"

namespace karvonel::conversion {

class RecordTee final : public iges::RecordWriter {
 public:
  // Writes to `first` and, unless it is null, to `second`.
  RecordTee(iges::RecordWriter& first, iges::RecordWriter* second)
      : first_(first), second_(second) {}

  char* Room(std::size_t count) override { return room_ = first_.Room(count); }
  void Commit(std::size_t count) override {
    if (second_ != nullptr) {
      std::memcpy(second_->Room(count), room_, count * iges::kRecordBytes);
      second_->Commit(count);
    }
    first_.Commit(count);
  }

 private:
  iges::RecordWriter& first_;
  iges::RecordWriter* second_;
  char* room_ = nullptr;
};

}  // namespace karvonel::conversion
