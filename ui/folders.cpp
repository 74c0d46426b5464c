#include "ui/folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>
#include <algorithm>
#include <system_error>
#include <utility>

namespace karvonel::ui {
namespace {

#ifdef _WIN32
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseSensitive;
#endif

// File systems that hold no user files: kernel interfaces, memory and
// container plumbing, desktop helper mounts.
bool IsPseudoFileSystem(const QByteArray& type) {
  static const QSet<QByteArray> kPseudo = {
      "autofs",          "binfmt_misc", "bpf",          "cgroup",   "cgroup2", "configfs",
      "debugfs",         "devpts",      "devtmpfs",     "efivarfs", "fusectl", "hugetlbfs",
      "mqueue",          "nsfs",        "overlay",      "proc",     "pstore",  "ramfs",
      "rpc_pipefs",      "securityfs",  "squashfs",     "sysfs",    "tmpfs",   "tracefs",
      "fuse.gvfsd-fuse", "fuse.portal", "fuse.snapfuse"};
  return kPseudo.contains(type);
}

bool IsMediaFolder(const QString& root) {
  for (const QString& base :
       {QStringLiteral("/media"), QStringLiteral("/mnt"), QStringLiteral("/run/media")}) {
    if (root == base || root.startsWith(base + u'/')) {
      return true;
    }
  }
  return false;
}

QString WithoutTrailingSlash(QString path) {
  while (path.size() > 1 && path.endsWith(u'/')) {
    path.chop(1);
  }
  return path;
}

bool Holds(const QString& root, const QString& folder) {
  if (root.endsWith(u'/')) {  // "/" or "C:/"
    return folder.startsWith(root, kPathCase);
  }
  return folder.compare(root, kPathCase) == 0 || folder.startsWith(root + u'/', kPathCase);
}

// By text without regard to case, then by text, then by the names themselves:
// names that are not UTF-8 can share a text.
void SortEntries(QList<FolderEntry>& entries) {
  std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
    if (const int folded = a.text.compare(b.text, Qt::CaseInsensitive); folded != 0) {
      return folded < 0;
    }
    if (a.text != b.text) {
      return a.text < b.text;
    }
    return a.name < b.name;
  });
}

}  // namespace

QList<Drive> UserDrives(const QList<Mount>& mounts, const QString& home) {
  QList<Drive> drives = {{QStringLiteral("/"), QStringLiteral("/")}};
  QSet<QString> seen = {QStringLiteral("/")};
  const QString home_root = WithoutTrailingSlash(home);
  if (!home_root.isEmpty() && !seen.contains(home_root)) {
    drives.append({home_root, home_root});
    seen.insert(home_root);
  }
  QList<Drive> media;
  for (const Mount& mount : mounts) {
    const QString root = WithoutTrailingSlash(mount.root);
    if (!mount.ready || IsPseudoFileSystem(mount.type) || !IsMediaFolder(root) ||
        seen.contains(root)) {
      continue;
    }
    seen.insert(root);
    QString label = root;
    if (!mount.name.isEmpty() && mount.name != QFileInfo(root).fileName()) {
      label += QStringLiteral(" [%1]").arg(mount.name);
    }
    media.append({root, label});
  }
  std::sort(media.begin(), media.end(),
            [](const Drive& a, const Drive& b) { return a.root < b.root; });
  return drives + media;
}

QList<Drive> SystemDrives() {
#ifdef _WIN32
  QList<Drive> drives;
  for (const QFileInfo& drive : QDir::drives()) {
    const QString root = drive.absoluteFilePath();  // "C:/"
    drives.append({root, root.left(2)});
  }
  return drives;
#else
  QList<Mount> mounts;
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    mounts.append({volume.rootPath(), volume.fileSystemType(), volume.name(),
                   volume.isValid() && volume.isReady()});
  }
  return UserDrives(mounts, QDir::homePath());
#endif
}

int DriveIndexFor(const QList<Drive>& drives, const QString& folder) {
  int best = -1;
  for (int i = 0; i < drives.size(); ++i) {
    if (Holds(drives[i].root, folder) &&
        (best < 0 || drives[i].root.size() > drives[best].root.size())) {
      best = i;
    }
  }
  return best;
}

QList<std::filesystem::path> FolderChain(const std::filesystem::path& folder) {
  QList<std::filesystem::path> chain;
  std::filesystem::path step = folder.root_path();
  if (!step.empty()) {
    chain.append(step);
  }
  for (const std::filesystem::path& part : folder.relative_path()) {
    if (!part.empty()) {  // a trailing separator gives an empty last part
      step /= part;
      chain.append(step);
    }
  }
  return chain;
}

FolderListing ReadFolder(const std::filesystem::path& folder) {
  FolderListing listing;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    FolderEntry entry{it->path().filename(), PathText(it->path().filename())};
#ifdef _WIN32
    if (QFileInfo(PathText(it->path())).isHidden()) {
      continue;
    }
#else
    if (entry.name.native().starts_with('.')) {
      continue;
    }
#endif
    std::error_code kind_error;  // a dangling link is neither folder nor file
    if (it->is_directory(kind_error)) {
      listing.folders.append(std::move(entry));
    } else if (it->is_regular_file(kind_error) &&
               entry.text.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive)) {
      listing.point_lists.append(std::move(entry));
    }
  }
  if (error) {
    return {{}, {}, QString::fromLocal8Bit(error.message())};
  }
  SortEntries(listing.folders);
  SortEntries(listing.point_lists);
  return listing;
}

std::filesystem::path AbsoluteFolder(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::path path = std::filesystem::absolute(folder, error);
  if (error) {
    path = folder;
  }
  path = path.lexically_normal();
  if (!path.has_filename() && path.has_relative_path()) {  // "/work/" but not "/"
    path = path.parent_path();
  }
  return path;
}

std::filesystem::path FsPath(const QString& path) {
#ifdef _WIN32
  return std::filesystem::path(path.toStdWString());
#else
  return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

QString PathText(const std::filesystem::path& path) {
#ifdef _WIN32
  return QString::fromStdWString(path.generic_wstring());
#else
  return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
}

}  // namespace karvonel::ui
