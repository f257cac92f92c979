#include "sites/duplicate_check.h"

#include <gtest/gtest.h>

#include "foundation/files.h"
#include "sites/site_list.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace quillora {
namespace {

using test::ScriptedUI;
using test::TempDir;

// Three sites sharing one UIN, plus one of their own, each saved in its own file and added
// straight to the list (a load would already have resolved the duplicates).
struct DupeList {
  DupeList() : list(dir.Path(), dir.Path()) {
    for (const char* name : {"Alpha", "Beta", "Gamma", "Delta"}) {
      auto site = std::make_unique<TWebSite>();
      site->Info.CommonInfo().SetString("UIN", name[0] == 'D' ? "OWN-1" : "DUP-1");
      site->Info.CommonInfo().SetString("Name", name);
      const std::string path = dir / (std::string(name) + ".wsd");
      EXPECT_TRUE(site->SaveSiteFile(path, false));
      site->FileName = path;
      list.AddSite(std::move(site));
    }
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (int i = 0; i < list.Count(); ++i) names.push_back(list.SiteAt(i)->Name());
    return names;
  }
  TempDir dir;
  TSiteList list;
};

std::string Question(const std::string& site, const std::string& original) {
  return "Delete site " + site + " (" + site + ".wsd),\r\nwhich is DUPLICATE for site " + original +
         " (" + original + ".wsd)";
}

TEST(CheckForDupes, OffersEachLaterSiteAgainstTheFirstAndDeletesTheAnsweredOne) {
  struct Case {
    const char* what;
    std::vector<bool> answers;
    std::vector<std::pair<std::string, std::string>> questions;
    std::vector<std::string> kept;
  };
  const Case cases[] = {
      {"No to both questions of each pair keeps every site",
       {false, false, false, false},
       {{"Beta", "Alpha"}, {"Alpha", "Beta"}, {"Gamma", "Alpha"}, {"Alpha", "Gamma"}},
       {"Alpha", "Beta", "Gamma", "Delta"}},
      {"Yes deletes the offered site and the next one moves into its place",
       {true, false, false},
       {{"Beta", "Alpha"}, {"Gamma", "Alpha"}, {"Alpha", "Gamma"}},
       {"Alpha", "Gamma", "Delta"}},
      {"the second question deletes the first holder; the next is checked against the new first",
       {false, true, true},
       {{"Beta", "Alpha"}, {"Alpha", "Beta"}, {"Gamma", "Beta"}},
       {"Beta", "Delta"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedUI ui;
    DupeList d;
    for (bool yes : c.answers) ui.QueueYesNo(yes);
    const int deleted = CheckForDupes(d.list);
    std::vector<std::string> expected;
    for (const auto& [site, original] : c.questions) expected.push_back(Question(site, original));
    EXPECT_EQ(ui.Texts("yesno"), expected);
    EXPECT_EQ(d.Names(), c.kept);
    EXPECT_EQ(deleted, 4 - static_cast<int>(c.kept.size()));
    for (const char* name : {"Alpha", "Beta", "Gamma", "Delta"}) {
      const bool kept = std::find(c.kept.begin(), c.kept.end(), name) != c.kept.end();
      EXPECT_EQ(FileExists(d.dir / (std::string(name) + ".wsd")), kept) << name;
    }
  }
}

}  // namespace
}  // namespace quillora
