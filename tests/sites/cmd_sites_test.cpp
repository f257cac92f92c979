#include "cli/cmd_sites.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "foundation/app_state.h"
#include "foundation/files.h"
#include "foundation/stream.h"
#include "pad/product_data.h"
#include "sites/site.h"
#include "support/scripted_ui.h"
#include "support/test_context.h"

namespace quillora {
namespace {

class SitesCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    // Only the sites this test writes take part, not the shipped demo sites.
    std::filesystem::remove_all(tmp_ / "data/Sites/");
    ForceDirectories(tmp_ / "data/Sites");
    const char* names[] = {"Zeta\tTab", "alpha", "Mid"};
    for (int i = 0; i < 3; ++i) {
      TWebSite s;
      s.Info.CommonInfo().SetString("UIN", "SITE-" + std::to_string(i));
      s.Info.CommonInfo().SetString("Name", names[i]);
      s.Info.CommonInfo().SetString("Category 1", i == 2 ? "Games" : "Shareware");
      s.SetDisabled(i == 1);
      ASSERT_TRUE(s.SaveSiteFile(tmp_ / ("data/Sites/s" + std::to_string(i) + ".wsd"), false));
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

  testing::ScriptedUI ui_;
  testing::TestData data_;
  const testing::TempDir& tmp_ = data_.Dir();
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

}  // namespace
}  // namespace quillora
