// `company list`, `product list`, `product use` and `status`: the user's records and the
// per-site status of the active product from the command line.
#pragma once

#include <optional>
#include <string>

#include "cli/cli_context.h"

namespace quillora::cli {

struct StatusArgs {
  std::string uin;  // the site's UIN
  std::optional<std::string> listed;
  std::optional<std::string> submitted;
  bool set_version_listed = false;
  bool set_listed_as_submitted = false;
  std::optional<std::string> override_name;
};

// The commands' work, callable without the parser (tests). Write to ctx.out; throw CliError.
void RunCompanyList(CliContext& ctx);
void RunProductList(CliContext& ctx);
void RunProductUse(const std::string& uin, CliContext& ctx);
void RunStatus(const StatusArgs& args, CliContext& ctx);

// Adds "company", "product" and "status" to root. It also makes the start-up load the company
// and product files and activate the profile (as every command that needs the program's state
// expects), and gives `template expand` the active profile as its default values.
void SetupRecordCommands(CLI::App& root, CliContext& ctx);

}  // namespace quillora::cli
