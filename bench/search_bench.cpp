// The listing search's speed: a batch over 300 generated sites served by the demo sites server
// with 50 ms latency per page, 7 workers, against the ideal (300 x 50 ms / 7) and against
// `xargs -P 7 curl` fetching the same addresses in the same run; and the page judgement on a
// 64 KiB page in microseconds.

#include <chrono>
#include <cstdio>
#include <memory>
#include <regex>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "foundation/files.h"
#include "foundation/ui_port.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "search/auto_search.h"
#include "search/search_page.h"
#include "search/search_results.h"
#include "sites/site.h"
#include "sites/site_list.h"
#include "sites/sites_state.h"
#include "support/server_process.h"
#include "support/test_context.h"

extern char** environ;

namespace quillora {
namespace {

constexpr int kSites = 300;
constexpr int kThreads = 7;
constexpr int kLatencyMs = 50;

double Seconds(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

struct Server : test::TServerProcess {
  Server()
      : TServerProcess(QUILLORA_DEMO_SITES_PATH, {"--latency", std::to_string(kLatencyMs)}),
        port(Port()) {}
  int port;
};

std::string SiteUrl(int port, int i) {
  return "http://freshdownloads.localhost:" + std::to_string(port) +
         "/search.php?q=Sample+Notes&n=" + std::to_string(i);
}

void BatchAgainstCurl() {
  Server server;
  if (server.port == 0) {
    std::printf("search batch: the demo sites server did not start\n");
    return;
  }
  test::TestData data;
  TStartupOptions options = data.Options();
  options.load_records = true;
  auto core = data.Start(options);
  if (!core) return;
  TSiteList& list = SiteList();
  for (int i = 0; i < list.Count(); ++i) list.SiteAt(i)->Visible = 0;
  // Generated sites, each with its own address on the demo server (addresses name the real
  // port, so no override is needed).
  for (int i = 0; i < kSites; ++i) {
    auto site = std::make_unique<TWebSite>();
    site->Info.CommonInfo().SetString("Name", "Bench site " + std::to_string(i));
    TURLInfo& search = site->Info.URLs.Search();
    search.SetAddress("http://freshdownloads.localhost:" + std::to_string(server.port) +
                      "/search.php");
    search.SetKind(TURLKind::GET);
    search.SetQuery("q=|Quillora/Search_String|&n=" + std::to_string(i));
    list.Add(std::move(site));
  }

  TAutoSearch search(list, ActiveProfile());
  search.settings = {kThreads, 60, 1};
  int errors = 0;
  search.on_site_done = [&](TWebSite& site) {
    errors += SearchFlagOf(ActiveProfile(), site.UIN()) == kSearchError;
  };
  const auto t0 = std::chrono::steady_clock::now();
  search.RunToEnd();
  const double batch = Seconds(t0);

  const std::string urls = data.Dir() / "urls.txt";
  std::string text;
  for (int i = 0; i < kSites; ++i) text += SiteUrl(server.port, i) + "\n";
  StringToFile(urls, text);
  const auto t1 = std::chrono::steady_clock::now();
  const std::string command =
      "xargs -P " + std::to_string(kThreads) + " -n 1 curl -s -o /dev/null < '" + urls + "'";
  const int status = std::system(command.c_str());
  const double curl = Seconds(t1);

  const double ideal = kSites * kLatencyMs / 1000.0 / kThreads;
  std::printf("search batch: %d sites, %d threads, %d ms latency, %d errors\n", kSites, kThreads,
              kLatencyMs, errors);
  std::printf("  batch %.3f s, ideal %.3f s, xargs -P %d curl %.3f s (exit %d)\n", batch, ideal,
              kThreads, curl, status);
  std::printf("  ratio to ideal %.3f, ratio to curl %.3f (target <= 1.15)\n", batch / ideal,
              batch / curl);
}

void AnalysePage() {
  // A 64 KiB result page: rows of listings, a script, comments and entities, the product near
  // the end, no home link (so every step of the judgement runs).
  std::string page = "<html><head><script>\nvar x = '<b>Sample Notes</b>';\n</script></head><body>";
  for (int i = 0; page.size() < 65536 - 200; ++i)
    page += "<tr><td><a href=\"/p/" + std::to_string(i) + "\">Other&nbsp;program " +
            std::to_string(i) + "</a></td><!-- row --><td>A tool\tfor   things</td></tr>\n";
  page += "<p>Sample Notes 2.4.1</p></body></html>";
  page.resize(65536, ' ');

  TSearchSite site;
  site.search.SetAddress("http://site.localhost/search");
  site.options.SetString("MinMatch", "1");
  TSearchInputs inputs;
  inputs.search_string = "Sample Notes";
  inputs.company_url = "http://sample-company.localhost/";
  inputs.not_found = {"No results found", "Nothing found", "Your search did not match"};
  bool listed = false;
  double best = 1e9;
  for (int round = 0; round < 20; ++round) {
    const auto t = std::chrono::steady_clock::now();
    for (int i = 0; i < 20; ++i) listed = AnalyseSearchPage(site, inputs, page).listed;
    best = std::min(best, Seconds(t) / 20);
  }
  std::printf("AnalyseSearchPage on a 64 KiB page: %.1f us per page (%s)\n", best * 1e6,
              listed ? "listed" : "not listed");
}

}  // namespace
}  // namespace quillora

int main() {
  quillora::TSilentUserInterface ui;
  quillora::SetUI(&ui);
  quillora::AnalysePage();
  quillora::BatchAgainstCurl();
  quillora::SetUI(nullptr);
  return 0;
}
