// Writes COUNT generated points, one "X,Y,Z" line each with four decimals, to
// standard output or to FILE. The same seed gives the same list.
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: karvonel_make_points COUNT [FILE]\n");
    return 2;
  }
  const long count = std::strtol(argv[1], nullptr, 10);
  std::FILE* out = argc > 2 ? std::fopen(argv[2], "wb") : stdout;
  if (out == nullptr) {
    std::perror(argv[2]);
    return 1;
  }
  std::mt19937_64 random(20261206);
  std::uniform_int_distribution<long> ten_thousandths(-9999999, 9999999);
  std::string line;
  for (long i = 0; i < count; ++i) {
    line.clear();
    for (int k = 0; k < 3; ++k) {
      const long value = ten_thousandths(random);
      char digits[32];
      const long magnitude = value < 0 ? -value : value;
      auto end = std::to_chars(digits, digits + sizeof digits, magnitude / 10000).ptr;
      *end++ = '.';
      const long fraction = magnitude % 10000;
      for (long unit = 1000; unit > 0; unit /= 10)
        *end++ = static_cast<char>('0' + fraction / unit % 10);
      if (value < 0)
        line += '-';
      line.append(digits, end);
      line += k < 2 ? ',' : '\n';
    }
    std::fwrite(line.data(), 1, line.size(), out);
  }
  return std::fclose(out) == 0 ? 0 : 1;
}
