// `submit UIN... [--all-visible] [--dry-run]`: headless submission of the active product to
// sites, one result line per site.
#pragma once

#include <string>
#include <vector>

#include "cli/cli_context.h"

namespace quillora::cli {

struct SubmitArgs {
  std::vector<std::string> uins;
  bool all_visible = false;  // every site the Sites view shows, in its order
  bool dry_run = false;      // fill and print, send nothing
};

// The command's work, callable without the parser (tests). Writes the result lines to ctx.out
// and progress to ctx.err; returns the exit status (0 every site accepted, 4 some were not, 1
// none could be tried); throws CliError.
int RunSubmit(const SubmitArgs& args, CliContext& ctx);

void SetupSubmitCommands(CLI::App& root, CliContext& ctx);

}  // namespace quillora::cli
