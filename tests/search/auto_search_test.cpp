// The listing search end to end: the batch over the shipped demo database against the real demo
// sites server (an ephemeral port; the requests are sent to it through the fetcher's port
// override, since the shipped addresses name port 8765), the external search page's replies,
// and the command line's search commands.

#include "search/auto_search.h"

#include <chrono>
#include <cstdio>
#include <httplib.h>
#include <map>
#include <regex>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "foundation/app_state.h"
#include "foundation/files.h"
#include "foundation/text_utils.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "search/remote_search.h"
#include "search/search_results.h"
#include "search/search_single.h"
#include "search/search_thread.h"
#include "sites/site.h"
#include "sites/site_list.h"
#include "sites/sites_state.h"
#include "support/core_test.h"
#include "support/demo_state.h"
#include "support/server_process.h"

extern char** environ;

namespace quillora {
namespace {

using Json = nlohmann::json;

// The demo sites server (or another of our servers) on an ephemeral port.
struct DemoServer : test::TServerProcess {
  explicit DemoServer(const std::vector<std::string>& args,
                      const std::string& program = QUILLORA_DEMO_SITES_PATH)
      : TServerProcess(program, args), port(Port()) {
    EXPECT_GT(port, 0) << ReadyLine();
  }
  int port;
};

class AutoSearchTest : public test::CoreTest {
 protected:
  void SetUp() override {
    options_.load_records = true;
    Start();
  }
};

TEST_F(AutoSearchTest, BatchGivesEveryDemoSiteItsVerdictAndRetriesTheSlowOne) {
  const std::string state = data_.Dir() / "demo-state.json";
  test::WriteSubmittedState(state);
  DemoServer server({"--state", state, "--slow-search", "20000"});

  TProfile& profile = ActiveProfile();
  // A verdict of an earlier run must go.
  SetSearchFlag(profile, "SITE-DEMO-07", kSearchFound);
  TAutoSearch search(SiteList(), profile);
  search.settings = {3, 1, 2};
  search.port = static_cast<uint16_t>(server.port);
  std::vector<std::string> log, labels, done;
  search.on_log = [&](const std::string& line) { log.push_back(line); };
  search.on_label = [&](const std::string& text) { labels.push_back(text); };
  search.on_site_done = [&](TWebSite& site) { done.push_back(site.UIN()); };
  ASSERT_TRUE(search.RunToEnd());

  const std::map<std::string, std::pair<std::string, std::string>> expected = {
      {"SITE-DEMO-01", {"FOUND", ""}},
      {"SITE-DEMO-02", {"FOUND", ""}},
      // A framework's field name, "ctl00$q"; the site has its own "not found" phrase.
      {"SITE-DEMO-03", {"FOUND", "Custom \"not found\" string not found"}},
      {"SITE-DEMO-04", {"FOUND", ""}},
      {"SITE-DEMO-05", {"FOUND", "Custom \"not found\" string not found"}},
      {"SITE-DEMO-06", {"FOUND", ""}},  // through the redirect
      {"SITE-DEMO-07", {"ERROR", ""}},  // the slow one
      {"SITE-DEMO-08", {"ERROR", "ERROR: Internal Server Error"}},
      {"SITE-DEMO-09", {"FOUND", ""}},
      {"SITE-DEMO-10", {"FOUND", ""}},
      {"SITE-DEMO-11", {"FOUND", ""}},
      {"SITE-DEMO-12", {"FOUND", ""}},
  };
  for (const auto& [uin, verdict] : expected) {
    EXPECT_EQ(SearchFlagOf(profile, uin), verdict.first) << uin;
    const std::string details = SearchDetailsOf(profile, uin);
    if (!verdict.second.empty()) {
      EXPECT_EQ(details, verdict.second) << uin;
    } else if (verdict.first == "FOUND") {
      EXPECT_NE(details.find("Sample Notes"), std::string::npos) << uin << ": " << details;
    }
  }
  EXPECT_EQ(SearchDetailsOf(profile, "SITE-DEMO-07").rfind("ERROR: ", 0), 0u);
  // Failed sites were tried up to the limit, the others once.
  EXPECT_EQ(SiteList().FindByUIN("SITE-DEMO-07")->SearchAttempts, 2);
  EXPECT_EQ(SiteList().FindByUIN("SITE-DEMO-08")->SearchAttempts, 2);
  EXPECT_EQ(SiteList().FindByUIN("SITE-DEMO-01")->SearchAttempts, 1);
  EXPECT_EQ(done.size(), 12u);
  EXPECT_EQ(search.ProcessedCount(), 12);
  ASSERT_GE(labels.size(), 2u);
  EXPECT_EQ(labels.front(), "Starting Threads...");
  EXPECT_EQ(labels[labels.size() - 2], "12 of 12 sites processed ( 100% )");
  EXPECT_EQ(labels.back(), "Process Complete");
  bool logged = false;
  for (size_t i = 0; i + 2 < log.size(); ++i)
    if (log[i] == "File Galaxy    Verdict: ERROR")
      logged = log[i + 1] == "ERROR: Internal Server Error" && log[i + 2].empty();
  EXPECT_TRUE(logged);

  // Stored with the product.
  ASSERT_TRUE(StoreSearchResults(profile));
  const TProduct* product = profile.FindActiveProduct();
  ASSERT_NE(product, nullptr);
  EXPECT_EQ(product->SearchFlag.GetString("SITE-DEMO-01"), "FOUND");
  EXPECT_EQ(product->SearchFlag.GetString("SITE-DEMO-08"), "ERROR");
}

TEST_F(AutoSearchTest, NoEligibleSiteStillClearsAndMarksUnsupported) {
  TProfile& profile = ActiveProfile();
  TSiteList& list = SiteList();
  for (int i = 0; i < list.Count(); ++i) list.SiteAt(i)->Visible = 0;
  TWebSite* off = list.FindByUIN("SITE-DEMO-02");
  off->Info.SearchOptions().SetString("AutoSearch", "FALSE");
  SetSearchFlag(profile, "SITE-DEMO-01", kSearchFound);
  TAutoSearch search(list, profile);
  EXPECT_FALSE(search.Start());
  EXPECT_FALSE(search.Running());
  EXPECT_EQ(SearchFlagOf(profile, "SITE-DEMO-01"), "");
  EXPECT_EQ(SearchFlagOf(profile, "SITE-DEMO-02"), "NOT SUPPORTED");
}

// The external search page: the reply is the verdict, as it stands.
TEST_F(AutoSearchTest, ExternalRepliesAreTheVerdict) {
  httplib::Server server;
  std::string reply, target;
  std::mutex mutex;
  server.Get("/as.php", [&](const httplib::Request& req, httplib::Response& res) {
    std::lock_guard lock(mutex);
    target = req.target;
    res.set_content(reply, "text/plain");
  });
  const int port = server.bind_to_any_port("127.0.0.1");
  std::thread thread([&] { server.listen_after_bind(); });
  // Bound already: the first request waits in the queue if the loop is not running yet.

  TProfile& profile = ActiveProfile();
  TWebSite& site = *SiteList().FindByUIN("SITE-DEMO-01");
  auto inputs = std::make_shared<TSearchInputs>(*TSearchInputs::FromProgram());
  inputs->external = true;
  inputs->external_url = "http://127.0.0.1:" + std::to_string(port) + "/as.php";

  reply = " ";
  TSearchThread worker(site, 0, inputs, profile, 5);
  int result = -2;
  worker.on_finished = [&](TSearchThread&, int r, bool) { result = r; };
  worker.Start();
  UI().ProcessMessagesUntil([&] { return worker.Ended(); });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(SearchFlagOf(profile, "SITE-DEMO-01"), "FOUND");
  EXPECT_EQ(SearchDetailsOf(profile, "SITE-DEMO-01"), " ");
  EXPECT_EQ(target.rfind("/as.php?Kind=GET&Address=http%3A%2F%2Ffreshdownloads.localhost", 0), 0u)
      << target;
  EXPECT_NE(target.find("&SearchString=Sample+Notes&CustomNotFound=&MinMatch=-1&SiteUIN="
                        "SITE-DEMO-01&Hash="),
            std::string::npos)
      << target;

  // An empty reply: not listed, empty details; the single test keeps the reply as the page.
  reply.clear();
  TSearchSingle single(site, profile);
  single.inputs = inputs;
  EXPECT_FALSE(single.Press());
  EXPECT_EQ(single.ButtonCaption(), "Stop");
  single.WaitUntilFinished();
  EXPECT_EQ(single.ButtonCaption(), "Close");
  EXPECT_TRUE(single.ResultsEnabled());
  EXPECT_EQ(SearchFlagOf(profile, "SITE-DEMO-01"), "NOT FOUND");
  EXPECT_EQ(SearchDetailsOf(profile, "SITE-DEMO-01"), "");
  EXPECT_TRUE(FileExists(TSearchSingle::ResultsFile()));
  EXPECT_EQ(FileToString(TSearchSingle::ResultsFile()), "");
  EXPECT_TRUE(single.Press());

  server.stop();
  thread.join();
}

// The second batch window's local fetch: its progress per site, and a stop that leaves the
// remaining sites alone.
TEST_F(AutoSearchTest, LocalFetchReportsEachSiteAndStops) {
  const std::string state = data_.Dir() / "demo-state.json";
  test::WriteSubmittedState(state);
  DemoServer server({"--state", state, "--slow-search", "0"});
  // The shipped search addresses name port 8765.
  const std::string to = ".localhost:" + std::to_string(server.port);
  for (int i = 0; i < SiteList().Count(); ++i) {
    TURLInfo& search = SiteList().SiteAt(i)->Info.URLs.Record("Search");
    std::string address = search.Address();
    if (const size_t at = address.find(".localhost:8765"); at != std::string::npos)
      address.replace(at, 15, to);
    search.SetAddress(address);
  }
  std::vector<std::string> log;
  TRemoteSearchSettings settings = TRemoteSearchSettings::FromProgram();
  settings.threads = 1;
  settings.attempts = 1;
  TRemoteSearch remote(settings, "PROD-TEST", [&](const std::string& l) { log.push_back(l); });
  ASSERT_TRUE(remote.PrepareFolder({}));

  std::vector<std::pair<int, int>> progress;
  remote.on_fetched = [&](int done, int total) { progress.emplace_back(done, total); };
  // One site fails on the server's side: its page is not stored.
  EXPECT_EQ(remote.FetchLocally(SiteList()), 11);
  ASSERT_EQ(progress.size(), 12u);
  for (int k = 0; k < 12; ++k) EXPECT_EQ(progress[k], std::make_pair(k + 1, 12));
  EXPECT_EQ(log.size(), 12u);
  EXPECT_TRUE(FileExists(remote.ProductFolder() + "SITE-DEMO-01.htm"));

  // A stop after the second site: no further site is fetched, and only those two are logged.
  ASSERT_TRUE(remote.PrepareFolder({}));
  progress.clear();
  log.clear();
  remote.on_fetched = [&](int done, int total) {
    progress.emplace_back(done, total);
    if (done == 2) remote.RequestStop();
  };
  EXPECT_LE(remote.FetchLocally(SiteList()), 2);
  EXPECT_EQ(progress.size(), 2u);
  EXPECT_EQ(log.size(), 2u);
  EXPECT_LE(ListFiles(remote.ProductFolder(), "*.htm").size(), 2u);
  // The next run starts afresh.
  remote.on_fetched = {};
  EXPECT_EQ(remote.FetchLocally(SiteList()), 11);
}

std::string RunCommand(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return out;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, p)) > 0;) out.append(buffer, n);
  pclose(p);
  return out;
}

TEST(SearchCommandLine, RunOneSiteAndAnalyseAPage) {
  test::TestData data;
  const std::string state = data.Dir() / "demo-state.json";
  test::WriteSubmittedState(state);
  DemoServer server({"--state", state});
  const std::string cli = std::string(QUILLORA_CLI_PATH) + " --quiet --data-dir '" +
                          data.DataDir() + "' --user-dir '" + data.UserDir() + "' ";
  const std::string out =
      RunCommand(cli + "search run --site SITE-DEMO-09 --port " + std::to_string(server.port));
  EXPECT_EQ(out, "SITE-DEMO-09\tPAD Depot\tFOUND\tSample Notes - PAD file received\n");

  const std::string page = data.Dir() / "page.html";
  StringToFile(page, "<html><body><p>Nothing found</p><p>Sample Notes</p></body></html>");
  EXPECT_EQ(RunCommand(cli + "search analyse --site SITE-DEMO-01 '" + page + "'"),
            "NOT FOUND\tDefault \"not found\" string match\n");
  StringToFile(page, "<p><a href=\"http://sample-company.localhost/\">Sample Notes</a> 2.4.1</p>");
  EXPECT_EQ(RunCommand(cli + "search analyse --site SITE-DEMO-01 '" + page + "'"),
            "FOUND\tSample Notes 2.4.1\n");
}

// The remote search end to end: the job goes to the reference search service, which fetches every
// demo site's search page; the archive comes back, and the verdicts equal the local search's.
TEST(SearchCommandLine, RemoteSearchThroughTheServiceGivesTheLocalVerdicts) {
  test::TestData data;
  const std::string state = data.Dir() / "demo-state.json";
  test::WriteSubmittedState(state);
  DemoServer sites({"--state", state, "--slow-search", "100"});
  const std::string cli = std::string(QUILLORA_CLI_PATH) + " --quiet --yes --data-dir '" +
                          data.DataDir() + "' --user-dir '" + data.UserDir() + "' ";
  // The service fetches the addresses the job names: point the sites at this server's port.
  const std::string folder = data.DataDir() + "Sites/";
  for (const std::string& name : ListFiles(folder, "*.wsd")) {
    const std::string file = folder + name, json = data.Dir() / "site.json";
    std::string dump = RunCommand(std::string(QUILLORA_CLI_PATH) + " site dump '" + file + "'");
    StringToFile(json,
                 std::regex_replace(dump, std::regex(":8765"), ":" + std::to_string(sites.port)));
    RunCommand(std::string(QUILLORA_CLI_PATH) + " site build '" + json + "' '" + file + "'");
  }
  const std::string service_folder = data.Dir() / "service";
  ForceDirectories(service_folder);
  DemoServer service({"--folder", service_folder, "--password", "4711"},
                     QUILLORA_SEARCH_SERVICE_PATH);
  RunCommand(cli + "settings set Autosearch2_URL http://127.0.0.1:" + std::to_string(service.port) +
             "/");
  RunCommand(cli + "settings set External_Search TRUE");
  RunCommand(cli + "settings set Autosearch_Password 4711");

  EXPECT_NE(RunCommand(cli + "search remote start").find("Processing started"), std::string::npos);
  std::string status;
  for (int i = 0; i < 300 && status.find("Ready to download") == std::string::npos; ++i) {
    if (i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    status = RunCommand(cli + "search remote status");
  }
  ASSERT_NE(status.find("Ready to download, 12 of 12 sites processed"), std::string::npos)
      << status;
  const std::string fetched = RunCommand(cli + "search remote fetch");
  std::map<std::string, std::string> remote;
  const std::regex verdict("(.+?)    Verdict: (.+?)\r?");
  std::smatch m;
  for (const std::string& line : SplitLines(fetched))
    if (std::regex_match(line, m, verdict)) remote[m[1]] = m[2];
  ASSERT_EQ(remote.size(), 12u) << fetched;

  // The local batch over the same sites and server.
  const std::string local =
      RunCommand(cli + "search run --timeout 20 --port " + std::to_string(sites.port));
  int compared = 0;
  for (const std::string& line : SplitLines(local)) {
    const auto cells = SplitAt(line, '\t', TSplitMode::KeepEmpty);
    if (cells.size() < 3) continue;
    EXPECT_EQ(remote[cells[1]], cells[2]) << cells[1];
    ++compared;
  }
  EXPECT_EQ(compared, 12);
  EXPECT_EQ(remote["Shareware Hub"], "FOUND");  // its query carries a "+"-encoded blank
  EXPECT_EQ(remote["File Galaxy"], "ERROR");    // its search fails
}

}  // namespace
}  // namespace quillora
