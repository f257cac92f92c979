#include "cli/cmd_search.h"

#include <memory>
#include <ostream>

#include <CLI/CLI.hpp>

#include "cli/progress_bar.h"
#include "cli/tab_separated.h"
#include "foundation/app_state.h"
#include "foundation/files.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "search/auto_search.h"
#include "search/search_page.h"
#include "search/search_results.h"
#include "sites/site.h"
#include "sites/site_list.h"
#include "sites/sites_view.h"

namespace quillora::cli {

namespace {

TWebSite& SiteArgument(const std::string& uin) {
  TWebSite* site = SiteList().FindByUIN(uin);
  if (!site) throw CliError("No site with UIN '" + uin + "'");
  return *site;
}

}  // namespace

void RunSearchAnalyse(const std::string& uin, const std::string& page_file, CliContext& ctx) {
  ctx.EnsureStarted();
  const TWebSite& site = SiteArgument(uin);
  std::string page;
  try {
    page = FileToString(page_file);
  } catch (const std::exception& e) {
    throw CliError(e.what());
  }
  const TSearchVerdict verdict = AnalyseSearchPage(site, page);
  ctx.out << (verdict.listed ? kSearchFound : kSearchNotFound) << '\t' << verdict.details << '\n';
}

void RunSearchRun(const TSearchRunArgs& args, CliContext& ctx) {
  ctx.EnsureStarted();
  TSiteList& list = SiteList();
  TSiteChoiceLists known;
  RefreshSites(list, SiteFilter(), nullptr, known);
  if (args.site) {
    TWebSite& only = SiteArgument(*args.site);
    for (int i = 0; i < list.Count(); ++i) list.SiteAt(i)->Visible = 0;
    only.Visible = 1;
  }

  TProfile& profile = ActiveProfile();
  TAutoSearch search(list, profile);
  // The options are for this run: the stored batch settings stay as they were.
  const TAutoSearchSettings stored = TAutoSearchSettings::FromSettings();
  search.settings = stored;
  if (args.threads) search.settings.threads = *args.threads;
  if (args.timeout) search.settings.timeout = *args.timeout;
  if (args.attempts) search.settings.attempts = *args.attempts;
  search.port = static_cast<uint16_t>(args.port);
  search.reset_hidden_sites = !args.site;
  // A bar on a terminal, otherwise one line per finished site.
  TCliProgress progress(ctx);
  search.on_site_done = [&](TWebSite& site) {
    const int done = search.ProcessedCount(), total = search.EligibleCount();
    progress.Step(done, total, site.Name());
    progress.Finished(TAutoSearch::ProgressText(done, total) + "  " + site.Name() + ": " +
                      SearchFlagOf(profile, site.UIN()));
  };
  search.RunToEnd();
  progress.Clear();
  stored.Store();

  if (!StoreSearchResults(profile)) throw CliReportedFailure();
  std::string text;
  for (int i = 0; i < list.Count(); ++i) {
    const TWebSite* site = list.SiteAt(i);
    if (!site->Visible) continue;
    const std::string uin = site->UIN();
    text += uin + '\t' + EscapeCell(site->Name()) + '\t' + SearchFlagOf(profile, uin) + '\t' +
            EscapeCell(SearchDetailsOf(profile, uin)) + '\n';
  }
  ctx.out << text;
}

void SetupSearchCommands(CLI::App& root, CliContext& ctx) {
  auto* search = root.add_subcommand("search", "The listing search of the active product");
  search->require_subcommand(1);

  auto* analyse = search->add_subcommand("analyse", "Judge a saved search result page");
  auto uin = std::make_shared<std::string>();
  auto page = std::make_shared<std::string>();
  analyse->add_option("--site", *uin, "The site's UIN")->required();
  analyse->add_option("PAGE", *page, "The result page (HTML)")->required();
  analyse->callback([&ctx, uin, page] { RunSearchAnalyse(*uin, *page, ctx); });

  auto* run = search->add_subcommand("run", "The batch listing search over the visible sites");
  auto args = std::make_shared<TSearchRunArgs>();
  run->add_option("--threads", args->threads, "Workers at a time")->check(CLI::Range(1, 100));
  run->add_option("--timeout", args->timeout, "Seconds a site may take")->check(CLI::Range(1, 600));
  run->add_option("--attempts", args->attempts, "Attempts per site")->check(CLI::Range(1, 100));
  run->add_option("--site", args->site, "Search this site only (its UIN)");
  // For tests and benchmarks against a local server: every request goes to this port.
  run->add_option("--port", args->port)->check(CLI::Range(0, 65535))->group("");
  run->callback([&ctx, args] { RunSearchRun(*args, ctx); });
}

}  // namespace quillora::cli
