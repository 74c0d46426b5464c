// A running check value of the records written to a file, to tell on reading
// them back whether they are still exactly the records written: a changed
// byte, a record lost, doubled or moved all change it.
#pragma once

#include <cstdint>
#include <string_view>

namespace karvonel::conversion {

class RecordDigest {
 public:
  // Adds one record (without its line end).
  void Add(std::string_view record);
  bool operator==(const RecordDigest&) const = default;

 private:
  std::uint64_t value_ = 0x6b6172766f6e656cULL;
  std::uint64_t records_ = 0;
};

}  // namespace karvonel::conversion
