// `lzh compress|decompress IN OUT`: the site files' coder in its four-byte-length stream form.
#pragma once

#include <string>

#include "cli/cli_context.h"

namespace quillora::cli {

void RunLzhCompress(const std::string& in, const std::string& out);
// Fails (CliError) on a missing or implausible length header.
void RunLzhDecompress(const std::string& in, const std::string& out);

void SetupLzhCommands(CLI::App& root, CliContext& ctx);

}  // namespace quillora::cli
