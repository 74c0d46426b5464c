// SeqField: the 8-column sequence and pointer field of the D, P and T records.
#pragma once

#include <cstdint>

namespace karvonel::iges {

// The largest number a field holds: IGES sequence numbers have seven digits.
inline constexpr std::int32_t kMaxSeqNumber = 9'999'999;

// Writes the prefix `c` and then `n` right-justified in 7 columns to out[0..7]:
// "D     23" for 'D' and 23, "       1" for ' ' and 1.
// `n` must lie in 0..kMaxSeqNumber (the caller's limits keep it there).
void SeqFieldTo(char* out, char c, std::int32_t n);

}  // namespace karvonel::iges
