#include "site-repository/site_repository.h"

#include <cstdio>
#include <httplib.h>
#include <memory>
#include <regex>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/encoding.h"
#include "foundation/files.h"
#include "foundation/option_list.h"
#include "foundation/stream.h"
#include "site-repository/access_token.h"
#include "site-repository/form_fields.h"
#include "sites/ratings_file.h"
#include "sites/site.h"
#include "sites/site_index.h"
#include "sites/site_list.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

extern char** environ;

namespace quillora {
namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;

// A body as the program posts it: encoded values joined with "&", one line ending in CR LF.
std::string Body(const Fields& fields) {
  std::string body;
  for (const auto& [name, value] : fields)
    body += (body.empty() ? "" : "&") + name + "=" + UrlEncodeValue(value);
  return body + "\r\n";
}

std::unique_ptr<TWebSite> MakeSite(const std::string& uin, const std::string& name,
                                   const std::string& contributed) {
  auto s = std::make_unique<TWebSite>();
  s->Info.CommonInfo().SetString("UIN", uin);
  s->Info.CommonInfo().SetString("Name", name);
  s->Info.CommonInfo().SetString("Last contributed", contributed);
  return s;
}

// The upload fields of a site file's bytes, checksums as the program computes them.
Fields UploadFields(const std::string& uin, const std::string& file_name,
                    const std::string& bytes) {
  uint8_t xor_sum = 0;
  for (const char c : bytes) xor_sum ^= static_cast<uint8_t>(c);
  return {{"UIN", uin},
          {"Title", "Title"},
          {"URL", "http://example.localhost/"},
          {"Category", "Shareware"},
          {"ContributorLogin", "ME"},
          {"ContributorPWD", "secret"},
          {"FileName", file_name},
          {"Status", "N"},
          {"Name", "Title"},
          {"WSDFILE", HexEncode(bytes)},
          {"WSDCRC", std::to_string(xor_sum)},
          {"FILECRC", std::to_string(Crc32(bytes))}};
}

void SetField(Fields& fields, const std::string& name, const std::string& value) {
  for (auto& field : fields)
    if (field.first == name) field.second = value;
}

// A database folder exported from three generated sites, with a ratings file beside it, and a
// repository serving it on an ephemeral port of 127.0.0.1.
class SiteRepositoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ForceDirectories(dir_ / "sites");
    const char* names[][3] = {{"SITE-A", "alpha", "01-02-2024 10:00:00"},
                              {"SITE-B", "beta", "02-02-2024 11:00:00"},
                              {"SITE-C", "gamma", ""}};
    for (const auto& n : names)
      ASSERT_TRUE(MakeSite(n[0], n[1], n[2])->SaveSiteFile(dir_ / "sites/" + n[1] + ".wsd", false));
    TSiteList list(dir_ / "sites/", dir_.Path());
    ASSERT_TRUE(list.LoadAll());
    ASSERT_TRUE(list.ExportSites(folder_));
    TOptionsList ratings;
    ratings.SetString("SITE-A", "5");
    StringToFile(folder_ + "Ratings.dat", MakeRatingsText(ratings, "01-03-2024 09:00:00"));
  }
  void TearDown() override { Stop(); }

  void Serve(TSiteRepositoryOptions options = {}) {
    options.folder = folder_;
    repository_ = std::make_unique<TSiteRepository>(options);
    server_ = std::make_unique<httplib::Server>();
    repository_->Attach(*server_);
    port_ = server_->bind_to_any_port("127.0.0.1");
    ASSERT_GT(port_, 0);
    listener_ = std::thread([this] { server_->listen_after_bind(); });
  }
  void Stop() {
    if (!server_) return;
    server_->stop();
    listener_.join();
    server_.reset();
  }

  httplib::Result Post(const std::string& path, const Fields& fields) {
    httplib::Client client("127.0.0.1", port_);
    return client.Post(path.c_str(), Body(fields), "application/x-www-form-urlencoded");
  }
  // The reply of an upload, removal or bug report: its text ("" is success).
  std::string Reply(const std::string& path, const Fields& fields) {
    auto res = Post(path, fields);
    if (!res) return "<no reply>";
    EXPECT_EQ(res->status, 200);
    return res->body;
  }
  std::string SiteBytes(const std::string& uin, const std::string& name) {
    const std::string path = dir_ / ("upload-" + uin + ".wsd");
    EXPECT_TRUE(MakeSite(uin, name, "05-05-2024 12:00:00")->ExportSiteFile(path));
    return FileToString(path);
  }
  std::vector<TIndexEntry> Index() { return ReadSiteIndex(FileToString(folder_ + "Index.dat")); }

  test::ScriptedUI ui_;
  test::TempDir dir_;
  const std::string folder_ = dir_ / "db/";
  std::unique_ptr<TSiteRepository> repository_;
  std::unique_ptr<httplib::Server> server_;
  std::thread listener_;
  int port_ = 0;
};

TEST_F(SiteRepositoryTest, ServesEveryObjectInBothModes) {
  Serve();
  struct Case {
    Fields object;      // posted to "getsites.php"
    std::string file;   // the "File" of the base address
    std::string local;  // the folder's file both must return
  };
  const Case cases[] = {
      {{{"ObjectType", "Info"}}, "version.dat", "version.dat"},
      {{{"ObjectType", "Index"}}, "index.dat", "Index.dat"},
      {{{"ObjectType", "Ratings"}, {"ObjectName", "ratings.dat"}}, "ratings.dat", "Ratings.dat"},
      {{{"ObjectType", "Site"}, {"ObjectName", "beta"}}, "beta.wsd", "beta.wsd"},
  };
  for (const Case& c : cases) {
    const std::string expected = FileToString(folder_ + c.local);
    for (const std::string base : {"/", "/sites/"}) {
      auto object = Post(base + "getsites.php", c.object);
      ASSERT_TRUE(object) << c.local;
      EXPECT_EQ(object->status, 200) << c.local;
      EXPECT_EQ(object->body, expected) << c.local;
      auto repository = Post(base, {{"File", c.file}});
      ASSERT_TRUE(repository) << c.file;
      EXPECT_EQ(repository->status, 200) << c.file;
      EXPECT_EQ(repository->body, expected) << c.file;
    }
  }
  // Every index line names a file the repository serves, with the index's checksum.
  const auto index = Index();
  ASSERT_EQ(index.size(), 3u);
  for (const TIndexEntry& entry : index) {
    auto res = Post("/", {{"File", entry.file_name}});
    ASSERT_TRUE(res);
    EXPECT_EQ(Crc32(res->body), entry.checksum) << entry.file_name;
  }
  // Missing sites, names outside the folder and files that are not part of a database.
  StringToFile(dir_ / "secret.wsd", "x");
  StringToFile(folder_ + "notes.txt", "x");
  for (const std::string name : {"missing.wsd", "../secret.wsd", "notes.txt", ".wsd", ""}) {
    auto res = Post("/", {{"File", name}});
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 404) << name;
  }
  auto unknown = Post("/getsites.php", {{"ObjectType", "Everything"}});
  ASSERT_TRUE(unknown);
  EXPECT_EQ(unknown->status, 400);
}

TEST_F(SiteRepositoryTest, UploadStoresTheSiteAndUpdatesIndexAndVersion) {
  Serve();
  StringToFile(folder_ + "version.dat", "Build=77\r\nExported=01-01-2001\r\n");
  // The index's "General" is what the version file comes from; make the two agree first.
  std::string index_text = FileToString(folder_ + "Index.dat");
  TMultiOptions tree;
  tree.SetText(index_text);
  tree.Section("General").SetString("Build", "77");
  tree.Section("General").SetString("Exported", "01-01-2001");
  StringToFile(folder_ + "Index.dat", tree.Text());

  const std::string bytes = SiteBytes("SITE-N", "new");
  EXPECT_EQ(Reply("/putsite.php", UploadFields("SITE-N", "newsite", bytes)), "");
  EXPECT_EQ(FileToString(folder_ + "newsite.wsd"), bytes);
  const auto index = Index();
  ASSERT_EQ(index.size(), 4u);
  EXPECT_EQ(index[3].uin, "SITE-N");
  EXPECT_EQ(index[3].last_contributed, "05-05-2024 12:00:00");
  EXPECT_EQ(index[3].file_name, "newsite.wsd");
  EXPECT_EQ(index[3].checksum, Crc32(bytes));
  TOptionsList version;
  version.SetText(FileToString(folder_ + "version.dat"));
  EXPECT_EQ(version.GetString("Build"), "77");  // the exporting program's build stays
  TDateTime exported = 0;
  ASSERT_TRUE(TryStrToDateTime(version.GetString("Exported"), exported));
  EXPECT_GT(exported, EncodeDate(2020, 1, 1));
  // Served at once in object mode.
  auto res = Post("/getsites.php", {{"ObjectType", "Site"}, {"ObjectName", "newsite"}});
  ASSERT_TRUE(res);
  EXPECT_EQ(res->body, bytes);

  // A new version of a site under another file name replaces the old file.
  const std::string again = SiteBytes("SITE-B", "beta again");
  EXPECT_EQ(Reply("/putsite.php", UploadFields("SITE-B", "beta2", again)), "");
  EXPECT_FALSE(FileExists(folder_ + "beta.wsd"));
  EXPECT_EQ(FileToString(folder_ + "beta2.wsd"), again);
  const auto after = Index();
  ASSERT_EQ(after.size(), 4u);
  EXPECT_EQ(after[1].uin, "SITE-B");  // in its old place
  EXPECT_EQ(after[1].file_name, "beta2.wsd");
}

TEST_F(SiteRepositoryTest, RefusedUploadsChangeNothing) {
  Serve();
  const std::string bytes = SiteBytes("SITE-N", "new");
  const auto good = UploadFields("SITE-N", "newsite", bytes);
  struct Case {
    const char* what;
    Fields fields;
  };
  std::vector<Case> cases;
  auto with = [&](const char* what, const std::string& name, const std::string& value) {
    Fields f = good;
    SetField(f, name, value);
    cases.push_back({what, f});
  };
  uint8_t xor_sum = 0;
  for (const char c : bytes) xor_sum ^= static_cast<uint8_t>(c);
  with("wrong byte checksum", "WSDCRC", std::to_string(xor_sum ^ 1));
  with("byte checksum out of range", "WSDCRC", std::to_string(xor_sum + 256));
  with("wrong file checksum", "FILECRC", std::to_string(Crc32(bytes) ^ 1));
  with("no file checksum", "FILECRC", "");
  with("not hexadecimal", "WSDFILE", "ZZ" + HexEncode(bytes).substr(2));
  with("odd digit count", "WSDFILE", HexEncode(bytes).substr(1));
  with("another site's file", "UIN", "SITE-X");
  with("file name of another site", "FileName", "alpha");
  with("file name with a folder", "FileName", "../escape");
  with("no UIN", "UIN", "");
  {
    // Checksums that match bytes that are no site file.
    const std::string junk = "not a site file at all";
    cases.push_back({"not a site file", UploadFields("SITE-N", "newsite", junk)});
  }
  const std::string alpha_before = FileToString(folder_ + "alpha.wsd");
  const std::string index_before = FileToString(folder_ + "Index.dat");
  const std::string version_before = FileToString(folder_ + "version.dat");
  for (const Case& c : cases) {
    EXPECT_NE(Reply("/putsite.php", c.fields), "") << c.what;
    EXPECT_EQ(FileToString(folder_ + "Index.dat"), index_before) << c.what;
    EXPECT_EQ(FileToString(folder_ + "version.dat"), version_before) << c.what;
    EXPECT_FALSE(FileExists(folder_ + "newsite.wsd")) << c.what;
  }
  EXPECT_FALSE(FileExists(dir_ / "escape.wsd"));
  EXPECT_EQ(FileToString(folder_ + "alpha.wsd").substr(0, 8),
            SiteBytes("SITE-A", "x").substr(0, 8));
}

TEST_F(SiteRepositoryTest, DeleteRemovesTheSiteFromFolderAndIndex) {
  Serve();
  const Fields head = {{"UIN", "SITE-A"},
                       {"Title", "alpha"},
                       {"URL", ""},
                       {"Category", "Shareware"},
                       {"ContributorLogin", "ME"},
                       {"ContributorPWD", "secret"},
                       {"FileName", "alpha"},
                       {"Status", "N"},
                       {"Delete", "Y"}};
  EXPECT_EQ(Reply("/putsite.php", head), "");
  EXPECT_FALSE(FileExists(folder_ + "alpha.wsd"));
  const auto index = Index();
  ASSERT_EQ(index.size(), 2u);
  EXPECT_EQ(index[0].uin, "SITE-B");
  EXPECT_EQ(index[1].uin, "SITE-C");
  // A second removal of the same site is an error the user sees.
  EXPECT_NE(Reply("/putsite.php", head), "");
  EXPECT_EQ(Index().size(), 2u);
}

// Uploads run on the server's worker threads at the same time; none may lose another's line.
TEST_F(SiteRepositoryTest, ParallelUploadsKeepEveryIndexLine) {
  Serve();
  constexpr int kSites = 8;
  std::vector<Fields> uploads;
  for (int i = 0; i < kSites; ++i) {
    const std::string uin = "SITE-P" + std::to_string(i);
    uploads.push_back(UploadFields(uin, "p" + std::to_string(i), SiteBytes(uin, uin)));
  }
  std::vector<std::string> replies(kSites);
  std::vector<std::thread> threads;
  for (int i = 0; i < kSites; ++i)
    threads.emplace_back([&, i] { replies[i] = Reply("/putsite.php", uploads[i]); });
  for (auto& t : threads) t.join();
  for (int i = 0; i < kSites; ++i) EXPECT_EQ(replies[i], "") << i;
  EXPECT_EQ(Index().size(), 3u + kSites);
}

TEST_F(SiteRepositoryTest, BugReportsAreAppendedToTheLog) {
  Serve();
  const Fields report = {{"SenderUIN", "USR-1"},
                         {"SenderName", "Ann Smith"},
                         {"SenderAddr", "ann@example.com"},
                         {"Category", "Page not found"},
                         {"Body", "Line one\r\nLine two & more"},
                         {"SiteUIN", "SITE-A"}};
  EXPECT_EQ(Reply("/bugreport.php", report), "");
  EXPECT_EQ(Reply("/sites/bugreport.php", report), "");
  const std::string log = FileToString(folder_ + kBugReportLog);
  EXPECT_NE(log.find("SenderName: Ann Smith\n"), std::string::npos);
  EXPECT_NE(log.find("SiteUIN: SITE-A\n"), std::string::npos);
  EXPECT_NE(log.find("Line one\r\nLine two & more\n"), std::string::npos);
  // Two entries, each closed by its separator line.
  EXPECT_EQ(log.find("\n----\n"), log.size() / 2 - 6);
  EXPECT_EQ(log.rfind("\n----\n"), log.size() - 6);
  EXPECT_NE(Reply("/bugreport.php", {{"SenderUIN", "USR-1"}}), "");
}

TEST_F(SiteRepositoryTest, TokenIsRequiredForDownloadsAndUploads) {
  const std::string token = "s3cret token\xff";
  Serve({.folder = {}, .token = token, .redirect = {}});
  const std::string index = FileToString(folder_ + "Index.dat");
  auto status = [&](const std::string& path, Fields fields) {
    auto res = Post(path, fields);
    return res ? res->status : -1;
  };
  EXPECT_EQ(status("/getsites.php", {{"ObjectType", "Index"}}), 403);
  EXPECT_EQ(status("/getsites.php", {{"ObjectType", "Index"}, {"AuthInfo", AuthInfoField("x")}}),
            403);
  EXPECT_EQ(status("/", {{"File", "index.dat"}, {"Data", DataField(token + "x")}}), 403);
  EXPECT_EQ(status("/", {{"File", "index.dat"}, {"Data", "not a token"}}), 403);
  auto object =
      Post("/getsites.php", {{"ObjectType", "Index"}, {"AuthInfo", AuthInfoField(token)}});
  ASSERT_TRUE(object);
  EXPECT_EQ(object->body, index);
  // Lower-case digits are read as well.
  std::string lower = AuthInfoField(token);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(status("/getsites.php", {{"ObjectType", "Index"}, {"AuthInfo", lower}}), 200);
  auto repository = Post("/", {{"File", "index.dat"}, {"Data", DataField(token)}});
  ASSERT_TRUE(repository);
  EXPECT_EQ(repository->body, index);
  // GET has nowhere to carry the token.
  httplib::Client client("127.0.0.1", port_);
  auto get = client.Get("/Index.dat");
  ASSERT_TRUE(get);
  EXPECT_EQ(get->status, 403);

  Fields upload = UploadFields("SITE-N", "newsite", SiteBytes("SITE-N", "new"));
  EXPECT_NE(Reply("/putsite.php", upload), "");
  EXPECT_FALSE(FileExists(folder_ + "newsite.wsd"));
  upload.emplace_back("AuthInfo", AuthInfoField(token));
  EXPECT_EQ(Reply("/putsite.php", upload), "");
  EXPECT_TRUE(FileExists(folder_ + "newsite.wsd"));
}

TEST(AccessToken, FieldsCarryTheTokenBothWays) {
  const std::string token = std::string("a\x01z\xfe", 4);
  const std::string auth_info = AuthInfoField(token);
  EXPECT_EQ(auth_info.size(), 2048u);
  EXPECT_EQ(auth_info.substr(0, 10), "61017AFE00");
  EXPECT_EQ(DecodeAuthInfo(auth_info), token);
  EXPECT_EQ(DataField(token), "$61$01$7A$FE");
  EXPECT_EQ(DecodeDataField("$61$01$7a$fe"), token);
  EXPECT_FALSE(DecodeAuthInfo(auth_info.substr(2)));
  EXPECT_FALSE(DecodeDataField("$61$0"));
  EXPECT_FALSE(DecodeDataField("61$01"));
  EXPECT_FALSE(IsValidAccessToken(""));
  EXPECT_FALSE(IsValidAccessToken(std::string(1025, 'a')));
  EXPECT_TRUE(IsValidAccessToken(std::string(1024, 'a')));
}

TEST(FormFields, DecodesTheProgramsBodies) {
  const auto fields = TFormFields::Parse("A=1+2%2C3&B=&C&A=second&D=%25%0D%0A\r\n");
  EXPECT_EQ(fields.Get("A"), "1 2,3");
  EXPECT_TRUE(fields.Has("B"));
  EXPECT_TRUE(fields.Has("C"));
  EXPECT_FALSE(fields.Has("a"));
  EXPECT_EQ(fields.Get("D"), "%\r\n");
  EXPECT_EQ(fields.Fields().size(), 5u);
}

TEST_F(SiteRepositoryTest, MovedDatabaseAnswersFromAnotherAddress) {
  Serve();
  httplib::Client client("127.0.0.1", port_);
  client.set_follow_location(true);
  auto res = client.Post("/moved/getsites.php", Body({{"ObjectType", "Index"}}),
                         "application/x-www-form-urlencoded");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 200);
  EXPECT_NE(res->body.find("<html>"), std::string::npos);
  EXPECT_EQ(res->location, "http://127.0.0.1:" + std::to_string(port_) + kMovedPage);
  Stop();

  Serve({.folder = {}, .token = {}, .redirect = "http://elsewhere.localhost/sites/"});
  auto redirected = Post("/", {{"File", "index.dat"}});
  ASSERT_TRUE(redirected);
  EXPECT_EQ(redirected->status, 303);
  EXPECT_EQ(redirected->get_header_value("Location"), "http://elsewhere.localhost/sites/");
}

// --- the real program

struct Process {
  pid_t pid = -1;
  FILE* out = nullptr;
};

Process Launch(const std::vector<std::string>& args) {
  int fds[2];
  EXPECT_EQ(pipe(fds), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  std::vector<std::string> all = {QUILLORA_SITE_REPOSITORY_PATH};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  Process p;
  EXPECT_EQ(posix_spawn(&p.pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  p.out = fdopen(fds[0], "r");
  return p;
}

int ExitCode(Process& p) {
  int status = 0;
  waitpid(p.pid, &status, 0);
  fclose(p.out);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST_F(SiteRepositoryTest, ProgramPrintsItsAddressAndStopsCleanlyOnSignals) {
  for (const int sig : {SIGTERM, SIGINT}) {
    Process p = Launch({"--folder", folder_, "--port", "0", "--token", "T"});
    char line[256] = {};
    ASSERT_NE(fgets(line, sizeof line, p.out), nullptr);
    std::cmatch m;
    ASSERT_TRUE(
        std::regex_match(line, m, std::regex("listening on http://127\\.0\\.0\\.1:(\\d+)/\n")))
        << line;
    httplib::Client client("127.0.0.1", std::stoi(m[1]));
    auto res = client.Post("/", Body({{"File", "version.dat"}, {"Data", DataField("T")}}),
                           "application/x-www-form-urlencoded");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->body, FileToString(folder_ + "version.dat"));
    kill(p.pid, sig);
    EXPECT_EQ(ExitCode(p), 0) << sig;
  }
  // A folder that does not exist is refused before anything listens.
  Process missing = Launch({"--folder", dir_ / "nowhere", "--port", "0"});
  EXPECT_EQ(ExitCode(missing), 1);
}

}  // namespace
}  // namespace quillora
