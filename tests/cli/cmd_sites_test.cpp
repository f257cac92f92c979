#include "cli/cmd_sites.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "foundation/app_state.h"
#include "foundation/files.h"
#include "foundation/stream.h"
#include "pad/product_data.h"
#include "report/report.h"
#include "sites/site.h"
#include "sites/site_list.h"
#include "support/scripted_ui.h"
#include "support/test_context.h"

namespace quillora {
namespace {

class SitesCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    // Only the sites this test writes take part, not the shipped demo sites.
    std::filesystem::remove_all(tmp_ / "data/Sites/");
    std::filesystem::remove(tmp_ / "data/Ratings.dat");  // rates the demo sites only
    ForceDirectories(tmp_ / "data/Sites");
    const char* names[] = {"Zeta\tTab", "alpha", "Mid"};
    for (int i = 0; i < 3; ++i) {
      TWebSite s;
      s.Info.CommonInfo().SetString("UIN", "SITE-" + std::to_string(i));
      s.Info.CommonInfo().SetString("Name", names[i]);
      s.Info.CommonInfo().SetString("Category 1", i == 2 ? "Games" : "Shareware");
      s.Info.CommonInfo().SetString("Last modified", "01-02-2024 10:00:00");
      s.SetDisabled(i == 1);
      ASSERT_TRUE(s.SaveSiteFile(tmp_ / ("data/Sites/s" + std::to_string(i) + ".wsd"), true));
    }
    ctx_.data_dir = tmp_ / "data/";
    ctx_.user_dir = tmp_ / "user/";
  }
  void TearDown() override { ctx_.Finish(); }
  std::string List(const cli::SitesListArgs& args) {
    out_.str("");
    cli::RunSitesList(args, ctx_);
    return out_.str();
  }

  test::ScriptedUI ui_;
  test::TestData data_;
  const test::TempDir& tmp_ = data_.Dir();
  std::ostringstream out_, err_;
  cli::CliContext ctx_{out_, err_};
};

TEST_F(SitesCommands, ListFollowsTheFilterAndTheSortOrder) {
  cli::SitesListArgs args;
  args.columns = "0,2,8";
  EXPECT_EQ(List(args),
            "Site Name\tSite UIN\tCategory1\nMid\tSITE-2\tGames\nZeta\\tTab\tSITE-0\tShareware\n");
  args.show_disabled = true;
  args.category = "shareware";
  EXPECT_EQ(
      List(args),
      "Site Name\tSite UIN\tCategory1\nalpha\tSITE-1\tShareware\nZeta\\tTab\tSITE-0\tShareware\n");
  Settings().SetString("Sites List Sort", "1");
  args = {};
  args.all = true;
  args.columns = "2";
  EXPECT_EQ(List(args), "Site UIN\nSITE-0\nSITE-2\nSITE-1\n");
  args.columns = "26";
  EXPECT_THROW(List(args), cli::CliError);
}

TEST_F(SitesCommands, ReportAndExport) {
  cli::ReportArgs r;
  r.format = "html";
  r.out = tmp_ / "r.html";
  cli::RunReport(r, ctx_);
  const std::string html = FileToString(r.out);
  EXPECT_NE(html.find("<td>Mid</td>"), std::string::npos);
  EXPECT_EQ(html.find("|Report"), std::string::npos);
  cli::RunSitesExport(tmp_ / "out", ctx_);
  EXPECT_TRUE(FileExists(tmp_ / "out/Index.dat"));
  EXPECT_EQ(ListFiles(tmp_ / "out/", "*.wsd").size(), 3u);
}

// With --total the text report covers every product of the active company, each under its name
// and version; a product of another company stays out and the active product stays active.
TEST_F(SitesCommands, TotalTextReportCoversEveryProductOfTheCompany) {
  StringToFile(tmp_ / "data/Products/Second.dat",
               "[General]\r\nQuillora/Product_UIN=APP-Second\r\nQuillora/Company_UIN=Sample_Company"
               "\r\nProgram_Info/Program_Name=Second Tool\r\nProgram_Info/Program_Version=1.0\r\n"
               "[Version Listed]\r\nSITE-2=1.0\r\n[Version Submitted]\r\nSITE-0=1.0\r\n");
  StringToFile(tmp_ / "data/Products/Other.dat",
               "[General]\r\nQuillora/Product_UIN=APP-Other\r\nQuillora/Company_UIN=Other_Company"
               "\r\nProgram_Info/Program_Name=Other\r\nProgram_Info/Program_Version=9\r\n");
  cli::ReportArgs r;
  r.format = "text";
  r.total = true;
  r.columns = "0,2,6,13";
  r.out = tmp_ / "r.txt";
  cli::RunReport(r, ctx_);
  // Total shows every column, hidden or not, after the chosen ones.
  const std::string header =
      "Site Name\tSite UIN\tStatus\tVersion Listed\tSite URL\tLast Modified\tLast Exported\t"
      "Language\tPage Rank\tCategory1\tCategory2\tCategory3\tCategory4\tComments\tVersion "
      "Submitted\tDate Submitted\tSearch Results Short\tSearch Flag\tProtected\tContributor\t"
      "Login\tPassword\tLast Contributed\tMethod\t\r\n";
  auto row = [](const std::string& name, const std::string& status_listed,
                const std::string& category, const std::string& submitted) {
    return name + "\t" + status_listed + "\t\t01/02/2024\t\tEnglish\t\t" + category + "\t\t\t\t\t" +
           submitted + "\t\t\t\tProtected\t\t\t\t\t\t\r\n";
  };
  EXPECT_EQ(FileToString(r.out),
            "Sample Notes v.2.4.1\r\n" + header + row("alpha\tSITE-1", " \t", "Shareware", "") +
                row("Mid\tSITE-2", " \t", "Games", "") +
                row("Zeta%09Tab\tSITE-0", " \t", "Shareware", "") + "\r\nSecond Tool v.1.0\r\n" +
                header + row("alpha\tSITE-1", " \t", "Shareware", "") +
                row("Mid\tSITE-2", "Complete\t1.0", "Games", "") +
                row("Zeta%09Tab\tSITE-0", "Pending\t", "Shareware", "1.0") + "\r\n");
  EXPECT_EQ(Settings().GetString("Active Product"), "APP-Sample_Product");

  // Stopped in the second product's report: nothing comes out and the active product stays.
  ui_.StopAtProgress(30);
  TReportData data;
  data.Build("", "");
  data.total = true;
  std::vector<std::string> lines;
  EXPECT_FALSE(CollectExportReport(SiteList(), {0, 1, 2}, ActiveProfile(), data, rfText,
                                   Folders().data + "TML/Report.tml", lines));
  EXPECT_TRUE(lines.empty());
  EXPECT_EQ(Settings().GetString("Active Product"), "APP-Sample_Product");
}

}  // namespace
}  // namespace quillora
