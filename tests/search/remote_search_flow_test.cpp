// The remote listing search end to end, through the command line: the demo sites server and the
// reference search service on 127.0.0.1, a copied data folder pointed at the service, the job
// sent, processed, fetched and parsed; the verdicts must be those the direct search gives. Then
// the archive download killed halfway and resumed from its state file, and a service whose
// blocks are all garbage given up after the time-out.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <httplib.h>
#include <map>
#include <memory>
#include <ostream>
#include <regex>
#include <set>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "foundation/files.h"
#include "foundation/stream.h"
#include "search/script_download.h"
#include "support/server_process.h"
#include "support/test_context.h"

extern char** environ;

namespace quillora {
namespace {

using Json = nlohmann::json;
using Clock = std::chrono::steady_clock;

// The shipped data's active product.
constexpr const char* kProduct = "APP-Sample_Product";
constexpr int kPassword = 12345;

// A command-line run in the background with its output in a file, so that the test can kill it
// halfway.
class CliProcess {
 public:
  CliProcess(std::vector<std::string> args, const std::string& out_file) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out_file.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    EXPECT_EQ(posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
  }
  ~CliProcess() { Kill(); }

  // Whether it has ended by itself (reaped then).
  bool Ended() {
    if (pid_ <= 0) return true;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) != pid_) return false;
    pid_ = -1;
    return true;
  }
  void Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
};

// The sample product as every demo site would list it after accepting its submission.
void WriteSubmittedState(const std::string& path) {
  Json subs = Json::array();
  int id = 0;
  for (const char* host :
       {"freshdownloads", "softarchive", "sharewarehub", "downloadzone", "programmdateien",
        "appcenter", "toolfinder", "filegalaxy", "paddepot", "mailsubmit", "bytebazaar", "shareup"})
    subs.push_back({{"site", host},
                    {"kind", "submit"},
                    {"id", ++id},
                    {"received", "01-02-2024 10:00:00"},
                    {"name", "Sample Notes"},
                    {"version", "2.4.1"},
                    {"home", "http://sample-company.localhost:8765/sample-notes/"},
                    {"email", "emma.larsen@sample-company.localhost"},
                    {"description", "Sample Notes keeps notes, outlines and to-do lists."},
                    {"download", ""},
                    {"pad", ""},
                    {"fields", Json::array()}});
  StringToFile(path, Json{{"submissions", subs}, {"accounts", Json::object()}}.dump());
}

struct TVerdict {
  std::string flag, details;
  bool operator==(const TVerdict&) const = default;
  friend void PrintTo(const TVerdict& v, std::ostream* os) { *os << v.flag << " / " << v.details; }
};
using TVerdicts = std::map<std::string, TVerdict>;  // by site name

std::vector<std::vector<std::string>> TabLines(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> cells;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
      cells.push_back(line.substr(start, tab - start));
    cells.push_back(line.substr(start));
    rows.push_back(cells);
  }
  return rows;
}

class RemoteSearchFlow : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string state = data_.Dir() / "demo-state.json";
    WriteSubmittedState(state);
    // The slow demo site answers at once here: the time-outs are not what is tested.
    demo_ = std::make_unique<test::TServerProcess>(
        QUILLORA_DEMO_SITES_PATH, std::vector<std::string>{"--state", state, "--slow-search", "0"});
    demo_port_ = demo_->Port();
    ASSERT_GT(demo_port_, 0) << demo_->ReadyLine();
    // Bounded, so that a command that never ends fails the test instead of hanging it.
    cli_ = "timeout 120 " + std::string(QUILLORA_CLI_PATH) + " --quiet --data-dir '" +
           data_.DataDir() + "' --user-dir '" + data_.UserDir() + "' ";
    ASSERT_EQ(Cli("settings set Autosearch_Password " + std::to_string(kPassword)), "");
  }

  // Starts (or restarts) the service on the same folder, pointing the program at it.
  void StartService(const std::vector<std::string>& extra = {}) {
    service_.reset();
    std::vector<std::string> args = {
        "--folder",     data_.Dir() / "service",    "--password",    std::to_string(kPassword),
        "--fetch-port", std::to_string(demo_port_), "--request-log", RequestLog()};
    args.insert(args.end(), extra.begin(), extra.end());
    DeleteFileAt(RequestLog());
    service_ = std::make_unique<test::TServerProcess>(QUILLORA_SEARCH_SERVICE_PATH, args);
    const int port = service_->Port();
    ASSERT_GT(port, 0) << service_->ReadyLine();
    ASSERT_EQ(Cli("settings set Autosearch2_URL http://127.0.0.1:" + std::to_string(port) + "/"),
              "");
  }

  std::string RequestLog() const { return data_.Dir() / "requests.log"; }
  std::string ProductFolder() const { return data_.DataDir() + "dump/" + kProduct + "/"; }
  std::string StateFile() const { return ProductFolder() + kProduct + ".tar.bz2.sd!"; }

  std::string Cli(const std::string& args, int* exit_code = nullptr) {
    std::string out;
    FILE* p = popen((cli_ + args).c_str(), "r");
    if (!p) return out;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, p)) > 0;) out.append(buffer, n);
    const int status = pclose(p);
    if (exit_code) *exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
  }

  // Sends the job and polls its status, as the window's timer does, until it can be fetched.
  void SubmitAndWaitUntilReady() {
    int code = -1;
    EXPECT_EQ(Cli("search remote start", &code), "Sending a request...\nProcessing started\n");
    ASSERT_EQ(code, 0);
    std::string status;
    for (const auto deadline = Clock::now() + std::chrono::seconds(60);
         Clock::now() < deadline && status.rfind("Current Product: Ready to download", 0) != 0;
         std::this_thread::sleep_for(std::chrono::milliseconds(100))) {
      status = Cli("search remote status");
      ASSERT_TRUE(status.rfind("Current Product: Processing", 0) == 0 ||
                  status.rfind("Current Product: Ready to download", 0) == 0)
          << status;
    }
    ASSERT_EQ(
        status.rfind("Current Product: Ready to download, 12 of 12 sites processed ( 100% ) (", 0),
        0u)
        << status;
  }

  // What the sites view holds for the product: (flag, details) by site name.
  TVerdicts StoredVerdicts() {
    TVerdicts stored;
    const auto rows = TabLines(Cli("sites list --columns 0,17,16"));
    EXPECT_EQ(rows.size(), 13u);
    for (size_t i = 1; i < rows.size(); ++i)
      if (rows[i].size() == 3) stored[rows[i][0]] = {rows[i][1], rows[i][2]};
    return stored;
  }

  // What the direct search gives for every site, with the details the parse of a stored page
  // would give: a page the service could not fetch is an error without details.
  TVerdicts DirectVerdicts() {
    TVerdicts direct;
    for (const auto& row : TabLines(Cli("search run --port " + std::to_string(demo_port_)))) {
      EXPECT_EQ(row.size(), 4u);
      if (row.size() == 4) direct[row[1]] = {row[2], row[2] == "ERROR" ? "" : row[3]};
    }
    EXPECT_EQ(direct.size(), 12u);
    return direct;
  }

  test::TestData data_;
  std::string cli_;
  std::unique_ptr<test::TServerProcess> demo_, service_;
  int demo_port_ = 0;
};

TEST_F(RemoteSearchFlow, FetchedAndParsedPagesGiveTheDirectSearchVerdicts) {
  StartService();
  ASSERT_NO_FATAL_FAILURE(SubmitAndWaitUntilReady());

  int code = -1;
  const std::string fetched = Cli("search remote fetch", &code);
  EXPECT_EQ(code, 0) << fetched;
  EXPECT_EQ(fetched.rfind("Downloading search results...\n", 0), 0u) << fetched;
  // Every site's page but the one whose server fails.
  EXPECT_NE(fetched.find("\n11 pages found\n"), std::string::npos) << fetched;
  EXPECT_NE(fetched.find("\nFile Galaxy    Verdict: ERROR\n"), std::string::npos) << fetched;
  EXPECT_FALSE(FileExists(ProductFolder() + kProduct + ".tar.bz2"));
  EXPECT_FALSE(FileExists(StateFile()));
  const TVerdicts remote = StoredVerdicts();

  // A second parse judges the same stored pages the same way.
  EXPECT_NE(Cli("search remote parse", &code).find("-= PROCESS COMPLETE =-"), std::string::npos);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(StoredVerdicts(), remote);

  const TVerdicts direct = DirectVerdicts();
  EXPECT_EQ(remote, direct);
  // The comparison means something: both found the product on most sites.
  EXPECT_EQ(remote.at("Byte Bazaar").flag, "FOUND");
  EXPECT_EQ(remote.at("File Galaxy").flag, "ERROR");

  // The finished job stays on the service, and a start now fetches it again.
  const std::string restarted = Cli("search remote start", &code);
  EXPECT_EQ(code, 0) << restarted;
  EXPECT_NE(restarted.find("\n11 pages found\n"), std::string::npos) << restarted;
  EXPECT_EQ(StoredVerdicts(), remote);
}

TEST_F(RemoteSearchFlow, KilledDownloadResumesWithTheMissingBlocksOnly) {
  // A megabyte of padding makes the archive 21 blocks; each answered late, so that the download
  // is surely halfway when the test kills it.
  StartService({"--archive-padding", "1048576", "--block-delay", "400"});
  ASSERT_NO_FATAL_FAILURE(SubmitAndWaitUntilReady());

  const std::vector<std::string> fetch_args = {QUILLORA_CLI_PATH, "--quiet",    "--data-dir",
                                               data_.DataDir(),   "--user-dir", data_.UserDir(),
                                               "search",          "remote",     "fetch"};
  const auto marks = [this](std::vector<uint8_t>& flags) {
    TMemoryStream file(FileExists(StateFile()) ? FileToString(StateFile()) : std::string());
    const auto state = ReadDownloadState(file, 51200);
    flags = state ? state->flags : std::vector<uint8_t>{};
    return static_cast<int>(std::count(flags.begin(), flags.end(), 1));
  };
  std::vector<uint8_t> flags;
  {
    CliProcess fetch(fetch_args, data_.Dir() / "fetch.out");
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (marks(flags) < 3 && !fetch.Ended() && Clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    fetch.Kill();
  }
  const int marked = marks(flags);
  const int blocks = static_cast<int>(flags.size());
  ASSERT_EQ(blocks, 21);
  ASSERT_GE(marked, 3);
  ASSERT_LT(marked, blocks);

  // A restarted service keeps the finished job; its log then holds only the resumed requests.
  StartService({"--archive-padding", "1048576"});
  int code = -1;
  const std::string fetched = Cli("search remote fetch", &code);
  EXPECT_EQ(code, 0) << fetched;
  EXPECT_NE(fetched.find("\n11 pages found\n"), std::string::npos) << fetched;
  EXPECT_NE(fetched.find("Skipped archive entry \"PaxHeader/padding\": not a regular file"),
            std::string::npos);
  EXPECT_FALSE(FileExists(StateFile()));

  std::multiset<int64_t> requested;
  int first_requests = 0;
  std::istringstream log(FileToString(RequestLog()));
  for (std::string line; std::getline(log, line);) {
    std::smatch m;
    if (std::regex_match(
            line, m,
            std::regex(std::string("GET /\\?Filename=") + kProduct + "&Start=(\\d+)&Length=51200")))
      requested.insert(std::stoll(m[1]));
    else if (line == std::string("GET /?Filename=") + kProduct)
      ++first_requests;
  }
  std::multiset<int64_t> missing;
  for (int i = 0; i < blocks; ++i)
    if (!flags[i]) missing.insert(int64_t{i} * 51200);
  EXPECT_EQ(first_requests, 1);
  EXPECT_EQ(requested, missing);

  // The direct search stores its own verdicts: read the fetched ones first.
  const TVerdicts remote = StoredVerdicts();
  EXPECT_EQ(remote, DirectVerdicts());
}

TEST_F(RemoteSearchFlow, ServiceSendingGarbageBlocksIsGivenUpAfterTheTimeOut) {
  httplib::Server garbage;
  std::atomic<int> first_requests = 0;
  garbage.Get("/", [&](const httplib::Request& req, httplib::Response& res) {
    if (req.has_param("Start"))
      res.set_content("0123456789abcdef0123456789abcdef", "text/plain");
    else
      res.set_content(MakeBlockReply(200000, 0, ""), "text/plain");
    if (!req.has_param("Start")) ++first_requests;
  });
  const int port = garbage.bind_to_any_port("127.0.0.1");
  ASSERT_GT(port, 0);
  // Bound already: the first request waits in the queue if the loop is not running yet.
  std::thread thread([&] { garbage.listen_after_bind(); });
  ASSERT_EQ(Cli("settings set Autosearch2_URL http://127.0.0.1:" + std::to_string(port) + "/"), "");
  ASSERT_EQ(Cli("settings set AUTOSEARCH_TIMEOUT 1"), "");

  int code = -1;
  const std::string out = Cli("search remote fetch", &code);
  garbage.stop();
  thread.join();
  EXPECT_EQ(code, 1);
  EXPECT_EQ(out,
            "Downloading search results...\n"
            "Download aborted\n"
            "ERROR: The search service sent no block for 1 seconds\n");
  EXPECT_EQ(first_requests, 1);
  // What was set up stays for the next attempt.
  TMemoryStream file(FileToString(StateFile()));
  const auto state = ReadDownloadState(file, 51200);
  ASSERT_TRUE(state.has_value());
  EXPECT_EQ(state->total, 200000);
  EXPECT_EQ(state->flags, std::vector<uint8_t>(4, 0));
}

}  // namespace
}  // namespace quillora
