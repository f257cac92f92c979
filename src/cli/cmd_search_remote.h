// `search remote start|status|fetch|parse|stop`: the remote search service's job for the active
// product, driven from the command line.
#pragma once

#include "cli/cli_context.h"

namespace quillora::cli {

// Adds "remote" under the given "search" command (made here when there is none yet).
void SetupSearchRemoteCommands(CLI::App& root, CliContext& ctx);

}  // namespace quillora::cli
