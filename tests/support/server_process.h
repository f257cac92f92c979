// One of the project's server programs (demo sites, search service, ...) run for a test or a
// benchmark: started with "--port 0" on 127.0.0.1, its port read from its ready line, stopped
// with SIGTERM when the object goes.
#pragma once

#include <csignal>
#include <cstdio>
#include <string>
#include <sys/types.h>
#include <vector>

namespace quillora::test {

class TServerProcess {
 public:
  TServerProcess(const std::string& program, const std::vector<std::string>& args = {});
  ~TServerProcess();
  TServerProcess(const TServerProcess&) = delete;
  TServerProcess& operator=(const TServerProcess&) = delete;

  // 0 when the program did not start or printed no ready line.
  int Port() const { return port_; }
  // The ready line as printed (for failure messages).
  const std::string& ReadyLine() const { return ready_; }
  // Sends the signal and waits: the exit status, or 128 + the signal when it was killed by one.
  int Stop(int signal = SIGTERM);

 private:
  pid_t pid_ = -1;
  FILE* out_ = nullptr;
  int port_ = 0;
  std::string ready_;
};

}  // namespace quillora::test
