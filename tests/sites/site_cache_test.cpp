#include "sites/site_cache.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/encoding.h"
#include "foundation/files.h"
#include "foundation/stream.h"
#include "sites/site_list.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace quillora {
namespace {

using test::ScriptedUI;
using test::TempDir;

void WriteSite(const std::string& path, const std::string& uin, const std::string& name,
               int forms = 1, bool disabled = false) {
  TWebSite s;
  s.Info.CommonInfo().SetString("UIN", uin);
  s.Info.CommonInfo().SetString("Name", name);
  s.Info.URLs.Home().SetAddress("http://" + uin + ".example.invalid/");
  s.SetDisabled(disabled);
  for (int f = 0; f < forms; ++f) {
    TWebForm& form = s.Forms().AddForm();
    form.FormName = name + "-form" + std::to_string(f);
    form.Created = form.LastUpdated = 45000.5;  // not the time of writing: two folders compare
    form.AddField().Name = "field" + std::to_string(f);
  }
  ASSERT_TRUE(s.SaveSiteFile(path, false));
}

void SetAge(const std::string& path, int seconds_ago) {
  std::filesystem::last_write_time(
      path, std::filesystem::file_time_type::clock::now() - std::chrono::seconds(seconds_ago));
}

// Duplicate UINs of different ages, a damaged file, a foreign file, an older layout that is
// rewritten on load and a disabled site.
void FillFolder(const std::string& dir) {
  for (int i = 0; i < 24; ++i) {
    const std::string path = dir + "s" + std::to_string(i) + ".wsd";
    WriteSite(path, "SITE-" + std::to_string(i % 5 == 3 ? 3 : i % 9), "Site " + std::to_string(i),
              1 + i % 3, i == 7);
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

struct Outcome {
  std::vector<std::string> names;      // file names in list order
  std::vector<std::string> summaries;  // every column of every site
  std::vector<std::string> bodies;     // each site as saved: options, forms, cover, flag
  std::vector<std::string> on_disk;
  std::vector<std::pair<int, int>> progress;
  std::vector<std::string> questions;
  int from_cache = 0;
};

Outcome Load(const std::string& dir, const std::string& cache_file, int threads) {
  ScriptedUI ui;
  TempDir temp;
  TSiteList list(dir, temp.Path());
  list.load_threads = threads;
  list.cache_file = cache_file;
  list.starting = true;
  Outcome out;
  list.OnProgress = [&](int i, int n) { out.progress.emplace_back(i, n); };
  EXPECT_TRUE(list.LoadAll());
  for (int i = 0; i < list.Count(); ++i) {
    TWebSite* site = list.SiteAt(i);
    out.from_cache += site->BodyPending();
    out.names.push_back(ExtractFileName(site->FileName));
    // Writing the folders (and rewriting the old layout) stamps the time; the rest must match.
    site->Info.CommonInfo().SetString("Last modified", "");
    site->RefreshSummary();
    std::string columns;
    for (const std::string& text : site->summary.text) columns += text + '|';
    out.summaries.push_back(columns + site->summary.search_text);
    TMemoryStream bytes;
    site->SaveToStream(bytes);
    out.bodies.push_back(bytes.Data());
  }
  out.on_disk = ListFiles(dir, "*.wsd");
  out.questions = ui.Texts("retry");
  for (std::string& q : out.questions) q = ExtractFileName(q);
  return out;
}

void ExpectSame(const Outcome& full, const Outcome& cached) {
  EXPECT_EQ(full.names, cached.names);
  EXPECT_EQ(full.summaries, cached.summaries);
  EXPECT_TRUE(full.bodies == cached.bodies);
  EXPECT_EQ(full.on_disk, cached.on_disk);
  EXPECT_EQ(full.progress, cached.progress);
  EXPECT_EQ(full.questions, cached.questions);
}

// Two copies of one folder, one loaded in full twice, the other through the cache twice (cold,
// then warm): both runs must agree in every respect, and the warm one must have used the cache.
TEST(SiteCache, WarmLoadMatchesFullLoad) {
  for (int threads : {1, 2}) {
    SCOPED_TRACE(threads);
    TempDir full_dir, cached_dir, user;
    FillFolder(full_dir.Path());
    FillFolder(cached_dir.Path());
    const std::string cache = user / "site_cache.dat";
    const Outcome full1 = Load(full_dir.Path(), "", threads);
    const Outcome cold = Load(cached_dir.Path(), cache, threads);
    ExpectSame(full1, cold);
    EXPECT_EQ(cold.from_cache, 0);
    ASSERT_TRUE(FileExists(cache));

    const Outcome full2 = Load(full_dir.Path(), "", threads);
    const Outcome warm = Load(cached_dir.Path(), cache, threads);
    ExpectSame(full2, warm);
    // Every survivor but the rewritten old layout comes from the cache; the damaged file is
    // loaded (and reported) again.
    EXPECT_EQ(warm.from_cache, static_cast<int>(warm.names.size()) - 1);
    EXPECT_EQ(warm.questions, std::vector<std::string>{"damaged.wsd"});
    // The disabled site stays disabled.
    EXPECT_NE(std::find_if(warm.summaries.begin(), warm.summaries.end(),
                           [](const std::string& s) { return s.find("Site 7") == 0; }),
              warm.summaries.end());
  }
}

TEST(SiteCache, ChangedAddedAndRemovedFilesArePickedUpAndTheCacheRewrittenOnlyThen) {
  ScriptedUI ui;
  TempDir dir, user, temp;
  const std::string cache = user / "site_cache.dat";
  WriteSite(dir / "a.wsd", "SITE-A", "Alpha");
  WriteSite(dir / "b.wsd", "SITE-B", "Beta");
  WriteSite(dir / "c.wsd", "SITE-C", "Gamma");
  auto load = [&](TSiteList& list) {
    list.cache_file = cache;
    ASSERT_TRUE(list.LoadAll());
  };
  {
    TSiteList list(dir.Path(), temp.Path());
    load(list);
  }
  const TSiteFileStamp written = FileStampOf(cache);
  {
    TSiteList list(dir.Path(), temp.Path());
    load(list);
    EXPECT_EQ(list.SiteAt(0)->BodyPending() + list.SiteAt(1)->BodyPending() +
                  list.SiteAt(2)->BodyPending(),
              3);
  }
  EXPECT_EQ(FileStampOf(cache), written) << "nothing changed, so the cache stays as it was";

  WriteSite(dir / "b.wsd", "SITE-B", "Beta, renamed", 2);
  WriteSite(dir / "d.wsd", "SITE-D", "Delta");
  DeleteFileAt(dir / "c.wsd");
  TSiteList list(dir.Path(), temp.Path());
  load(list);
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.SiteAt(0)->Name(), "Alpha");
  EXPECT_TRUE(list.SiteAt(0)->BodyPending());
  EXPECT_EQ(list.SiteAt(1)->Name(), "Beta, renamed");
  EXPECT_FALSE(list.SiteAt(1)->BodyPending());
  EXPECT_EQ(list.SiteAt(1)->Forms().Count(), 2);
  EXPECT_EQ(list.SiteAt(2)->Name(), "Delta");
  TSiteCache reread;
  ASSERT_TRUE(reread.Load(cache, dir.Path()));
  ASSERT_EQ(reread.Entries().size(), 3u);
  EXPECT_EQ(reread.Entries()[2].name, "d.wsd");
  EXPECT_TRUE(ui.Texts("retry").empty());
}

// Every kind of bad cache is refused whole; the load is the full one and writes a good cache.
TEST(SiteCache, BadCacheIsIgnoredAndRebuilt) {
  TempDir dir, temp;
  WriteSite(dir / "a.wsd", "SITE-A", "Alpha");
  WriteSite(dir / "b.wsd", "SITE-B", "Beta");
  TSiteCache probe;
  const std::string good = [&] {
    TempDir user;
    TSiteList list(dir.Path(), temp.Path());
    list.cache_file = user / "c.dat";
    EXPECT_TRUE(list.LoadAll());
    return FileToString(user / "c.dat");
  }();
  ASSERT_TRUE(probe.Parse(good, dir.Path()));
  auto with_crc = [](std::string bytes) {
    bytes.resize(bytes.size() - 4);
    const uint32_t crc = Crc32(bytes);
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>((crc >> (8 * i)) & 0xff);
    return bytes;
  };
  std::string future = good;
  future[8] = 2;  // the version
  std::string other_folder = good;
  other_folder[16] ^= 1;  // a letter of the sites folder
  std::string lying_count = good;
  lying_count[12 + 4 + dir.Path().size()] = 3;
  std::string flipped = good;
  flipped[good.size() / 2] ^= 0x20;
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"truncated", good.substr(0, good.size() - 9)},
      {"foreign", "QSCACHE but not really a cache at all"},
      {"flipped byte", flipped},
      {"future version", with_crc(future)},
      {"other sites folder", with_crc(other_folder)},
      {"count beyond the entries", with_crc(lying_count)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(probe.Parse(c.bytes, dir.Path()));
    TempDir user;
    StringToFile(user / "c.dat", c.bytes);
    ScriptedUI ui;
    TSiteList list(dir.Path(), temp.Path());
    list.cache_file = user / "c.dat";
    ASSERT_TRUE(list.LoadAll());
    ASSERT_EQ(list.Count(), 2);
    EXPECT_FALSE(list.SiteAt(0)->BodyPending());
    EXPECT_EQ(list.SiteAt(1)->Name(), "Beta");
    EXPECT_TRUE(probe.Load(user / "c.dat", dir.Path()));
    EXPECT_EQ(probe.Entries().size(), 2u);
  }
}

// A cache-loaded site reads its file on the first use of its forms or cover. When the file was
// replaced meanwhile the site is loaded in full; when it was damaged, the load's question is
// asked and the site ends up as empty as a failed load leaves it.
TEST(SiteCache, FirstUseReadsTheFileAndFollowsChangesUnderneath) {
  TempDir dir, user, temp;
  const std::string cache = user / "site_cache.dat";
  WriteSite(dir / "a.wsd", "SITE-A", "Alpha", 3);
  WriteSite(dir / "b.wsd", "SITE-B", "Beta", 1);
  WriteSite(dir / "c.wsd", "SITE-C", "Gamma", 1);
  {
    TSiteList list(dir.Path(), temp.Path());
    list.cache_file = cache;
    ASSERT_TRUE(list.LoadAll());
  }
  ScriptedUI ui;
  TSiteList list(dir.Path(), temp.Path());
  list.cache_file = cache;
  ASSERT_TRUE(list.LoadAll());
  ASSERT_EQ(list.Count(), 3);

  TWebSite* a = list.SiteAt(0);
  ASSERT_TRUE(a->BodyPending());
  EXPECT_EQ(a->Forms().Count(), 3);
  EXPECT_EQ(a->Forms().FormAt(2)->FormName, "Alpha-form2");
  EXPECT_FALSE(a->CoverBytes().empty());
  // Saving a cache-loaded site keeps its forms.
  TWebSite* b = list.SiteAt(1);
  ASSERT_TRUE(b->BodyPending());
  ASSERT_TRUE(b->SaveSiteFile(b->FileName, true));
  TWebSite reread;
  ASSERT_EQ(reread.LoadSiteFile(dir / "b.wsd"), slLoaded);
  EXPECT_EQ(reread.Forms().Count(), 1);

  // Replaced underneath: the new file wins, options included.
  WriteSite(dir / "c.wsd", "SITE-C", "Gamma, newer", 2);
  TWebSite* c = list.SiteAt(2);
  ASSERT_TRUE(c->BodyPending());
  EXPECT_EQ(c->Forms().Count(), 2);
  EXPECT_EQ(c->Name(), "Gamma, newer");
  EXPECT_TRUE(ui.Texts("retry").empty());

  // Damaged underneath: the same question a start-up asks, and nothing of the damage kept.
  TSiteList again(dir.Path(), temp.Path());
  again.cache_file = cache;
  ASSERT_TRUE(again.LoadAll());
  TWebSite* damaged = again.SiteAt(0);
  ASSERT_TRUE(damaged->BodyPending());
  std::string bytes = FileToString(dir / "a.wsd");
  for (size_t k = 200; k < bytes.size(); k += 3) bytes[k] = static_cast<char>(bytes[k] ^ 0x5A);
  StringToFile(dir / "a.wsd", bytes);
  EXPECT_EQ(damaged->Forms().Count(), 0);
  const std::vector<std::string> questions = ui.Texts("retry");
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_NE(questions[0].find("a.wsd"), std::string::npos);
}

}  // namespace
}  // namespace quillora
