#include "ui/folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>
#include <algorithm>
#include <system_error>

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

void SortNames(QStringList& names) {
  std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
  });
}

QString FromFsPath(const std::filesystem::path& path) {
#ifdef _WIN32
  return QString::fromStdWString(path.native());
#else
  return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
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

QStringList FolderChain(const QString& folder) {
  QString path = WithoutTrailingSlash(folder);
  if (path.size() == 2 && path[1] == u':') {
    path += u'/';
  }
  QStringList chain;
  for (;;) {
    chain.prepend(path);
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0 || slash == path.size() - 1) {
      break;  // a root ends with its slash: "/", "C:/"
    }
    const bool parent_is_root = slash == 0 || (slash == 2 && path[1] == u':');
    path.truncate(parent_is_root ? slash + 1 : slash);
  }
  return chain;
}

FolderListing ReadFolder(const QString& folder) {
  FolderListing listing;
  std::error_code error;
  for (std::filesystem::directory_iterator it(FsPath(folder), error), end; !error && it != end;
       it.increment(error)) {
    const QString name = FromFsPath(it->path().filename());
#ifdef _WIN32
    if (QFileInfo(QDir(folder).filePath(name)).isHidden()) {
      continue;
    }
#else
    if (name.startsWith(u'.')) {
      continue;
    }
#endif
    std::error_code kind_error;  // a dangling link is neither folder nor file
    if (it->is_directory(kind_error)) {
      listing.folders.append(name);
    } else if (it->is_regular_file(kind_error) &&
               name.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive)) {
      listing.point_lists.append(name);
    }
  }
  if (error) {
    return {{}, {}, QString::fromLocal8Bit(error.message())};
  }
  SortNames(listing.folders);
  SortNames(listing.point_lists);
  return listing;
}

std::filesystem::path FsPath(const QString& path) {
#ifdef _WIN32
  return std::filesystem::path(path.toStdWString());
#else
  return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

}  // namespace karvonel::ui
