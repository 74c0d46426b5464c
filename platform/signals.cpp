#include "platform/signals.h"

#include <csignal>
#include <cstdlib>
#include <initializer_list>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace karvonel::platform {
namespace {

volatile std::sig_atomic_t caught = 0;

#ifdef _WIN32
BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (caught == 0)
    caught = event == CTRL_C_EVENT ? SIGINT : SIGTERM;
  return TRUE;
}
#else
void OnSignal(int signal) {
  if (caught == 0)
    caught = signal;
}
#endif

}  // namespace

void CatchTerminationSignals() {
#ifdef _WIN32
  ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a blocked read returns with EINTR
  for (const int signal : {SIGINT, SIGTERM, SIGHUP})
    sigaction(signal, &action, nullptr);
  std::signal(SIGXFSZ, SIG_IGN);
#endif
}

int TerminationSignal() {
  return caught;
}

void EndBySignal(int signal) {
#ifdef _WIN32
  (void)signal;
  ::ExitProcess(STATUS_CONTROL_C_EXIT);
#else
  std::signal(signal, SIG_DFL);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  sigprocmask(SIG_UNBLOCK, &only, nullptr);
  std::raise(signal);
  // Not reached: the default action of every termination signal ends the
  // process.
  ::_exit(128 + signal);
#endif
}

}  // namespace karvonel::platform
