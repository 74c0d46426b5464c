#include "platform/pending_file.h"

#include <atomic>
#include <charconv>
#include <optional>
#include <string>
#include <string_view>

namespace karvonel::platform {
namespace {

constexpr std::string_view kTemporaryPrefix = ".karvonel-";
constexpr std::string_view kTemporarySuffix = ".tmp";

// The process id in a name of TemporaryName's form; none for any other name.
std::optional<std::int64_t> TemporaryOwner(const std::filesystem::path& path) {
  std::string name;
  for (const auto c : path.native()) {
    if (c < 0x20 || c > 0x7e)
      return std::nullopt;  // not printable ASCII: none of ours
    name += static_cast<char>(c);
  }
  if (!name.starts_with(kTemporaryPrefix) || !name.ends_with(kTemporarySuffix))
    return std::nullopt;
  const char* const end = name.data() + name.size() - kTemporarySuffix.size();
  std::int64_t pid = 0;
  std::uint64_t count = 0;
  const auto [after_pid, pid_error] =
      std::from_chars(name.data() + kTemporaryPrefix.size(), end, pid);
  if (pid_error != std::errc() || after_pid == end || *after_pid != '-' || pid <= 0)
    return std::nullopt;
  const auto [after_count, count_error] = std::from_chars(after_pid + 1, end, count);
  if (count_error != std::errc() || after_count != end)
    return std::nullopt;
  return pid;
}

}  // namespace

std::string TemporaryName() {
  static std::atomic<unsigned> counter{0};
  return std::string(kTemporaryPrefix) + std::to_string(CurrentProcessId()) + "-" +
         std::to_string(counter++) + std::string(kTemporarySuffix);
}

PendingFile::PendingFile(std::filesystem::path target)
    : folder_path_(target.parent_path()), name_(target.filename()) {}

PendingFile::~PendingFile() {
  if (committed_)
    return;
  (void)file_.Close();
  if (!temp_.empty())
    folder_.Remove(temp_);
}

Status PendingFile::OpenFolder() {
  auto folder = NativeFolder::Open(folder_path_);
  if (!folder)
    return Unexpected{folder.error()};
  folder_ = std::move(*folder);
  return {};
}

SystemResult<FileInfo> PendingFile::TargetInfo() const {
  return folder_.InfoOf(name_);
}

Status PendingFile::Create(const std::optional<FileInfo>& earlier) {
  if (auto unnamed = folder_.CreateUnnamed()) {
    file_ = std::move(*unnamed);
  } else if (unnamed.error().code != EOPNOTSUPP) {
    return Unexpected{unnamed.error()};
  } else if (auto named = CreateNamed(); !named) {
    return named;
  }
  // Held until the file has taken the target's place: it tells the sweep of
  // another run that this file is in use once it has a name (CreateNamed
  // takes it at once). Where files can be unnamed, no run sweeps.
  if (temp_.empty())
    (void)file_.TryLock();
  if (earlier) {
    const auto who = file_.TakeModeOf(*earlier);
    if (!who)
      return Unexpected{who.error()};
    ownership_ = *who;
    // An access list names the owning group's rights too: kept only for the
    // group it was written for.
    folder_.CopyExtendedAttributes(name_, file_, who->kept);
  }
  return {};
}

Status PendingFile::CreateNamed() {
  // Only where files are named from the start can a killed process leave one.
  RemoveStaleTemporaries();
  for (int attempt = 0; attempt < 100; ++attempt) {
    // The name is kept before the file exists, so that it is removed again
    // whatever follows.
    temp_ = TemporaryName();
    auto file = folder_.CreateNew(temp_);
    if (!file) {
      temp_.clear();
      if (file.error().code != EEXIST)
        return Unexpected{file.error()};
      continue;
    }
    // Locked, then still under its name: the sweep of another run takes the
    // lock first and then removes the name, so a file it holds or has taken
    // is left to it, and this run takes another name.
    auto locked = file->TryLock();
    // A file system without locks: no sweep can lock the file either, so none
    // removes it.
    const bool lockless = !locked && locked.error().code != kBusy;
    if ((locked || lockless) && IsNamed(*file, temp_)) {
      file_ = std::move(*file);
      return {};
    }
    temp_.clear();
  }
  return Unexpected{SystemError{EEXIST, "no free temporary name"}};
}

Status PendingFile::Commit() {
  for (int attempt = 0; temp_.empty(); ++attempt) {
    temp_ = TemporaryName();
    if (auto linked = folder_.Link(file_, temp_); !linked) {
      temp_.clear();
      if (linked.error().code != EEXIST || attempt == 99)
        return linked;
    }
  }
#ifdef _WIN32
  // Windows renames no file that is open without delete sharing.
  if (auto closed = file_.Close(); !closed)
    return closed;
  if (auto moved = folder_.Rename(temp_, name_); !moved)
    return moved;
#else
  // Renamed while still open and locked, so that no sweep takes it for
  // abandoned; the data is on the disk already (Sync), closing frees no more.
  if (auto moved = folder_.Rename(temp_, name_); !moved)
    return moved;
  (void)file_.Close();
#endif
  committed_ = true;
  return {};
}

void PendingFile::RemoveStaleTemporaries() const {
  for (const std::filesystem::path& name : folder_.NamesLike(kTemporaryPrefix, kTemporarySuffix)) {
    if (const auto owner = TemporaryOwner(name))
      folder_.RemoveIfAbandoned(name, *owner);
  }
}

// Whether `name` in the folder still names `file`.
bool PendingFile::IsNamed(const NativeFile& file, const std::filesystem::path& name) const {
  const auto held = file.Info();
  const auto named = folder_.InfoOf(name);
  return held && named && held->id == named->id;
}

}  // namespace karvonel::platform
