#include "platform/background_flush.h"

#include <linux/io_uring.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/posix_errors.h"

namespace karvonel::platform {
namespace {

// The ring's indexes are shared with the system: read with acquire, written
// with release, as the system does on its side.
unsigned LoadShared(const unsigned* at) {
  return __atomic_load_n(at, __ATOMIC_ACQUIRE);
}
void StoreShared(unsigned* at, unsigned value) {
  __atomic_store_n(at, value, __ATOMIC_RELEASE);
}

template <class T>
T* At(void* map, std::uint32_t offset) {
  return reinterpret_cast<T*>(static_cast<char*>(map) + offset);
}

}  // namespace

std::unique_ptr<BackgroundFlush> BackgroundFlush::Create() {
  std::unique_ptr<BackgroundFlush> flush(new BackgroundFlush);
  io_uring_params params{};
  const int ring = static_cast<int>(::syscall(__NR_io_uring_setup, 2, &params));
  if (ring < 0)
    return nullptr;
  flush->ring_ = ring;
  flush->map_sizes_[0] = params.sq_off.array + params.sq_entries * sizeof(unsigned);
  flush->map_sizes_[1] = params.cq_off.cqes + params.cq_entries * sizeof(io_uring_cqe);
  flush->map_sizes_[2] = params.sq_entries * sizeof(io_uring_sqe);
  const off_t offsets[3] = {IORING_OFF_SQ_RING, IORING_OFF_CQ_RING, IORING_OFF_SQES};
  for (int i = 0; i < 3; ++i) {
    void* const map = ::mmap(nullptr, flush->map_sizes_[i], PROT_READ | PROT_WRITE,
                             MAP_SHARED | MAP_POPULATE, ring, offsets[i]);
    if (map == MAP_FAILED)
      return nullptr;
    flush->maps_[i] = map;
  }
  void* const submissions = flush->maps_[0];
  void* const completions = flush->maps_[1];
  flush->submission_tail_ = At<unsigned>(submissions, params.sq_off.tail);
  flush->submission_mask_ = At<unsigned>(submissions, params.sq_off.ring_mask);
  flush->submission_array_ = At<unsigned>(submissions, params.sq_off.array);
  flush->completion_head_ = At<unsigned>(completions, params.cq_off.head);
  flush->completion_tail_ = At<unsigned>(completions, params.cq_off.tail);
  flush->completion_mask_ = At<unsigned>(completions, params.cq_off.ring_mask);
  flush->completions_ = At<void>(completions, params.cq_off.cqes);
  return flush;
}

BackgroundFlush::~BackgroundFlush() {
  for (int i = 0; i < 3; ++i) {
    if (maps_[i] != nullptr)
      ::munmap(maps_[i], map_sizes_[i]);
  }
  if (ring_ >= 0)
    ::close(ring_);
}

bool BackgroundFlush::Start(int fd) {
  (void)Collect(false);
  if (running_)
    return false;
  const unsigned tail = *submission_tail_;
  const unsigned index = tail & *submission_mask_;
  io_uring_sqe& entry = static_cast<io_uring_sqe*>(maps_[2])[index];
  std::memset(&entry, 0, sizeof entry);
  entry.opcode = IORING_OP_FSYNC;
  entry.fd = fd;
  entry.fsync_flags = IORING_FSYNC_DATASYNC;
  submission_array_[index] = index;
  StoreShared(submission_tail_, tail + 1);
  int submitted;
  do {
    submitted = static_cast<int>(::syscall(__NR_io_uring_enter, ring_, 1, 0, 0, nullptr, 0));
  } while (submitted < 0 && errno == EINTR);
  if (submitted != 1) {
    // Taken back: the entry was never handed over.
    StoreShared(submission_tail_, tail);
    return false;
  }
  running_ = true;
  return true;
}

Status BackgroundFlush::Finish() {
  if (auto collected = Collect(true); !collected)
    return collected;
  if (failure_)
    return Unexpected{*failure_};
  return {};
}

Status BackgroundFlush::Collect(bool wait) {
  while (running_) {
    unsigned head = *completion_head_;
    if (head != LoadShared(completion_tail_)) {
      const io_uring_cqe& done = static_cast<io_uring_cqe*>(completions_)[head & *completion_mask_];
      if (done.res < 0 && !failure_)
        failure_ = SystemError{-done.res, ReasonText(-done.res)};
      StoreShared(completion_head_, head + 1);
      running_ = false;
      break;
    }
    if (!wait)
      break;
    if (::syscall(__NR_io_uring_enter, ring_, 0, 1, IORING_ENTER_GETEVENTS, nullptr, 0) < 0 &&
        !Interrupted()) {
      return Failed();
    }
  }
  return {};
}

}  // namespace karvonel::platform
