// Runs one of the desktop's helper programs (the mail client's hand-over, the default opener) as a
// child process: an argument vector without a shell, and a wait with a bound.
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace quillora {

struct TCommandOutcome {
  enum class State {
    NotStarted,    // no such program, or it could not be run; error holds errno
    Exited,        // exit_code holds its status
    Signalled,     // killed by a signal
    StillRunning,  // had not ended when the wait ran out: it has taken the work over
  };
  State state = State::NotStarted;
  int exit_code = -1;
  int error = 0;
};

// Starts argv[0] (looked up on PATH when it has no "/") with argv, in working_folder when it is
// not empty, stdin from /dev/null and stdout joined to our stderr (our stdout carries results).
// Waits at most `wait` for it to end, keeping the user-interface thread's message loop going; a
// program still running then is left to run and reaped when it ends.
TCommandOutcome RunDesktopCommand(const std::vector<std::string>& argv,
                                  const std::string& working_folder,
                                  std::chrono::milliseconds wait);

// The program named by the environment variable when it is set and not empty, else fallback.
// Tests point these at a script that records its arguments.
std::string DesktopCommandName(const char* environment_variable, const char* fallback);

}  // namespace quillora
