// The output's folder, held open for the whole conversion, so that the new
// file is created, named and renamed over its target in the folder that was
// checked, whatever happens to the folder's path meanwhile (a folder renamed
// and a link to another put in its place). On POSIX systems every operation
// is relative to the folder's descriptor; on Windows the open handle keeps
// the folder from being renamed or removed at all.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

#include "platform/native_file.h"

namespace karvonel::platform {

class NativeFolder {
 public:
  // Opens the folder at `path` (empty: the current folder). Fails with ENOENT
  // when it does not exist and ENOTDIR when a part of the path is a file.
  static SystemResult<NativeFolder> Open(const std::filesystem::path& path);

  // What `name` in this folder is, following a symbolic link. ENOENT: nothing.
  SystemResult<FileInfo> InfoOf(const std::filesystem::path& name) const;
  // A new file without a name in this folder, which Link names once it is
  // complete: until then nothing is left behind however the process ends.
  // Fails with EOPNOTSUPP where the system or the file system has none such.
  SystemResult<NativeFile> CreateUnnamed() const;
  // A new file `name` for writing; fails with EEXIST if the name is taken.
  SystemResult<NativeFile> CreateNew(const std::filesystem::path& name) const;
  // Gives a file from CreateUnnamed the name `name`, which must not exist.
  Status Link(const NativeFile& file, const std::filesystem::path& name) const;
  // Replaces `to` by `from` in one step, then makes the change durable.
  Status Rename(const std::filesystem::path& from, const std::filesystem::path& to) const;
  // Gives `to` the user extended attributes of the file `name` in this folder
  // and, with `access_list`, its access control list (POSIX ACL), as far as
  // the file system keeps them. Where it cannot, `to` keeps its permission
  // bits alone, which give no more.
  void CopyExtendedAttributes(const std::filesystem::path& name, const NativeFile& to,
                              bool access_list) const;
  // Removes the file `name`; errors are ignored (used for cleaning up).
  void Remove(const std::filesystem::path& name) const;
  // The names in this folder of the form `prefix`, anything, `suffix`; none
  // when the folder cannot be read. Windows is asked for such names only, so
  // that a folder of many other files costs little. (Not through
  // std::filesystem::directory_iterator: libstdc++ builds each entry inside a
  // noexcept function, so running out of memory there ends the process.)
  std::vector<std::filesystem::path> NamesLike(std::string_view prefix,
                                               std::string_view suffix) const;
  // Removes the temporary file `name`, which process `owner` created, if no
  // living process uses it any more. On POSIX systems the test is its lock
  // (NativeFile::TryLock, which the living run holds): a process id says
  // nothing across PID namespaces. On Windows, whose process ids are one
  // system's, the test is the owner's process; a file in use cannot be
  // removed there anyway.
  void RemoveIfAbandoned(const std::filesystem::path& name, std::int64_t owner) const;

 private:
  // The folder's descriptor or handle, closed with it.
  NativeFile held_;
#ifdef _WIN32
  std::filesystem::path path_;
#endif
};

}  // namespace karvonel::platform
