#include "tests/faults/fault_support.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

namespace karvonel::testing {

bool RunningAsRoot() {
  return ::geteuid() == 0;
}

ToolRun RunConvert(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                   bool unprivileged, std::int64_t file_size_limit) {
  ToolRun run;
  int pipe_fds[2];
  if (::pipe2(pipe_fds, O_CLOEXEC) != 0)
    return run;
  // Through the small process that measures the tool's peak memory.
  char result_name[] = "/tmp/karvonel-peak-XXXXXX";
  const int result_fd = ::mkstemp(result_name);
  if (result_fd < 0)
    return run;
  ::fchmod(result_fd, 0666);  // the unprivileged user writes it
  ::close(result_fd);
  std::vector<char*> argv;
  std::vector<std::string> copies = {KARVONEL_PEAK_MEMORY_EXE, result_name, KARVONEL_CONVERT_EXE};
  copies.insert(copies.end(), args.begin(), args.end());
  for (auto& arg : copies)
    argv.push_back(arg.data());
  argv.push_back(nullptr);

  const pid_t pid = ::fork();
  if (pid == 0) {
    // The child: only async-signal-safe calls until exec.
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, STDOUT_FILENO);
    ::dup2(pipe_fds[1], STDERR_FILENO);
    if (::chdir(cwd.c_str()) != 0)
      ::_exit(126);
    if (file_size_limit > 0) {
      // Past the limit a write fails with EFBIG, once SIGXFSZ no longer ends
      // the process; an ignored signal stays ignored across exec.
      const struct rlimit limit {
        static_cast<rlim_t>(file_size_limit), static_cast<rlim_t>(file_size_limit)
      };
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
        ::_exit(126);
      ::signal(SIGXFSZ, SIG_IGN);
    }
    if (unprivileged && ::geteuid() == 0) {
      if (::setgroups(0, nullptr) != 0 || ::setgid(kUnprivilegedGroup) != 0 ||
          ::setuid(kUnprivilegedUser) != 0) {
        ::_exit(126);
      }
    }
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(pipe_fds[1]);
  char buffer[4096];
  for (;;) {
    const ssize_t count = ::read(pipe_fds[0], buffer, sizeof buffer);
    if (count > 0) {
      run.err.append(buffer, static_cast<std::size_t>(count));
    } else if (count == 0 || errno != EINTR) {
      break;
    }
  }
  ::close(pipe_fds[0]);
  int status = 0;
  struct rusage usage {};
  while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  run.exited = WIFEXITED(status);
  run.exit_code = run.exited ? WEXITSTATUS(status) : -1;
  run.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  (void)usage;  // the measuring process's own, not the tool's
  std::ifstream result(result_name);
  result >> run.peak_rss_kib;
  ::unlink(result_name);
  return run;
}

FolderSnapshot Snapshot(const std::filesystem::path& folder) {
  FolderSnapshot snapshot;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file())
      continue;
    std::ifstream in(entry.path(), std::ios::binary);
    snapshot[entry.path().lexically_relative(folder).string()] =
        std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return snapshot;
}

SmallDisk::SmallDisk(const std::filesystem::path& folder, const std::string& size)
    : folder_(folder) {
  if (!RunningAsRoot()) {
    why_not_ = "mounting a small tmpfs needs root";
    return;
  }
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  const std::string options = "size=" + size + ",mode=0777";
  if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0) {
    why_not_ = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
    return;
  }
  mounted_ = true;
}

SmallDisk::~SmallDisk() {
  if (mounted_)
    ::umount2(folder_.c_str(), MNT_DETACH);
}

std::string PointLines(std::int64_t count) {
  std::string text;
  text.reserve(static_cast<std::size_t>(count) * 24);
  for (std::int64_t i = 1; i <= count; ++i) {
    text += std::to_string(i) + ",-" + std::to_string(i) + "," + std::to_string(i / 2) + "\n";
  }
  return text;
}

}  // namespace karvonel::testing
