#include "sites/site.h"

#include <regex>

#include <gtest/gtest.h>

#include "sites_fakes.h"

namespace quillora {
namespace {

using test::ActiveProfileScope;
using test::FakeProfile;
using K = TSiteValueKind;

TEST(SiteTest, NewSiteDefaults) {
  TWebSite site;
  EXPECT_EQ(site.Signature(), "WSD 2.1");
  EXPECT_TRUE(
      std::regex_match(site.UIN(), std::regex("SITE-[0-9A-F]{3,}[0-9A-F][0-9A-F]{2}[0-9A-F]{4,5}")))
      << site.UIN();
  EXPECT_EQ(site.Info.Value("Common info", "Category 1"), "Shareware");
  EXPECT_EQ(site.Info.Value("Common info", "Language"), "English");
  EXPECT_FALSE(site.IsDisabled());
  EXPECT_EQ(site.Info.Value("Common info", "Disabled"), "FALSE");
  EXPECT_EQ(site.Protected, 1);
  EXPECT_EQ(site.Visible, 1);
  EXPECT_EQ(site.CoverOffset, -1);
  EXPECT_EQ(site.summary.language_picture, -1);
  EXPECT_EQ(site.CoverBytes(), DefaultCoverJpeg());
  EXPECT_EQ(site.Info.SearchOptions().GetString("AutoSearch"), "TRUE");
  EXPECT_EQ(site.Info.AdvancedOptions().GetInt("New window processing"), 2);
  const std::vector<std::string> order = {"Popup messages", "Common info", "SearchOptions",
                                          "AdvancedOptions"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(site.Info.SectionAt(i).Name, order[static_cast<size_t>(i)]);
  EXPECT_NE(TWebSite().UIN(), "");
}

TEST(SiteTest, AddressRecordKinds) {
  TURLInfo url;
  EXPECT_EQ(url.Kind(), TURLKind::Normal);
  for (int k = 0; k < 4; ++k) {
    url.SetKind(k);
    EXPECT_EQ(static_cast<int>(url.Kind()), k);
  }
  url.SetKind(7);
  EXPECT_EQ(url.GetString("Kind"), "Normal");
  url.SetString("Kind", "post");  // compared exactly
  EXPECT_EQ(url.Kind(), TURLKind::Normal);
  TSiteInfo info;
  info.URLs.Submit().SetAddress("mailto:x@example.invalid");
  info.URLs.Submit().SetKind(TURLKind::MAIL);
  EXPECT_EQ(info.URLs.AddressOf("Submit"), "mailto:x@example.invalid");
  EXPECT_EQ(info.URLs.Text(), "[Submit]\r\nAddress=mailto:x@example.invalid\r\nKind=MAIL\r\n\r\n");
}

// A captured search request becomes the site's search entry point.
TEST(SiteTest, CapturedSearchRequests) {
  TURLInfo url;
  url.SetCapturedSearch(false, "http://s.example/find.php?q=myprog+tools&cat=2&x=myprog", "", "");
  EXPECT_EQ(url.Text(),
            "Kind=GET\r\nAddress=http://s.example/find.php\r\n"
            "Query=q=|Quillora/Search_String| tools&cat=2&x=myprog\r\n");
  url.SetCapturedSearch(true, "http://s.example/search", "needle=myprog&in=%41ll",
                        "Content-Type: application/x-www-form-urlencoded\r\n");
  EXPECT_EQ(url.Kind(), TURLKind::POST);
  EXPECT_EQ(url.Address(), "http://s.example/search");
  EXPECT_EQ(url.PostData(), "needle=|Quillora/Search_String|&in=All");
  EXPECT_EQ(url.Query(), "");
  EXPECT_EQ(url.Headers(), "Content-Type: application/x-www-form-urlencoded\r\n");
  url.SetCapturedSearch(false, "http://s.example/", "", "");
  EXPECT_EQ(url.Query(), "");
}

TEST(SiteTest, StatusFromOverrideAndVersions) {
  TWebSite site;
  const std::string uin = site.UIN();
  struct Case {
    std::string over, version, listed, submitted;
    TSiteStatus status;
  };
  const std::vector<Case> cases = {
      {"Failed", "1.0", "1.0", "", ssFailed},
      {"Skipped", "", "", "", ssSkipped},
      {"ALL", "", "", "", ssAll},
      {"Complete", "", "", "", ssComplete},
      {"Pending", "", "", "", ssPending},
      {"Auto", "1.0", "1.0", "", ssComplete},
      {"", "1.0", "0.9", "1.0", ssPending},
      {"", "1.0", "0.9", "0.8", ssDefault},
      {"", "", "", "", ssDefault},
      {"complete", "", "", "", ssDefault},
  };
  for (const Case& c : cases) {
    FakeProfile p;
    p.values["Program_Info/Program_Version"] = c.version;
    p.Set(K::StatusOverride, uin, c.over);
    p.Set(K::VersionListed, uin, c.listed);
    p.Set(K::VersionSubmitted, uin, c.submitted);
    EXPECT_EQ(site.SiteStatus(&p), c.status) << c.over << "/" << c.version;
  }
  EXPECT_EQ(site.SiteStatus(nullptr), ssDefault);
}

TEST(SiteTest, VersionHandled) {
  TWebSite site;
  FakeProfile p;
  ActiveProfileScope scope(&p);
  p.Set(K::VersionListed, site.UIN(), "2.0");
  p.Set(K::VersionSubmitted, site.UIN(), "2.1");
  site.UpdateVersionHandled("2.0");
  EXPECT_EQ(site.VersionHandled, 1);
  site.UpdateVersionHandled("2.1");
  EXPECT_EQ(site.VersionHandled, 1);
  site.UpdateVersionHandled("3.0");
  EXPECT_EQ(site.VersionHandled, 0);
  p.Set(K::StatusOverride, site.UIN(), "Auto");
  site.UpdateVersionHandled("3.0");
  EXPECT_EQ(site.VersionHandled, 0);
  p.Set(K::StatusOverride, site.UIN(), "Skipped");
  site.UpdateVersionHandled("3.0");
  EXPECT_EQ(site.VersionHandled, 1);
}

TEST(SiteTest, SummaryColumnsAndCodes) {
  TWebSite site;
  const std::string uin = site.UIN();
  TOptionsList& common = site.Info.CommonInfo();
  common.SetString("Name", "Soft Zone");
  common.SetString("Language", "German");
  common.SetString("Rating", "42");
  common.SetString("Category 4", "Tools");
  common.SetString("Submit Type", "PAD");
  common.SetString("Payment Required", "TRUE");
  common.SetString("Control Panel for authors", "TRUE");
  common.SetString("Last modified", "03-04-2021 05:06:07");
  common.SetString("Last contributed", "not a date");
  common.SetString("Contributor Name", "Ann");
  site.Info.URLs.Home().SetAddress("http://soft.example/");

  FakeProfile p;
  p.values["Program_Info/Program_Version"] = "2.0";
  p.Set(K::VersionListed, uin, "2.0");
  p.Set(K::SearchFlag, uin, "NOT FOUND");
  p.Set(K::ProductComments, uin, "product note");
  p.Set(K::CompanySiteLogin, uin, "company-login");
  p.Set(K::ProductSitePassword, uin, "product-pass");
  p.Set(K::CompanySitePassword, uin, "company-pass");
  p.Set(K::DateSubmitted, uin, "01-01-2021");
  p.Set(K::ProductListings, uin, "http://soft.example/p/1");
  ActiveProfileScope scope(&p);
  scope.core->Sites().language_banners = {"english", "german"};
  site.summary.last_contributed = 99;
  site.RefreshSummary();

  const TSiteSummary& s = site.summary;
  EXPECT_EQ(s.text[0], "Soft Zone");
  EXPECT_EQ(s.lower[0], "soft zone");
  EXPECT_EQ(s.text[1], "http://soft.example/");
  EXPECT_EQ(s.text[2], uin);
  EXPECT_EQ(s.text[6], "3");  // Complete
  EXPECT_EQ(s.text[7], "42");
  EXPECT_EQ(s.text[8], "Shareware");
  EXPECT_EQ(s.text[11], "Tools");
  EXPECT_EQ(s.text[12], "product note");  // no company part, so no line break in front
  EXPECT_EQ(s.text[13], "2.0");
  EXPECT_EQ(s.text[17], "NOT FOUND");
  EXPECT_EQ(s.text[18], "2");
  EXPECT_EQ(s.text[19], "Ann");
  EXPECT_EQ(s.text[20], "company-login");  // the product has none
  EXPECT_EQ(s.text[21], "product-pass");   // the product's comes first
  EXPECT_EQ(s.text[23], "PAD");
  EXPECT_EQ(s.text[24], "$ A ");
  EXPECT_EQ(s.text[25], "http://soft.example/p/1");
  EXPECT_EQ(s.status, ssComplete);
  EXPECT_EQ(s.status_picture, 3);
  EXPECT_EQ(s.search_flag_code, 1);
  EXPECT_EQ(s.language_picture, 14);
  EXPECT_EQ(s.method_picture, 8);
  EXPECT_EQ(s.protected_picture, 2);
  TDateTime expected;
  ASSERT_TRUE(TryStrToDateTime("03-04-2021 05:06:07", expected));
  EXPECT_DOUBLE_EQ(s.last_modified, expected);
  EXPECT_DOUBLE_EQ(s.last_contributed, 99);  // unparsable text leaves the date alone
  ASSERT_TRUE(TryStrToDateTime("01-01-2021", expected));
  EXPECT_DOUBLE_EQ(s.date_submitted, expected);

  p.Set(K::CompanyComments, uin, "company note");
  EXPECT_EQ(site.ColumnText(12, &p), "company note\r\nproduct note");
  p.Set(K::ProductComments, uin, "");
  EXPECT_EQ(site.ColumnText(12, &p), "company note");
  site.Protected = 0;
  common.SetString("Language", "Klingon");
  common.SetString("Submit Type", "Fax");
  site.RefreshSummary();
  EXPECT_EQ(site.summary.text[18], "-1");
  EXPECT_EQ(site.summary.language_picture, 12);
  EXPECT_EQ(site.summary.method_picture, 12);
  EXPECT_EQ(site.ColumnText(26, &p), "");
}

TEST(SiteTest, SearchFlagCodes) {
  TWebSite site;
  FakeProfile p;
  ActiveProfileScope scope(&p);
  const std::vector<std::pair<std::string, int>> flags = {
      {"FOUND", 0}, {"NOT FOUND", 1}, {"ERROR", 2}, {"NOT SUPPORTED", 3}, {"found", 4}, {"", 4}};
  for (const auto& [flag, code] : flags) {
    p.Set(K::SearchFlag, site.UIN(), flag);
    site.RefreshSummary();
    EXPECT_EQ(site.summary.search_flag_code, code) << flag;
  }
}

TEST(SiteTest, LoadingMovesCommentMessagesAndOldOptions) {
  TSiteInfo info;
  info.LoadTexts(
      "[Home]\r\nAddress=http://a/\r\n\r\n",
      "[Common info]\r\nComments=Note%0D%0AHOME:%0D%0Aline 1%0D%0Aline 2%0D%0A%0D%0Aupdate:\r\n"
      "[SearchOptions]\r\nAutoSearch=FALSE\r\nDisable scripts=FALSE\r\n");
  EXPECT_EQ(info.PopupMessages().GetString("Home"), "line 1\r\nline 2");
  EXPECT_FALSE(info.PopupMessages().HasKey("Update"));  // an empty block stores nothing
  EXPECT_EQ(info.CommonInfo().GetString("Comments"), "Note\r\n\r\n");
  EXPECT_EQ(info.SearchOptions().GetString("AutoSearch"), "FALSE");
  EXPECT_EQ(info.AdvancedOptions().GetString("Disable scripts"), "FALSE");
  EXPECT_FALSE(info.SearchOptions().HasKey("Disable scripts"));
  EXPECT_EQ(info.URLs.AddressOf("Home"), "http://a/");
}

TEST(SiteTest, OptionTextAlwaysCarriesAutoSearch) {
  TSiteInfo info;
  info.CommonInfo().SetString("UIN", "X");
  EXPECT_EQ(info.OptionText(),
            "[Common info]\r\nUIN=X\r\n\r\n[SearchOptions]\r\nAutoSearch=TRUE\r\n\r\n");
  EXPECT_EQ(info.Count(), 1);  // only the stored text says it
  info.SearchOptions().SetString("MinMatch", "3");
  EXPECT_EQ(
      info.OptionText(),
      "[Common info]\r\nUIN=X\r\n\r\n[SearchOptions]\r\nMinMatch=3\r\nAutoSearch=TRUE\r\n\r\n");
}

}  // namespace
}  // namespace quillora
