#include "conversion/record_digest.h"

#include <cstring>

namespace karvonel::conversion {

// Each eight bytes are mixed in by steps that are each one-to-one, so that two
// record sequences differing in one place never give the same value, and
// differing in more places only by chance (one in 2^64).
void RecordDigest::Add(std::string_view record) {
  constexpr std::uint64_t kOdd = 0x9e3779b97f4a7c15ULL;
  std::uint64_t value = value_ ^ record.size();
  std::size_t at = 0;
  for (; at + 8 <= record.size(); at += 8) {
    std::uint64_t word;
    std::memcpy(&word, record.data() + at, 8);
    value = (value ^ word) * kOdd;
    value ^= value >> 29;
  }
  std::uint64_t last = 0;
  std::memcpy(&last, record.data() + at, record.size() - at);
  value = (value ^ last) * kOdd;
  value_ = value ^ (value >> 29);
  ++records_;
}

}  // namespace karvonel::conversion
