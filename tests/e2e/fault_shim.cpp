// Faults the file system does not produce on demand, for karvonel-convert run
// with LD_PRELOAD: KARVONEL_FAULT names them, comma-separated.
//   fsync       every fsync fails with EIO
//   background-flush  every flush asked for through io_uring fails (with
//               EBADF); the file's own fsync then succeeds
//   no-tmpfile  opening an unnamed file (O_TMPFILE) fails with EOPNOTSUPP
//   pid         getpid returns 4242, so temporary names can be foreseen
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/io_uring.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

namespace {

bool Wants(const char* fault) {
  const char* faults = std::getenv("KARVONEL_FAULT");
  return faults != nullptr && std::strstr(faults, fault) != nullptr;
}

template <class Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

int fsync(int fd) {
  if (Wants("fsync")) {
    errno = EIO;
    return -1;
  }
  return Next<int (*)(int)>("fsync")(fd);
}

// The submission entries of the program's io_uring, once it has mapped them.
io_uring_sqe* g_entries = nullptr;
std::size_t g_entry_count = 0;

void* mmap(void* address, size_t length, int protection, int flags, int fd, off_t offset) {
  void* const map = Next<void* (*)(void*, size_t, int, int, int, off_t)>("mmap")(
      address, length, protection, flags, fd, offset);
  if (map != MAP_FAILED && offset == static_cast<off_t>(IORING_OFF_SQES)) {
    g_entries = static_cast<io_uring_sqe*>(map);
    g_entry_count = length / sizeof(io_uring_sqe);
  }
  return map;
}

long syscall(long number, ...) {
  va_list rest;
  va_start(rest, number);
  long a[6];
  for (long& argument : a)
    argument = va_arg(rest, long);
  va_end(rest);
  // Each flush handed to the system names a file that is not open: it fails.
  if (number == SYS_io_uring_enter && a[1] > 0 && Wants("background-flush")) {
    for (std::size_t i = 0; i < g_entry_count; ++i)
      g_entries[i].fd = -1;
  }
  return Next<long (*)(long, ...)>("syscall")(number, a[0], a[1], a[2], a[3], a[4], a[5]);
}

pid_t getpid() {
  return Wants("pid") ? 4242 : Next<pid_t (*)()>("getpid")();
}

int openat(int folder, const char* path, int flags, ...) {
  va_list rest;
  va_start(rest, flags);
  const mode_t mode =
      (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(rest, mode_t) : 0;
  va_end(rest);
  if (Wants("no-tmpfile") && (flags & O_TMPFILE) == O_TMPFILE) {
    errno = EOPNOTSUPP;
    return -1;
  }
  return Next<int (*)(int, const char*, int, ...)>("openat")(folder, path, flags, mode);
}

}  // extern "C"
