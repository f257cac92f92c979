#include "cli/cmd_search_remote.h"

#include <chrono>
#include <ostream>
#include <thread>

#include <CLI/CLI.hpp>

#include "foundation/ui_port.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "pad/records.h"
#include "search/remote_search.h"
#include "search/search_results.h"
#include "sites/site_list.h"
#include "sites/sites_state.h"

namespace quillora::cli {

namespace {

std::string ActiveProductUin() {
  return ActiveProfile().GetString("Quillora/Product_UIN");
}

// The service's texts and the log lines end lines with CR LF; a terminal wants LF.
std::string WithLineFeeds(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  return out;
}

// Prints text as whole lines: one LF at its end, however it ended.
void PrintLines(CliContext& ctx, const std::string& text) {
  std::string lines = WithLineFeeds(text);
  if (lines.empty() || lines.back() != '\n') lines += '\n';
  ctx.out << lines;
}

TRemoteSearch MakeSearch(CliContext& ctx) {
  const std::string uin = ActiveProductUin();
  if (uin.empty()) throw CliError("no active product");
  return TRemoteSearch(TRemoteSearchSettings::FromProgram(), uin,
                       [&ctx](const std::string& line) { PrintLines(ctx, line); });
}

void RequireService() {
  if (TRemoteSearchSettings::FromProgram().url.empty())
    throw CliError("the setting \"Autosearch2_URL\" names no search service");
}

// Judges the stored pages and keeps the results with the product, as closing the window does.
void ParseAndStore(CliContext& ctx, TRemoteSearch& search) {
  TProfile& profile = ActiveProfile();
  search.Parse(SiteList(), profile);
  if (!StoreSearchResults(profile)) throw CliReportedFailure();
  PrintLines(ctx, "\r\n-= PROCESS COMPLETE =-\r\n");
}

void Fetch(CliContext& ctx, TRemoteSearch& search) {
  if (!search.PrepareFolder([](const std::string& q) { return AskYesNo(q); }))
    throw CliReportedFailure();
  if (!search.StartDownload()) throw CliReportedFailure();
  ctx.out << "Downloading search results..."
          << "\n";
  // Blocks are asked for again without end while the service misbehaves: give up once nothing
  // has moved for a whole time-out. The state file stays, so the next fetch resumes.
  const auto timeout = std::chrono::seconds(TRemoteSearchSettings::FromProgram().timeout_seconds);
  auto last_move = std::chrono::steady_clock::now();
  std::pair<int64_t, int64_t> seen{-2, -2};
  while (!search.Download()->Finished()) {
    search.PollDownload();
    ProcessMessages();
    const std::pair<int64_t, int64_t> now{search.Download()->Received(),
                                          search.Download()->Total()};
    if (now != seen) {
      seen = now;
      last_move = std::chrono::steady_clock::now();
    } else if (std::chrono::steady_clock::now() - last_move > timeout) {
      search.StopDownload();
      PrintLines(ctx, "ERROR: The search service sent no block for " +
                          std::to_string(timeout.count()) + " seconds");
      throw CliReportedFailure();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (search.UnpackArchive() < 0) throw CliReportedFailure();
  ParseAndStore(ctx, search);
}

std::string CurrentState(TRemoteSearch& search, std::vector<std::string>& lines) {
  if (!search.RequestStatus(lines)) throw CliReportedFailure();
  const TStatusReply reply = ParseStatusReply(lines);
  return reply.valid && !lines.empty() ? JobStateWord(reply.current) : std::string();
}

}  // namespace

void SetupSearchRemoteCommands(CLI::App& root, CliContext& ctx) {
  CLI::App* search_cmd = nullptr;
  for (CLI::App* sub : root.get_subcommands([](CLI::App* a) { return a->get_name() == "search"; }))
    search_cmd = sub;
  if (!search_cmd) search_cmd = root.add_subcommand("search", "Listing verification");
  search_cmd->require_subcommand(1);
  auto* remote = search_cmd->add_subcommand(
      "remote", "The remote search service's job for the active product");
  remote->require_subcommand(1);

  remote
      ->add_subcommand("start",
                       "Send the job, start its processing or fetch its result, by its state; "
                       "without a service, fetch the pages here")
      ->callback([&ctx] {
        ctx.EnsureStarted();
        TRemoteSearch search = MakeSearch(ctx);
        TRemoteSearchSettings settings = TRemoteSearchSettings::FromProgram();
        if (settings.url.empty()) {
          if (!search.PrepareFolder([](const std::string& q) { return AskYesNo(q); }))
            throw CliReportedFailure();
          search.FetchLocally(SiteList());
          ParseAndStore(ctx, search);
          return;
        }
        std::vector<std::string> lines;
        const std::string state = CurrentState(search, lines);
        const int index = JobStateIndex(state);
        if (index <= 0) {
          std::vector<std::string> job;
          TSiteList& sites = SiteList();
          const auto expand = ProfileTemplateExpander(ActiveProfile());
          for (int i = 0; i < sites.Count(); ++i)
            if (sites.SiteAt(i)->Visible) job.push_back(JobLine(*sites.SiteAt(i), expand));
          ctx.out << "Sending a request..."
                  << "\n";
          if (!search.SubmitJob(job) || !search.StartProcessing()) throw CliReportedFailure();
          ctx.out << "Processing started"
                  << "\n";
        } else if (index == 2) {
          if (!search.StartProcessing()) throw CliReportedFailure();
          ctx.out << "Processing started"
                  << "\n";
        } else if (index == 4) {
          Fetch(ctx, search);
        } else if (index == 6) {
          ctx.out << "No response from server"
                  << "\n";
          throw CliReportedFailure();
        } else {
          ctx.out << DescribeStatusLine(ParseStatusReply(lines).current) << "\n";
        }
      });
  remote->add_subcommand("status", "Show the job status of the active product and the others")
      ->callback([&ctx] {
        ctx.EnsureStarted();
        RequireService();
        TRemoteSearch search = MakeSearch(ctx);
        std::vector<std::string> lines;
        if (!search.RequestStatus(lines)) throw CliReportedFailure();
        const TProductList& products = ProductList();
        PrintLines(ctx, StatusViewText(lines,
                                       [&](const std::string& uin) {
                                         const TRecord* r = products.FindByUin(uin);
                                         return r ? r->GetString("Program_Info/Program_Name")
                                                  : std::string();
                                       },
                                       {}));
      });
  remote
      ->add_subcommand("fetch",
                       "Download the result archive (resuming), unpack it and parse the pages")
      ->callback([&ctx] {
        ctx.EnsureStarted();
        RequireService();
        TRemoteSearch search = MakeSearch(ctx);
        Fetch(ctx, search);
      });
  remote->add_subcommand("parse", "Judge the stored pages of the active product")->callback([&ctx] {
    ctx.EnsureStarted();
    TRemoteSearch search = MakeSearch(ctx);
    ParseAndStore(ctx, search);
  });
  remote->add_subcommand("stop", "Stop the processing of the active product's job")
      ->callback([&ctx] {
        ctx.EnsureStarted();
        RequireService();
        TRemoteSearch search = MakeSearch(ctx);
        std::vector<std::string> lines;
        if (CurrentState(search, lines) != "Processing") {
          ctx.out << "The job is not being processed"
                  << "\n";
          return;
        }
        if (!search.StopProcessing()) throw CliReportedFailure();
      });
}

}  // namespace quillora::cli
