// Files and folders for tests.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace karvonel::testing {

// A new empty folder under the system's temporary folder, removed with its
// contents when the object goes, unless KARVONEL_KEEP_TEST_FILES is set (so a
// failing test's files can be read).
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

// The whole file as bytes; fails the current test when it cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);

// The file names in `folder`, sorted, joined with "\n".
std::string ListFolder(const std::filesystem::path& folder);

}  // namespace karvonel::testing
