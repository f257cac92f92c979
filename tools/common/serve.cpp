#include "common/serve.h"

#include <atomic>
#include <csignal>
#include <httplib.h>
#include <iostream>
#include <pthread.h>
#include <thread>

namespace quillora {

namespace {

sigset_t StopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  return signals;
}

}  // namespace

void BlockStopSignals() {
  const sigset_t signals = StopSignals();
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

int ServeUntilStopped(httplib::Server& server, const std::string& address, int port,
                      const std::function<void()>& before_stop) {
  const int bound = port == 0 ? server.bind_to_any_port(address)
                              : (server.bind_to_port(address, port) ? port : -1);
  if (bound < 0) {
    std::cerr << "error: cannot listen on " << address << ":" << port << "\n";
    return 1;
  }
  const std::string host = address.find(':') != std::string::npos ? "[" + address + "]" : address;
  std::cout << "listening on http://" << host << ":" << bound << "/" << std::endl;

  std::atomic<bool> failed = false;
  const pthread_t main_thread = pthread_self();
  std::thread listener([&] {
    if (!server.listen_after_bind()) {
      failed = true;
      pthread_kill(main_thread, SIGTERM);
    }
  });
  const sigset_t signals = StopSignals();
  int signal_number = 0;
  sigwait(&signals, &signal_number);
  if (before_stop) before_stop();
  server.stop();
  listener.join();
  return failed ? 1 : 0;
}

}  // namespace quillora
