#include "support/server_process.h"

#include <regex>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace quillora::test {

TServerProcess::TServerProcess(const std::string& program, const std::vector<std::string>& args) {
  int fds[2];
  if (pipe(fds) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  std::vector<std::string> all = {program, "--port", "0"};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  out_ = fdopen(fds[0], "r");
  char line[256] = {};
  if (pid_ > 0 && out_ && fgets(line, sizeof line, out_)) {
    ready_ = line;
    std::smatch m;
    if (std::regex_match(ready_, m, std::regex("listening on http://127\\.0\\.0\\.1:(\\d+)/\n")))
      port_ = std::stoi(m[1]);
  }
}

TServerProcess::~TServerProcess() {
  Stop();
}

int TServerProcess::Stop(int signal) {
  int status = 0;
  if (pid_ > 0) {
    kill(pid_, signal);
    waitpid(pid_, &status, 0);
    pid_ = -1;
  }
  if (out_) {
    fclose(out_);
    out_ = nullptr;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace quillora::test
