// SeqField: the 8-column sequence and pointer field of the D, P and T records.
#pragma once

#include <cstdint>
#include <string>

namespace karvonel::iges {

// The largest number a field holds: IGES sequence numbers have seven digits.
inline constexpr std::int32_t kMaxSeqNumber = 9'999'999;

// Writes the prefix `c` and then `n` right-justified in 7 columns to out[0..7].
// `n` must lie in 0..kMaxSeqNumber (the caller's limits keep it there).
void SeqFieldTo(char* out, char c, std::int32_t n);

// The same field as a text: SeqField('D', 23) is "D     23", SeqField(' ', 1)
// is "       1".
std::string SeqField(char c, std::int32_t n);

}  // namespace karvonel::iges
