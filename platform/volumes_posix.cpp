// Volumes on Linux and other POSIX systems.
#include <sys/statvfs.h>

#include <fstream>
#include <sstream>
#include <string_view>
#include <system_error>

#include "platform/native_file.h"
#include "platform/volumes.h"

namespace karvonel::platform {
namespace {

// `text` with each `introducer` followed by `length` digits of `base` taken
// as the byte they stand for. /proc/self/mounts writes blanks, tabs, new lines
// and backslashes in a path as "\040", "\011", "\012" and "\134"; udev writes
// the unsafe bytes of a label as "\xNN". Anything else stays as it is.
std::string Unescaped(const std::string& text, std::string_view introducer, std::size_t length,
                      int base) {
  const std::string_view digits =
      std::string_view("0123456789abcdefABCDEF").substr(0, base == 8 ? 8 : 22);
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::size_t start = i + introducer.size();
    if (text.compare(i, introducer.size(), introducer) == 0 && start + length <= text.size() &&
        text.find_first_not_of(digits, start) >= start + length) {
      out += static_cast<char>(std::stoi(text.substr(start, length), nullptr, base));
      i = start + length - 1;
      continue;
    }
    out += text[i];
  }
  return out;
}

std::string LabelOf(const std::string& device) {
  std::error_code error;
  const std::filesystem::path wanted = std::filesystem::canonical(device, error);
  if (error)
    return {};
  for (std::filesystem::directory_iterator it("/dev/disk/by-label", error), end;
       !error && it != end; it.increment(error)) {
    std::error_code link_error;
    if (std::filesystem::canonical(it->path(), link_error) == wanted && !link_error)
      return Unescaped(it->path().filename().string(), "\\x", 2, 16);
  }
  return {};
}

}  // namespace

std::vector<Volume> MountedVolumes() {
  std::vector<Volume> volumes;
  std::ifstream mounts("/proc/self/mounts");
  for (std::string line; std::getline(mounts, line);) {
    std::istringstream fields(line);
    std::string device, root, type;
    if (!(fields >> device >> root >> type))
      continue;
    Volume volume;
    volume.root = Unescaped(root, "\\", 3, 8);
    volume.type = type;
    struct statvfs status {};
    volume.ready = ::statvfs(volume.root.c_str(), &status) == 0;
    if (device.starts_with("/dev/"))
      volume.name = LabelOf(device);
    volumes.push_back(std::move(volume));
  }
  return volumes;
}

bool IsHidden(const std::filesystem::path& path) {
  return path.filename().native().starts_with('.');
}

std::string ReasonFor(const std::error_code& error) {
  return ReasonText(error.value());
}

}  // namespace karvonel::platform
