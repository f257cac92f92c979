// quillora-search-service: the remote listing-search service the program's batch search uses.

#include <fstream>
#include <httplib.h>
#include <iostream>
#include <mutex>
#include <string>

#include <CLI/CLI.hpp>

#include "common/serve.h"
#include "foundation/files.h"
#include "search-service/search_service.h"

int main(int argc, char** argv) {
  using namespace quillora;
  CLI::App app{
      "Takes listing-search jobs from the program, fetches every job's search pages and serves "
      "them back as one archive. Jobs, pages and archives are kept under the folder.",
      "quillora-search-service"};
  TSearchServiceOptions options;
  std::string address = "127.0.0.1";
  int port = 8767;
  std::string password;
  app.add_option("--folder", options.folder, "The folder of jobs, pages and archives")->required();
  app.add_option("--address", address, "Address to listen on")->capture_default_str();
  app.add_option("--port", port, "Port to listen on (0: any free port)")
      ->capture_default_str()
      ->check(CLI::Range(0, 65535));
  app.add_option("--password", password,
                 "The program's \"Autosearch_Password\" (an integer; without it -1)");
  app.add_option("--workers", options.workers, "Pages fetched at once")
      ->capture_default_str()
      ->check(CLI::Range(1, 64));
  // Hidden, for tests: pages fetched from a local server's port, archive blocks answered late,
  // archives padded to many blocks, and every request's target appended to a file as it arrives.
  app.add_option("--fetch-port", options.fetch_port)->check(CLI::Range(0, 65535))->group("");
  app.add_option("--block-delay", options.block_delay_ms)->check(CLI::Range(0, 60000))->group("");
  app.add_option("--archive-padding", options.archive_padding)
      ->check(CLI::Range(int64_t{0}, int64_t{64} << 20))
      ->group("");
  std::string request_log;
  app.add_option("--request-log", request_log)->group("");
  CLI11_PARSE(app, argc, argv);

  if (!password.empty()) {
    try {
      size_t used = 0;
      const long long value = std::stoll(password, &used);
      if (used != password.size()) throw std::invalid_argument(password);
      options.password = static_cast<int32_t>(value);
    } catch (const std::exception&) {
      std::cerr << "error: the password must be an integer\n";
      return 2;
    }
  }
  if (!ForceDirectories(options.folder)) {
    std::cerr << "error: cannot create folder: " << options.folder << "\n";
    return 1;
  }

  // Before any thread starts, so that every thread inherits the mask.
  BlockStopSignals();

  TSearchService service(options);
  httplib::Server server;
  service.Attach(server);
  std::mutex log_mutex;
  if (!request_log.empty())
    server.set_pre_routing_handler([&](const httplib::Request& req, httplib::Response&) {
      std::lock_guard lock(log_mutex);
      std::ofstream(request_log, std::ios::app) << req.method << " " << req.target << "\n";
      return httplib::Server::HandlerResponse::Unhandled;
    });

  const int served = ServeUntilStopped(server, address, port);
  service.Shutdown();
  return served;
}
