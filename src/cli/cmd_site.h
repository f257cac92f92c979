// `site dump FILE.wsd` (the stored parts of a site file as JSON) and `site build JSON OUT.wsd`
// (its inverse).
#pragma once

#include <iosfwd>
#include <string>

#include "cli/cli_context.h"

namespace quillora::cli {

// Writes the JSON to out; with cover_out the cover's JPEG bytes are written to that file too.
// A file that is not a site file, or a damaged one, fails with CliError.
void RunSiteDump(const std::string& file, const std::string& cover_out, std::ostream& out);
// Builds a "WSD 2.1" file from JSON in the shape `site dump` writes; "cover_file" names a JPEG
// file (relative to the JSON file's folder), else the default cover is used.
void RunSiteBuild(const std::string& json_file, const std::string& out_file);

void SetupSiteCommands(CLI::App& root, CliContext& ctx);

}  // namespace quillora::cli
