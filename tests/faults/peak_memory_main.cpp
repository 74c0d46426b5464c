// karvonel_peak_memory RESULT PROGRAM [ARG...]: runs PROGRAM and writes its
// peak resident memory in KiB to the file RESULT; exits as PROGRAM did.
//
// The tests start programs through this small process because a child's peak
// memory counts the memory of the process it was forked from until it calls
// exec, and a test process is large.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: karvonel_peak_memory RESULT PROGRAM [ARG...]\n");
    return 125;
  }
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::execv(argv[2], argv + 2);
    std::perror(argv[2]);
    ::_exit(127);
  }
  int status = 0;
  struct rusage usage {};
  while (::wait4(pid, &status, 0, &usage) < 0) {
    if (errno != EINTR)
      return 125;
  }
  if (FILE* result = std::fopen(argv[1], "w")) {
    std::fprintf(result, "%ld\n", usage.ru_maxrss);
    std::fclose(result);
  }
  if (WIFSIGNALED(status)) {
    std::signal(WTERMSIG(status), SIG_DFL);
    ::raise(WTERMSIG(status));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 125;
}
