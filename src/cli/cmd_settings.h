// `settings get|set|list` and `summary` (what the start-up loaded).
#pragma once

#include "cli/cli_context.h"

namespace quillora::cli {

void SetupSettingsCommands(CLI::App& root, CliContext& ctx);

}  // namespace quillora::cli
