// Drives and folders as the three lists of the main window show them. No
// widgets here: what a folder holds and which drives a user can choose.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <filesystem>

namespace karvonel::ui {

// A place the drive list offers.
struct Drive {
  QString root;   // absolute, "/"-separated: "/", "/home/kim", "C:/"
  QString label;  // the text the drive list shows
};

// A mounted file system as the system reports it.
struct Mount {
  QString root;     // where it is mounted, "/"-separated
  QByteArray type;  // file system type: "ext4", "vfat", "tmpfs", ...
  QString name;     // volume name, or empty
  bool ready = true;
};

// The drives a user chooses from on a system without drive letters: "/" first,
// then `home` unless it is "/", then every ready mount at or below /media, /mnt
// or /run/media that holds no pseudo file system (proc, tmpfs, cgroup, ...),
// sorted by path, each once. A mount whose volume name differs from its folder
// name shows that name in brackets after its path.
QList<Drive> UserDrives(const QList<Mount>& mounts, const QString& home);

// The drives of this machine: the drive letters on Windows, UserDrives of the
// mounted file systems and the home folder elsewhere.
QList<Drive> SystemDrives();

// The index in `drives` of the drive that holds `folder`: the drive with the
// longest root that is `folder` itself or one of its parents, compared by whole
// folder names (without regard to case on Windows). -1 when no drive holds it.
int DriveIndexFor(const QList<Drive>& drives, const QString& folder);

// `folder` with its parents above it: "/work/main" gives "/", "/work",
// "/work/main"; "C:\data" gives "C:\", "C:\data" (on Windows).
QList<std::filesystem::path> FolderChain(const std::filesystem::path& folder);

// One entry of a folder. Its name is kept as the file system gave it: on Linux
// a name need not be UTF-8 (Shift_JIS from a Windows archive, say), and its
// text cannot stand for it.
struct FolderEntry {
  std::filesystem::path name;  // the entry's own name, no folder
  QString text;                // what a list shows; never opened
};

// What a folder holds, or why it could not be read.
struct FolderListing {
  QList<FolderEntry> folders;      // sub-folders, sorted by text without regard to case
  QList<FolderEntry> point_lists;  // files matching "*.csv" in any case, sorted likewise
  QString error;                   // empty, or the system's reason for the failure
};

// Reads `folder`. Hidden entries (a leading "." on Linux, the hidden attribute
// on Windows) are left out. Fails when the folder is missing or unreadable.
FolderListing ReadFolder(const std::filesystem::path& folder);

// `folder` made absolute, without "." and ".." steps or a trailing separator.
std::filesystem::path AbsoluteFolder(const std::filesystem::path& folder);

// The file system path for a path text, in the system's file name encoding.
std::filesystem::path FsPath(const QString& path);

// The text that shows `path`, "/"-separated; on Linux, bytes that are not
// UTF-8 show as U+FFFD. For showing only: it does not name the file again.
QString PathText(const std::filesystem::path& path);

}  // namespace karvonel::ui
