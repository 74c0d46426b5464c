// The places a user can browse from: the mounted file systems (drive letters
// on Windows), and whether a folder entry is one the system hides.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace karvonel::platform {

// A mounted file system as the system reports it.
struct Volume {
  std::filesystem::path root;  // where it is mounted: "/media/usb", "C:\"
  std::string type;            // file system type: "ext4", "vfat", "tmpfs", ... ("" on Windows)
  std::string name;            // volume name (label), UTF-8, or empty
  bool ready = true;           // false: no medium, or it cannot be read
};

// The mounted file systems (Linux: /proc/self/mounts, labels from
// /dev/disk/by-label) or the drive letters (Windows), in the system's order.
std::vector<Volume> MountedVolumes();

// Whether the system hides the entry at `path` from a user's listing: a name
// that begins with "." on POSIX systems, the hidden attribute on Windows.
bool IsHidden(const std::filesystem::path& path);

// The system's reason for an error that the standard library reports, in
// English whatever the user's locale, so that every message reads the same.
std::string ReasonFor(const std::error_code& error);

}  // namespace karvonel::platform
