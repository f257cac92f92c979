// `search analyse --site UIN PAGE.html` and `search run [--threads N] [--timeout S]
// [--attempts N] [--site UIN]`: the listing search's page judgement and its batch.
#pragma once

#include <optional>
#include <string>

#include "cli/cli_context.h"

namespace quillora::cli {

struct TSearchRunArgs {
  std::optional<int> threads, timeout, attempts;
  std::optional<std::string> site;
  // Not 0: every request goes to this port (tests against a local server on a port of its own).
  int port = 0;
};

void RunSearchAnalyse(const std::string& uin, const std::string& page_file, CliContext& ctx);
void RunSearchRun(const TSearchRunArgs& args, CliContext& ctx);

void SetupSearchCommands(CLI::App& root, CliContext& ctx);

}  // namespace quillora::cli
