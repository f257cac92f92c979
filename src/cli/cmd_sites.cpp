#include "cli/cmd_sites.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "foundation/app_data.h"
#include "foundation/files.h"
#include "foundation/text_utils.h"
#include "sites/site_filter.h"
#include "sites/site_list.h"
#include "sites/sites_startup.h"
#include "sites/sites_view.h"

namespace quillora::cli {

namespace {

std::vector<int> ParseColumns(const std::string& list) {
  std::vector<int> columns;
  for (int i = 0; i < CountFields(list, ','); ++i) {
    int c = 0;
    if (!TryStrToInt(NthField(list, i, ','), c) || c < 0 || c >= kSiteColumnCount)
      throw CliError("Bad column number in '" + list + "' (0.." + std::to_string(kSiteColumnCount - 1) + ")");
    columns.push_back(c);
  }
  return columns;
}

}  // namespace

void RunSitesList(const SitesListArgs& args, CliContext& ctx) {
  const std::vector<int> columns = ParseColumns(args.columns);
  ctx.EnsureStarted();
  TSiteFilter filter = SiteFilter();
  if (args.all) {
    filter = TSiteFilter{};
    filter.ShowDisabled = 1;
  }
  auto use = [&] { filter.ShowAll = 0; };
  if (args.category) use(), filter.Categories = *args.category == "ALL" ? "" : *args.category;
  if (args.language) use(), filter.Languages = *args.language == "ALL" ? "" : *args.language;
  if (args.status) use(), filter.Status = FilterStatusFromText(*args.status);
  if (args.search) use(), filter.SearchText = *args.search;
  if (args.rating) {
    use();
    const size_t dash = args.rating->find('-', 1);
    int from = 0, to = 0;
    if (dash == std::string::npos || !TryStrToInt(args.rating->substr(0, dash), from) ||
        !TryStrToInt(args.rating->substr(dash + 1), to))
      throw CliError("Bad rating range '" + *args.rating + "' (FROM-TO)");
    filter.RatingFrom = from;
    filter.RatingTo = to;
  }
  if (args.show_disabled) filter.ShowDisabled = 1;

  TSiteList& list = SiteList();
  TSiteChoiceLists known;
  RefreshSites(list, filter, nullptr, known);
  int sort = -1;
  TryStrToInt(Settings().GetString("Sites List Sort"), sort);
  const std::vector<int> order = SortedSitePositions(list, TSitesSort::FromSetting(sort));

  std::string text;
  for (size_t i = 0; i < columns.size(); ++i)
    text += std::string(i ? "\t" : "") + SiteColumnCaptions()[static_cast<size_t>(columns[i])];
  text += '\n';
  for (int pos : order) {
    const TWebSite* site = list.SiteAt(pos);
    if (!site->Visible) continue;
    for (size_t i = 0; i < columns.size(); ++i) {
      if (i) text += '\t';
      text += EscapeCell(site->Summary.Text[static_cast<size_t>(columns[i])]);
    }
    text += '\n';
  }
  ctx.out << text;
}

void RunSitesExport(const std::string& folder, CliContext& ctx) {
  ctx.EnsureStarted();
  if (!SiteList().ExportSites(IncludeTrailingPathDelimiter(folder)))
    throw CliError("Cannot export sites to " + folder);
}

void SetupSitesCommands(CLI::App& root, CliContext& ctx) {
  RegisterSitesStartup();
  auto* sites = root.add_subcommand("sites", "The site database");
  sites->require_subcommand(1);

  auto args = std::make_shared<SitesListArgs>();
  auto* list = sites->add_subcommand("list", "List the sites in the Sites view's order");
  list->add_option("--columns", args->columns, "Comma-separated column numbers (0..25)");
  list->add_flag("--all", args->all, "Every site, whatever the filter");
  list->add_option("--filter-category", args->category, "Categories (';'-separated)");
  list->add_option("--filter-language", args->language, "Languages (';'-separated)");
  list->add_option("--filter-status", args->status, "ALL, Complete, Pending, Default, Failed or Skipped");
  list->add_option("--filter-search", args->search, "Search words (+required, -excluded)");
  list->add_option("--filter-rating", args->rating, "Rating range FROM-TO");
  list->add_flag("--show-disabled", args->show_disabled, "Disabled sites take part");
  list->callback([&ctx, args] { RunSitesList(*args, ctx); });

  auto folder = std::make_shared<std::string>();
  auto* exp = sites->add_subcommand("export", "Write the distribution copy of the database");
  exp->add_option("FOLDER", *folder)->required();
  exp->callback([&ctx, folder] { RunSitesExport(*folder, ctx); });
}

}  // namespace quillora::cli
