// Faults the file system does not produce on demand, for karvonel-convert run
// with LD_PRELOAD: KARVONEL_FAULT names them, comma-separated.
//   fsync       every fsync fails with EIO
//   no-tmpfile  opening an unnamed file (O_TMPFILE) fails with EOPNOTSUPP
//   pid         getpid returns 4242, so temporary names can be foreseen
#include <dlfcn.h>
#include <fcntl.h>
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
