# Instrumented builds, for every target of the project.
#
# KARVONEL_SANITIZE: AddressSanitizer and UndefinedBehaviorSanitizer; any report
# ends the program with a failure, so the test suite fails on it.
# KARVONEL_FUZZ: additionally the coverage instrumentation libFuzzer needs, and
# the libFuzzer programs in tests/fuzz (clang only). Implies KARVONEL_SANITIZE.

option(KARVONEL_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(KARVONEL_FUZZ "Build the libFuzzer programs (clang only; implies KARVONEL_SANITIZE)" OFF)

if(KARVONEL_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "KARVONEL_FUZZ needs clang (libFuzzer); configure with "
                        "-DCMAKE_CXX_COMPILER=clang++")
  endif()
  set(KARVONEL_SANITIZE ON CACHE BOOL "" FORCE)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(KARVONEL_SANITIZE)
  if(MSVC)
    message(FATAL_ERROR "KARVONEL_SANITIZE is for GCC and clang")
  endif()
  set(karvonel_sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all)
  add_compile_options(${karvonel_sanitizers} -fno-omit-frame-pointer -g)
  add_link_options(${karvonel_sanitizers})
endif()
