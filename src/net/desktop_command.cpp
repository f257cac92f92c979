#include "net/desktop_command.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "foundation/ui_port.h"

extern char** environ;

namespace quillora {

namespace {

struct TWaitState {
  std::mutex mutex;
  bool ready = false;
  TCommandOutcome outcome;
};

TCommandOutcome OutcomeOf(int status) {
  TCommandOutcome r;
  if (WIFEXITED(status)) {
    r.state = TCommandOutcome::State::Exited;
    r.exit_code = WEXITSTATUS(status);
  } else {
    r.state = TCommandOutcome::State::Signalled;
  }
  return r;
}

// True when the child ended within the time; it is not reaped here.
bool WaitForExit(pid_t pid, std::chrono::milliseconds wait) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
#ifdef SYS_pidfd_open
  int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (pidfd >= 0) {
    pollfd p{pidfd, POLLIN, 0};
    int r;
    do {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      r = poll(&p, 1, static_cast<int>(std::max<long long>(0, left.count())));
    } while (r < 0 && errno == EINTR);
    close(pidfd);
    return r > 0;
  }
#endif
  // Kernels without process descriptors: look now and then.
  siginfo_t info{};
  while (true) {
    info.si_pid = 0;
    if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
        info.si_pid == pid)
      return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace

std::string DesktopCommandName(const char* environment_variable, const char* fallback) {
  const char* v = std::getenv(environment_variable);
  return v != nullptr && *v != '\0' ? std::string(v) : std::string(fallback);
}

TCommandOutcome RunDesktopCommand(const std::vector<std::string>& argv,
                                  const std::string& working_folder,
                                  std::chrono::milliseconds wait) {
  TCommandOutcome outcome;
  if (argv.empty() || argv[0].empty()) {
    outcome.error = ENOENT;
    return outcome;
  }
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, 2, 1);
  if (!working_folder.empty())
    posix_spawn_file_actions_addchdir_np(&actions, working_folder.c_str());
  // The child starts with default signal handling and nothing blocked, whatever we set up.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (int s : {SIGPIPE, SIGINT, SIGTERM, SIGCHLD}) sigaddset(&defaults, s);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  pid_t pid = 0;
  int rc = posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    outcome.error = rc;
    return outcome;
  }

  // A thread waits for the child so that the user-interface thread can keep its message loop
  // going; the thread stays behind to reap a child that outlives the wait.
  TUserInterface& ui = UI();
  auto state = std::make_shared<TWaitState>();
  std::thread([state, pid, wait, &ui] {
    bool ended = WaitForExit(pid, wait);
    TCommandOutcome result;
    if (ended) {
      int status = 0;
      while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      result = OutcomeOf(status);
    } else {
      result.state = TCommandOutcome::State::StillRunning;
    }
    {
      // The waiting side reads the flag under this lock, so it cannot return (and its port go
      // away) before the wake-up below has been delivered.
      std::lock_guard lock(state->mutex);
      state->outcome = result;
      state->ready = true;
      ui.WakeUp();
    }
    if (!ended)
      while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
      }
  }).detach();
  ui.ProcessMessagesUntil([&] {
    std::lock_guard lock(state->mutex);
    return state->ready;
  });
  std::lock_guard lock(state->mutex);
  return state->outcome;
}

}  // namespace quillora
