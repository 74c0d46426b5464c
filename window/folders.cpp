#include "window/folders.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string_view>

#include "window/shown_text.h"

namespace karvonel::window {
namespace {

namespace fs = std::filesystem;

// File systems that hold no user files: kernel interfaces, memory and
// container plumbing, desktop helper mounts.
bool IsPseudoFileSystem(std::string_view type) {
  static const std::set<std::string_view> kPseudo = {
      "autofs",          "binfmt_misc", "bpf",          "cgroup",   "cgroup2", "configfs",
      "debugfs",         "devpts",      "devtmpfs",     "efivarfs", "fusectl", "hugetlbfs",
      "mqueue",          "nsfs",        "overlay",      "proc",     "pstore",  "ramfs",
      "rpc_pipefs",      "securityfs",  "squashfs",     "sysfs",    "tmpfs",   "tracefs",
      "fuse.gvfsd-fuse", "fuse.portal", "fuse.snapfuse"};
  return kPseudo.contains(type);
}

fs::path WithoutTrailingSeparator(fs::path path) {
  while (!path.has_filename() && path.has_relative_path())
    path = path.parent_path();
  return path;
}

// Whether `root` is `folder` or one of its parents, by whole names.
bool Holds(const fs::path& root, const fs::path& folder) {
  auto r = root.begin();
  auto f = folder.begin();
  for (; r != root.end(); ++r, ++f) {
    if (r->empty())  // a trailing separator
      continue;
    if (f == folder.end())
      return false;
#ifdef _WIN32
    if (_wcsicmp(r->c_str(), f->c_str()) != 0)
      return false;
#else
    if (*r != *f)
      return false;
#endif
  }
  return true;
}

bool IsMediaFolder(const fs::path& root) {
  for (const char* base : {"/media", "/mnt", "/run/media"}) {
    if (Holds(base, root))
      return true;
  }
  return false;
}

// By text without regard to case, then by text, then by the names themselves:
// names that are not UTF-8 can share a text.
void SortEntries(std::vector<FolderEntry>& entries) {
  std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
    const std::string fa = AsciiLower(a.text), fb = AsciiLower(b.text);
    if (fa != fb)
      return fa < fb;
    if (a.text != b.text)
      return a.text < b.text;
    return a.name < b.name;
  });
}

}  // namespace

std::vector<Drive> UserDrives(const std::vector<platform::Volume>& mounts, const fs::path& home) {
  std::vector<Drive> drives = {{"/", "/"}};
  std::set<fs::path> seen = {"/"};
  const fs::path home_root = WithoutTrailingSeparator(home);
  if (!home_root.empty() && seen.insert(home_root).second)
    drives.push_back({home_root, ShownText(home_root)});
  std::vector<Drive> media;
  for (const platform::Volume& mount : mounts) {
    const fs::path root = WithoutTrailingSeparator(mount.root);
    if (!mount.ready || IsPseudoFileSystem(mount.type) || !IsMediaFolder(root) ||
        !seen.insert(root).second) {
      continue;
    }
    std::string label = ShownText(root);
    if (!mount.name.empty() && mount.name != ShownText(root.filename()))
      label += " [" + mount.name + "]";
    media.push_back({root, label});
  }
  std::sort(media.begin(), media.end(),
            [](const Drive& a, const Drive& b) { return a.root < b.root; });
  drives.insert(drives.end(), media.begin(), media.end());
  return drives;
}

std::vector<Drive> LetterDrives(const std::vector<platform::Volume>& volumes) {
  std::vector<Drive> drives;
  for (const platform::Volume& volume : volumes) {
    std::string label = ShownText(volume.root).substr(0, 2);  // "C:"
    if (!volume.name.empty())
      label += " [" + volume.name + "]";
    drives.push_back({volume.root, label});
  }
  return drives;
}

std::vector<Drive> SystemDrives() {
#ifdef _WIN32
  return LetterDrives(platform::MountedVolumes());
#else
  const char* home = std::getenv("HOME");
  return UserDrives(platform::MountedVolumes(), home != nullptr ? home : "");
#endif
}

int DriveIndexFor(const std::vector<Drive>& drives, const fs::path& folder) {
  int best = -1;
  for (int i = 0; i < static_cast<int>(drives.size()); ++i) {
    const auto& root = drives[static_cast<std::size_t>(i)].root;
    if (Holds(root, folder) &&
        (best < 0 ||
         root.native().size() > drives[static_cast<std::size_t>(best)].root.native().size())) {
      best = i;
    }
  }
  return best;
}

std::vector<fs::path> FolderChain(const fs::path& folder) {
  std::vector<fs::path> chain;
  fs::path step = folder.root_path();
  if (!step.empty())
    chain.push_back(step);
  for (const fs::path& part : folder.relative_path()) {
    if (!part.empty()) {  // a trailing separator gives an empty last part
      step /= part;
      chain.push_back(step);
    }
  }
  return chain;
}

FolderListing ReadFolder(const fs::path& folder) {
  FolderListing listing;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (platform::IsHidden(it->path()))
      continue;
    FolderEntry entry{it->path().filename(), ShownText(it->path().filename())};
    std::error_code kind_error;  // a dangling link is neither folder nor file
    if (it->is_directory(kind_error)) {
      listing.folders.push_back(std::move(entry));
    } else if (it->is_regular_file(kind_error) && IsPointListName(entry.name)) {
      listing.point_lists.push_back(std::move(entry));
    }
  }
  if (error)
    return {{}, {}, error};
  SortEntries(listing.folders);
  SortEntries(listing.point_lists);
  return listing;
}

fs::path AbsoluteFolder(const fs::path& folder) {
  std::error_code error;
  fs::path path = fs::absolute(folder, error);
  if (error)
    path = folder;
  return WithoutTrailingSeparator(path.lexically_normal());
}

}  // namespace karvonel::window
