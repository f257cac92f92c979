#include "core/core_context.h"

#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "core/startup_summary.h"
#include "foundation/files.h"
#include "foundation/logs.h"
#include "foundation/registry.h"
#include "foundation/stream.h"
#include "pad/profile.h"
#include "pad/records.h"
#include "sites/site_cache.h"
#include "sites/site_filter.h"
#include "sites/site_list.h"
#include "support/core_test.h"

namespace quillora {
namespace {

// Each test runs the programs' start-up on its own copy of the shipped data, with its own user
// folder and registry.
class StartupTest : public test::CoreTest {
 protected:
  std::string DataDir() const { return data_.DataDir(); }
  std::string UserDir() const { return data_.UserDir(); }
  void WriteSettings(const std::string& text) {
    ForceDirectories(UserDir() + "data/");
    StringToFile(UserDir() + "data/config.dat", text);
  }
};

// Nothing of a core is reachable: what a failed start and a shutdown must leave.
void ExpectNothingInstalled() {
  EXPECT_EQ(TCoreContext::Current(), nullptr);
  EXPECT_FALSE(ApplicationDataReady());
  EXPECT_FALSE(SiteListReady());
  EXPECT_FALSE(RecordListsReady());
  EXPECT_EQ(ActiveSiteProfile(), nullptr);
  EXPECT_EQ(ActiveProfileValues(), nullptr);
  EXPECT_EQ(GlobalMonitors(), nullptr);
  EXPECT_THROW(Settings(), std::logic_error);
  EXPECT_THROW(SiteFilter(), std::logic_error);
  EXPECT_THROW(ActiveProfile(), std::logic_error);
}

// A process id that no process has any more.
std::string DeadPid() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  return std::to_string(child);
}

TEST_F(StartupTest, FirstStartAppliesDefaultsAndShutdownWritesThem) {
  Start();
  EXPECT_TRUE(ui_.Events().empty()) << ui_.Events()[0].text;
  EXPECT_EQ(Settings().GetString("Sites List Sort"), "-1");
  EXPECT_EQ(Settings().GetString("BgColor Found"), "CDDFCC");
  EXPECT_EQ(Settings().GetString("Server Base Exported"), "01-01-1900");
  EXPECT_TRUE(Settings().GetBool("Product_Editor Tab Search Flag"));
  EXPECT_TRUE(Settings().GetBool("New_Autosearch"));
  EXPECT_EQ(Folders().dump, DataDir() + "dump/");
  EXPECT_TRUE(DirectoryExists(UserDir() + "Temp/"));
  EXPECT_GT(Tables().name_space.Count(), 0);
  EXPECT_EQ(Tables().exceptions.Line(0), "Quillora 3.0");
  Stop();
  ExpectNothingInstalled();

  TOptionsList saved;
  saved.LoadFromTextFile(UserDir() + "data/config.dat");
  EXPECT_EQ(saved.GetString("Filter RatingTo"), "100");
  EXPECT_EQ(saved.GetString("Active Company"), "Sample_Company");
  EXPECT_TRUE(FileExists(DataDir() + "speed_tests.dat"));
  EXPECT_NE(FileToString(DataDir() + "speed_tests.txt").find("Session: "), std::string::npos);
}

TEST_F(StartupTest, StoredSettingsSurviveAndResetKeysAreRepaired) {
  WriteSettings(
      "Font Color=FFF\r\nColor Found=12AB9Z\r\nFilter RatingTo=50\r\n"
      "Sites List Order=1,2,3\r\nSites List Width=10,20,30\r\n"
      "AppData_Dir=/no/such/folder/\r\nAutosearch2_Folder=/abs/dump/\r\n");
  Start();
  EXPECT_EQ(Settings().GetString("Font Color"), "FFFFFF");  // three characters: replaced
  EXPECT_EQ(Settings().GetString("Color Found"),
            "12AB9Z");  // six characters: kept whatever they are
  EXPECT_EQ(Settings().GetString("Filter RatingTo"), "50");
  EXPECT_EQ(Settings().GetString("Sites List Order"), "25,1,2,3");
  EXPECT_EQ(Settings().GetString("Sites List Width"), "20,10,20,30");
  EXPECT_EQ(Folders().dump, "/abs/dump/");
}

// Whichever required table is missing, early or after the sites and records were made, the start
// stops with its message and leaves nothing half-made behind; the next start is a whole one.
TEST_F(StartupTest, MissingRequiredTableStopsTheStartAndLeavesNothingInstalled) {
  options_.load_records = true;
  for (const char* table : {"NameSpace.dat", "status.dat", "aliases.dat", "notfound.dat"}) {
    ui_.ClearEvents();
    const std::string path = DataDir() + table;
    const std::string text = FileToString(path);
    DeleteFileAt(path);
    EXPECT_FALSE(TryStart()) << table;
    EXPECT_EQ(ui_.Texts("error"), std::vector<std::string>{"Cannot load " + path + "\rExiting."});
    ExpectNothingInstalled();
    EXPECT_FALSE(FileExists(UserDir() + "data/config.dat"));  // nothing is saved either
    StringToFile(path, text);
  }
  Start();
  EXPECT_TRUE(SiteListReady());
  EXPECT_EQ(ActiveProfile().GetString("Program_Info/Program_Name"), "Sample Notes");
}

TEST_F(StartupTest, OptionalTablesReportAndContinue) {
  DeleteFileAt(DataDir() + "categories.dat");
  DeleteFileAt(DataDir() + "Translate.dat");  // absent optional tables are fine
  Start();
  EXPECT_EQ(ui_.Texts("error"),
            std::vector<std::string>{"Cannot load " + DataDir() + "categories.dat"});
}

TEST_F(StartupTest, SettingsFileNamedByTheRegistryMustExist) {
  WriteRegistryValue(kRegistryUserDir, data_.Dir() / "elsewhere/");
  options_.user_dir.clear();
  EXPECT_FALSE(TryStart());
  EXPECT_EQ(ui_.Texts("error"),
            std::vector<std::string>{"Alter config does not found at " +
                                     (data_.Dir() / "elsewhere/data/config.dat")});
  ExpectNothingInstalled();
}

TEST_F(StartupTest, HostileSettingsFileDoesNotStopTheStart) {
  std::string junk;
  for (int i = 0; i < 5000; ++i) junk += static_cast<char>((i * 131) % 256);
  WriteSettings(junk + "\r\nFilter RatingFrom=1\r\nSites List Order=1,,,\r\n");
  Start();
  EXPECT_EQ(Settings().GetString("Sites List Sort"), "-1");
}

TEST_F(StartupTest, ExceptionLogKeepsTwoHundredLines) {
  TOptionsList log;
  for (int i = 0; i < 201; ++i) log.AddLine("line " + std::to_string(i));
  log.SaveToTextFile(DataDir() + "exceptions.dat");
  Start();
  ASSERT_EQ(Tables().exceptions.Count(), 201);
  EXPECT_EQ(Tables().exceptions.Line(1).rfind("Build: ", 0), 0u);
  EXPECT_EQ(Tables().exceptions.Line(6), "line 6");
  AppendExceptionLog("newest");
  TOptionsList back;
  back.LoadFromTextFile(DataDir() + "exceptions.dat");
  ASSERT_EQ(back.Count(), 201);
  EXPECT_EQ(back.Line(6), "line 7");  // the oldest entry went
  EXPECT_EQ(back.Line(200), "newest");

  // A log shorter than its header starts over.
  TOptionsList short_log;
  short_log.AddLine("only");
  WriteExceptionLogHeader(short_log, SystemDescription());
  EXPECT_EQ(short_log.Count(), 6);
  EXPECT_EQ(short_log.Line(4).rfind("IE: ", 0), 0u);
}

// What the later steps make from what the earlier ones loaded: the filter from the settings, the
// custom sets from their table, the ratings over the loaded sites, the records and the profile
// the sites read.
TEST_F(StartupTest, LaterStepsBuildOnEarlierOnes) {
  WriteSettings("Filter Category=Games\r\nFilter RatingFrom=20\r\n");
  StringToFile(DataDir() + "custom_sets.dat", "[Mine]\r\nSITE-DEMO-01\r\n");
  StringToFile(DataDir() + "Ratings.dat", "SITE-DEMO-01=77\r\n");
  std::vector<std::pair<int, int>> progress;
  options_.progress = [&](int position, int total) { progress.emplace_back(position, total); };
  options_.load_records = true;
  Start();
  EXPECT_EQ(SiteFilter().Categories, "Games");
  EXPECT_EQ(SiteFilter().RatingFrom, 20);
  ASSERT_NE(CustomSets().FindSet("Mine"), nullptr);
  EXPECT_TRUE(CustomSets().FindSet("Mine")->Contains("SITE-DEMO-01"));
  ASSERT_EQ(SiteList().Count(), 12);
  ASSERT_NE(SiteList().FindByUIN("SITE-DEMO-01"), nullptr);
  EXPECT_EQ(SiteList().FindByUIN("SITE-DEMO-01")->Info.Value("Common info", "Rating"), "77");
  EXPECT_FALSE(progress.empty());
  EXPECT_FALSE(SiteList().OnProgress);  // the splash's gauge is not kept
  EXPECT_EQ(CompanyList().Count(), 1);
  EXPECT_EQ(ActiveProfile().GetString("Program_Info/Program_Name"), "Sample Notes");
  EXPECT_EQ(ActiveSiteProfile(), &ActiveProfile());

  // Saving stores the filter and the custom sets back.
  SiteFilter().RatingFrom = 30;
  CustomSets().NewSet("Second");
  core_->SaveSettings();
  TOptionsList saved;
  saved.LoadFromTextFile(UserDir() + "data/config.dat");
  EXPECT_EQ(saved.GetString("Filter RatingFrom"), "30");
  EXPECT_NE(FileToString(DataDir() + "custom_sets.dat").find("[Second]"), std::string::npos);
}

// The site-summary cache is written beside the settings unless the caller or the setting
// "Use Site Cache" switches it off.
TEST_F(StartupTest, SiteCacheFollowsTheOptionAndTheSetting) {
  const std::string cache = UserDir() + "data/" + kSiteCacheFileName;
  struct Case {
    const char* settings;
    bool option;
    bool written;
  } cases[] = {{"", true, true},
               {"Use Site Cache=TRUE\r\n", true, true},
               {"Use Site Cache=FALSE\r\n", true, false},
               {"", false, false}};
  for (const Case& c : cases) {
    DeleteFileAt(cache);
    WriteSettings(c.settings);
    options_.site_cache = c.option;
    Start();
    EXPECT_EQ(SiteList().Count(), 12);
    EXPECT_EQ(FileExists(cache), c.written) << c.settings << " option " << c.option;
    Stop();
  }
}

TEST_F(StartupTest, WhatTheOptionsLeaveOut) {
  options_.load_sites = false;
  Start();
  EXPECT_FALSE(SiteListReady());
  EXPECT_THROW(SiteList(), std::logic_error);
  // The lists exist but stay empty until the product manager fills them.
  EXPECT_TRUE(RecordListsReady());
  EXPECT_EQ(ProductList().Count(), 0);
  EXPECT_EQ(ActiveProfileValues(), nullptr);
  EXPECT_EQ(ActiveSiteProfile(), &ActiveProfile());
  ASSERT_TRUE(LoadRecordsAndActivate());
  EXPECT_EQ(ActiveProfileValues(), &ActiveProfile());
}

TEST_F(StartupTest, OneCoreAtATime) {
  Start();
  EXPECT_EQ(TCoreContext::Current(), core_.get());
  EXPECT_THROW(TCoreContext::Start(options_), std::logic_error);
  EXPECT_EQ(&Settings(), &core_->App().settings);  // the running one stays installed
  core_.reset();                                   // released unsaved
  ExpectNothingInstalled();
  EXPECT_FALSE(FileExists(UserDir() + "data/config.dat"));
  Start();
  EXPECT_EQ(TCoreContext::Current(), core_.get());
}

// Saves killed half-way leave their temporary files behind; the next start removes those whose
// process is gone, in every folder saves write to, and never touches a running one's.
TEST_F(StartupTest, LeftoversOfKilledSavesGoAtStart) {
  const std::string dead = DeadPid(), live = std::to_string(getpid());
  ForceDirectories(UserDir() + "data/");
  const std::vector<std::string> gone = {
      UserDir() + "data/config.dat." + dead + ".$$$",
      UserDir() + "data/config.dat.tmp" + dead,
      DataDir() + "custom_sets.dat." + dead + ".$$$",
      DataDir() + "Companies/Sample_Company.dat." + dead + ".$$$",
      DataDir() + "Products/Sample_Notes.dat." + dead + ".$$$",
      DataDir() + "Sites/freshdownloads.wsd." + dead + ".$$$",
  };
  const std::vector<std::string> kept = {
      DataDir() + "Products/Sample_Notes.dat." + live + ".$$$", DataDir() + "Products/readme.txt",
      DataDir() + "TML/siteinfo.tml." + dead + ".$$$",  // no save writes there
  };
  for (const auto& path : gone) StringToFile(path, "x");
  for (const auto& path : kept) StringToFile(path, "x");
  options_.load_records = true;
  Start();
  for (const auto& path : gone) EXPECT_FALSE(FileExists(path)) << path;
  for (const auto& path : kept) EXPECT_TRUE(FileExists(path)) << path;
  EXPECT_EQ(SiteList().Count(), 12);
  EXPECT_EQ(ProductList().Count(), 1);
}

TEST_F(StartupTest, SummaryOfTheStart) {
  options_.load_records = true;
  Start();
  const TStartupSummary s = MakeStartupSummary(*core_);
  EXPECT_EQ(s.data_folder, DataDir());
  EXPECT_EQ(s.settings_count, Settings().Count());
  ASSERT_EQ(s.tables.size(), 15u);
  EXPECT_EQ(s.tables[0].name, "NameSpace.dat");
  EXPECT_EQ(s.tables[0].sections, Tables().name_space.Count());
  EXPECT_EQ(s.sites, 12);
  EXPECT_EQ(s.products, 1);
  EXPECT_EQ(s.active_product, "APP-Sample_Product");
  core_->Sites().list.reset();
  core_->Sites().profile = nullptr;
  core_->Records().Release();
  const TStartupSummary bare = MakeStartupSummary(*core_);
  EXPECT_FALSE(bare.sites);
  EXPECT_FALSE(bare.companies);
}

TEST(StartupSummary, TextLayout) {
  TStartupSummary s;
  s.version = "3.0.0";
  s.build = "7";
  s.operating_system = "Linux 6";
  s.memory = "1,024 Kb";
  s.code_page = 1252;
  s.user_folder = "/u/";
  s.settings_file = "/u/data/config.dat";
  s.settings_count = 85;
  s.data_folder = "/d/";
  s.tables = {{"NameSpace.dat", true, 5, 614}, {"month_short.dat", false, 0, 12}};
  s.exception_log_lines = 6;
  EXPECT_EQ(StartupSummaryText(s),
            "Quillora 3.0.0 (build 7)\n"
            "System:      Linux 6, 1,024 Kb\n"
            "Code page:   1252\n"
            "User folder: /u/\n"
            "Settings:    /u/data/config.dat (85 values)\n"
            "Data folder: /d/\n"
            "Data tables:\n"
            "  NameSpace.dat: 5 sections, 614 lines\n"
            "  month_short.dat: 12 lines\n"
            "Exception log: 6 lines\n");
  s.sites = 3;
  s.companies = 1;
  s.products = 2;
  s.active_product = "APP-X";
  EXPECT_EQ(StartupSummaryText(s).substr(StartupSummaryText(s).find("Exception")),
            "Exception log: 6 lines\nSites: 3\nCompanies: 1, products: 2\nActive product: APP-X\n");
}

}  // namespace
}  // namespace quillora
