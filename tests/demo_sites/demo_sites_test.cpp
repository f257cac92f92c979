// The demo sites server and the shipped demo database, end to end.

#include <cstdio>
#include <httplib.h>
#include <map>
#include <regex>
#include <set>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "foundation/files.h"
#include "foundation/option_list.h"
#include "net/page_fetcher.h"
#include "sites/site.h"
#include "support/scripted_ui.h"
#include "support/server_process.h"
#include "support/temp_dir.h"

extern char** environ;

namespace quillora {
namespace {

using Json = nlohmann::json;

std::unique_ptr<test::TServerProcess> Launch(const std::vector<std::string>& args) {
  auto server = std::make_unique<test::TServerProcess>(QUILLORA_DEMO_SITES_PATH, args);
  EXPECT_GT(server->Port(), 0) << server->ReadyLine();
  return server;
}

class DemoSitesTest : public ::testing::Test {
 protected:
  void SetUp() override { server_ = Launch({"--state", state_, "--slow-search", "3000"}); }
  void TearDown() override { server_.reset(); }
  std::string Url(const std::string& host, const std::string& path) const {
    return "http://" + host + ".localhost:" + std::to_string(server_->Port()) + path;
  }
  // A client that speaks to a demo site: glibc does not resolve *.localhost, so it connects to
  // the loopback address and names the site in the Host header.
  httplib::Client Client(const std::string& host) const {
    httplib::Client c("127.0.0.1", server_->Port());
    c.set_default_headers({{"Host", host + ".localhost:" + std::to_string(server_->Port())}});
    c.set_read_timeout(10, 0);
    c.set_url_encode(false);
    return c;
  }
  Json Submissions(const std::string& site) const {
    httplib::Client c("127.0.0.1", server_->Port());
    auto res = c.Get(("/api/submissions?site=" + site).c_str());
    EXPECT_TRUE(res);
    return res ? Json::parse(res->body) : Json::array();
  }

  test::TempDir dir_;
  const std::string state_ = dir_ / "state.json";
  std::unique_ptr<test::TServerProcess> server_;
};

// Every page kind of every flavour, through the program's own fetcher with the host names the
// shipped data uses.
TEST_F(DemoSitesTest, FetcherReadsEverySiteFlavour) {
  struct Case {
    std::string host, path, expect;
  };
  const Case cases[] = {
      {"freshdownloads", "/submit.php", "name=\"desc80\""},
      {"softarchive", "/publish/new", "multipart/form-data"},
      {"sharewarehub", "/Authors/Submit.aspx", "ctl00$main$TextBox3"},
      {"downloadzone", "/add-app", "placeholder=\"App name\""},
      {"programmdateien", "/eintragen.php", "Kurzbeschreibung"},
      {"appcenter", "/register.php", "Create a developer account"},
      {"toolfinder", "/submit.html", "<iframe src=\"/frame/submit-form.php\""},
      {"filegalaxy", "/update.php", "Update a listed program"},
      {"paddepot", "/submit-pad.php", "name=\"padurl\""},
      {"mailsubmit", "/", "mailto:submit@mailsubmit.localhost"},
      {"bytebazaar", "/sell/upload.php", "type=\"image\""},
      {"shareup", "/upload", "name=\"licence\""},
      {"sample-company", "/sample-notes/index.html", "<title>Sample Notes 2.4.1"},
      {"sample-company", "/sample-notes/buy.html", "$29.95"},
      {"sample-company", "/sample-notes/sample-notes.xml", "<File_Size_Bytes>4718592<"},
  };
  for (const Case& c : cases) {
    TWIGetURL fetch;
    fetch.timeout = 10;
    fetch.SetUrl(Url(c.host, c.path));
    EXPECT_TRUE(fetch.Get()) << c.host << c.path << ": " << fetch.StatusMessage();
    EXPECT_NE(fetch.ResponseText().find(c.expect), std::string::npos) << c.host << c.path;
  }
  // The search pages' failures: a server error, and a page slower than the fetcher waits.
  TWIGetURL broken;
  broken.SetUrl(Url("filegalaxy", "/search.php?term=x"));
  EXPECT_FALSE(broken.Get());
  TWIGetURL slow;
  slow.timeout = 1;
  slow.SetUrl(Url("toolfinder", "/lookup?what=x"));
  EXPECT_FALSE(slow.Get());
  // The redirecting search ends on its result page.
  TWIGetURL redirected;
  redirected.SetUrl(Url("appcenter", "/search?q=Sample+Notes"));
  EXPECT_TRUE(redirected.Get());
  EXPECT_NE(redirected.ResponseText().find("No apps found"), std::string::npos);
}

TEST_F(DemoSitesTest, SampleProductFilesAreWhatTheRecordDeclares) {
  auto c = Client("sample-company");
  auto icon = c.Get("/sample-notes/icon.png");
  ASSERT_TRUE(icon);
  ASSERT_GE(icon->body.size(), 24u);
  EXPECT_EQ(icon->body.substr(0, 8), "\x89PNG\r\n\x1a\n");
  EXPECT_EQ(icon->body.substr(16, 8), std::string("\0\0\0\x20\0\0\0\x20", 8));  // 32 x 32
  auto small = c.Get("/sample-notes/icon16.png");
  ASSERT_TRUE(small);
  EXPECT_EQ(small->body.substr(16, 8), std::string("\0\0\0\x10\0\0\0\x10", 8));
  auto download = c.Get("/sample-notes/download/samplenotes241.exe");
  ASSERT_TRUE(download);
  EXPECT_EQ(download->body.size(), 4718592u);
}

// Accepted posts are kept and found by the site's search; refused ones name their faulty fields
// and change nothing.
TEST_F(DemoSitesTest, ValidPostIsAcceptedAndListedInvalidOneIsRefused) {
  auto c = Client("freshdownloads");
  httplib::Params bad = {{"title", "X"},
                         {"version", ""},
                         {"email", "not-an-address"},
                         {"desc80", std::string(81, 'a')},
                         {"homepage", "ftp:/x"}};
  auto refused = c.Post("/submit.php", bad);
  ASSERT_TRUE(refused);
  for (const char* label :
       {"Program title: is too short", "Version: is required", "Your e-mail: is not a valid",
        "Short description: is too long", "Homepage URL: is not a valid web address"})
    EXPECT_NE(refused->body.find(label), std::string::npos) << label;
  EXPECT_TRUE(Submissions("freshdownloads").empty());

  httplib::Params good = {{"title", "Sample Notes"},
                          {"version", "2.4.1"},
                          {"category", "Business"},
                          {"desc80", "Keep notes, outlines and to-do lists in one notebook"},
                          {"long_description", "Sample Notes keeps notes, outlines and to-dos."},
                          {"homepage", "http://sample-company.localhost:8765/sample-notes/"},
                          {"download_url", "http://sample-company.localhost:8765/x.exe"},
                          {"email", "emma.larsen@sample-company.localhost"}};
  auto accepted = c.Post("/submit.php", good);
  ASSERT_TRUE(accepted);
  EXPECT_NE(accepted->body.find("has been received"), std::string::npos) << accepted->body;
  const Json kept = Submissions("freshdownloads");
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0]["name"], "Sample Notes");
  EXPECT_EQ(kept[0]["version"], "2.4.1");

  auto found = c.Get("/search.php?q=sample+notes");
  ASSERT_TRUE(found);
  EXPECT_NE(found->body.find("Sample Notes 2.4.1"), std::string::npos);
  EXPECT_NE(found->body.find("http://sample-company.localhost:8765/sample-notes/"),
            std::string::npos);
  auto missing = c.Get("/search.php?q=other+program");
  ASSERT_TRUE(missing);
  EXPECT_NE(missing->body.find("No results found"), std::string::npos);

  // A multipart form checks its pictures by their bytes.
  auto sa = Client("softarchive");
  httplib::MultipartFormDataItems parts = {{"prog_nm", "Sample Notes", "", ""},
                                           {"sw_version", "2.4.1", "", ""},
                                           {"pub_email", "a@b.localhost", "", ""},
                                           {"site_url", "http://a.localhost/", "", ""},
                                           {"dl_url", "http://a.localhost/x.exe", "", ""},
                                           {"os[]", "Linux", "", ""},
                                           {"lic", "Shareware", "", ""},
                                           {"summary", "A notebook for notes and to-dos.", "", ""},
                                           {"agree", "1", "", ""},
                                           {"icon", "MZ not a picture", "icon.png", "image/png"}};
  auto picture = sa.Post("/publish/create", parts);
  ASSERT_TRUE(picture);
  EXPECT_NE(picture->body.find("Icon: must be a PNG, GIF or JPEG picture"), std::string::npos);
  parts.back().content = "\x89PNG\r\n\x1a\n....";
  auto ok = sa.Post("/publish/create", parts);
  ASSERT_TRUE(ok);
  EXPECT_NE(ok->body.find("moderation queue"), std::string::npos) << ok->body;
}

TEST_F(DemoSitesTest, SubmitPageNeedsTheLoginCookie) {
  auto c = Client("appcenter");
  auto before = c.Get("/submit.php");
  ASSERT_TRUE(before);
  EXPECT_EQ(before->status, 302);
  EXPECT_EQ(before->get_header_value("Location"), "/login.php?next=/submit.php");
  auto wrong = c.Post("/login.php", httplib::Params{{"user", "samplecompany"}, {"pass", "x"}});
  ASSERT_TRUE(wrong);
  EXPECT_TRUE(wrong->get_header_value("Set-Cookie").empty());
  auto login = c.Post("/login.php", httplib::Params{{"user", "samplecompany"},
                                                    {"pass", "Demo-Pass-2024"},
                                                    {"next", "/submit.php"}});
  ASSERT_TRUE(login);
  EXPECT_EQ(login->status, 302);
  const std::string cookie = login->get_header_value("Set-Cookie");
  ASSERT_EQ(cookie.rfind("QSESSID=", 0), 0u) << cookie;
  const httplib::Headers session = {{"Cookie", cookie.substr(0, cookie.find(';'))}};
  auto page = c.Get("/submit.php", session);
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_NE(page->body.find("name=\"short_desc\""), std::string::npos);
}

TEST_F(DemoSitesTest, StateSurvivesARestartAndSigtermExitsCleanly) {
  auto c = Client("paddepot");
  auto res = c.Post("/submit-pad.php",
                    httplib::Params{{"padurl",
                                     "http://sample-company.localhost:8765/sample-notes/"
                                     "sample-notes.xml"},
                                    {"email", "emma.larsen@sample-company.localhost"}});
  ASSERT_TRUE(res);
  EXPECT_NE(res->body.find("PAD file received"), std::string::npos) << res->body;
  EXPECT_EQ(server_->Stop(), 0);
  server_ = Launch({"--state", state_});
  const Json kept = Submissions("paddepot");
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0]["name"], "Sample Notes");
  EXPECT_EQ(kept[0]["kind"], "pad");
  auto found = Client("paddepot").Get("/search.php?keyword=Sample+Notes");
  ASSERT_TRUE(found);
  EXPECT_NE(found->body.find("Sample Notes</a>"), std::string::npos);
  EXPECT_EQ(server_->Stop(SIGINT), 0);
}

// --- the shipped demo database

std::string RunCommandLine(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return out;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, p)) > 0;) out.append(buffer, n);
  pclose(p);
  return out;
}

const std::string kDataDir = std::string(QUILLORA_SOURCE_DATA_DIR) + "/";

TEST(DemoDatabase, ShippedFilesEqualAFreshBuild) {
  const std::string built = std::string(QUILLORA_DEMO_DB_DIR) + "/";
  std::vector<std::string> names = ListFiles(built + "Sites/", "*");
  EXPECT_EQ(names.size(), 14u);  // twelve sites, the index and its short form
  EXPECT_EQ(ListFiles(kDataDir + "Sites/", "*").size(), names.size());
  for (const std::string& name : names)
    EXPECT_EQ(FileToString(kDataDir + "Sites/" + name), FileToString(built + "Sites/" + name))
        << name << " differs from a fresh build: run the target demo-db-update";
  EXPECT_EQ(FileToString(kDataDir + "Ratings.dat"), FileToString(built + "Ratings.dat"));
}

TEST_F(DemoSitesTest, ShippedSitesPointAtTheDemoHostsAndTheirFormsAreKnown) {
  test::ScriptedUI ui;
  auto login = Client("appcenter")
                   .Post("/login.php",
                         httplib::Params{{"user", "samplecompany"}, {"pass", "Demo-Pass-2024"}});
  ASSERT_TRUE(login);
  const std::string cookie = login->get_header_value("Set-Cookie");
  int stored_forms = 0, sites = 0;
  for (const std::string& name : ListFiles(kDataDir + "Sites/", "*.wsd")) {
    ++sites;
    const std::string dump = RunCommandLine(std::string(QUILLORA_CLI_PATH) + " site dump '" +
                                            kDataDir + "Sites/" + name + "'");
    ASSERT_FALSE(dump.empty()) << name;
    const Json site = Json::parse(dump);
    TMultiOptions urls;
    urls.SetText(site["urls"].get<std::string>());
    TMultiOptions options;
    options.SetText(site["options"].get<std::string>());
    const std::string uin = options.Section("Common info").GetString("UIN");
    for (const char* purpose : {"Home", "Search", "Submit"}) {
      const std::string address = urls.Section(purpose).GetString("Address");
      const std::string kind = urls.Section(purpose).GetString("Kind");
      if (kind == "MAIL") {
        EXPECT_NE(address.find("@mailsubmit.localhost"), std::string::npos) << name;
        continue;
      }
      std::smatch m;
      ASSERT_TRUE(
          std::regex_match(address, m, std::regex("http://([a-z-]+)\\.localhost:8765(/.*)")))
          << name << " " << purpose << " " << address;
      if (purpose == std::string("Search")) continue;  // some are slow or broken on purpose
      auto page = Client(m[1]).Get(m[2].str().c_str(), {{"Cookie", cookie}});
      ASSERT_TRUE(page) << address;
      EXPECT_EQ(page->status, 200) << address;
    }
    // Each stored form is recognised on the page it was captured from.
    for (const Json& form : site["forms"]) {
      ++stored_forms;
      std::smatch m;
      const std::string url = form["url"];
      ASSERT_TRUE(std::regex_match(url, m, std::regex("http://([a-z-]+)\\.localhost:8765(/.*)")));
      auto page = Client(m[1]).Get(m[2].str().c_str(), {{"Cookie", cookie}});
      ASSERT_TRUE(page);
      const std::string file = dir_ / ("page-" + std::to_string(stored_forms) + ".html");
      StringToFile(file, page->body);
      const Json filled = Json::parse(RunCommandLine(
          std::string(QUILLORA_CLI_PATH) + " --data-dir '" + kDataDir + "' --user-dir '" +
          dir_.Path() + "user' fill '" + file + "' --url '" + url + "' --site " + uin));
      bool known = false;
      for (const Json& f : filled)
        if (f["fingerprint"] == form["fingerprint"] && f["mode"] == 1 &&
            f["purpose"] == form["purpose"])
          known = true;
      EXPECT_TRUE(known) << name << ": " << url;
    }
  }
  EXPECT_EQ(sites, 12);
  EXPECT_EQ(stored_forms, 7);
}

// The whole job without a browser: a copy of the shipped data pointed at this server, the sample
// product submitted to every demo site. The command's verdict and the site agree for every site,
// only accepted submissions are recorded, and every site with stored forms takes the submission.
TEST_F(DemoSitesTest, HeadlessSubmissionToEveryDemoSite) {
  const std::string data = dir_ / "data/";
  test::CopyTree(kDataDir, data);
  const std::string cli = "QUILLORA_REGISTRY='" + (dir_ / "registry.dat") + "' " +
                          std::string(QUILLORA_CLI_PATH) + " --data-dir '" + data +
                          "' --user-dir '" + dir_.Path() + "user' --quiet ";
  const std::string port = ":" + std::to_string(server_->Port());
  std::map<std::string, std::string> host_of;  // UIN -> demo host
  std::set<std::string> with_forms;
  for (const std::string& name : ListFiles(data + "Sites/", "*.wsd")) {
    const std::string file = data + "Sites/" + name;
    std::string dump = RunCommandLine(std::string(QUILLORA_CLI_PATH) + " site dump '" + file + "'");
    ASSERT_FALSE(dump.empty()) << name;
    dump = std::regex_replace(dump, std::regex(":8765"), port);
    const Json site = Json::parse(dump);
    TMultiOptions options;
    options.SetText(site["options"].get<std::string>());
    const std::string uin = options.Section("Common info").GetString("UIN");
    host_of[uin] = name.substr(0, name.size() - 4);
    if (!site["forms"].empty()) with_forms.insert(uin);
    StringToFile(dir_ / "site.json", dump);
    ASSERT_EQ(RunCommandLine(std::string(QUILLORA_CLI_PATH) + " site build '" +
                             (dir_ / "site.json") + "' '" + file + "' && echo built"),
              "built\n");
  }
  ASSERT_EQ(host_of.size(), 12u);

  std::istringstream lines(RunCommandLine(cli + "submit --all-visible"));
  int accepted = 0, lines_read = 0;
  for (std::string line; std::getline(lines, line); ++lines_read) {
    std::vector<std::string> cells;
    std::stringstream cut(line);
    for (std::string cell; std::getline(cut, cell, '\t');) cells.push_back(cell);
    ASSERT_GE(cells.size(), 4u) << line;
    const std::string& uin = cells[0];
    const std::string& result = cells[1];
    SCOPED_TRACE(line);
    const bool site_took_it = !Submissions(host_of[uin]).empty();
    EXPECT_EQ(result == "accepted", site_took_it);
    if (with_forms.count(uin)) {
      EXPECT_EQ(result, "accepted");
    }
    if (host_of[uin] == "mailsubmit") {
      EXPECT_EQ(result, "failed");
    }
    // The status line: Pending with the version submitted only after an accepted submission.
    const std::string status = RunCommandLine(cli + "status " + uin);
    if (result == "accepted") {
      ++accepted;
      EXPECT_NE(status.find("\tPending\t"), std::string::npos) << status;
      EXPECT_NE(status.find("\t2.4.1\t"), std::string::npos) << status;
    } else {
      EXPECT_EQ(status.find("\t2.4.1\t"), std::string::npos) << status;
    }
  }
  EXPECT_EQ(lines_read, 12);
  EXPECT_GE(accepted, static_cast<int>(with_forms.size()));
}

}  // namespace
}  // namespace quillora
