#include "cli/cli_app.h"

#include <algorithm>
#include <iostream>

#include <CLI/CLI.hpp>

#include "cli/cli_context.h"
#include "cli/cli_ui.h"
#include "cli/cmd_fill.h"
#include "cli/cmd_lzh.h"
#include "cli/cmd_mail.h"
#include "cli/cmd_pad.h"
#include "cli/cmd_page.h"
#include "cli/cmd_records.h"
#include "cli/cmd_search.h"
#include "cli/cmd_search_remote.h"
#include "cli/cmd_settings.h"
#include "cli/cmd_site.h"
#include "cli/cmd_sites.h"
#include "cli/cmd_submit.h"
#include "cli/cmd_template.h"
#include "cli/cmd_transfer.h"
#include "cli/cmd_update.h"
#include "core/core_context.h"

namespace quillora::cli {

CliContext::CliContext(std::ostream& o, std::ostream& e) : out(o), err(e) {}

CliContext::~CliContext() = default;

void CliContext::EnsureStarted() {
  if (core) return;
  TStartupOptions options;
  options.data_dir = data_dir;
  options.user_dir = user_dir;
  options.load_sites = load_sites;
  options.load_records = load_records;
  options.site_cache = !no_site_cache;
  core = TCoreContext::Start(options);
  if (!core) throw CliReportedFailure();
}

void CliContext::Finish() {
  if (!core) return;
  core->Shutdown();
  core.reset();
}

int RunCli(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
           std::ostream& err, bool interactive) {
  CliContext ctx{out, err};
  CLI::App app{"quillora-cli: the program's work without windows", "quillora-cli"};
  app.set_version_flag("--version", std::string("quillora-cli ") + QUILLORA_VERSION + " (build " +
                                        QUILLORA_BUILD + ")");
  app.option_defaults()->always_capture_default(false);
  app.add_option("--data-dir", ctx.data_dir, "The data folder")->type_name("DIR");
  app.add_option("--user-dir", ctx.user_dir, "The user folder")->type_name("DIR");
  auto* yes = app.add_flag("--yes", ctx.yes, "Answer Yes to every question");
  app.add_flag("--no", ctx.no, "Answer No to every question")->excludes(yes);
  app.add_flag("--quiet", ctx.quiet, "No progress output");
  app.add_flag("--no-site-cache", ctx.no_site_cache,
               "Load every site file instead of using the site-summary cache");
  app.require_subcommand(1);
  app.fallthrough();

  SetupSettingsCommands(app, ctx);
  SetupTemplateCommands(app, ctx);
  SetupLzhCommands(app, ctx);
  SetupSiteCommands(app, ctx);
  SetupRecordCommands(app, ctx);
  SetupFillCommands(app, ctx);
  SetupSitesCommands(app, ctx);
  SetupTransferCommands(app, ctx);
  SetupPageCommands(app, ctx);
  SetupMailCommands(app, ctx);
  SetupUpdateCommands(app, ctx);
  SetupSubmitCommands(app, ctx);
  SetupPadCommands(app, ctx);
  SetupSearchCommands(app, ctx);
  SetupSearchRemoteCommands(app, ctx);

  // The port must exist before any command runs; its answers come from the global options.
  TCliUserInterface ui(in, err, TCliUserInterface::Answer::Ask, interactive);
  ctx.ui = &ui;
  SetUI(&ui);
  struct Restore {
    ~Restore() { SetUI(nullptr); }
  } restore;
  app.parse_complete_callback([&] {
    ui.SetAnswer(ctx.yes  ? TCliUserInterface::Answer::Yes
                 : ctx.no ? TCliUserInterface::Answer::No
                          : TCliUserInterface::Answer::Ask);
  });

  int status = 0;
  try {
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    app.parse(reversed);
    status = ctx.exit_status;
  } catch (const CLI::CallForHelp& e) {
    status = app.exit(e, out, err);
  } catch (const CLI::CallForAllHelp& e) {
    status = app.exit(e, out, err);
  } catch (const CLI::CallForVersion& e) {
    status = app.exit(e, out, err);
  } catch (const CLI::ParseError& e) {
    app.exit(e, out, err);
    status = 2;
  } catch (const CliReportedFailure&) {
    status = 1;
  } catch (const std::exception& e) {
    err << "error: " << e.what() << std::endl;
    status = 1;
  }
  ctx.Finish();
  out.flush();
  return status;
}

}  // namespace quillora::cli
