// `update [--check]`: the site-database update from the "Sites Repository" setting, or only the
// check whether the server's database is newer than the last one taken.
#pragma once

#include <functional>
#include <ostream>

#include "cli/cli_context.h"
#include "net/transfer_window.h"

namespace quillora::cli {

// Exit statuses of `update --check`.
inline constexpr int kUpdateNewer = 0;
inline constexpr int kUpdateNotNewer = 3;
inline constexpr int kUpdateCheckFailed = 1;

// Runs the check on the started core; prints "newer" or "not newer" on out and returns the exit
// status (a failed transfer prints its result text as an error).
int RunUpdateCheck(CliContext& ctx);
// Runs the update on the started core; 0 when it ran through with every chosen site taken, or
// when there was nothing to do; 1 otherwise (a failed or interrupted transfer, a page instead of
// the database, a declined update, a site that could not be taken).
int RunUpdate(CliContext& ctx);

void SetupUpdateCommands(CLI::App& root, CliContext& ctx);

}  // namespace quillora::cli
