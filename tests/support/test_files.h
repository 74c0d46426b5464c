// Files and folders for tests.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace karvonel::testing {

// A new empty folder in the system's temporary folder, removed with what it
// holds when the object goes, unless KARVONEL_KEEP_TEST_FILES is set (so that
// a failed test's files can be read).
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);

// The names in `folder` in UTF-8, sorted, each followed by "\n".
std::string ListFolder(const std::filesystem::path& folder);

}  // namespace karvonel::testing
