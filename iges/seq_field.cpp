#include "iges/seq_field.h"

namespace karvonel::iges {

void SeqFieldTo(char* out, char c, std::int32_t n) {
  out[0] = c;
  std::uint32_t rest = n < 0 ? 0u : static_cast<std::uint32_t>(n);
  int column = 7;
  do {
    out[column--] = static_cast<char>('0' + rest % 10);
    rest /= 10;
  } while (rest != 0 && column >= 1);
  while (column >= 1)
    out[column--] = ' ';
}

}  // namespace karvonel::iges
