// quillora-cli template expand / template templatize: the template language from the command line.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "cli/cli_context.h"

namespace quillora::cli {

struct TemplateExpandArgs {
  // Empty: the active profile after the start-up load, empty as it may be (no company active).
  std::string values_file;
  std::string prefix;
  std::string mode = "ansi";           // ansi, utf8 or wide
  std::optional<std::string> save_as;  // MAKEFILE's chosen path; absent: the dialog is cancelled
  std::string text;
};

struct TemplateTemplatizeArgs {
  std::string values_file;
  std::string text;
};

// The commands' work, callable without the parser (tests). Write to ctx.out; throw CliError.
void RunTemplateExpand(const TemplateExpandArgs& args, CliContext& ctx);
void RunTemplateTemplatize(const TemplateTemplatizeArgs& args, CliContext& ctx);

// Adds "template" with its "expand" and "templatize" subcommands to root.
void SetupTemplateCommands(CLI::App& root, CliContext& ctx);

}  // namespace quillora::cli
