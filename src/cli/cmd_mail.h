// `mail UIN`: sends the active product to a site whose Submit address is an e-mail address, as
// the Submitter does, and records the submission.
#pragma once

#include <string>

#include "cli/cli_context.h"

namespace quillora::cli {

// Sends the site's e-mail and, once it was handed over, records the submission and prints
// `UIN<TAB>status name<TAB>version listed<TAB>version submitted<TAB>date submitted`. An
// unknown site or a Submit address that is no e-mail address throws CliError; a message that
// could not be sent throws CliReportedFailure (its message was shown).
void RunMail(const std::string& uin, CliContext& ctx);

void SetupMailCommands(CLI::App& root, CliContext& ctx);

}  // namespace quillora::cli
