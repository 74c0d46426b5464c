// Volumes on Linux and other POSIX systems.
#include <sys/statvfs.h>

#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/native_file.h"
#include "platform/volumes.h"

namespace karvonel::platform {
namespace {

// /proc/self/mounts writes blanks, tabs, new lines and backslashes in a path
// as "\040", "\011", "\012" and "\134".
std::string UnescapeMountField(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const std::string digits = field.substr(i + 1, 3);
      if (digits.find_first_not_of("01234567") == std::string::npos) {
        out += static_cast<char>(std::stoi(digits, nullptr, 8));
        i += 3;
        continue;
      }
    }
    out += field[i];
  }
  return out;
}

// udev writes unsafe bytes of a label as "\xNN".
std::string UnescapeLabel(const std::string& label) {
  std::string out;
  for (std::size_t i = 0; i < label.size(); ++i) {
    if (label.compare(i, 2, "\\x") == 0 && i + 4 <= label.size()) {
      out += static_cast<char>(std::stoi(label.substr(i + 2, 2), nullptr, 16));
      i += 3;
      continue;
    }
    out += label[i];
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
      return UnescapeLabel(it->path().filename().string());
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
    volume.root = UnescapeMountField(root);
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
