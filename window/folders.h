// What the drive and directory lists offer and what a folder holds, as the
// three lists of the main window show them.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/volumes.h"

namespace karvonel::window {

// A place the drive list offers.
struct Drive {
  std::filesystem::path root;  // absolute: "/", "/home/kim", "C:\"
  std::string label;           // the text the drive list shows
};

// The drives a user chooses from on a system without drive letters: "/" first,
// then `home` unless it is "/", then every ready mount at or below /media, /mnt
// or /run/media that holds no pseudo file system (proc, tmpfs, cgroup, ...),
// sorted by path, each once. A mount whose volume name differs from its folder
// name shows that name in brackets after its path.
std::vector<Drive> UserDrives(const std::vector<platform::Volume>& mounts,
                              const std::filesystem::path& home);

// Drive letters with their volume names: "C: [Windows]", or "C:" when it has
// none (or no medium).
std::vector<Drive> LetterDrives(const std::vector<platform::Volume>& volumes);

// The drives of this machine: LetterDrives on Windows, UserDrives of the
// mounted file systems and $HOME elsewhere.
std::vector<Drive> SystemDrives();

// The index in `drives` of the drive that holds `folder`: the drive with the
// longest root that is `folder` itself or one of its parents, compared by whole
// folder names (without regard to case on Windows). -1 when no drive holds it.
int DriveIndexFor(const std::vector<Drive>& drives, const std::filesystem::path& folder);

// `folder` with its parents above it: "/work/main" gives "/", "/work",
// "/work/main"; "C:\data" gives "C:\", "C:\data" (on Windows).
std::vector<std::filesystem::path> FolderChain(const std::filesystem::path& folder);

// One entry of a folder, by the file system's own name and the text shown.
struct FolderEntry {
  std::filesystem::path name;
  std::string text;
};

// What a folder holds, or why it could not be read.
struct FolderListing {
  std::vector<FolderEntry> folders;      // sub-folders, sorted by text without regard to case
  std::vector<FolderEntry> point_lists;  // files matching "*.csv" in any case, sorted likewise
  std::error_code error;                 // set when the folder could not be read
};

// Reads `folder`, leaving out hidden entries (platform::IsHidden).
FolderListing ReadFolder(const std::filesystem::path& folder);

// `folder` made absolute, without "." and ".." steps or a trailing separator.
std::filesystem::path AbsoluteFolder(const std::filesystem::path& folder);

}  // namespace karvonel::window
