#include "tests/support/test_files.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <set>

namespace karvonel::testing {

namespace fs = std::filesystem;

TempDir::TempDir() {
  do {
    path_ = fs::temp_directory_path() / ("karvonel-test-" + std::to_string(std::random_device()()));
  } while (!fs::create_directory(path_));
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  if (std::getenv("KARVONEL_KEEP_TEST_FILES") == nullptr)
    fs::remove_all(path_, ignored);
}

std::string ReadFileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const fs::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ListFolder(const fs::path& folder) {
  std::string names;
  for (const fs::path& path : std::set<fs::path>(fs::directory_iterator(folder), {})) {
    const std::u8string name = path.filename().u8string();
    names.append(name.begin(), name.end()) += "\n";
  }
  return names;
}

}  // namespace karvonel::testing
