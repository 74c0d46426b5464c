// The signals that ask a program to end, caught so that a conversion can end
// cleanly: its temporary output removed, "para.sec" cut to whole records.
#pragma once

namespace karvonel::platform {

// From now on SIGINT, SIGTERM and SIGHUP (on Windows Ctrl+C, Ctrl+Break and
// closing the console) are recorded instead of ending the process, and a read
// or write they interrupt fails with EINTR. SIGXFSZ is ignored, so that a write
// past the file size limit fails with EFBIG instead of ending the process.
void CatchTerminationSignals();

// The number of the first termination signal caught (Windows: SIGINT for
// Ctrl+C, SIGTERM for the others), or 0.
int TerminationSignal();

// For a front end whose run `signal` cut short, once it has cleaned up: ends
// the process by that signal, its default action restored and the signal
// raised again, so that the caller sees a program ended by it and stops as
// well (a shell loop, xargs). On Windows the process ends with
// STATUS_CONTROL_C_EXIT, as a console program that Ctrl+C ends does.
[[noreturn]] void EndBySignal(int signal);

}  // namespace karvonel::platform
