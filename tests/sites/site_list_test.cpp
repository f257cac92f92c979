#include "sites/site_list.h"

#include <filesystem>
#include <map>
#include <set>
#include <thread>

#include <gtest/gtest.h>

#include "foundation/encoding.h"
#include "foundation/files.h"
#include "foundation/job.h"
#include "foundation/stream.h"
#include "sites/ratings_file.h"
#include "sites/site_filter.h"
#include "sites/site_index.h"
#include "sites/sites_view.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace quillora {
namespace {

using test::ScriptedUI;
using test::TempDir;

// Per-site values keyed by kind and UIN, and the product version.
class FakeProfile : public TSiteProfile {
 public:
  std::map<std::string, std::string> values;
  std::map<std::pair<TSiteValueKind, std::string>, std::string> site;
  std::string ProfileValue(std::string_view key) const override {
    auto it = values.find(std::string(key));
    return it == values.end() ? "" : it->second;
  }
  std::string SiteValue(TSiteValueKind kind, std::string_view uin) const override {
    auto it = site.find({kind, std::string(uin)});
    return it == site.end() ? "" : it->second;
  }
};

std::unique_ptr<TWebSite> MakeSite(const std::string& uin, const std::string& name) {
  auto s = std::make_unique<TWebSite>();
  s->Info.CommonInfo().SetString("UIN", uin);
  s->Info.CommonInfo().SetString("Name", name);
  return s;
}

void WriteSite(const std::string& path, const std::string& uin, const std::string& name) {
  auto s = MakeSite(uin, name);
  ASSERT_TRUE(s->SaveSiteFile(path, false));
}

void SetAge(const std::string& path, int seconds_ago) {
  std::filesystem::last_write_time(
      path, std::filesystem::file_time_type::clock::now() - std::chrono::seconds(seconds_ago));
}

TEST(SiteList, DuplicateUinKeepsTheNewerFileAndDeletesTheOlder) {
  ScriptedUI ui;
  TempDir dir;
  // "a.wsd" loads first; in the first run it is the newer, in the second the older.
  for (bool first_is_newer : {true, false}) {
    TempDir d;
    WriteSite(d / "a.wsd", "SITE-1", "First");
    WriteSite(d / "b.wsd", "SITE-1", "Second");
    WriteSite(d / "c.wsd", "SITE-2", "Other");
    SetAge(d / "a.wsd", first_is_newer ? 10 : 100);
    SetAge(d / "b.wsd", first_is_newer ? 100 : 10);
    TSiteList list(d.Path(), dir.Path());
    std::vector<std::pair<int, int>> progress;
    list.OnProgress = [&](int i, int n) { progress.emplace_back(i, n); };
    ASSERT_TRUE(list.LoadAll());
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.FindByUIN("SITE-1")->Name(), first_is_newer ? "First" : "Second");
    EXPECT_EQ(FileExists(d / "a.wsd"), first_is_newer);
    EXPECT_EQ(FileExists(d / "b.wsd"), !first_is_newer);
    EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{0, 2}, {1, 2}, {2, 2}}));
  }
}

// A folder mixing every case a load meets: duplicate UINs of different ages (one UIN three
// times), a damaged file, a file that is not a site file and an older layout that gets rewritten.
void FillMixedFolder(const std::string& dir) {
  for (int i = 0; i < 40; ++i) {
    const std::string path = dir + "s" + std::to_string(i) + ".wsd";
    WriteSite(path, "SITE-" + std::to_string(i % 7 == 3 ? 3 : i % 11), "Site " + std::to_string(i));
    SetAge(path, 10 + (i * 37) % 50);
  }
  std::string damaged = FileToString(dir + "s5.wsd");
  for (size_t k = 200; k < damaged.size(); k += 3)
    damaged[k] = static_cast<char>(damaged[k] ^ 0x5A);
  StringToFile(dir + "damaged.wsd", damaged);
  StringToFile(dir + "text.wsd", "not a site file");
  std::filesystem::copy_file(std::string(QUILLORA_TEST_DATA_DIR) + "/sites/old_2_0.wsd",
                             dir + "old.wsd");
}

struct LoadOutcome {
  std::vector<std::string> names;   // file names in list order
  std::vector<std::string> bodies;  // each site as saved
  std::vector<std::string> on_disk;
  std::vector<std::pair<int, int>> progress;
  std::vector<std::string> questions;
};

LoadOutcome LoadWithThreads(const std::string& dir, int threads) {
  ScriptedUI ui;
  TempDir temp;
  TSiteList list(dir, temp.Path());
  list.load_threads = threads;
  list.starting = true;
  LoadOutcome out;
  list.OnProgress = [&](int i, int n) { out.progress.emplace_back(i, n); };
  EXPECT_TRUE(list.LoadAll());
  for (int i = 0; i < list.Count(); ++i) {
    out.names.push_back(ExtractFileName(list.SiteAt(i)->FileName));
    // Writing the folders (and rewriting the old layout) stamps the time; the rest must match.
    list.SiteAt(i)->Info.CommonInfo().SetString("Last modified", "");
    TMemoryStream bytes;
    list.SiteAt(i)->SaveToStream(bytes);
    out.bodies.push_back(bytes.Data());
  }
  out.on_disk = ListFiles(dir, "*.wsd");
  out.questions = ui.Texts("retry");
  for (std::string& q : out.questions) q = ExtractFileName(q);
  return out;
}

TEST(SiteList, ParallelLoadMatchesTheOneByOneLoad) {
  TempDir one;
  FillMixedFolder(one.Path());
  const std::vector<std::string> listed = ListFiles(one.Path(), "*.wsd");
  const LoadOutcome a = LoadWithThreads(one.Path(), 1);
  for (int threads : {2, 3}) {
    SCOPED_TRACE(threads);
    TempDir again;
    FillMixedFolder(again.Path());
    // Both folders must list their files alike for the comparison to mean anything.
    ASSERT_EQ(ListFiles(again.Path(), "*.wsd"), listed);
    const LoadOutcome b = LoadWithThreads(again.Path(), threads);
    EXPECT_EQ(a.names, b.names);
    EXPECT_TRUE(a.bodies == b.bodies);
    EXPECT_EQ(a.on_disk, b.on_disk);
    EXPECT_EQ(a.progress, b.progress);
    EXPECT_EQ(a.questions, b.questions);
  }
  // The one-by-one load itself: one site per UIN (eleven of them), the loser files gone, the
  // damaged and foreign files skipped, the old layout loaded, progress over all 43 names at 90 %.
  EXPECT_EQ(a.names.size(), 12u);
  EXPECT_EQ(a.on_disk.size(), 14u);
  EXPECT_EQ(a.progress.size(), 43u);
  EXPECT_EQ(a.progress.back(), std::make_pair(37, 42));
  EXPECT_EQ(a.questions, std::vector<std::string>{"damaged.wsd"});
}

// The busy window's Stop in the middle of a load run as a job: the sites taken so far are in,
// each with the duplicate rule applied (the first six files hold two of SITE-0), the look-up
// finds them, the retry question of the damaged file was asked on the user-interface thread,
// and a second load ends exactly where one whole load ends.
TEST(SiteList, StoppedLoadLeavesAConsistentList) {
  TempDir reference;
  FillMixedFolder(reference.Path());
  const LoadOutcome whole = LoadWithThreads(reference.Path(), 1);
  for (int threads : {1, 3}) {
    SCOPED_TRACE(threads);
    TempDir dir, temp;
    FillMixedFolder(dir.Path());
    ScriptedUI ui;
    ui.StopAtProgress(6);
    TSiteList list(dir.Path(), temp.Path());
    list.load_threads = threads;
    std::vector<std::pair<int, int>> progress;
    list.OnProgress = [&](int i, int n) { progress.emplace_back(i, n); };
    TJob job;
    ASSERT_TRUE(RunJob(job, [&](TJob& j) { return list.LoadAll(j); }));
    EXPECT_TRUE(job.StopRequested());
    EXPECT_EQ(progress.size(), 6u);
    EXPECT_EQ(ui.ProgressReports().back(), std::make_pair(6LL, 43LL));
    ASSERT_EQ(ui.Texts("retry"),
              std::vector<std::string>{"Cannot load site from " + dir / "damaged.wsd"});
    EXPECT_EQ(ui.Events()[0].thread, std::this_thread::get_id());

    ASSERT_EQ(list.Count(), 4);  // old layout, SITE-0 (newer of two), SITE-1, SITE-3
    std::set<std::string> uins;
    for (int i = 0; i < list.Count(); ++i) {
      TWebSite* site = list.SiteAt(i);
      EXPECT_TRUE(uins.insert(site->UIN()).second) << site->UIN();
      EXPECT_EQ(list.FindByUIN(site->UIN()), site);
      EXPECT_TRUE(FileExists(site->FileName)) << site->FileName;
    }
    EXPECT_EQ(FileExists(dir / "s0.wsd") + FileExists(dir / "s11.wsd"), 1);

    ui.StopAtProgress(0);
    list.OnProgress = nullptr;
    ASSERT_TRUE(list.LoadAll());
    std::vector<std::string> names;
    for (int i = 0; i < list.Count(); ++i)
      names.push_back(ExtractFileName(list.SiteAt(i)->FileName));
    EXPECT_EQ(names, whole.names);
    EXPECT_EQ(ListFiles(dir.Path(), "*.wsd"), whole.on_disk);
  }
}

TEST(SiteList, EmptyFolderKeepsTheListAndMissingFolderIsCreatedOrFails) {
  ScriptedUI ui;
  TempDir dir;
  TSiteList list(dir / "sites/", dir.Path());
  list.AddSite(MakeSite("SITE-9", "Kept"));
  EXPECT_TRUE(list.LoadAll());
  EXPECT_TRUE(DirectoryExists(dir / "sites"));
  EXPECT_EQ(list.Count(), 1);

  StringToFile(dir / "file", "x");  // a file where a folder level should be
  TSiteList bad(dir / "file/sites/", dir.Path());
  EXPECT_FALSE(bad.LoadAll());
}

TEST(SiteList, FindByUinReturnsTheFirstMatchAndFollowsRemovals) {
  TSiteList list;
  TWebSite* a = list.AddSite(MakeSite("U", "a"));
  list.AddSite(MakeSite("U", "b"));
  EXPECT_EQ(list.FindByUIN("U"), a);
  EXPECT_EQ(list.FindByUIN("u"), nullptr);  // exact comparison
  list.RemoveSite(a);
  EXPECT_EQ(list.FindByUIN("U")->Name(), "b");
  list.SiteAt(0)->Info.CommonInfo().SetString("UIN", "V");
  EXPECT_EQ(list.FindByUIN("U"), nullptr);
  EXPECT_EQ(list.FindByUIN("V")->Name(), "b");
}

TEST(SiteList, NextSiteToSearchSkipsHiddenDisabledSearchAndExhaustedSites) {
  TSiteList list;
  TWebSite* hidden = list.AddSite(MakeSite("1", "hidden"));
  hidden->Visible = 0;
  list.AddSite(MakeSite("2", "no auto"))->Info.SearchOptions().SetString("AutoSearch", "FALSE");
  list.AddSite(MakeSite("3", "tried"))->SearchAttempts = 3;
  list.AddSite(MakeSite("4", "busy"))->SearchBusy = 1;
  TWebSite* good = list.AddSite(MakeSite("5", "good"));
  good->Info.SearchOptions().SetString("AutoSearch", "TRUE");
  EXPECT_EQ(list.NextSiteToSearch(), good);
  good->SearchDone = 1;
  EXPECT_EQ(list.NextSiteToSearch(), nullptr);
}

TEST(SiteList, StatisticsFollowOverridesVersionsAndFlags) {
  TSiteList list;
  FakeProfile p;
  p.values["Program_Info/Program_Version"] = "2.0";
  using K = TSiteValueKind;
  p.site[{K::StatusOverride, "A"}] = "Complete";  // counts as Complete but not listed
  p.site[{K::VersionListed, "B"}] = "2.0";
  p.site[{K::SearchFlag, "B"}] = "FOUND";
  p.site[{K::VersionSubmitted, "C"}] = "2.0";
  p.site[{K::DateSubmitted, "C"}] = "01-01-2024";
  p.site[{K::SearchFlag, "C"}] = "NOT FOUND";
  p.site[{K::VersionListed, "D"}] = "1.0";  // listed, but an older version: no state
  p.site[{K::SearchFlag, "D"}] = "ERROR";
  p.site[{K::StatusOverride, "E"}] = "Skipped";
  p.site[{K::SearchFlag, "E"}] = "NOT SUPPORTED";
  // "ALL" forces no state here (a site's status would be ALL): the versions count.
  p.site[{K::StatusOverride, "F"}] = "ALL";
  p.site[{K::VersionListed, "F"}] = "2.0";
  for (const char* uin : {"A", "B", "C", "D", "E", "F"})
    list.CountStatistics(list.AddSite(MakeSite(uin, uin)), &p);
  list.CountStatistics(nullptr, &p);
  const TSiteStatistics& s = list.statistics;
  EXPECT_EQ(s.Total, 6);
  EXPECT_EQ(s.Processed, 5);
  EXPECT_EQ(s.Complete, 3);
  EXPECT_EQ(s.Pending, 1);
  EXPECT_EQ(s.Skipped, 1);
  EXPECT_EQ(s.Failed, 0);
  EXPECT_EQ(s.Listed, 3);
  EXPECT_EQ(s.NotListed, 3);
  EXPECT_EQ(s.Submitted, 1);
  EXPECT_EQ(s.Found, 1);
  EXPECT_EQ(s.NotFound, 1);
  EXPECT_EQ(s.QueryError, 1);
  EXPECT_EQ(s.NotSupported, 1);
  list.ResetStatistics();
  EXPECT_EQ(list.statistics.Total, 0);
}

// Finds a ratings section whose CRC-32 is 2^31 or more by varying one rating.
TOptionsList RatingsWithHighCrc(bool high) {
  TOptionsList r;
  for (int i = 0;; ++i) {
    r.Clear();
    r.AddLine("SITE-1=" + std::to_string(i));
    if ((Crc32(r.Text()) >= 0x80000000u) == high) return r;
  }
}

TEST(SiteList, RatingsFileChecksumAndFallback) {
  ScriptedUI ui;
  TempDir dir;
  TSiteList list;
  list.AddSite(MakeSite("SITE-1", "one"));
  TWebSite* two = list.AddSite(MakeSite("SITE-2", "two"));
  two->Info.CommonInfo().SetString("Page Rank", "5");

  const TOptionsList low = RatingsWithHighCrc(false);
  StringToFile(dir / "Ratings.dat", MakeRatingsText(low, "01-01-2024"));
  list.ApplyRatingsFile(dir / "Ratings.dat");
  EXPECT_TRUE(ui.Texts("error").empty());
  EXPECT_EQ(list.SiteAt(0)->Info.Value("Common info", "Rating"),
            low.GetString("SITE-1") == "0" ? "1" : low.GetString("SITE-1"));
  EXPECT_EQ(two->Info.Value("Common info", "Rating"), "5");  // missing: the page rank

  // The stored CRC is read as a signed number, so a checksum of 2^31 or more never matches.
  const TOptionsList high = RatingsWithHighCrc(true);
  const std::string text = MakeRatingsText(high, "01-01-2024");
  EXPECT_THROW(ReadRatingsText(text), std::runtime_error);
  list.SiteAt(0)->Info.CommonInfo().SetString("Rating", "42");
  StringToFile(dir / "Ratings.dat", text);
  list.ApplyRatingsFile(dir / "Ratings.dat");
  EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"Page ranks file is corrupted."});
  EXPECT_EQ(list.SiteAt(0)->Info.Value("Common info", "Rating"), "42");

  // A changed rating line breaks the checksum; an older file without "General" is unchecked.
  std::string tampered = MakeRatingsText(low, "x");
  tampered.replace(tampered.find("SITE-1="), 7, "SITE-2=");
  EXPECT_THROW(ReadRatingsText(tampered), std::runtime_error);
  EXPECT_EQ(ReadRatingsText("SITE-2=0\r\n").ratings.GetString("SITE-2"), "0");

  // With the fallback an unknown site without rating and page rank gets 1.
  TSiteList plain;
  plain.AddSite(MakeSite("SITE-3", "three"));
  plain.ApplyRatings(TOptionsList{}, true);
  EXPECT_EQ(plain.SiteAt(0)->Info.Value("Common info", "Rating"), "1");
}

TEST(SiteList, ExportWritesSitesIndexAndVersionFile) {
  ScriptedUI ui;
  TempDir dir;
  ForceDirectories(dir / "sites");
  WriteSite(dir / "sites/b.wsd", "SITE-B", "Bee");
  WriteSite(dir / "sites/a.wsd", "SITE-A", "Ay");
  TSiteList list(dir / "sites/", dir.Path());
  ASSERT_TRUE(list.LoadAll());
  ASSERT_TRUE(list.ExportSites(dir / "out/"));
  const std::vector<TIndexEntry> index = ReadSiteIndex(FileToString(dir / "out/Index.dat"));
  ASSERT_EQ(index.size(), 2u);
  EXPECT_EQ(index[0].uin, list.SiteAt(0)->UIN());
  EXPECT_EQ(index[0].file_name, "a.wsd");
  EXPECT_EQ(index[0].checksum, Crc32(FileToString(dir / "out/a.wsd")));
  TOptionsList version;
  version.LoadFromTextFile(dir / "out/version.dat");
  ASSERT_EQ(version.Count(), 2);
  EXPECT_EQ(version.NameAt(0), "Build");
  EXPECT_EQ(version.NameAt(1), "Exported");
  // An older index (no sections) is read as "Sites" lines; bad lines are skipped.
  const auto old =
      ReadSiteIndex("U1,01-01-2020,x,y.wsd,4294967295\r\nbroken\r\nU2,d,f,notanumber\r\n");
  ASSERT_EQ(old.size(), 1u);
  EXPECT_EQ(old[0].file_name, "x,y.wsd");
  EXPECT_EQ(old[0].checksum, 4294967295u);
}

TEST(SiteList, ThumbnailStripHasTwentySpareSlots) {
  ScriptedUI ui;
  TSiteList list;
  for (int i = 0; i < 3; ++i) list.AddSite(MakeSite("S" + std::to_string(i), "s"));
  ASSERT_TRUE(list.BuildThumbnails());
  EXPECT_FALSE(list.BuildThumbnails());
  EXPECT_EQ(list.ThumbnailCapacity, 23);
  EXPECT_EQ(list.ThumbnailStrip.height, 23 * 120);
  for (int i = 3; i < 23; ++i) EXPECT_EQ(list.AddSite(MakeSite("T", "t"))->ThumbnailIndex, i);
  EXPECT_EQ(list.AddSite(MakeSite("X", "x"))->ThumbnailIndex, -1);
}

// The busy window's Stop: an export stops before its index is written; a thumbnail strip keeps
// the slots given so far, as after a broken cover. Both close their busy window.
TEST(SiteList, StoppedExportAndThumbnails) {
  ScriptedUI ui;
  TempDir dir;
  ForceDirectories(dir / "sites");
  TSiteList list(dir / "sites/", dir.Path());
  for (const char* uin : {"A", "B", "C", "D"}) {
    WriteSite(dir / "sites/" + uin + ".wsd", uin, uin);
    list.LoadFile(dir / "sites/" + uin + ".wsd");
  }
  ui.StopAtProgress(2);
  EXPECT_FALSE(list.ExportSites(dir / "out/"));
  EXPECT_EQ(ListFiles(dir / "out/", "*.wsd").size(), 2u);
  EXPECT_FALSE(FileExists(dir / "out/Index.dat"));
  EXPECT_FALSE(FileExists(dir / "out/version.dat"));

  ui.StopAtProgress(static_cast<int>(ui.ProgressReports().size()) + 3);
  ASSERT_TRUE(list.BuildThumbnails());
  std::vector<int> slots;
  for (int i = 0; i < list.Count(); ++i) slots.push_back(list.SiteAt(i)->ThumbnailIndex);
  EXPECT_EQ(slots, (std::vector<int>{0, 1, 2, -1}));
  EXPECT_EQ(ui.Busy(), (std::vector<std::string>{"begin Exporting sites", "end",
                                                 "begin Loading thumbnails. Please, wait", "end"}));
}

// --- filter ---

struct FilterCase {
  const char* what;
  TSiteFilter filter;
  std::vector<std::string> shown;
};

TEST(SiteFilter, CasesOverAFixedList) {
  TSiteList list;
  auto add = [&](const char* uin, const char* name, const char* cat3, const char* comments,
                 const char* rating, bool disabled) {
    TWebSite* s = list.AddSite(MakeSite(uin, name));
    s->Info.CommonInfo().SetString("Category 3", cat3);
    s->Info.CommonInfo().SetString("Comments", comments);
    s->Info.CommonInfo().SetString("Rating", rating);
    s->SetDisabled(disabled);
    s->RefreshSummary();
  };
  add("A", "Free Mail Site", "Utilities", "", "50", false);
  add("B", "Free Mail Too", "Games", "lots of spam", "", false);
  add("C", "Mail Only", "", "", "abc", false);
  add("D", "Disabled Free Mail", "", "", "5", true);
  TCustomSet set;
  set.Add("c");  // compared ignoring case

  auto f = [](auto&& fill) {
    TSiteFilter x;
    x.ShowAll = false;
    fill(x);
    return x;
  };
  const std::vector<FilterCase> cases = {
      {"show all hides disabled only", TSiteFilter{}, {"A", "B", "C"}},
      {"show disabled",
       f([](TSiteFilter& x) { x.ShowAll = true, x.ShowDisabled = true; }),
       {"A", "B", "C", "D"}},
      {"categories", f([](TSiteFilter& x) { x.Categories = "games;utilities"; }), {"A", "B"}},
      {"search words", f([](TSiteFilter& x) { x.SearchText = "mail +free -spam"; }), {"A"}},
      {"excluded only", f([](TSiteFilter& x) { x.SearchText = "-spam"; }), {}},
      {"word in the comments", f([](TSiteFilter& x) { x.SearchText = "lots"; }), {"B"}},
      // B's name, empty home address and first category must not run together.
      {"no match across two texts", f([](TSiteFilter& x) { x.SearchText = "tooshareware"; }), {}},
      {"spaces only", f([](TSiteFilter& x) { x.SearchText = "  "; }), {}},
      {"rating range", f([](TSiteFilter& x) { x.RatingFrom = 60; }), {"B", "C"}},
      {"status auto", f([](TSiteFilter& x) { x.Status = ssAuto; }), {}},
      {"hide unchecked",
       f([](TSiteFilter& x) { x.ShowAll = true, x.HideUnchecked = true; }),
       {"A", "B"}},
  };
  for (const FilterCase& c : cases) {
    list.ApplyFilter(c.filter, &set);
    std::vector<std::string> shown;
    for (int i = 0; i < list.Count(); ++i)
      if (list.SiteAt(i)->Visible) shown.push_back(list.SiteAt(i)->UIN());
    EXPECT_EQ(shown, c.shown) << c.what;
  }
}

TEST(SiteFilter, SettingsAndSavedFiltersRoundTrip) {
  TOptionsList settings;
  settings.SetString("Filter Show Apply Button", "FALSE");
  settings.SetString("Filter Show All", "FALSE");
  settings.SetString("Filter Category", "ALL");
  settings.SetString("Filter Language", "English;German");
  settings.SetString("Filter Status", "Pending");
  TSiteFilter f;
  LoadFilterSettings(f, settings);
  EXPECT_TRUE(f.ShowAll);  // without an apply button the stored "Show All" is not used
  EXPECT_EQ(f.Categories, "");
  EXPECT_EQ(f.Status, ssPending);
  EXPECT_EQ(f.RatingTo, 100);
  f.Languages.clear();
  SaveFilterSettings(f, settings);
  EXPECT_FALSE(settings.HasKey("Filter Language"));
  EXPECT_EQ(settings.GetString("Filter Status"), "Pending");

  TOptionsList filters;
  TSiteFilter g;
  g.Categories = "Games";
  SaveFilterAs(filters, "Games only", g, "Pending");
  EXPECT_EQ(filters.Line(0), "Games only=Games||Pending||1|100|FALSE|FALSE|");
  g.SearchText = "x";
  SaveFilterAs(filters, "Games only", g, "Pending");
  EXPECT_EQ(filters.Count(), 1);
  TSiteFilter h;
  ASSERT_TRUE(LoadSavedFilter(filters, "Games only", h));
  EXPECT_EQ(h.SearchText, "x");
  EXPECT_EQ(h.Status, ssPending);
  EXPECT_TRUE(DeleteSavedFilter(filters, "Games only"));
  EXPECT_FALSE(LoadSavedFilter(filters, "Games only", h));
}

TEST(CustomSets, ExportImportAsksBeforeOverwriting) {
  ScriptedUI ui;
  TempDir dir;
  TCustomSets sets;
  sets.NewSet("One")->Add("U1");
  sets.NewSet("Two")->Add("U2");
  sets.ExportSets({"Two", "One"}, dir / "x.csf");
  EXPECT_EQ(FileToString(dir / "x.csf"), "[Two]\r\nU2\r\n\r\n[One]\r\nU1\r\n\r\n");

  TCustomSets other;
  other.NewSet("One")->Add("KEEP");
  ui.QueueYesNo(false);
  EXPECT_EQ(other.ImportSets(dir / "x.csf"), std::vector<std::string>{"Two"});
  EXPECT_EQ(other.FindSet("One")->Lines(), std::vector<std::string>{"KEEP"});
  EXPECT_EQ(ui.Texts("yesno"),
            std::vector<std::string>{
                "Custom set \"One\" already exists.\r\nDo you wish to overwrite it?"});
  EXPECT_THROW(other.ImportSets(dir / "missing.csf"), std::runtime_error);
  EXPECT_EQ(other.Count(), 2);

  TCustomSet* s = other.FindSet("Two");
  s->SetMember("U3", true);
  s->SetMember("u2", false);
  EXPECT_EQ(s->Lines(), std::vector<std::string>{"U3"});
}

// --- view order ---

TEST(SitesView, SortOrdersAndNextSite) {
  TSiteList list;
  const char* ranks[] = {"5", "100", "20"};
  const char* versions[] = {"1.9", "1.10", "2.0"};
  for (int i = 0; i < 3; ++i) {
    TWebSite* s =
        list.AddSite(MakeSite("S" + std::to_string(i), std::string(1, static_cast<char>('c' - i))));
    s->Info.CommonInfo().SetString("Rating", ranks[i]);
    s->RefreshSummary();
    s->summary.text[13] = s->summary.lower[13] = versions[i];
  }
  EXPECT_EQ(SortedSitePositions(list, TSitesSort::FromSetting(-1)), (std::vector<int>{2, 1, 0}));
  EXPECT_EQ(SortedSitePositions(list, TSitesSort::FromSetting(1)), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(SortedSitePositions(list, TSitesSort::FromSetting(-8)), (std::vector<int>{1, 2, 0}));
  EXPECT_EQ(SortedSitePositions(list, TSitesSort::FromSetting(-14)), (std::vector<int>{2, 0, 1}));
  EXPECT_EQ(TSitesSort::FromSetting(16).ToSetting(), 16);

  const std::vector<int> order = SortedSitePositions(list, TSitesSort::FromSetting(-1));
  list.SiteAt(1)->Visible = 0;
  EXPECT_EQ(NextSiteUIN(list, order, list.SiteAt(2), true), "S0");
  EXPECT_EQ(NextSiteUIN(list, order, nullptr, true), "S2");
  EXPECT_EQ(NextSiteUIN(list, order, nullptr, false), "S0");
  EXPECT_EQ(NextSiteUIN(list, order, list.SiteAt(0), true), "");
  EXPECT_EQ(
      NextSiteUIN(list, order, nullptr, true, [](const TWebSite& s) { return s.UIN() == "S2"; }),
      "S0");
}

TEST(SitesView, ColumnListsAreCheckedAgainstTheirColumnCount) {
  EXPECT_EQ(ParseSiteColumns("0,25,2,2"), (std::vector<int>{0, 25, 2, 2}));
  EXPECT_TRUE(ParseSiteColumns("").empty());
  EXPECT_EQ(ParseColumnNumbers(" 3", 4), std::vector<int>{3});
  for (const char* bad : {"26", "-1", "0,", "1;2"}) {
    try {
      ParseSiteColumns(bad);
      ADD_FAILURE() << bad;
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(e.what(), "Bad column number in '" + std::string(bad) + "' (0..25)");
    }
  }
}

TEST(SitesView, KnownCategoriesAndLanguages) {
  TSiteList list;
  TWebSite* a = list.AddSite(MakeSite("A", "a"));
  a->Info.CommonInfo().SetString("Category 1", "Games");
  a->Info.CommonInfo().SetString("Category 3", "Tools");
  TWebSite* b = list.AddSite(MakeSite("B", "b"));
  b->Info.CommonInfo().SetString("Category 2", "GAMES");  // the same category
  b->Info.CommonInfo().SetString("Language", "German");

  TSiteChoiceLists known;
  known.categories = {"left over"};
  CollectKnownLists(list, known);
  EXPECT_EQ(known.categories, (std::vector<std::string>{"Games", "Tools", "Shareware"}));
  EXPECT_EQ(known.languages, (std::vector<std::string>{"English", "German"}));

  // A site saved since the refresh is added by the view itself.
  TWebSite fresh;
  fresh.Info.CommonInfo().SetString("Category 4", "Fonts");
  fresh.Info.CommonInfo().SetString("Language", "german");
  known.AddSite(fresh);
  EXPECT_EQ(known.categories, (std::vector<std::string>{"Games", "Tools", "Shareware", "Fonts"}));
  EXPECT_EQ(known.languages, (std::vector<std::string>{"English", "German"}));
}

}  // namespace
}  // namespace quillora
