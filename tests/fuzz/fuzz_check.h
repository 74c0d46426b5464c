// The check of the fuzz targets' properties.
#pragma once

#include <cstdio>
#include <cstdlib>

// Reports a broken property with its details and aborts, so that libFuzzer
// saves the input and the replay test fails.
#define FUZZ_CHECK(condition, ...)                                                            \
  do {                                                                                        \
    if (!(condition)) {                                                                       \
      std::fprintf(stderr, "%s:%d: property failed: %s\n  ", __FILE__, __LINE__, #condition); \
      std::fprintf(stderr, __VA_ARGS__);                                                      \
      std::fprintf(stderr, "\n");                                                             \
      std::abort();                                                                           \
    }                                                                                         \
  } while (false)
