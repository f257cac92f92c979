#include "net/site_update.h"

#include <algorithm>
#include <memory>
#include <regex>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "cli/cli_app.h"
#include "foundation/files.h"
#include "foundation/option_list.h"
#include "foundation/text_utils.h"
#include "net/repository_server.h"
#include "net/repository_token.h"
#include "net/transfer_window.h"
#include "sites/ratings_file.h"
#include "sites/site.h"
#include "sites/site_list.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"
#include "support/test_context.h"

extern char** environ;

namespace quillora {
namespace {

using test::ScriptedUI;
using test::TempDir;

// --- requests and replies without a server

TEST(UpdateRequests, EveryRequestOfBothModesAsPosted) {
  TUpdateServer object{true, "http://h/sites/", ""};
  TUpdateServer repository{false, "http://h/sites/", "T k"};
  const std::string auth = "&AuthInfo=" + std::string(2048, '0');
  struct Case {
    TUpdateObject object;
    std::string file_field, object_line, object_local, repository_line, repository_local;
  };
  const Case cases[] = {
      {TUpdateObject::Stamp, "", "ObjectType=Info" + auth, "info.dat",
       "File=version.dat&Data=$54$20$6B", "version.dat"},
      {TUpdateObject::Index, "", "ObjectType=Index" + auth, "Index.dat",
       "File=index.dat&Data=$54$20$6B", "Index.dat"},
      {TUpdateObject::Ratings, "", "ObjectType=Ratings&ObjectName=ratings.dat" + auth,
       "ratings.dat", "File=ratings.dat&Data=$54$20$6B", "Ratings.dat"},
      // Values are URL-encoded: a space is "+", "&" and "=" are escaped, "!$'()*+,-._" stay.
      {TUpdateObject::Site, "a b&c=d!$'()*+,-._~",
       "ObjectType=Site&ObjectName=a+b%26c%3Dd!$'()*+,-._%7E" + auth, "a b&c=d!$'()*+,-._~.wsd",
       "File=a+b%26c%3Dd!$'()*+,-._%7E&Data=$54$20$6B", "a b&c=d!$'()*+,-._~"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(object.RequestLine(c.object, c.file_field), c.object_line);
    EXPECT_EQ(object.LocalName(c.object, c.file_field), c.object_local);
    EXPECT_EQ(repository.RequestLine(c.object, c.file_field), c.repository_line);
    EXPECT_EQ(repository.LocalName(c.object, c.file_field), c.repository_local);
  }
  EXPECT_EQ(object.Address(), "http://h/sites/getsites.php");
  EXPECT_EQ(repository.Address(), "http://h/sites/");
  // A token in "AuthInfo": its bytes in hexadecimal, padded to 2048 digits.
  EXPECT_EQ(AuthInfoField("T k"), "54206B" + std::string(2042, '0'));
}

TEST(UpdateReplies, StampIndexAndRatingsAsTheUpdateReadsThem) {
  EXPECT_EQ(ReadStampExported("Build=1\r\nExported=02-03-2024 10:00:00\r\n"),
            "02-03-2024 10:00:00");
  EXPECT_EQ(ReadStampExported("<html>moved</html>"), "");
  struct NewerCase {
    const char* exported;
    const char* base;
    bool newer;
  };
  const NewerCase newer[] = {{"02-03-2024 10:00:00", "01-01-1900", true},
                             {"02-03-2024 10:00:00", "02-03-2024 10:00:00", false},
                             {"02-03-2024 10:00:00", "02-03-2024 10:00:01", false},
                             {"", "01-01-1900", false},
                             {"yesterday", "01-01-1900", false},
                             {"02-03-2024 10:00:00", "garbage", false}};
  for (const NewerCase& c : newer)
    EXPECT_EQ(IsNewerDatabase(c.exported, c.base), c.newer) << c.exported << " / " << c.base;

  // An older index is its "Sites" lines alone; blank lines name no site.
  const TUpdateIndex old_index = ReadUpdateIndex("A,01-01-2024,a.wsd,1\r\n\r\nB,,b.wsd,2\r\n");
  EXPECT_FALSE(old_index.has_general);
  EXPECT_EQ(old_index.lines, (std::vector<std::string>{"A,01-01-2024,a.wsd,1", "B,,b.wsd,2"}));
  const TUpdateIndex index =
      ReadUpdateIndex("[General]\r\nBuild=7\r\nExported=01-02-2024\r\n\r\n[Sites]\r\nA,x,a,1\r\n");
  EXPECT_TRUE(index.has_general);
  EXPECT_EQ(index.general.GetString("Build"), "7");
  EXPECT_EQ(index.lines, std::vector<std::string>{"A,x,a,1"});
  const TUpdateIndexLine line = SplitIndexLine("UIN-1,01-01-2024 10:00:00,file,123");
  EXPECT_EQ(line.uin, "UIN-1");
  EXPECT_EQ(line.last_contributed, "01-01-2024 10:00:00");
  EXPECT_EQ(line.file_field, "file");
  EXPECT_EQ(line.checksum, "123");
  for (const char* bad : {"", ".", "..", "../x", "a/b", "a\\b", "c:x"})
    EXPECT_FALSE(IsPlainFileField(bad)) << bad;
  EXPECT_TRUE(IsPlainFileField("alpha (2).wsd"));

  // (The CRC-32 of these lines is below 2^31: larger ones never pass the check.)
  TOptionsList ratings;
  ratings.SetString("S-NEWER", "9");
  ratings.SetString("S-SAME", "4");
  const std::string good = MakeRatingsText(ratings, "01-03-2024 09:00:00");
  EXPECT_EQ(ReadDownloadedRatings(good).state, TDownloadedRatings::Ok);
  EXPECT_EQ(ReadDownloadedRatings(good).date, "01-03-2024 09:00:00");
  EXPECT_EQ(ReadDownloadedRatings(good).ratings.GetString("S-SAME"), "4");
  EXPECT_EQ(ReadDownloadedRatings(ReplaceAll(good, "S-SAME=4", "S-SAME=5")).state,
            TDownloadedRatings::ChecksumError);
  EXPECT_EQ(ReadDownloadedRatings(ReplaceAll(good, "[Ratings]", "[Other]")).state,
            TDownloadedRatings::WrongFormat);
  EXPECT_EQ(ReadDownloadedRatings("S-SAME=5\r\n").state, TDownloadedRatings::WrongFormat);
  EXPECT_TRUE(IsLaterRatings("02-03-2024", "01-03-2024"));
  EXPECT_FALSE(IsLaterRatings("01-03-2024", "01-03-2024"));
  EXPECT_FALSE(IsLaterRatings("02-03-2024", "not a date"));
}

// --- the update against the reference server

std::unique_ptr<TWebSite> MakeSite(const std::string& uin, const std::string& name,
                                   const std::string& contributed, bool protect = false,
                                   bool disabled = false) {
  auto s = std::make_unique<TWebSite>();
  s->Info.CommonInfo().SetString("UIN", uin);
  s->Info.CommonInfo().SetString("Name", name);
  s->Info.CommonInfo().SetString("Last contributed", contributed);
  s->Protected = protect ? 1 : 0;
  s->SetDisabled(disabled);
  return s;
}

// A front end that records what the update showed and answers as told.
class RecordingFrontEnd : public TUpdateFrontEnd {
 public:
  bool confirm = true;
  TUpgradeAnswer upgrade = TUpgradeAnswer::Continue;
  std::vector<TUpdateLists> shown_lists;
  std::vector<std::pair<std::string, std::string>> upgrade_questions;
  std::vector<std::string> opened;
  std::string page_address, page;
  std::vector<std::string> removing;

  bool ConfirmUpdate(const TUpdateLists& lists) override {
    shown_lists.push_back(lists);
    return confirm;
  }
  TUpgradeAnswer AskUpgrade(const std::string& server, const std::string& program) override {
    upgrade_questions.emplace_back(server, program);
    return upgrade;
  }
  void OpenUpgradePage(const std::string& address) override { opened.push_back(address); }
  void ShowServerPage(const std::string& final_address, const std::string& body) override {
    page_address = final_address;
    page = body;
  }
  void SiteRemoving(TWebSite& site) override { removing.push_back(site.UIN()); }
};

constexpr const char* kServerRatingsDate = "01-03-2024 09:00:00";

// The server: a database exported from generated sites, with a ratings file, served in-process
// on an ephemeral port of 127.0.0.1. The program: a site list of its own sites folder, its
// download folder, a data folder and settings pointing at the server; the parameter picks the
// server mode.
class SiteUpdateTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    // On the server.
    ForceDirectories(dir_ / "server-sites");
    const std::vector<std::unique_ptr<TWebSite>> server_sites = [] {
      std::vector<std::unique_ptr<TWebSite>> v;
      v.push_back(MakeSite("S-NEW", "fresh", "10-01-2024 10:00:00"));
      v.push_back(MakeSite("S-NEWER", "newer on server", "10-01-2024 10:00:00"));
      v.push_back(MakeSite("S-SAME", "same", "05-01-2024 10:00:00"));
      v.push_back(MakeSite("S-PROT", "protected here", "10-01-2024 10:00:00"));
      v.push_back(MakeSite("S-DIS", "disabled here", "10-01-2024 10:00:00"));
      v.push_back(MakeSite("S-UNDATED", "undated here", "10-01-2024 10:00:00"));
      return v;
    }();
    for (const auto& s : server_sites)
      ASSERT_TRUE(s->SaveSiteFile(dir_ / ("server-sites/" + s->UIN() + ".wsd"), false));
    TSiteList server_list(dir_ / "server-sites/", dir_ / "server-tmp/");
    ASSERT_TRUE(server_list.LoadAll());
    ASSERT_TRUE(server_list.ExportSites(db_));
    TOptionsList ratings;
    ratings.SetString("S-NEWER", "9");
    ratings.SetString("S-SAME", "4");
    StringToFile(db_ + "Ratings.dat", MakeRatingsText(ratings, kServerRatingsDate));

    MakeLocal();
  }
  void TearDown() override { Stop(); }

  // The program's side afresh: its sites, an empty download folder and data folder.
  void MakeLocal() {
    for (const std::string& folder : {local_folder_, temp_, data_}) {
      for (const std::string& name : ListFiles(folder, "*")) DeleteFileAt(folder + name);
      ForceDirectories(folder);
    }
    const std::unique_ptr<TWebSite> local_sites[] = {
        MakeSite("S-NEWER", "newer", "01-01-2024 10:00:00"),
        MakeSite("S-SAME", "same", "05-01-2024 10:00:00"),
        MakeSite("S-PROT", "protected here", "01-01-2024 10:00:00", true),
        MakeSite("S-DIS", "disabled here", "01-01-2024 10:00:00", false, true),
        MakeSite("S-UNDATED", "undated here", ""),
        MakeSite("S-OBSOLETE", "gone from server", "01-01-2024 10:00:00"),
        MakeSite("S-MINE", "made here", "", true)};
    for (const auto& s : local_sites)
      ASSERT_TRUE(s->SaveSiteFile(local_folder_ + s->UIN() + ".wsd", false));
    Reload();
  }
  // The UINs of the server's index that are among these, in the index's order.
  std::vector<std::string> InIndexOrder(const std::vector<std::string>& uins) {
    std::vector<std::string> ordered;
    for (const std::string& line : ReadUpdateIndex(FileToString(db_ + "Index.dat")).lines) {
      const std::string uin = SplitIndexLine(line).uin;
      if (std::find(uins.begin(), uins.end(), uin) != uins.end()) ordered.push_back(uin);
    }
    return ordered;
  }

  void Reload() {
    sites_ = std::make_unique<TSiteList>(local_folder_, temp_);
    ASSERT_TRUE(sites_->LoadAll());
  }

  void Serve(const std::string& token = {}) {
    ASSERT_GT(server_.Start(db_, token), 0);
    settings_.SetBool("SITES_FROM_SQL_DB", GetParam());
    settings_.SetString("Sites Repository", Base() + "sites/");
    settings_.SetString("Server Base Exported", "01-01-1900");
  }
  void Stop() { server_.Stop(); }
  std::string Base() const { return server_.Base(); }

  TUpdateOutcome Update() {
    TTransferWindow window;
    TSiteUpdate update(*sites_, settings_, data_, front_, window);
    TUpdateOutcome outcome = update.Run();
    EXPECT_FALSE(window.View().visible) << "the windows are hidden at the end";
    return outcome;
  }
  std::string ServerExported() {
    return ReadUpdateIndex(FileToString(db_ + "Index.dat")).general.GetString("Exported");
  }
  std::string Contributed(const std::string& uin) {
    const TWebSite* site = sites_->FindByUIN(uin);
    return site ? site->Info.Value("Common info", "Last contributed") : "<none>";
  }
  // Rewrites the server's index, changing every line with the given UIN.
  void EditServerIndex(const std::string& from, const std::string& to) {
    StringToFile(db_ + "Index.dat", ReplaceAll(FileToString(db_ + "Index.dat"), from, to));
  }

  ScriptedUI ui_;
  TempDir dir_;
  const std::string db_ = dir_ / "db/";
  const std::string local_folder_ = dir_ / "sites/";
  const std::string temp_ = dir_ / "Temp/";
  const std::string data_ = dir_ / "data/";
  TOptionsList settings_;
  RecordingFrontEnd front_;
  std::unique_ptr<TSiteList> sites_;
  test::RepositoryServer server_;
};

INSTANTIATE_TEST_SUITE_P(Modes, SiteUpdateTest, ::testing::Values(true, false),
                         [](const auto& mode) { return mode.param ? "Object" : "Repository"; });

TEST_P(SiteUpdateTest, TakesNewAndNewerSitesAndRemovesObsoleteOnes) {
  Serve();
  const TUpdateOutcome outcome = Update();
  EXPECT_TRUE(outcome.updated);
  EXPECT_EQ(outcome.error, "");

  // What the dialog offered: new, newer and undated sites in index order; the protected,
  // disabled and same-date ones were left out; of the local-only sites the protected one stays.
  ASSERT_EQ(front_.shown_lists.size(), 1u);
  const TUpdateLists& lists = front_.shown_lists[0];
  EXPECT_EQ(lists.server_total, 6);
  std::vector<std::string> offered;
  for (const auto& d : lists.downloads) offered.push_back(d.uin);
  EXPECT_EQ(offered, InIndexOrder({"S-NEW", "S-NEWER", "S-UNDATED"}));
  ASSERT_EQ(lists.obsolete.size(), 1u);
  EXPECT_EQ(lists.obsolete[0].uin, "S-OBSOLETE");
  EXPECT_EQ(
      UpdateDialogLines(lists),
      (std::vector<std::string>{
          "Total sites on the server: 6", "Quillora will download and update following sites (3):",
          offered[0] + " :  " + offered[0] + ".wsd", offered[1] + " :  " + offered[1] + ".wsd",
          offered[2] + " :  " + offered[2] + ".wsd",
          "Quillora will delete following obsolete sites (1):", "S-OBSOLETE :  S-OBSOLETE.wsd"}));

  EXPECT_EQ(ui_.Texts("info"),
            std::vector<std::string>{"Update Successful.\r\n3 sites updated\r\n1 sites removed"});
  EXPECT_EQ(ui_.Texts("error"), std::vector<std::string>{});
  EXPECT_EQ(front_.removing, std::vector<std::string>{"S-OBSOLETE"});
  EXPECT_EQ(settings_.GetString("Server Base Exported"), ServerExported());

  // In memory and on disk alike.
  for (int pass = 0; pass < 2; ++pass) {
    SCOPED_TRACE(pass == 0 ? "in memory" : "reloaded");
    EXPECT_EQ(sites_->Count(), 7);
    EXPECT_EQ(sites_->FindByUIN("S-OBSOLETE"), nullptr);
    ASSERT_NE(sites_->FindByUIN("S-NEW"), nullptr);
    EXPECT_EQ(sites_->FindByUIN("S-NEW")->Name(), "fresh");
    EXPECT_EQ(Contributed("S-NEW"), "10-01-2024 10:00:00");
    EXPECT_EQ(sites_->FindByUIN("S-NEWER")->Name(), "newer on server");
    EXPECT_EQ(Contributed("S-UNDATED"), "10-01-2024 10:00:00");
    EXPECT_EQ(Contributed("S-PROT"), "01-01-2024 10:00:00");
    EXPECT_EQ(Contributed("S-DIS"), "01-01-2024 10:00:00");
    EXPECT_NE(sites_->FindByUIN("S-MINE"), nullptr);
    Reload();
  }
  // Nothing of the update stays in the download folder but the ratings, which had no current
  // file to replace.
  EXPECT_EQ(ListFiles(temp_, "*"),
            std::vector<std::string>{GetParam() ? "ratings.dat" : "Ratings.dat"});

  // A second run finds nothing new and asks nothing.
  ui_.ClearEvents();
  const TUpdateOutcome again = Update();
  EXPECT_TRUE(again.nothing_to_do);
  EXPECT_FALSE(again.updated);
  EXPECT_EQ(front_.shown_lists.size(), 1u);
  EXPECT_EQ(ui_.Texts("info"),
            std::vector<std::string>{"There are no new files\r\non the server."});
}

TEST_P(SiteUpdateTest, DeclinedUpdateChangesNoSiteButMovesTheTakenStamp) {
  Serve();
  front_.confirm = false;
  const TUpdateOutcome outcome = Update();
  EXPECT_FALSE(outcome.updated);
  EXPECT_TRUE(outcome.declined);
  EXPECT_EQ(settings_.GetString("Server Base Exported"), ServerExported());
  EXPECT_EQ(sites_->FindByUIN("S-NEW"), nullptr);
  EXPECT_NE(sites_->FindByUIN("S-OBSOLETE"), nullptr);
  EXPECT_TRUE(FileExists(local_folder_ + "S-OBSOLETE.wsd"));
  EXPECT_EQ(Contributed("S-NEWER"), "01-01-2024 10:00:00");
  EXPECT_EQ(ui_.Texts("info"), std::vector<std::string>{});
  // So the check no longer offers this database.
  EXPECT_FALSE(CheckForUpdate(ReadUpdateServer(settings_),
                              settings_.GetString("Server Base Exported"), temp_));
}

TEST_P(SiteUpdateTest, AServerPageInsteadOfTheIndexIsShownAndChangesNothing) {
  Serve();
  // A database that moved answers every request with a redirection to a page.
  settings_.SetString("Sites Repository", Base() + "moved/");
  const TUpdateOutcome outcome = Update();
  EXPECT_FALSE(outcome.updated);
  EXPECT_EQ(front_.page_address, Base() + "moved.html");
  EXPECT_NE(front_.page.find("Site database moved"), std::string::npos);
  EXPECT_TRUE(front_.shown_lists.empty());
  EXPECT_EQ(settings_.GetString("Server Base Exported"), "01-01-1900");
  EXPECT_NE(sites_->FindByUIN("S-OBSOLETE"), nullptr);
  EXPECT_FALSE(FileExists(temp_ + "Index.dat"));
}

TEST_P(SiteUpdateTest, SitesThatCannotBeTakenAreReportedAndTheRestGoesOn) {
  // S-NEW's checksum is off by one; S-NEWER's file is missing; S-UNDATED's file field would
  // leave the download folder.
  const std::string index = FileToString(db_ + "Index.dat");
  std::vector<std::string> lines = SplitLines(index);
  for (std::string& line : lines) {
    TUpdateIndexLine f = SplitIndexLine(line);
    if (f.uin == "S-NEW")
      line = f.uin + "," + f.last_contributed + "," + f.file_field + "," +
             std::to_string(std::stoul(f.checksum) ^ 1u);
    if (f.uin == "S-NEWER") DeleteFileAt(db_ + f.file_field);
    if (f.uin == "S-UNDATED")
      line = f.uin + "," + f.last_contributed + ",../" + f.file_field + "," + f.checksum;
  }
  StringToFile(db_ + "Index.dat", JoinLines(lines));
  Serve();
  const TUpdateOutcome outcome = Update();
  EXPECT_TRUE(outcome.updated);
  EXPECT_EQ(outcome.sites_updated, 0);
  EXPECT_EQ(outcome.sites_failed, 2);
  std::vector<std::string> errors = ui_.Texts("error");
  std::sort(errors.begin(), errors.end());
  EXPECT_EQ(errors, (std::vector<std::string>{"CheckSum is not valid.", "File not found"}));
  EXPECT_EQ(ui_.Texts("info"),
            std::vector<std::string>{"Update Successful.\r\n0 sites updated\r\n1 sites removed"});
  EXPECT_EQ(sites_->FindByUIN("S-NEW"), nullptr);
  EXPECT_EQ(Contributed("S-NEWER"), "01-01-2024 10:00:00");
  EXPECT_EQ(Contributed("S-UNDATED"), "");
  EXPECT_FALSE(FileExists(dir_ / "S-UNDATED.wsd"));
  EXPECT_FALSE(FileExists(dir_ / "S-UNDATED"));
}

TEST_P(SiteUpdateTest, AnotherBuildOnTheServerAsksBeforeGoingOn) {
  EditServerIndex("Build=" QUILLORA_BUILD, "Build=99999");
  Serve();
  struct Case {
    TUpgradeAnswer answer;
    bool goes_on;
    size_t pages_opened;
  };
  for (const Case c :
       {Case{TUpgradeAnswer::Cancel, false, 0}, Case{TUpgradeAnswer::Upgrade, false, 1},
        Case{TUpgradeAnswer::Continue, true, 1}}) {
    front_.upgrade = c.answer;
    const TUpdateOutcome outcome = Update();
    EXPECT_EQ(outcome.updated, c.goes_on);
    EXPECT_EQ(front_.shown_lists.size(), c.goes_on ? 1u : 0u);
    EXPECT_EQ(front_.opened.size(), c.pages_opened);
  }
  EXPECT_EQ(front_.upgrade_questions.back(),
            (std::pair<std::string, std::string>{"99999", QUILLORA_BUILD}));
  EXPECT_EQ(front_.opened[0], kUpgradePage);
}

TEST_P(SiteUpdateTest, NewerRatingsAreOfferedAndTakenOnYesOnly) {
  TOptionsList mine;
  mine.SetString("S-NEWER", "2");
  struct Case {
    const char* name;
    std::string current;  // the data folder's "Ratings.dat"
    std::string server;   // the server's, "" for the fixture's
    int answer;           // queued Yes/No, -1 for none
    bool asked, taken;
    std::vector<std::string> errors;
  };
  const std::string later = "";
  const Case cases[] = {
      {"later, Yes", MakeRatingsText(mine, "01-02-2024 00:00:00"), later, 1, true, true, {}},
      {"later, No", MakeRatingsText(mine, "01-02-2024 00:00:00"), later, 0, true, false, {}},
      {"not later", MakeRatingsText(mine, kServerRatingsDate), later, -1, false, false, {}},
      {"older form here", "S-NEWER=2\r\n", later, 1, true, true, {}},
      {"wrong checksum",
       MakeRatingsText(mine, "01-02-2024 00:00:00"),
       ReplaceAll(FileToString(db_ + "Ratings.dat"), "S-SAME=4", "S-SAME=5"),
       -1,
       false,
       false,
       {"Page ranks file checksum error"}},
      {"wrong format",
       MakeRatingsText(mine, "01-02-2024 00:00:00"),
       "S-SAME=5\r\n",
       -1,
       false,
       false,
       {"Error importing the \"ratings.dat\" file. The file format is wrong."}},
  };
  const std::string server_ratings = FileToString(db_ + "Ratings.dat");
  Serve();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MakeLocal();
    settings_.SetString("Server Base Exported", "01-01-1900");
    StringToFile(data_ + "Ratings.dat", c.current);
    StringToFile(db_ + "Ratings.dat", c.server.empty() ? server_ratings : c.server);
    ui_.ClearEvents();
    if (c.answer >= 0) ui_.QueueYesNo(c.answer == 1);
    ASSERT_TRUE(Update().updated);
    EXPECT_EQ(ui_.Texts("yesno").size(), c.asked ? 1u : 0u);
    if (c.asked) {
      EXPECT_EQ(ui_.Texts("yesno")[0],
                "There are updated page ranks available to download.\r\nDo you wish to proceed?");
    }
    EXPECT_EQ(ui_.Texts("error"), c.errors);
    const std::string downloaded = temp_ + (GetParam() ? "ratings.dat" : "Ratings.dat");
    if (c.taken) {
      EXPECT_EQ(FileToString(data_ + "Ratings.dat"), server_ratings);
      EXPECT_EQ(sites_->FindByUIN("S-SAME")->Info.Value("Common info", "Rating"), "4");
      EXPECT_EQ(ui_.Texts("info").back(), "Page ranks updated.");
      EXPECT_FALSE(FileExists(downloaded));
    } else {
      EXPECT_EQ(FileToString(data_ + "Ratings.dat"), c.current);
      EXPECT_EQ(sites_->FindByUIN("S-SAME")->Info.Value("Common info", "Rating"), "");
      // Declined ratings go; ratings not taken for another reason stay in the download folder.
      EXPECT_EQ(FileExists(downloaded), !c.asked);
    }
  }
}

TEST_P(SiteUpdateTest, AccessTokenAcceptedAndRefused) {
  struct Case {
    std::string server_token, client_token;
    bool accepted;
  };
  const Case cases[] = {
      {"", "", true}, {"T0k en", "T0k en", true}, {"T0k en", "", false}, {"T0k en", "T0k", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.server_token + " / " + c.client_token);
    Serve(c.server_token);
    settings_.SetString(kRepositoryTokenKey, c.client_token);
    TTransferResult transfer = trNoError;
    EXPECT_EQ(CheckForUpdate(ReadUpdateServer(settings_), "01-01-1900", temp_, nullptr, &transfer),
              c.accepted);
    EXPECT_EQ(transfer, c.accepted ? trNoError : trAccessDenied);
    ui_.ClearEvents();
    front_.confirm = false;
    Update();
    EXPECT_EQ(ui_.Texts("error"),
              c.accepted ? std::vector<std::string>{} : std::vector<std::string>{"Access denied"});
    EXPECT_EQ(front_.shown_lists.empty(), !c.accepted);
    front_.shown_lists.clear();
    Stop();
  }
}

TEST_P(SiteUpdateTest, CheckRunsOnAWorkerThreadAndLeavesNoFile) {
  Serve();
  const TUpdateServer server = ReadUpdateServer(settings_);
  struct Case {
    std::string base;
    bool newer;
  };
  const Case cases[] = {{"01-01-1900", true}, {ServerExported(), false}, {"not a date", false}};
  for (const Case& c : cases) {
    bool newer = !c.newer;
    std::jthread worker([&] { newer = CheckForUpdate(server, c.base, temp_); });
    worker.join();
    EXPECT_EQ(newer, c.newer) << c.base;
  }
  EXPECT_EQ(ListFiles(temp_, "*"), std::vector<std::string>{});
  // A server that is not there: a failed transfer, not "not newer".
  Stop();
  TTransferResult transfer = trNoError;
  EXPECT_FALSE(CheckForUpdate(server, "01-01-1900", temp_, nullptr, &transfer));
  EXPECT_EQ(transfer, trConnectionFailed);
}

// --- the command line against the real server program

struct Process {
  pid_t pid = -1;
  FILE* out = nullptr;
  int port = 0;
};

Process LaunchRepository(const std::vector<std::string>& args) {
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
  char line[256] = {};
  if (fgets(line, sizeof line, p.out)) {
    std::cmatch m;
    if (std::regex_match(line, m, std::regex("listening on http://127\\.0\\.0\\.1:(\\d+)/\n")))
      p.port = std::stoi(m[1]);
  }
  return p;
}

void StopProcess(Process& p) {
  kill(p.pid, SIGTERM);
  int status = 0;
  waitpid(p.pid, &status, 0);
  fclose(p.out);
}

class UpdateCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ForceDirectories(dir_ / "server-sites");
    ASSERT_TRUE(MakeSite("S-CLI", "cli site", "10-01-2024 10:00:00")
                    ->SaveSiteFile(dir_ / "server-sites/S-CLI.wsd", false));
    TSiteList list(dir_ / "server-sites/", dir_ / "server-tmp/");
    ASSERT_TRUE(list.LoadAll());
    ASSERT_TRUE(list.ExportSites(db_));
  }
  void TearDown() override {
    if (server_.pid > 0) StopProcess(server_);
  }
  void Launch(const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args = {"--folder", db_, "--port", "0"};
    args.insert(args.end(), extra.begin(), extra.end());
    server_ = LaunchRepository(args);
    ASSERT_GT(server_.port, 0);
  }
  int Cli(std::vector<std::string> args) {
    std::vector<std::string> all = {"--data-dir", data_.DataDir(), "--user-dir", data_.UserDir()};
    all.insert(all.end(), args.begin(), args.end());
    std::istringstream in;
    out_.str({});
    err_.str({});
    return cli::RunCli(all, in, out_, err_);
  }
  void Set(const std::string& key, const std::string& value) {
    ASSERT_EQ(Cli({"settings", "set", key, value}), 0) << err_.str();
  }
  std::string Repository(int port) { return "http://127.0.0.1:" + std::to_string(port) + "/"; }

  TempDir dir_;
  test::TestData data_;
  const std::string db_ = dir_ / "db/";
  Process server_;
  std::ostringstream out_, err_;
};

TEST_F(UpdateCommandTest, CheckExitCodesAndTheTokenSetting) {
  Launch({"--token", "s3cret"});
  Set("Sites Repository", Repository(server_.port));
  // Refused without the token: a failure, not "not newer".
  EXPECT_EQ(Cli({"update", "--check"}), 1);
  EXPECT_EQ(err_.str(), "error: Access denied\n");
  Set(kRepositoryTokenKey, "s3cret");
  for (const bool object_mode : {true, false}) {
    Set("SITES_FROM_SQL_DB", object_mode ? "TRUE" : "FALSE");
    Set("Server Base Exported", "01-01-1900");
    EXPECT_EQ(Cli({"update", "--check"}), 0) << err_.str();
    EXPECT_EQ(out_.str(), "newer\n");
    Set("Server Base Exported", "31-12-2099 00:00:00");
    EXPECT_EQ(Cli({"update", "--check"}), 3) << err_.str();
    EXPECT_EQ(out_.str(), "not newer\n");
  }
  Set("Sites Repository", Repository(1));
  EXPECT_EQ(Cli({"update", "--check"}), 1);
}

TEST_F(UpdateCommandTest, UpdatePrintsTheListsAndFollowsTheAnswer) {
  Launch();
  Set("Sites Repository", Repository(server_.port));
  // Not confirmed: nothing taken, exit 1, the stamp moved on.
  EXPECT_EQ(Cli({"--no", "update"}), 1);
  EXPECT_NE(out_.str().find("Quillora will download and update following sites (1):\nS-CLI :  "),
            std::string::npos)
      << out_.str();
  EXPECT_EQ(Cli({"update", "--check"}), 3);
  // Confirmed: the site is taken, one progress line per finished transfer.
  EXPECT_EQ(Cli({"--yes", "update"}), 0) << err_.str();
  EXPECT_NE(err_.str().find("info: Update Successful."), std::string::npos) << err_.str();
  EXPECT_NE(err_.str().find("Download Index -> "), std::string::npos) << err_.str();
  EXPECT_NE(err_.str().find("Download Site: S-CLI.wsd -> "), std::string::npos) << err_.str();
  EXPECT_EQ(Cli({"sites", "list", "--all", "--columns", "0"}), 0);
  EXPECT_NE(out_.str().find("cli site"), std::string::npos) << out_.str();
  // Nothing new: exit 0.
  EXPECT_EQ(Cli({"--yes", "update"}), 0) << err_.str();
  EXPECT_NE(err_.str().find("There are no new files"), std::string::npos);
}

}  // namespace
}  // namespace quillora
