// `page get URL [--post DATA] [--headers TEXT] [--timeout SECONDS] [--port N]`: one request with
// the page fetcher, the body on stdout and its outcome on stderr.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "cli/cli_context.h"

namespace quillora::cli {

struct TPageGetOptions {
  std::string url;
  // Present: a POST of this data; absent: a GET.
  const std::string* post_data = nullptr;
  std::string headers;
  int timeout = 30;
  uint16_t port = 0;
};

// Writes the body to out and the status, error and byte lines to err; true when a body came.
bool RunPageGet(const TPageGetOptions& options, std::ostream& out, std::ostream& err);

void SetupPageCommands(CLI::App& root, CliContext& ctx);

}  // namespace quillora::cli
