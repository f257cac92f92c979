// quillora-site-repository: serves a site database folder to the program over HTTP.

#include <httplib.h>
#include <iostream>
#include <string>

#include <CLI/CLI.hpp>

#include "common/serve.h"
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

  // Before any thread starts, so that every thread inherits the mask.
  BlockStopSignals();

  TSiteRepository repository(options);
  httplib::Server server;
  repository.Attach(server);

  return ServeUntilStopped(server, address, port);
}
