// `pad import`, `pad export`, `pad check`, `pad validate` and `pad upload`: PAD files of the
// user's records from the command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/cli_context.h"

namespace quillora::cli {

// Each writes to ctx.out and throws CliError / CliReportedFailure; RunPadValidate sets
// ctx.exit_status to 4 when it found problems.
void RunPadImport(const std::vector<std::string>& files, CliContext& ctx);
void RunPadExport(const std::string& out, const std::string& product_uin, CliContext& ctx);
void RunPadCheck(const std::string& download_dir, CliContext& ctx);
void RunPadValidate(const std::string& file, const std::string& version, CliContext& ctx);

struct PadUploadArgs {
  std::string product_uin;  // empty: the active product
  std::string url;          // empty: the address made from the product's PAD address
  std::optional<std::string> user, password;
  bool passive = false;
};
void RunPadUpload(const PadUploadArgs& args, CliContext& ctx);

void SetupPadCommands(CLI::App& root, CliContext& ctx);

}  // namespace quillora::cli
