// quillora-site-repository: serves a site database folder to the program over HTTP.

#include <atomic>
#include <httplib.h>
#include <iostream>
#include <pthread.h>
#include <signal.h>
#include <string>
#include <thread>

#include <CLI/CLI.hpp>

#include "foundation/files.h"
#include "site-repository/access_token.h"
#include "site-repository/site_repository.h"

int main(int argc, char** argv) {
  using namespace quillora;
  CLI::App app{
      "Serves a site database written by \"quillora-cli sites export\" to the program's site "
      "update, and takes site uploads and bug reports into the same folder.",
      "quillora-site-repository"};
  TSiteRepositoryOptions options;
  std::string address = "127.0.0.1";
  int port = 8766;
  app.add_option("--folder", options.folder, "The database folder")->required();
  app.add_option("--address", address, "Address to listen on")->capture_default_str();
  app.add_option("--port", port, "Port to listen on (0: any free port)")
      ->capture_default_str()
      ->check(CLI::Range(0, 65535));
  app.add_option("--token", options.token,
                 "Access token that downloads and uploads must carry (1 to 1024 bytes)");
  app.add_option("--redirect", options.redirect,
                 "Answer every posted request with a redirection to this address");
  CLI11_PARSE(app, argc, argv);

  if (!DirectoryExists(options.folder)) {
    std::cerr << "error: no such folder: " << options.folder << "\n";
    return 1;
  }
  if (app.count("--token") && !IsValidAccessToken(options.token)) {
    std::cerr << "error: the access token must be 1 to 1024 bytes without NUL bytes\n";
    return 1;
  }

  // The signals are taken by sigwait below; blocked before any thread starts, so every thread
  // the server makes inherits the mask and none of them is interrupted by them.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

  TSiteRepository repository(options);
  httplib::Server server;
  repository.Attach(server);

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
  server.stop();
  listener.join();
  return failed ? 1 : 0;
}
