#include "cli/cmd_submit.h"

#include <algorithm>
#include <memory>
#include <ostream>

#include <CLI/CLI.hpp>

#include "cli/tab_separated.h"
#include "foundation/app_state.h"
#include "foundation/codepage.h"
#include "foundation/text_utils.h"
#include "net/headless_submit.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "sites/site.h"
#include "sites/site_filter.h"
#include "sites/site_list.h"
#include "sites/sites_view.h"

namespace quillora::cli {

namespace {

// The sites the Sites view shows, in its order.
std::vector<TWebSite*> VisibleSites() {
  TSiteList& list = SiteList();
  TSiteChoiceLists known;
  RefreshSites(list, SiteFilter(), nullptr, known);
  int sort = -1;
  TryStrToInt(Settings().GetString("Sites List Sort"), sort);
  std::vector<TWebSite*> sites;
  for (int pos : SortedSitePositions(list, TSitesSort::FromSetting(sort))) {
    if (TWebSite* site = list.SiteAt(pos); site && site->Visible) sites.push_back(site);
  }
  return sites;
}

std::string ResultLine(const std::string& uin, const TSubmitOutcome& outcome) {
  std::string line = uin + '\t' + SubmitResultName(outcome.result) + '\t' +
                     std::to_string(outcome.status) + '\t' + EscapeCell(outcome.final_url);
  switch (outcome.result) {
    case TSubmitResult::Rejected:
    case TSubmitResult::Failed:
      line += '\t' + EscapeCell(outcome.detail);
      break;
    case TSubmitResult::Ready:
      line += '\t' + outcome.submission.method + ' ' + outcome.submission.enctype;
      break;
    default:
      break;
  }
  return line + '\n';
}

// A dry run shows what would be sent: one indented "name=value" line per entry, a file as
// "name=@path".
std::string EntryLines(const TSubmitOutcome& outcome) {
  std::string text;
  for (const TFormEntry& entry : outcome.submission.entries) {
    text += '\t' + EscapeCell(WideToUtf8(entry.name)) + '=' + (entry.is_file ? "@" : "") +
            EscapeCell(WideToUtf8(entry.value)) + '\n';
  }
  return text;
}

}  // namespace

int RunSubmit(const SubmitArgs& args, CliContext& ctx) {
  ctx.EnsureStarted();
  if (!ActiveProfile().FindActiveProduct())
    throw CliError("no active product: choose one with 'product use UIN'");
  if (!SiteListReady()) throw CliError("the site list is not loaded");

  std::vector<TWebSite*> sites;
  for (const std::string& uin : args.uins) {
    TWebSite* site = SiteList().FindByUIN(uin);
    if (!site) {
      ctx.err << "error: no site with UIN " << uin << std::endl;
      continue;
    }
    if (std::find(sites.begin(), sites.end(), site) == sites.end()) sites.push_back(site);
  }
  if (args.all_visible) {
    for (TWebSite* site : VisibleSites()) {
      if (std::find(sites.begin(), sites.end(), site) == sites.end()) sites.push_back(site);
    }
  }
  if (sites.empty()) {
    ctx.err << "error: no site to submit to" << std::endl;
    return 1;
  }

  THeadlessOptions options;
  options.dry_run = args.dry_run;
  const TSubmitResult success = args.dry_run ? TSubmitResult::Ready : TSubmitResult::Accepted;
  bool all_succeeded = true;
  for (size_t i = 0; i < sites.size(); ++i) {
    TWebSite& site = *sites[i];
    const std::string uin = site.UIN();
    const TSubmitOutcome outcome = SubmitSite(site, options);
    ctx.out << ResultLine(uin, outcome);
    if (outcome.result == TSubmitResult::Ready) ctx.out << EntryLines(outcome);
    ctx.out.flush();
    if (outcome.result != success) all_succeeded = false;
    if (outcome.result == TSubmitResult::Accepted && !outcome.recorded)
      ctx.err << "error: the submission to " << uin << " could not be recorded" << std::endl;
    if (!ctx.quiet) {
      ctx.err << "[" << i + 1 << "/" << sites.size() << "] " << uin << ' '
              << SubmitResultName(outcome.result) << std::endl;
    }
  }
  return all_succeeded ? 0 : 4;
}

void SetupSubmitCommands(CLI::App& root, CliContext& ctx) {
  auto args = std::make_shared<SubmitArgs>();
  auto* submit = root.add_subcommand(
      "submit", "Submit the active product to sites without a browser and record what they accept");
  submit->add_option("UIN", args->uins, "The sites' UINs");
  submit->add_flag("--all-visible", args->all_visible,
                   "Every site the Sites view shows, in its order");
  submit->add_flag("--dry-run", args->dry_run, "Fill the forms and print them; send nothing");
  submit->callback([&ctx, args] {
    if (args->uins.empty() && !args->all_visible)
      throw CLI::ValidationError("submit", "name at least one site UIN or --all-visible");
    ctx.exit_status = RunSubmit(*args, ctx);
  });
}

}  // namespace quillora::cli
