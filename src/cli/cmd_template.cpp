#include "cli/cmd_template.h"

#include <memory>
#include <ostream>

#include <CLI/CLI.hpp>

#include "foundation/codepage.h"
#include "foundation/option_list.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "template/template.h"

namespace quillora::cli {

namespace {

// The list the command expands against: the --values file, else the active profile.
const TOptionsList& ValuesFor(const std::string& values_file, CliContext& ctx,
                              TOptionsList& loaded) {
  if (!values_file.empty()) {
    try {
      loaded.LoadFromTextFile(values_file);
    } catch (const std::exception& e) {
      throw CliError(e.what());
    }
    return loaded;
  }
  ctx.EnsureStarted();
  return ActiveProfile();
}

}  // namespace

void RunTemplateExpand(const TemplateExpandArgs& args, CliContext& ctx) {
  if (args.mode != "ansi" && args.mode != "utf8" && args.mode != "wide")
    throw CliError("unknown mode '" + args.mode + "': use ansi, utf8 or wide");
  TOptionsList loaded;
  const TOptionsList& values = ValuesFor(args.values_file, ctx, loaded);

  TExpandOptions options;
  options.save_dialog = [&args](const TSaveFileRequest&, std::string& path) {
    if (!args.save_as) return false;
    path = *args.save_as;
    return true;
  };

  std::string result = args.text;
  if (args.mode == "ansi")
    ExpandTemplate(values, kTemplateDelimiter, result, args.prefix, options);
  else if (args.mode == "utf8")
    ExpandTemplateUtf8(values, kTemplateDelimiter, result, args.prefix, options);
  else
    result = WideToUtf8(ExpandTemplateToWide(args.text, values, args.prefix, options));
  ctx.out << result << '\n';
}

void RunTemplateTemplatize(const TemplateTemplatizeArgs& args, CliContext& ctx) {
  TOptionsList loaded;
  const TOptionsList& values = ValuesFor(args.values_file, ctx, loaded);
  ctx.out << WideToUtf8(TemplatizeText(args.text, values)) << '\n';
}

void SetupTemplateCommands(CLI::App& root, CliContext& ctx) {
  CLI::App* group =
      root.add_subcommand("template", "Expand templates and turn texts into templates");
  group->require_subcommand(1);

  auto expand_args = std::make_shared<TemplateExpandArgs>();
  CLI::App* expand = group->add_subcommand("expand", "Write the expansion of TEMPLATE");
  expand->add_option("--values", expand_args->values_file,
                     "Option-list text file of values (default: the active profile)");
  expand->add_option("--prefix", expand_args->prefix, "Language prefix tried before every key");
  expand->add_option("--mode", expand_args->mode, "ansi (default), utf8 or wide")
      ->check(CLI::IsMember({"ansi", "utf8", "wide"}));
  auto save_as = std::make_shared<std::string>();
  CLI::Option* save_as_option =
      expand->add_option("--save-as", *save_as, "Path MAKEFILE's save dialog answers with");
  expand->add_option("TEMPLATE", expand_args->text, "The template text")->required();
  expand->callback([expand_args, save_as, save_as_option, &ctx] {
    if (save_as_option->count() > 0) expand_args->save_as = *save_as;
    RunTemplateExpand(*expand_args, ctx);
  });

  auto templatize_args = std::make_shared<TemplateTemplatizeArgs>();
  CLI::App* templatize =
      group->add_subcommand("templatize", "Replace the values found in TEXT by placeholders");
  templatize
      ->add_option("--values", templatize_args->values_file, "Option-list text file of values")
      ->required();
  templatize->add_option("TEXT", templatize_args->text, "The text")->required();
  templatize->callback([templatize_args, &ctx] { RunTemplateTemplatize(*templatize_args, ctx); });
}

}  // namespace quillora::cli
