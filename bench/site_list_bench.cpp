// The site database at start-up size: LoadAll over generated folders of 1,000 and 10,000 site
// files, against the pure LZH decode of the same bodies (the overhead ratio, budget 1.5), the
// filter plus full sort of the Sites view (budget 30 ms) and a text report over every site.
//
//   bench_site_list generate N DIR   writes N site files into DIR
//   bench_site_list load DIR         LoadAll once (for whole-process timing with /usr/bin/time)
//   bench_site_list [DIR1000 DIR10000]  the measurements (folders generated when missing)
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/files.h"
#include "foundation/lzh.h"
#include "foundation/stream.h"
#include "report/report.h"
#include "sites/site_filter.h"
#include "sites/site_list.h"
#include "sites/sites_view.h"

namespace {

using namespace quillora;
using Clock = std::chrono::steady_clock;

double Since(Clock::time_point t0) {
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

// Copies of the typical fixture (two stored forms, a 5 KB JPEG cover, full option blocks) with
// their own UIN, name, categories, language, rating and comments.
void Generate(int n, const std::string& dir) {
  ForceDirectories(dir);
  TWebSite base;
  if (base.LoadSiteFile(std::string(QUILLORA_BENCH_DATA_DIR) + "/sites/typical.wsd") != 0) {
    std::fprintf(stderr, "cannot load the typical site fixture\n");
    std::exit(1);
  }
  static const char* cats[] = {"Shareware", "Games",      "Utilities",
                               "Business",  "Multimedia", "Internet"};
  static const char* langs[] = {"English", "German", "French", "Russian", "Spanish"};
  for (int i = 0; i < n; ++i) {
    TOptionsList& c = base.Info.CommonInfo();
    c.SetString("UIN", "SITE-BENCH" + std::to_string(i));
    c.SetString("Name", "Download Site " + std::to_string((i * 7919) % n));
    c.SetString("Category 1", cats[i % 6]);
    c.SetString("Category 2", cats[(i / 6) % 6]);
    c.SetString("Language", langs[i % 5]);
    c.SetString("Rating", std::to_string(1 + (i * 37) % 100));
    c.SetString("Comments",
                "Accepts freeware and shareware; review queue " + std::to_string(i % 13) + " days");
    if (!base.SaveSiteFile(dir + "site" + std::to_string(i) + ".wsd", true)) std::exit(1);
  }
}

std::string Ensure(const std::string& dir, int n) {
  const std::string folder = IncludeTrailingPathDelimiter(dir);
  if (ListFiles(folder, "*.wsd").size() != static_cast<size_t>(n)) Generate(n, folder);
  return folder;
}

// Decoding alone: the LZH bodies of the files, already in memory.
double PureDecode(const std::string& folder, size_t& decoded_bytes, size_t& cover_bytes) {
  std::vector<std::string> bodies;
  for (const std::string& name : ListFiles(folder, "*.wsd")) {
    const std::string bytes = FileToString(folder + name);
    uint32_t cover = 0;
    std::memcpy(&cover, bytes.data() + kSiteHeaderSize, 4);
    cover_bytes += cover;
    bodies.push_back(bytes.substr(kSiteHeaderSize + 4 + cover));
  }
  decoded_bytes = 0;
  const auto t0 = Clock::now();
  for (const std::string& b : bodies) decoded_bytes += LzhDecompress(b).size();
  return Since(t0);
}

size_t PeakRssKb() {
  FILE* f = std::fopen("/proc/self/status", "r");
  char line[256];
  size_t kb = 0;
  while (f && std::fgets(line, sizeof line, f))
    if (std::strncmp(line, "VmHWM:", 6) == 0) kb = std::strtoul(line + 6, nullptr, 10);
  if (f) std::fclose(f);
  return kb;
}

size_t RssKb() {
  FILE* f = std::fopen("/proc/self/status", "r");
  char line[256];
  size_t kb = 0;
  while (f && std::fgets(line, sizeof line, f))
    if (std::strncmp(line, "VmRSS:", 6) == 0) kb = std::strtoul(line + 6, nullptr, 10);
  if (f) std::fclose(f);
  return kb;
}

void Measure(const std::string& folder, int n) {
  size_t decoded = 0, file_bytes = 0, covers = 0;
  for (const std::string& name : ListFiles(folder, "*.wsd"))
    file_bytes += FileSizeOf(folder + name);
  const double decode = PureDecode(folder, decoded, covers);
  const size_t rss0 = RssKb();
  TSiteList list(folder, "/tmp/");
  const auto t0 = Clock::now();
  list.LoadAll();
  const double load = Since(t0);
  const size_t rss1 = RssKb();
  std::printf(
      "N=%d: LoadAll %.3f s (%d sites), pure LZH decode %.3f s, overhead ratio %.2f (budget 1.5)\n",
      n, load, list.Count(), decode, load / decode);
  std::printf(
      "  files %.1f MB; decoded site data %.1f MB (bodies %.1f + covers %.1f); RSS growth %.1f MB "
      "= %.2fx (budget 1.5x)\n",
      file_bytes / 1e6, (decoded + covers) / 1e6, decoded / 1e6, covers / 1e6, (rss1 - rss0) / 1e3,
      (rss1 - rss0) * 1e3 / static_cast<double>(decoded + covers));

  TSiteFilter filter;
  filter.ShowAll = 0;
  filter.SearchText = "site +download -nothing";
  filter.Categories = "games;utilities;shareware";
  for (int i = 0; i < list.Count(); ++i) list.SiteAt(i)->RefreshSummary();
  double best = 1e9;
  for (int round = 0; round < 5; ++round) {
    const auto t1 = Clock::now();
    list.ApplyFilter(filter);
    auto order = SortedSitePositions(list, TSitesSort::FromSetting(-1));
    best = std::min(best, Since(t1));
    if (order.empty() && n) std::printf("?\n");
  }
  std::printf("  filter + full sort by name: %.1f ms (budget 30 ms)\n", best * 1e3);
  const auto t2 = Clock::now();
  TReportData data;
  data.Build("", "1,2,3,7,14,15,16,18");
  data.Total = true;
  std::vector<std::string> lines;
  TOptionsList values;
  CollectReport(list, SortedSitePositions(list, TSitesSort::FromSetting(-1)), nullptr, values, data,
                rfText, "", lines);
  std::printf("  text report over every site and column: %.3f s (%zu lines)\n", Since(t2),
              lines.size());
  std::printf("  peak RSS so far %.1f MB\n", PeakRssKb() / 1e3);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "generate") {
    Generate(std::atoi(argv[2]), IncludeTrailingPathDelimiter(argv[3]));
    return 0;
  }
  if (argc == 3 && std::string(argv[1]) == "load") {
    TSiteList list(IncludeTrailingPathDelimiter(argv[2]), "/tmp/");
    const auto t0 = Clock::now();
    list.LoadAll();
    std::printf("%d sites in %.3f s\n", list.Count(), Since(t0));
    return 0;
  }
  const std::string d1 = argc > 2 ? argv[1] : "/tmp/quillora_bench_sites_1000";
  const std::string d2 = argc > 2 ? argv[2] : "/tmp/quillora_bench_sites_10000";
  Measure(Ensure(d1, 1000), 1000);
  Measure(Ensure(d2, 10000), 10000);
  return 0;
}
