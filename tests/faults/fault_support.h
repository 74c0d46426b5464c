// Real faults for end-to-end tests of karvonel-convert: a child process run as
// an unprivileged user, a small file system that fills up, a pipe that never
// ends a line, and a record of a folder's files to prove nothing changed.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace karvonel::testing {

// The user a test's child process becomes when the tests run as root, so that
// file permissions apply to it ("nobody").
inline constexpr uid_t kUnprivilegedUser = 65534;
inline constexpr gid_t kUnprivilegedGroup = 65534;

bool RunningAsRoot();

struct ToolRun {
  bool exited = false;  // false: killed by a signal
  int exit_code = -1;
  int signal = 0;
  std::string err;  // everything written to standard error
  std::int64_t peak_rss_kib = 0;
};

// Runs karvonel-convert with `args` in the folder `cwd` (where it puts
// "para.sec"), standard output discarded, and measures its peak memory. With
// `unprivileged`, a root test process runs it as kUnprivilegedUser. A
// `file_size_limit` above 0 caps the size of every file it writes
// (RLIMIT_FSIZE), so that a write past it fails with EFBIG.
ToolRun RunConvert(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                   bool unprivileged = false, std::int64_t file_size_limit = 0);

// Every regular file under `folder` (names relative to it) with its bytes.
using FolderSnapshot = std::map<std::string, std::string>;
FolderSnapshot Snapshot(const std::filesystem::path& folder);

// A tmpfs of `size` (as mount(8) takes it: "1m") mounted on `folder` until the
// object goes. Needs root; `Mounted()` is false with the reason otherwise.
class SmallDisk {
 public:
  SmallDisk(const std::filesystem::path& folder, const std::string& size);
  ~SmallDisk();
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  bool Mounted() const { return mounted_; }
  const std::string& WhyNot() const { return why_not_; }

 private:
  std::filesystem::path folder_;
  bool mounted_ = false;
  std::string why_not_;
};

// `count` lines "i,-i,i/2" (i from 1), each ended by LF.
std::string PointLines(std::int64_t count);

}  // namespace karvonel::testing
