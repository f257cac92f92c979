#include "cli/cmd_sites.h"

#include <memory>
#include <ostream>

#include <CLI/CLI.hpp>

#include "backup/backup.h"
#include "cli/tab_separated.h"
#include "foundation/app_state.h"
#include "foundation/files.h"
#include "foundation/stream.h"
#include "foundation/text_utils.h"
#include "pad/product_data.h"
#include "report/report.h"
#include "sites/site_filter.h"
#include "sites/site_list.h"
#include "sites/sites_view.h"

namespace quillora::cli {

namespace {

// A column list the core cannot read is a bad argument of the command.
std::vector<int> ColumnsArgument(std::vector<int> (*parse)(const std::string&),
                                 const std::string& list) {
  try {
    return parse(list);
  } catch (const std::runtime_error& e) {
    throw CliError(e.what());
  }
}

}  // namespace

void RunSitesList(const SitesListArgs& args, CliContext& ctx) {
  const std::vector<int> columns = ColumnsArgument(ParseSiteColumns, args.columns);
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
      text += EscapeCell(site->summary.text[static_cast<size_t>(columns[i])]);
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

void RunReport(const ReportArgs& args, CliContext& ctx) {
  TReportFormat format;
  if (args.format == "html")
    format = rfHtml;
  else if (args.format == "text")
    format = rfText;
  else
    throw CliError("Unknown report format '" + args.format + "' (html or text)");
  ctx.EnsureStarted();
  TOptionsList& settings = Settings();
  TReportData data;
  data.Build(settings.GetString("Report Columns Order"), settings.GetString("Sites List Order"));
  // The given columns, shown in that order; the others hidden after them.
  if (args.columns) data.ShowOnly(ColumnsArgument(ParseReportColumns, *args.columns));
  data.total = args.total;

  TSiteList& list = SiteList();
  TSiteChoiceLists known;
  RefreshSites(list, SiteFilter(), nullptr, known);
  int sort = -1;
  TryStrToInt(settings.GetString("Sites List Sort"), sort);
  const std::vector<int> order = SortedSitePositions(list, TSitesSort::FromSetting(sort));
  const std::string tml = Folders().data + "TML/Report.tml";

  std::vector<std::string> lines;
  if (!CollectExportReport(list, order, ActiveProfile(), data, format, tml, lines))
    throw CliReportedFailure();
  TOptionsList out;
  out.MutableLines() = std::move(lines);
  try {
    out.SaveToTextFile(args.out);
  } catch (const std::exception&) {
    throw CliError("Cannot save " + args.out);
  }
}

void SetupSitesCommands(CLI::App& root, CliContext& ctx) {
  auto* sites = root.add_subcommand("sites", "The site database");
  sites->require_subcommand(1);

  auto args = std::make_shared<SitesListArgs>();
  auto* list = sites->add_subcommand("list", "List the sites in the Sites view's order");
  list->add_option("--columns", args->columns, "Comma-separated column numbers (0..25)");
  list->add_flag("--all", args->all, "Every site, whatever the filter");
  list->add_option("--filter-category", args->category, "Categories (';'-separated)");
  list->add_option("--filter-language", args->language, "Languages (';'-separated)");
  list->add_option("--filter-status", args->status,
                   "ALL, Complete, Pending, Default, Failed or Skipped");
  list->add_option("--filter-search", args->search, "Search words (+required, -excluded)");
  list->add_option("--filter-rating", args->rating, "Rating range FROM-TO");
  list->add_flag("--show-disabled", args->show_disabled, "Disabled sites take part");
  list->callback([&ctx, args] { RunSitesList(*args, ctx); });

  auto folder = std::make_shared<std::string>();
  auto* exp = sites->add_subcommand("export", "Write the distribution copy of the database");
  exp->add_option("FOLDER", *folder)->required();
  exp->callback([&ctx, folder] { RunSitesExport(*folder, ctx); });

  auto rargs = std::make_shared<ReportArgs>();
  auto* report = root.add_subcommand("report", "Write the submission report of the active product");
  report->add_option("--format", rargs->format, "html or text")->required();
  report->add_option("--out", rargs->out, "The report file")->required();
  report->add_option("--columns", rargs->columns, "Comma-separated column numbers (0..23)");
  report->add_flag("--total", rargs->total,
                   "Every site and column (text: every product of the company)");
  report->callback([&ctx, rargs] { RunReport(*rargs, ctx); });

  auto file = std::make_shared<std::string>();
  auto* backup = root.add_subcommand("backup", "Write the user-info archive");
  backup->add_option("FILE", *file)->required();
  backup->callback([&ctx, file] {
    ctx.EnsureStarted();
    if (!BackupUserInfo(*file)) throw CliReportedFailure();
  });
  auto* restore = root.add_subcommand("restore", "Merge a user-info archive into the records");
  restore->add_option("FILE", *file)->required();
  restore->callback([&ctx, file] {
    ctx.EnsureStarted();
    if (!RestoreUserInfo(*file)) throw CliReportedFailure();
  });

  auto* ratings = root.add_subcommand("ratings", "Exchange the sites' ratings");
  ratings->require_subcommand(1);
  auto* rexp = ratings->add_subcommand("export", "Write the ratings file");
  rexp->add_option("FILE", *file)->required();
  rexp->callback([&ctx, file] {
    ctx.EnsureStarted();
    if (!ExportRatings(SiteList(), *file)) throw CliReportedFailure();
  });
  auto* rimp = ratings->add_subcommand("import", "Read a ratings file into the site files");
  rimp->add_option("FILE", *file)->required();
  rimp->callback([&ctx, file] {
    ctx.EnsureStarted();
    if (ImportRatings(SiteList(), *file) < 0) throw CliReportedFailure();
  });
}

}  // namespace quillora::cli
