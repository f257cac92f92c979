// `fill PAGE.html`: loads a page into the in-memory document, runs the form-filling engine on it
// and prints every form's controls after the fill as JSON.
#pragma once

#include <string>

#include "cli/cli_context.h"

namespace quillora::cli {

struct FillArgs {
  std::string page;
  std::string url;       // empty: the page file's file:// address
  std::string site;      // empty: no site
  bool all = false;      // fill unknown forms too
  bool classic = false;  // guess with the classic rules even when smart guessing is on
};

// The command's work, callable without the parser (tests). Writes to ctx.out; throws CliError.
void RunFill(const FillArgs& args, CliContext& ctx);

void SetupFillCommands(CLI::App& root, CliContext& ctx);

}  // namespace quillora::cli
