// quillora-cli template expand / template templatize: the template language from the command line.
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

#include "cli/cli_context.h"

namespace quillora {
class TOptionsList;
}

namespace quillora::cli {

// Where the commands take their values from when --values is not given: the active profile.
// Installed by the products layer; it may run the start-up load (ctx.EnsureStarted()) and
// returns nullptr when there is no active profile. Without a source the commands fail with
// "no active profile: give --values FILE".
using TemplateProfileSource = std::function<const TOptionsList*(CliContext& ctx)>;
void SetTemplateProfileSource(TemplateProfileSource source);

struct TemplateExpandArgs {
  std::string values_file;  // empty: the active profile
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
