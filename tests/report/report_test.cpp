#include "report/report.h"

#include <gtest/gtest.h>

#include "foundation/job.h"
#include "foundation/stream.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace quillora {
namespace {

using test::ScriptedUI;
using test::TempDir;

TEST(Report, FormatCellByColumnAndFormat) {
  struct Case {
    TReportFormat format;
    int column;
    const char* raw;
    const char* cell;
  } cases[] = {
      {rfText, 6, "3", "Complete"},
      {rfText, 6, "5", " "},
      {rfText, 18, "2", "Protected"},
      {rfHtml, 6, "5", "&#x2610;"},  // skipped: an empty box
      {rfHtml, 6, "", "&nbsp;"},
      {rfHtml, 18, "2", "&#x2714;"},
      {rfHtml, 1, "example.com/a b",
       "<a href=\"http://example.com/a%20b\">http://example.com/a&nbsp;b</a>"},
      {rfHtml, 0, "A <b>", "A&nbsp;&lt;b&gt;"},
      {rfHtml, 12, "", "&nbsp;"},
      {rfText, 3, "05-03-2024 10:11:12", "05/03/2024"},
      {rfText, 15, "not a date", "not a date"},
      {rfText, 8, "abcdefghijklmnopqrstuvwxyz", "abcdefghijklmnopqrst..."},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FormatCell(c.format, c.column, c.raw), c.cell) << c.column << " " << c.raw;
}

TEST(Report, ColumnsOrderFromTheSetting) {
  TReportData data;
  data.Build("", "3,-1,x,2");
  EXPECT_EQ(data.columns[0].id, 3);
  EXPECT_EQ(data.columns[1].id, 1);
  EXPECT_FALSE(data.columns[1].visible);
  EXPECT_EQ(data.OrderSetting().substr(0, 9), "3,-1,2,4,");
}

TEST(Report, ColumnListShowsThoseColumnsFirst) {
  TReportData data;
  data.Build("2,1", "");
  data.ShowOnly(ParseReportColumns("6,0"));
  EXPECT_EQ(data.OrderSetting().substr(0, 13), "7,1,-2,-3,-4,");
  EXPECT_EQ(data.columns.size(), static_cast<size_t>(kReportColumnCount));
  EXPECT_EQ(data.columns.back().id, kReportColumnCount);

  for (const char* bad : {"24", "-1", "1,,2", "x"}) {
    try {
      ParseReportColumns(bad);
      ADD_FAILURE() << bad;
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(e.what(), "Bad column number in '" + std::string(bad) + "' (0..23)");
    }
  }
  EXPECT_TRUE(ParseReportColumns("").empty());
}

// The product's per-site comments of site S1 hold a line break, a tab and a percent sign.
class CommentsProfile : public TSiteProfile {
 public:
  std::string ProfileValue(std::string_view) const override { return ""; }
  std::string SiteValue(TSiteValueKind kind, std::string_view uin) const override {
    return kind == TSiteValueKind::ProductComments && uin == "S1" ? "two\r\nlines\t%" : "";
  }
};

class ReportOverSites : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 3; ++i) {
      auto s = std::make_unique<TWebSite>();
      s->Info.CommonInfo().SetString("UIN", "S" + std::to_string(i));
      s->Info.CommonInfo().SetString("Name", "Site " + std::to_string(i));
      list.AddSite(std::move(s));
    }
    list.SiteAt(2)->Visible = 0;
    data.Build("1,13", "");
    for (auto& c : data.columns) c.visible = c.id == 1 || c.id == 13;
  }
  ScriptedUI ui;
  TempDir dir;
  TSiteList list;
  CommentsProfile profile;
  TReportData data;
  TOptionsList values;
  std::vector<std::string> lines;
};

TEST_F(ReportOverSites, TextKeepsEachRowOnOneLine) {
  ASSERT_TRUE(CollectReport(list, {0, 1, 2}, &profile, values, data, rfText, "", lines));
  ASSERT_EQ(lines.size(), 3u);  // header and the two visible sites
  EXPECT_EQ(lines[0], "Site Name\tComments\t");
  EXPECT_EQ(lines[2], "Site 1\ttwo%0D%0Alines%09%25\t");
  EXPECT_EQ(list.statistics.Total, 2);
}

TEST_F(ReportOverSites, HtmlRowsAlternateAndUseThePageTemplate) {
  StringToFile(
      dir / "Report.tml",
      "<p>|Report/Total| of sites, |Report/Percent/Total|%</p>\r\n<table>|Report|</table>\r\n");
  ASSERT_TRUE(
      CollectReport(list, {0, 1, 2}, &profile, values, data, rfHtml, dir / "Report.tml", lines));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "<p>2 of sites, 66%</p>");
  EXPECT_NE(lines[1].find(" <tr class='rowodd'>\r\n  <td>Site&nbsp;0</td>"), std::string::npos);
  EXPECT_NE(lines[1].find(" <tr class='roweven'>\r\n  <td>Site&nbsp;1</td>\r\n  <td>two<br>lines"),
            std::string::npos);
}

TEST_F(ReportOverSites, TotalTakesHiddenSitesAndColumns) {
  data.total = true;
  ASSERT_TRUE(CollectReport(list, {0, 1, 2}, &profile, values, data, rfText, "", lines));
  EXPECT_EQ(lines.size(), 4u);
  EXPECT_EQ(std::count(lines[0].begin(), lines[0].end(), '\t'), kReportColumnCount);
}

TEST_F(ReportOverSites, MissingTemplateIsReported) {
  EXPECT_FALSE(CollectReport(list, {0}, nullptr, values, data, rfHtml, dir / "none.tml", lines));
  EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"Cannot load " + dir / "none.tml"});
}

// The busy window's Stop between two columns, with the report run as a job: no lines, no
// message, the busy window closed.
TEST_F(ReportOverSites, StoppedReportProducesNothing) {
  ui.StopAtProgress(3);
  lines = {"earlier"};
  TJob job;
  EXPECT_FALSE(RunJob(job, [&](TJob& j) {
    return CollectReport(list, {0, 1, 2}, &profile, values, data, rfText, "", lines, j);
  }));
  EXPECT_EQ(lines, std::vector<std::string>{"earlier"});
  EXPECT_TRUE(ui.Events().empty());
  EXPECT_EQ(ui.ProgressReports().size(), 3u);
  EXPECT_EQ(ui.Busy(), (std::vector<std::string>{"begin Generating report", "end"}));
}

TEST(Report, GraphsAndPercentages) {
  TSiteStatistics s;
  s.Total = 4;
  s.Complete = 1;
  TOptionsList v;
  SetReportVariables(v, s, 8);
  EXPECT_EQ(v.GetString("Report/Percent/Total"), "50");
  EXPECT_EQ(v.GetString("Report/Percent/Complete"), "25");
  const std::string graph = v.GetString("Report/Graph/Complete");
  size_t filled = 0;
  for (size_t p = 0; (p = graph.find("bgcolor", p)) != std::string::npos; ++p) ++filled;
  EXPECT_EQ(filled, 5u);
  TSiteStatistics none;
  SetReportVariables(v, none, 0);  // an empty report: zeros and empty bars
  EXPECT_EQ(v.GetString("Report/Percent/Found"), "0");
  EXPECT_EQ(v.GetString("Report/Graph/Found").find("bgcolor"), std::string::npos);
}

}  // namespace
}  // namespace quillora
