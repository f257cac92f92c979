// `transfer get URL FILE [--form FIELDS] [--passive]`: one download through the program's
// transfer layer, reporting the result text and the final address.
#pragma once

#include <ostream>
#include <string>

#include "cli/cli_context.h"

namespace quillora::cli {

// Writes the result text and the final address, one line each; true for "No error".
bool RunTransferGet(std::string url, const std::string& file, const std::string* form_line,
                    bool passive, std::ostream& out);

void SetupTransferCommands(CLI::App& root, CliContext& ctx);

}  // namespace quillora::cli
