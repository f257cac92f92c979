// `sites list`, `sites export`, `report`, `backup`, `restore`, `ratings export` and
// `ratings import`: the site database, reports and the user's archives from the command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/cli_context.h"

namespace quillora::cli {

struct SitesListArgs {
  std::string columns = "0,2,6,13,14,15,17";
  bool all = false;
  std::optional<std::string> category, language, status, search, rating;
  bool show_disabled = false;
};

struct ReportArgs {
  std::string format;
  std::string out;
  std::optional<std::string> columns;
  bool total = false;
};

// The commands' work, callable without the parser (tests). Write to ctx.out; throw CliError.
void RunSitesList(const SitesListArgs& args, CliContext& ctx);
void RunSitesExport(const std::string& folder, CliContext& ctx);
void RunReport(const ReportArgs& args, CliContext& ctx);

// Adds the commands to root and plugs the site list, filter and custom sets into the start-up.
void SetupSitesCommands(CLI::App& root, CliContext& ctx);

}  // namespace quillora::cli
