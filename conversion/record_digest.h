// A running check value of the records written to a file, to tell on reading
// them back whether they are still exactly the records written: a changed
// byte, a record lost, doubled or moved all change it.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "iges/record.h"

namespace karvonel::conversion {

class RecordDigest {
 public:
  // Adds one record: iges::kRecordLength bytes, without its line end. Each
  // record's eight-byte words are weighted by odd numbers and summed, then the
  // sum is mixed into the running value; every step is one-to-one in the part
  // it takes in, so that two record sequences differing in one place never
  // give the same value, and differing in more places only by chance (one in
  // 2^64). The words are independent of each other, so the processor works on
  // them side by side: only one step a record is serial. Inline, as it runs
  // twice for every point.
  void Add(std::string_view record) {
    constexpr std::size_t kWords = iges::kRecordLength / 8;
    static_assert(kWords * 8 == iges::kRecordLength);
    std::uint64_t words[kWords];
    std::memcpy(words, record.data(), sizeof words);
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < kWords; ++i)
      sum += words[i] * (0x9e3779b97f4a7c15ULL + 2 * i);
    value_ = (value_ ^ sum) * 0xc2b2ae3d27d4eb4fULL;
    value_ ^= value_ >> 31;
    ++records_;
  }
  bool operator==(const RecordDigest&) const = default;

 private:
  std::uint64_t value_ = 0x6b6172766f6e656cULL;
  std::uint64_t records_ = 0;
};

}  // namespace karvonel::conversion
