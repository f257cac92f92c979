// `transfer get` and `transfer put`: one download or FTP upload through the program's transfer
// layer, reporting the result text (and, for a download, the final address).
#pragma once

#include <ostream>
#include <string>

#include "cli/cli_context.h"

namespace quillora::cli {

class TCliProgress;

// Writes the result text and the final address, one line each; true for "No error". With
// progress the transfer runs through its transfer window, which shows it on stderr.
bool RunTransferGet(std::string url, const std::string& file, const std::string* form_line,
                    bool passive, std::ostream& out, TCliProgress* progress = nullptr);

// Uploads file to an ftp:// URL and writes the result text on one line; true for "No error".
bool RunTransferPut(const std::string& file, const std::string& url, const std::string& user_name,
                    const std::string& password, bool passive, std::ostream& out,
                    TCliProgress* progress = nullptr);

void SetupTransferCommands(CLI::App& root, CliContext& ctx);

}  // namespace quillora::cli
