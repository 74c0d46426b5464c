# GoogleTest for cross builds (included by the top CMakeLists.txt on Windows).

# A cross build finds no GoogleTest for its target system, so it builds one from
# the sources Debian's libgtest-dev ships; on Windows itself, point
# KARVONEL_GOOGLETEST_SOURCE_DIR at a GoogleTest checkout to do the same. tests/
# finds it through the usual find_package(GTest): GTest_DIR points at a package
# file that names these targets.
set(KARVONEL_GOOGLETEST_SOURCE_DIR /usr/src/googletest
  CACHE PATH "GoogleTest sources, built with the project for Windows")
if(KARVONEL_BUILD_TESTS AND CMAKE_CROSSCOMPILING
   AND NOT EXISTS ${KARVONEL_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${KARVONEL_GOOGLETEST_SOURCE_DIR} "
                      "(Debian: apt-get install googletest)")
endif()
if(KARVONEL_BUILD_TESTS AND NOT TARGET GTest::gtest
   AND EXISTS ${KARVONEL_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)  # MSVC: the same run-time library as ours
  add_subdirectory(${KARVONEL_GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest
                   EXCLUDE_FROM_ALL)
  foreach(target gtest gtest_main gmock gmock_main)
    if(NOT TARGET GTest::${target})  # GoogleTest 1.11 and later define them
      add_library(GTest::${target} ALIAS ${target})
    endif()
  endforeach()
  set(package_dir ${CMAKE_BINARY_DIR}/googletest-package)
  file(WRITE ${package_dir}/GTestConfig.cmake
    "# GoogleTest built in this tree from ${KARVONEL_GOOGLETEST_SOURCE_DIR}.\n")
  set(GTest_DIR ${package_dir} CACHE PATH "GoogleTest built in this tree" FORCE)
endif()

# Tests are listed when ctest runs, not after each link, so building never
# needs Wine.
if(CMAKE_CROSSCOMPILING)
  set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
endif()
