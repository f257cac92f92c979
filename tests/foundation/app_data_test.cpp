#include "foundation/app_data.h"

#include <cstdlib>

#include <gtest/gtest.h>

#include "foundation/files.h"
#include "foundation/registry.h"
#include "foundation/stream.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace quillora {
namespace {

// Each test runs the start-up on a copy of the shipped data with its own user folder and registry.
class AppDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::CopyTree(testing::ShippedDataDir(), data_dir());
    setenv("QUILLORA_REGISTRY", (tmp_ / "registry.dat").c_str(), 1);
  }
  void TearDown() override {
    if (ApplicationDataReady()) DoneApplicationData();
    unsetenv("QUILLORA_REGISTRY");
  }
  std::string data_dir() const { return tmp_ / "data/"; }
  std::string user_dir() const { return tmp_ / "user/"; }
  bool Start() { return InitApplicationData({data_dir(), user_dir(), {}}); }

  testing::TempDir tmp_;
  testing::ScriptedUI ui_;
};

TEST_F(AppDataTest, FirstStartAppliesDefaultsAndShutdownWritesThem) {
  ASSERT_TRUE(Start());
  EXPECT_TRUE(ui_.Events().empty()) << ui_.Events()[0].text;
  EXPECT_EQ(Settings().GetString("Sites List Sort"), "-1");
  EXPECT_EQ(Settings().GetString("BgColor Found"), "CDDFCC");
  EXPECT_EQ(Settings().GetString("Server Base Exported"), "01-01-1900");
  EXPECT_TRUE(Settings().GetBool("Product_Editor Tab Search Flag"));
  EXPECT_TRUE(Settings().GetBool("New_Autosearch"));
  EXPECT_EQ(Folders().dump, data_dir() + "dump/");
  EXPECT_TRUE(DirectoryExists(user_dir() + "Temp/"));
  EXPECT_GT(Tables().name_space.Count(), 0);
  EXPECT_EQ(Tables().exceptions.Line(0), "Quillora 3.0");
  DoneApplicationData();

  TOptionsList saved;
  saved.LoadFromTextFile(user_dir() + "data/config.dat");
  EXPECT_EQ(saved.GetString("Filter RatingTo"), "100");
  EXPECT_EQ(saved.GetString("Active Company"), "Sample_Company");
  EXPECT_TRUE(FileExists(data_dir() + "speed_tests.dat"));
  EXPECT_NE(FileToString(data_dir() + "speed_tests.txt").find("Session: "), std::string::npos);
}

TEST_F(AppDataTest, StoredSettingsSurviveAndResetKeysAreRepaired) {
  ForceDirectories(user_dir() + "data/");
  StringToFile(user_dir() + "data/config.dat",
               "Font Color=FFF\r\nColor Found=12AB9Z\r\nFilter RatingTo=50\r\n"
               "Sites List Order=1,2,3\r\nSites List Width=10,20,30\r\n"
               "AppData_Dir=/no/such/folder/\r\nAutosearch2_Folder=/abs/dump/\r\n");
  ASSERT_TRUE(Start());
  EXPECT_EQ(Settings().GetString("Font Color"), "FFFFFF");  // three characters: replaced
  EXPECT_EQ(Settings().GetString("Color Found"),
            "12AB9Z");  // six characters: kept whatever they are
  EXPECT_EQ(Settings().GetString("Filter RatingTo"), "50");
  EXPECT_EQ(Settings().GetString("Sites List Order"), "25,1,2,3");
  EXPECT_EQ(Settings().GetString("Sites List Width"), "20,10,20,30");
  EXPECT_EQ(Folders().dump, "/abs/dump/");
}

TEST(AppDataMigration, ColumnOrderCases) {
  struct Case {
    std::string order, width, want_order, want_width;
  } cases[] = {
      {"1,2,3", "10,20,30", "25,1,2,3", "20,10,20,30"},
      {"7,-1,2", "5,6,7", "7,25,-1,2", "5,20,6,7"},
      {"1,-25,3", "10,20,30", "1,-25,3", "10,20,30"},  // already has the column
      {"2,3", "10,20", "2,3", "10,20"},                // no column 1: nothing changes
      {"", "", "", ""},
      {"1,x", "10,20", "1,x", "10,20"},  // unreadable: left alone
  };
  for (const auto& c : cases) {
    TOptionsList s;
    s.SetString("Sites List Order", c.order);
    s.SetString("Sites List Width", c.width);
    MigrateSitesColumnOrder(s);
    EXPECT_EQ(s.GetString("Sites List Order"), c.want_order) << c.order;
    EXPECT_EQ(s.GetString("Sites List Width"), c.want_width) << c.order;
  }
}

TEST_F(AppDataTest, MissingRequiredTableStopsTheStart) {
  DeleteFileAt(data_dir() + "status.dat");
  EXPECT_FALSE(Start());
  EXPECT_FALSE(ApplicationDataReady());
  ASSERT_EQ(ui_.Texts("error").size(), 1u);
  EXPECT_EQ(ui_.Texts("error")[0], "Cannot load " + data_dir() + "status.dat\rExiting.");
}

TEST_F(AppDataTest, OptionalTablesReportAndContinue) {
  DeleteFileAt(data_dir() + "categories.dat");
  DeleteFileAt(data_dir() + "Translate.dat");  // absent optional tables are fine
  ASSERT_TRUE(Start());
  EXPECT_EQ(ui_.Texts("error"),
            std::vector<std::string>{"Cannot load " + data_dir() + "categories.dat"});
}

TEST_F(AppDataTest, SettingsFileNamedByTheRegistryMustExist) {
  WriteRegistryValue(kRegistryUserDir, tmp_ / "elsewhere/");
  EXPECT_FALSE(InitApplicationData({data_dir(), "", {}}));
  EXPECT_EQ(ui_.Texts("error"), std::vector<std::string>{"Alter config does not found at " +
                                                         (tmp_ / "elsewhere/data/config.dat")});
}

TEST_F(AppDataTest, HostileSettingsFileDoesNotStopTheStart) {
  ForceDirectories(user_dir() + "data/");
  std::string junk;
  for (int i = 0; i < 5000; ++i) junk += static_cast<char>((i * 131) % 256);
  StringToFile(user_dir() + "data/config.dat",
               junk + "\r\nFilter RatingFrom=1\r\nSites List Order=1,,,\r\n");
  ASSERT_TRUE(Start());
  EXPECT_EQ(Settings().GetString("Sites List Sort"), "-1");
}

TEST_F(AppDataTest, ExceptionLogKeepsTwoHundredLines) {
  TOptionsList log;
  for (int i = 0; i < 201; ++i) log.AddLine("line " + std::to_string(i));
  log.SaveToTextFile(data_dir() + "exceptions.dat");
  ASSERT_TRUE(Start());
  ASSERT_EQ(Tables().exceptions.Count(), 201);
  EXPECT_EQ(Tables().exceptions.Line(1).rfind("Build: ", 0), 0u);
  EXPECT_EQ(Tables().exceptions.Line(6), "line 6");
  AppendExceptionLog("newest");
  TOptionsList back;
  back.LoadFromTextFile(data_dir() + "exceptions.dat");
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

TEST(WindowPlacement, FormatAndParse) {
  TWindowPlacement p;
  p.state = TWindowPlacement::State::ScreenCenter;
  p.left = 10, p.top = -5, p.width = 800, p.height = 600;
  EXPECT_EQ(FormatWindowPlacement(p), "State:SC L:10 T:-5 W:800 H:600");
  TWindowPlacement q = ParseWindowPlacement("State:M L:x T:7 W:100 H:50");
  EXPECT_EQ(q.state, TWindowPlacement::State::Maximized);
  EXPECT_FALSE(q.has_left);
  EXPECT_EQ(q.top, 7);

  TOptionsList s;
  std::vector<TEditorPage> pages = {{"Company", true}, {"Private", false}, {"ASP", true}};
  SaveEditorPages(s, "Company_Editor", pages);
  EXPECT_EQ(s.GetString("Company_Editor Tab Private"), "FALSE");
  s.SetString("Company_Editor Tab ASP", "");
  std::vector<TEditorPage> restored = {{"Company", false}, {"Private", true}, {"ASP", false}};
  RestoreEditorPages(s, "Company_Editor", restored);
  EXPECT_TRUE(restored[0].visible);
  EXPECT_FALSE(restored[1].visible);
  EXPECT_FALSE(restored[2].visible);  // no setting: keeps its state
}

}  // namespace
}  // namespace quillora
