#include "cli/cmd_settings.h"

#include <memory>
#include <ostream>

#include <CLI/CLI.hpp>

#include "core/core_context.h"
#include "core/startup_summary.h"
#include "foundation/app_state.h"

namespace quillora::cli {

void SetupSettingsCommands(CLI::App& root, CliContext& ctx) {
  auto* settings = root.add_subcommand("settings", "Read and change the settings list");
  settings->require_subcommand(1);

  // Option values live as long as the callbacks that read them.
  auto key = std::make_shared<std::string>();
  auto value = std::make_shared<std::string>();
  auto* get = settings->add_subcommand("get", "Print one setting's value");
  get->add_option("KEY", *key)->required();
  get->callback([&ctx, key] {
    ctx.EnsureStarted();
    ctx.out << Settings().GetString(*key) << '\n';
  });

  auto* set = settings->add_subcommand("set", "Change one setting (an empty value removes it)");
  set->add_option("KEY", *key)->required();
  set->add_option("VALUE", *value)->required();
  set->callback([&ctx, key, value] {
    ctx.EnsureStarted();
    Settings().SetString(*key, *value);
  });

  auto* list = settings->add_subcommand("list", "Print every setting as stored");
  list->callback([&ctx] {
    ctx.EnsureStarted();
    for (const std::string& line : Settings().Lines()) ctx.out << line << '\n';
  });

  auto* summary = root.add_subcommand(
      "summary", "Show the folders, the settings and the data tables loaded at start-up");
  summary->callback([&ctx] {
    ctx.EnsureStarted();
    ctx.out << StartupSummaryText(MakeStartupSummary(*ctx.core));
  });
}

}  // namespace quillora::cli
