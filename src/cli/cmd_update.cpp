#include "cli/cmd_update.h"

#include <memory>
#include <string>

#include <CLI/CLI.hpp>

#include "cli/progress_bar.h"
#include "foundation/app_state.h"
#include "foundation/ui_port.h"
#include "net/site_update.h"
#include "sites/site_list.h"

namespace quillora::cli {

namespace {

// The dialogs as text: their lines on stdout (results a script may read), the question through
// the port (--yes/--no, the terminal, or the safe answer).
class TCliUpdateFrontEnd : public TPortUpdateFrontEnd {
 public:
  explicit TCliUpdateFrontEnd(std::ostream& out) : out_(out) {}

  bool ConfirmUpdate(const TUpdateLists& lists) override {
    for (const std::string& line : UpdateDialogLines(lists)) out_ << line << '\n';
    out_.flush();
    return AskYesNo("Update sites?");
  }

  TUpgradeAnswer AskUpgrade(const std::string& server_build,
                            const std::string& program_build) override {
    for (const std::string& line : UpgradeDialogLines(server_build, program_build))
      out_ << line << '\n';
    out_.flush();
    switch (UI().AskYesNoCancel("Upgrade (yes), continue anyway (no) or cancel?")) {
      case TYesNoCancel::Yes:
        return TUpgradeAnswer::Upgrade;
      case TYesNoCancel::No:
        return TUpgradeAnswer::Continue;
      default:
        return TUpgradeAnswer::Cancel;
    }
  }

 private:
  std::ostream& out_;
};

}  // namespace

int RunUpdateCheck(CliContext& ctx) {
  const TUpdateServer server = ReadUpdateServer(Settings());
  TTransferResult transfer = trNoError;
  const bool newer = CheckForUpdate(server, Settings().GetString("Server Base Exported"),
                                    Folders().temp, nullptr, &transfer);
  if (transfer != trNoError) {
    ctx.err << "error: " << TransferResultText(transfer) << std::endl;
    return kUpdateCheckFailed;
  }
  ctx.out << (newer ? "newer" : "not newer") << '\n';
  return newer ? kUpdateNewer : kUpdateNotNewer;
}

int RunUpdate(CliContext& ctx) {
  TCliUpdateFrontEnd front_end(ctx.out);
  TCliProgress progress(ctx);
  TSiteUpdate update(SiteList(), Settings(), Folders().data, front_end, progress.Window());
  const TUpdateOutcome outcome = update.Run();
  if (outcome.nothing_to_do) return 0;
  if (outcome.declined) {
    ctx.err << "error: the update was not carried out" << std::endl;
    return 1;
  }
  if (!outcome.updated) {
    // Transfer failures and the server's page were shown already; an unexpected failure was not.
    if (!outcome.error.empty()) ctx.err << "error: " << outcome.error << std::endl;
    return 1;
  }
  return outcome.interrupted || outcome.sites_failed > 0 ? 1 : 0;
}

void SetupUpdateCommands(CLI::App& root, CliContext& ctx) {
  auto* update = root.add_subcommand(
      "update", "Update the site database from the \"Sites Repository\" setting");
  auto check = std::make_shared<bool>(false);
  update->add_flag("--check", *check,
                   "Only report whether the server's database is newer (exit 0 newer, 3 not "
                   "newer, 1 failed)");
  update->callback([check, &ctx] {
    ctx.load_records = false;
    if (*check) ctx.load_sites = false;
    ctx.EnsureStarted();
    const int status = *check ? RunUpdateCheck(ctx) : RunUpdate(ctx);
    if (status == kUpdateNotNewer && *check)
      ctx.exit_status = kUpdateNotNewer;
    else if (status != 0)
      throw CliReportedFailure();
  });
}

}  // namespace quillora::cli
