#include "platform/pending_file.h"

namespace karvonel::platform {

PendingFile::~PendingFile() {
  if (committed_)
    return;
  (void)file_.Close();
  if (!temp_.empty())
    RemoveFileQuietly(temp_);
}

Status PendingFile::Create() {
  for (int attempt = 0;; ++attempt) {
    std::filesystem::path name = target_;
    name += "." + UniqueSuffix() + ".tmp";
    auto file = NativeFile::Open(name, NativeFile::Mode::kCreateNew);
    if (file) {
      file_ = std::move(*file);
      temp_ = std::move(name);
      return {};
    }
    if (file.error().code != EEXIST || attempt == 99)
      return Unexpected{file.error()};
  }
}

Status PendingFile::Commit() {
  if (auto synced = file_.Sync(); !synced)
    return synced;
  if (auto closed = file_.Close(); !closed)
    return closed;
  if (auto moved = MoveIntoPlace(temp_, target_); !moved)
    return moved;
  committed_ = true;
  return {};
}

}  // namespace karvonel::platform
