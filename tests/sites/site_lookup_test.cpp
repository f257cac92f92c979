#include "sites/site_lookup.h"

#include <gtest/gtest.h>

#include "foundation/stream.h"
#include "sites/site_list.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace quillora {
namespace {

using test::ScriptedUI;
using test::TempDir;

std::unique_ptr<TWebSite> MakeSite(const std::string& uin) {
  auto s = std::make_unique<TWebSite>();
  s->Info.CommonInfo().SetString("UIN", uin);
  s->Info.CommonInfo().SetString("Name", uin);
  return s;
}

TEST(SiteLookup, ListedSiteFirstThenTheSiteFiles) {
  ScriptedUI ui;
  TempDir dir;
  for (const char* uin : {"SITE-A", "SITE-B"})
    ASSERT_TRUE(MakeSite(uin)->SaveSiteFile(dir / (std::string(uin) + ".wsd"), false));
  StringToFile(dir / "notes.wsd", "not a site file");
  StringToFile(dir / "SITE-C.txt", "");
  TSiteList list;
  TWebSite* listed = list.AddSite(MakeSite("SITE-A"));

  TSiteLookup a = FindSiteByUIN("SITE-A", &list, dir.Path());
  EXPECT_EQ(a.site, listed);
  EXPECT_TRUE(a.Listed());

  // Not in the list, or no list at all: read from its file and held by the look-up.
  for (const TSiteList* in :
       {static_cast<const TSiteList*>(&list), static_cast<const TSiteList*>(nullptr)}) {
    TSiteLookup b = FindSiteByUIN("SITE-B", in, dir.Path());
    ASSERT_NE(b.site, nullptr);
    EXPECT_EQ(b.site, b.owned.get());
    EXPECT_FALSE(b.Listed());
    EXPECT_EQ(b.site->UIN(), "SITE-B");
  }
  EXPECT_EQ(FindSiteByUIN("SITE-A", nullptr, dir.Path()).site->UIN(), "SITE-A");

  EXPECT_EQ(FindSiteByUIN("SITE-C", &list, dir.Path()).site, nullptr);
  EXPECT_EQ(FindSiteByUIN("SITE-B", nullptr, dir / "missing/").site, nullptr);
  EXPECT_TRUE(ui.Events().empty());
}

}  // namespace
}  // namespace quillora
