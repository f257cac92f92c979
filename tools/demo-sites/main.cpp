// quillora-demo-sites: the demo download sites and the sample company's web site, in one process.

#include <atomic>
#include <httplib.h>
#include <iostream>
#include <memory>
#include <pthread.h>
#include <signal.h>
#include <string>
#include <thread>

#include <CLI/CLI.hpp>

#include "demo-sites/demo_sites.h"

int main(int argc, char** argv) {
  using namespace quillora;
  CLI::App app{
      "Serves the demo download sites (told apart by host names under *.localhost, such as "
      "freshdownloads.localhost) and the sample company's web site (sample-company.localhost). "
      "Plain localhost shows the list of sites and the accepted submissions; "
      "/api/submissions gives them as JSON.",
      "quillora-demo-sites"};
  TDemoSitesOptions options;
  std::string address = "127.0.0.1";
  int port = 8765;
  app.add_option("--address", address, "Address to listen on")->capture_default_str();
  app.add_option("--port", port, "Port to listen on (0: any free port)")
      ->capture_default_str()
      ->check(CLI::Range(0, 65535));
  app.add_option("--state", options.state_file,
                 "Keep the accepted submissions and accounts in this file across runs");
  app.add_option("--latency", options.latency_ms, "Delay every reply by this many milliseconds")
      ->check(CLI::Range(0, 600000));
  int slow_ms = static_cast<int>(options.slow_search_delay.count());
  app.add_option("--slow-search", slow_ms,
                 "How long the slow site's search page waits before it answers, in milliseconds")
      ->capture_default_str()
      ->check(CLI::Range(0, 600000));
  CLI11_PARSE(app, argc, argv);
  options.slow_search_delay = std::chrono::milliseconds(slow_ms);

  // The signals are taken by sigwait below; blocked before any thread starts, so every thread
  // the server makes inherits the mask and none of them is interrupted by them.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

  std::unique_ptr<TDemoSites> sites;
  try {
    sites = std::make_unique<TDemoSites>(options);
  } catch (const std::exception& e) {
    std::cerr << "error: " << e.what() << "\n";
    return 1;
  }
  httplib::Server server;
  sites->Attach(server);

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
  int signal_number = 0;
  sigwait(&stop_signals, &signal_number);
  sites->Shutdown();
  server.stop();
  listener.join();
  try {
    sites->SaveState();
  } catch (const std::exception& e) {
    std::cerr << "error: " << e.what() << "\n";
    return 1;
  }
  return failed ? 1 : 0;
}
