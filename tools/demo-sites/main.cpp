// quillora-demo-sites: the demo download sites and the sample company's web site, in one process.

#include <httplib.h>
#include <iostream>
#include <memory>
#include <string>

#include <CLI/CLI.hpp>

#include "common/serve.h"
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

  // Before any thread starts, so that every thread inherits the mask.
  BlockStopSignals();

  std::unique_ptr<TDemoSites> sites;
  try {
    sites = std::make_unique<TDemoSites>(options);
  } catch (const std::exception& e) {
    std::cerr << "error: " << e.what() << "\n";
    return 1;
  }
  httplib::Server server;
  sites->Attach(server);

  // Slow searches waiting in handlers are woken before the server stops.
  const int served = ServeUntilStopped(server, address, port, [&] { sites->Shutdown(); });
  try {
    sites->SaveState();
  } catch (const std::exception& e) {
    std::cerr << "error: " << e.what() << "\n";
    return 1;
  }
  return served;
}
