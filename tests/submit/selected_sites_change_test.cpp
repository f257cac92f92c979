#include "submit/selected_sites_change.h"

#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "pad/profile.h"
#include "sites/site.h"
#include "sites/site_filter.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace quillora {
namespace {

class SelectedSitesChangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"Alpha", "Beta", "Gamma"}) {
      auto site = std::make_unique<TWebSite>();
      site->Info.CommonInfo().SetString("Name", name);
      site->Info.CommonInfo().SetString("Category 1", "Utilities");
      site->Info.CommonInfo().SetString("Category 2", "Old");
      site->Info.CommonInfo().SetString("Rating", "7");
      site->FileName = tmp_ / (std::string(name) + ".wsd");
      ASSERT_TRUE(site->SaveSiteFile(site->FileName, false));
      profile_.VersionListed.SetString(site->UIN(), "1.0");
      profile_.StatusOverride.SetString(site->UIN(), "Skipped");
      sites_.push_back(std::move(site));
    }
  }

  std::vector<TWebSite*> Chosen(std::initializer_list<int> rows) {
    std::vector<TWebSite*> chosen;
    for (int r : rows) chosen.push_back(sites_[static_cast<size_t>(r)].get());
    return chosen;
  }

  std::unique_ptr<TWebSite> Reread(int row) {
    auto copy = std::make_unique<TWebSite>();
    EXPECT_EQ(copy->LoadSiteFile(sites_[static_cast<size_t>(row)]->FileName), slLoaded);
    return copy;
  }

  test::ScriptedUI ui_;
  test::TempDir tmp_;
  TProfile profile_;
  std::vector<std::unique_ptr<TWebSite>> sites_;
};

// With only "Category 2" filled, the chosen sites get that category and the override "Auto" (the
// button's state at opening); the site not chosen and every other value stay as they were.
TEST_F(SelectedSitesChangeTest, OnlyFilledFieldsReachExactlyTheChosenSites) {
  TSelectedSitesChange change;
  change.categories[1] = "  Games ";
  change.status_override = "Auto";
  change.rating = "0";
  const TSelectedSitesResult result =
      ApplySelectedSitesChange(change, Chosen({0, 2}), profile_, nullptr);
  EXPECT_EQ(result.saved, 2);
  EXPECT_TRUE(result.failed.empty());
  for (int row : {0, 2}) {
    const auto copy = Reread(row);
    EXPECT_EQ(copy->Info.Value("Common info", "Category 2"), "Games");
    EXPECT_EQ(copy->Info.Value("Common info", "Category 1"), "Utilities");
    EXPECT_EQ(copy->Info.Value("Common info", "Rating"), "7");
    EXPECT_FALSE(copy->IsDisabled());
    EXPECT_EQ(profile_.StatusOverride.GetString(sites_[static_cast<size_t>(row)]->UIN()), "");
    EXPECT_EQ(profile_.VersionListed.GetString(sites_[static_cast<size_t>(row)]->UIN()), "1.0");
  }
  EXPECT_EQ(Reread(1)->Info.Value("Common info", "Category 2"), "Old");
  EXPECT_EQ(profile_.StatusOverride.GetString(sites_[1]->UIN()), "Skipped");
}

// Every kind of field at once, and the custom set: ticked takes the site out of the set.
TEST_F(SelectedSitesChangeTest, EveryFieldKindIsWritten) {
  TCustomSet set;
  set.Add(sites_[0]->UIN());
  TSelectedSitesChange change;
  change.version_listed = "2.0";
  change.version_submitted = "2.1";
  change.date_submitted = "01-02-2026 10:00:00";
  change.search_flag = "FOUND";
  change.company_notes = "company";
  change.product_notes = "product";
  change.status_override = "Complete";
  change.rating = "55";
  change.disabled = true;
  change.ticked = true;
  ApplySelectedSitesChange(change, Chosen({0, 1}), profile_, &set);
  for (int row : {0, 1}) {
    const std::string uin = sites_[static_cast<size_t>(row)]->UIN();
    EXPECT_EQ(profile_.VersionListed.GetString(uin), "2.0");
    EXPECT_EQ(profile_.VersionSubmitted.GetString(uin), "2.1");
    EXPECT_EQ(profile_.DateSubmitted.GetString(uin), "01-02-2026 10:00:00");
    EXPECT_EQ(profile_.SearchFlag.GetString(uin), "FOUND");
    EXPECT_EQ(profile_.CompanyComments.GetString(uin), "company");
    EXPECT_EQ(profile_.ProductComments.GetString(uin), "product");
    EXPECT_EQ(profile_.StatusOverride.GetString(uin), "Complete");
    const auto copy = Reread(row);
    EXPECT_EQ(copy->Info.Value("Common info", "Rating"), "55");
    EXPECT_TRUE(copy->IsDisabled());
    EXPECT_FALSE(set.Contains(uin));
  }
  change = {};
  change.ticked = false;
  ApplySelectedSitesChange(change, Chosen({2}), profile_, &set);
  EXPECT_TRUE(set.Contains(sites_[2]->UIN()));
}

}  // namespace
}  // namespace quillora
