// The site database at start-up size: LoadAll over generated folders of 1,000 and 10,000 site
// files, against the pure LZH decode of the same bodies (the overhead ratio, budget 1.5), the
// filter plus full sort of the Sites view (budget 30 ms) and a text report over every site.
// Then whole processes: `quillora-cli sites list` and `summary` over 10,000 and 20,000 sites,
// with the full load (--no-site-cache) as the reference for a cold and a warm site-summary
// cache and for a warm start with 100 changed files (targets: warm at least 8x faster, peak
// memory under a quarter of the full load's, 100 changes costing warm + 100 file loads), and
// the check that `sites list` prints the same bytes either way.
//
//   bench_site_list generate N DIR   writes N site files into DIR
//   bench_site_list load DIR [T]     LoadAll once on T workers (default: one per core; 1 loads on
//                                    the calling thread), for whole-process timing with
//                                    /usr/bin/time
//   bench_site_list [DIR1000 DIR10000]  the measurements (folders generated when missing)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "foundation/files.h"
#include "foundation/lzh.h"
#include "foundation/stream.h"
#include "report/report.h"
#include "sites/site_cache.h"
#include "sites/site_filter.h"
#include "sites/site_list.h"
#include "sites/sites_view.h"

extern char** environ;

namespace {

using namespace quillora;
using Clock = std::chrono::steady_clock;

double Since(Clock::time_point t0) {
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

// A site as the vendor's database holds them: full option blocks, four address records, 2-4
// stored forms of 10-40 fields each and a ~5 KB JPEG cover, every value varied per site so the
// LZH bodies compress like real ones rather than like one file copied N times.
void MakeSite(TWebSite& site, int i, int n, const std::string& cover) {
  static const char* cats[] = {"Shareware",  "Games",    "Utilities", "Business",
                               "Multimedia", "Internet", "Education", "Security"};
  static const char* langs[] = {"English", "German", "French", "Russian", "Spanish", "Italian"};
  static const char* types[] = {"Form", "PAD", "Mail", "Form", "Form"};
  static const char* field_names[] = {
      "title",    "version",  "author",    "email",        "homepage", "download", "category",
      "platform", "license",  "price",     "size",         "short",    "long",     "keywords",
      "screen",   "icon",     "pad_url",   "company",      "address",  "city",     "zip",
      "country",  "phone",    "fax",       "requirements", "language", "release",  "changes",
      "os",       "install",  "uninstall", "limits",       "buy",      "support",  "contact",
      "login",    "password", "sid",       "agree",        "submit"};
  static const char* fills[] = {"|Program_Info/Program_Name|",
                                "|Program_Info/Program_Version|",
                                "|Company_Info/Company_Name|",
                                "|Company_Info/Contact_Info/Contact_Email|",
                                "|Web_Info/Application_URLs/Application_Info_URL|",
                                "|Web_Info/Download_URLs/Primary_Download_URL|",
                                "|Program_Info/Program_Category_Class|",
                                "|Program_Info/Program_OS_Support|",
                                "|Program_Descriptions/English/Char_Desc_80|",
                                "|Program_Descriptions/English/Char_Desc_2000|",
                                "|Program_Descriptions/English/Keywords|"};
  static const char* tags[] = {"INPUT", "INPUT", "TEXTAREA", "SELECT", "INPUT"};
  static const char* ftypes[] = {"Text", "Text", "Area", "List", "Check", "Radio", "Hidden"};
  std::mt19937 rng(static_cast<uint32_t>(i) * 2654435761u + 17u);
  auto pick = [&](int k) { return static_cast<int>(rng() % static_cast<uint32_t>(k)); };
  const std::string host =
      "dl" + std::to_string(i) + "-" + std::to_string(rng() % 100000) + ".example.invalid";
  const std::string day = std::to_string(10 + pick(18)) + "-0" + std::to_string(1 + pick(9)) +
                          "-20" + std::to_string(15 + pick(10));

  site.Info.ClearAll();
  TSiteInfo& info = site.Info;
  TOptionsList& popup = info.PopupMessages();
  popup.SetString("Home", "Welcome page of " + host + "; check the news box first.");
  popup.SetString("Submit", "Log in first, then use the \"Add program\" link (" +
                                std::to_string(pick(900)) + ").\r\nMax two per day.");
  if (pick(2)) popup.SetString("Update", "Updates go through the author panel.");
  TOptionsList& c = info.CommonInfo();
  c.SetString("UIN", "SITE-BENCH" + std::to_string(i));
  c.SetString("Name", "Download Site " + std::to_string((i * 7919) % n));
  c.SetString("Language", langs[pick(6)]);
  for (int k = 1; k <= 4; ++k)
    if (k <= 2 || pick(2)) c.SetString("Category " + std::to_string(k), cats[pick(8)]);
  c.SetString("Submit Type", types[pick(5)]);
  c.SetString("Rating", std::to_string(1 + pick(100)));
  c.SetString("Page Rank", std::to_string(pick(11)));
  c.SetString("Disabled", pick(20) ? "FALSE" : "TRUE");
  c.SetString("Comments", "Accepts freeware and shareware; review queue " +
                              std::to_string(pick(30)) + " days.\r\nListed within a week.");
  c.SetString("Contributor Name", "Contributor " + std::to_string(pick(50)));
  c.SetString("Contributor e-mail", "c" + std::to_string(pick(50)) + "@example.invalid");
  c.SetString("Payment Required", pick(4) ? "FALSE" : "TRUE");
  c.SetString("Control Panel for authors", pick(2) ? "FALSE" : "TRUE");
  c.SetString("Last modified", day + " 10:20:30");
  c.SetString("Last exported", day + " 09:00:00");
  c.SetString("Last contributed", day + " 09:00:00");
  c.SetString("Last Bug Reported", pick(3) ? "" : day + " 12:00:00");
  TOptionsList& search = info.SearchOptions();
  search.SetString("AutoSearch", pick(5) ? "TRUE" : "FALSE");
  search.SetInt("MinMatch", 1 + pick(3));
  search.SetInt("MinMatchPos", pick(3) - 1);
  search.SetString("Found Text", "Results for");
  search.SetString("Not Found Text", "No programs found");
  search.SetString("Result Link", "/program/");
  TOptionsList& adv = info.AdvancedOptions();
  adv.SetInt("New window processing", pick(3));
  adv.SetBool("Disable scripts", pick(2));
  adv.SetBool("Ignore certificate errors", pick(2));
  adv.SetInt("Page timeout", 30 + pick(60));
  TURLInfo& home = info.URLs.Home();
  home.SetAddress("http://" + host + "/");
  TURLInfo& find = info.URLs.Search();
  find.SetAddress("http://" + host + "/search");
  find.SetKind(TURLKind::GET);
  find.SetQuery("q=|Program_Info/Program_Name|&cat=" + std::to_string(pick(40)));
  TURLInfo& submit = info.URLs.Submit();
  submit.SetAddress("http://" + host + "/submit/new?ref=" + std::to_string(pick(1000)));
  submit.SetKind(TURLKind::POST);
  submit.SetHeaders("Referer: http://" + host + "/submit");
  submit.SetPostData("agree=1&step=" + std::to_string(pick(4)));
  info.URLs.Update().SetAddress("http://" + host + "/update");

  site.Forms().Clear();
  const int forms = 2 + pick(3);
  for (int f = 0; f < forms; ++f) {
    TWebForm& form = site.Forms().AddForm();
    form.FormName = f == 0 ? "login" : "addprog" + std::to_string(f);
    form.Action = "/submit/save" + std::to_string(f);
    form.Method = mtPost;
    form.URL = "http://" + host + "/submit/step" + std::to_string(f);
    form.Encoding = "application/x-www-form-urlencoded";
    form.Purpose = f == 0 ? fpLogin : fpSubmit;
    form.Created = 45000 + pick(1000) + 0.25;
    form.LastUpdated = form.Created + 1.5;
    const int fields = 10 + pick(31);
    for (int k = 0; k < fields; ++k) {
      TFormField& field = form.AddField();
      field.Name = std::to_string(100 + k) + "-" + std::to_string(f + 1);
      const int t = pick(7);
      field.SetString("Field Type", ftypes[t]);
      field.SetFieldIndex(k);
      field.SetFieldName(std::string(field_names[(k + f * 7) % 40]) +
                         (k >= 40 ? std::to_string(k) : ""));
      field.SetTagName(tags[t % 5]);
      field.SetFieldContext("Your " + std::string(field_names[(k + f * 7) % 40]) + " (" +
                            std::to_string(pick(200)) + " characters at most):");
      field.SetFillWith(fills[pick(11)]);
      if (t == 6) field.SetFieldValue("tok" + std::to_string(rng()));
      if (pick(4) == 0) field.SetIgnored(true);
      field.SetMaxLength(pick(3) ? 20 + pick(2000) : kNoFieldLimit);
      field.SetFieldSize(10 + pick(70));
    }
    form.UpdateFingerprint();
  }
  site.SetCoverBytes(cover);
  site.Protected = static_cast<uint8_t>(pick(2));
}

void Generate(int n, const std::string& dir) {
  ForceDirectories(dir);
  const std::string cover = FileToString(std::string(QUILLORA_BENCH_DATA_DIR) + "/sites/cover.jpg");
  TWebSite site;
  for (int i = 0; i < n; ++i) {
    MakeSite(site, i, n, cover);
    TFileStream f(dir + "site" + std::to_string(i) + ".wsd", TFileStream::Mode::Create);
    site.SaveToStream(f);
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
  {
    // The overhead ratio compares like with like: the load on one thread, in a fresh list with
    // nothing else loaded, against the decode on one.
    TSiteList serial(folder, "/tmp/");
    serial.load_threads = 1;
    const auto t3 = Clock::now();
    serial.LoadAll();
    const double one = Since(t3);
    std::printf(
        "N=%d: LoadAll on one thread %.3f s, pure LZH decode %.3f s: overhead ratio %.2f (budget "
        "1.5)\n",
        n, one, decode, one / decode);
  }
  const size_t rss0 = RssKb();
  TSiteList list(folder, "/tmp/");
  if (const char* threads = std::getenv("QUILLORA_LOAD_THREADS"))
    list.load_threads = std::atoi(threads);
  const auto t0 = Clock::now();
  list.LoadAll();
  const double load = Since(t0);
  const size_t rss1 = RssKb();
  std::printf("N=%d: LoadAll %.3f s (%d sites; budget 2 s for 10,000)\n", n, load, list.Count());
  std::printf(
      "  files %.1f MB; decoded site data %.1f MB (bodies %.1f + covers %.1f); RSS growth %.1f MB "
      "= %.2fx (budget 1.5x)\n",
      file_bytes / 1e6, (decoded + covers) / 1e6, decoded / 1e6, covers / 1e6, (rss1 - rss0) / 1e3,
      (rss1 - rss0) * 1e3 / static_cast<double>(decoded + covers));

  TSiteFilter filter;
  filter.ShowAll = false;
  filter.SearchText = "site +download -nothing";
  filter.Categories = "games;utilities;shareware";
  for (int i = 0; i < list.Count(); ++i) list.SiteAt(i)->RefreshSummary();
  double best = 1e9, best_filter = 1e9;
  for (int round = 0; round < 5; ++round) {
    const auto t1 = Clock::now();
    list.ApplyFilter(filter);
    best_filter = std::min(best_filter, Since(t1));
    auto order = SortedSitePositions(list, TSitesSort::FromSetting(-1));
    best = std::min(best, Since(t1));
    if (order.empty() && n) std::printf("?\n");
  }
  std::printf("  filter + full sort by name: %.1f ms (budget 30 ms; filter alone %.1f ms)\n",
              best * 1e3, best_filter * 1e3);
  const auto t2 = Clock::now();
  TReportData data;
  data.Build("", "1,2,3,7,14,15,16,18");
  data.total = true;
  std::vector<std::string> lines;
  TOptionsList values;
  CollectReport(list, SortedSitePositions(list, TSitesSort::FromSetting(-1)), nullptr, values, data,
                rfText, "", lines);
  std::printf("  text report over every site and column: %.3f s (%zu lines)\n", Since(t2),
              lines.size());
  std::printf(
      "  whole-process peak RSS %.1f MB (the decode's and the one-thread load's buffers included) "
      "beside the list's RSS growth %.1f MB\n",
      PeakRssKb() / 1e3, (rss1 - rss0) / 1e3);
}

// --- Whole processes -------------------------------------------------------------------------

struct Run {
  double seconds = 0;
  double peak_mb = 0;
  std::string out;
  int status = -1;
};

// Runs the command line with stdout into a file; the time is the wall clock of the whole
// process, the peak its maximum resident set as /usr/bin/time sees it (a child spawned from this
// large process would count this process's pages up to its exec).
Run RunCli(const std::vector<std::string>& args, const std::string& out_file) {
  const std::string peak_file = out_file + ".peak";
  std::vector<std::string> all{"/usr/bin/time", "-f", "%M", "-o", peak_file, QUILLORA_CLI_PATH};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0644);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  Run run;
  pid_t pid = 0;
  const auto t0 = Clock::now();
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    run.seconds = Since(t0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  run.out = FileExists(out_file) ? FileToString(out_file) : "";
  if (FileExists(peak_file)) run.peak_mb = std::atof(FileToString(peak_file).c_str()) / 1e3;
  return run;
}

// The best of `times` runs (the peak is that run's).
Run Best(const std::vector<std::string>& args, const std::string& out_file, int times) {
  Run best;
  for (int i = 0; i < times; ++i) {
    Run r = RunCli(args, out_file);
    if (i == 0 || r.seconds < best.seconds) best = std::move(r);
  }
  return best;
}

// A data folder of the shipped tables with N generated sites, and a user folder of its own.
std::string PrepareData(int n, const std::string& root) {
  namespace fs = std::filesystem;
  const std::string data = root + "data/";
  if (!FileExists(data + "NameSpace.dat")) {
    fs::create_directories(data);
    for (const auto& entry : fs::directory_iterator(QUILLORA_SHIPPED_DATA_DIR)) {
      if (entry.path().filename() == "Sites") continue;
      fs::copy(entry.path(), data + entry.path().filename().string(),
               fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    }
  }
  Ensure(data + "Sites", n);
  fs::create_directories(root + "user/data");
  return root;
}

void MeasureProcesses(int n, const std::string& root) {
  PrepareData(n, root);
  const std::string out = root + "out.txt";
  const std::string cache = root + "user/data/" + kSiteCacheFileName;
  const std::vector<std::string> common{"--data-dir", root + "data", "--user-dir", root + "user",
                                        "--quiet"};
  auto args = [&](bool no_cache, std::vector<std::string> command) {
    std::vector<std::string> a = common;
    if (no_cache) a.push_back("--no-site-cache");
    a.insert(a.end(), command.begin(), command.end());
    return a;
  };
  const std::vector<std::string> list{"sites", "list"};
  const std::vector<std::string> summary{"summary"};
  const Run full = Best(args(true, list), out, 2);
  DeleteFileAt(cache);
  const Run cold = RunCli(args(false, list), out);
  const Run warm = Best(args(false, list), out, 3);
  const Run full_summary = Best(args(true, summary), out, 1);
  const Run warm_summary = Best(args(false, summary), out, 2);
  // 100 files rewritten with the same content: new stamps, so each is loaded again.
  const std::vector<std::string> names = ListFiles(root + "data/Sites/", "*.wsd");
  for (size_t i = 0; i < names.size() && i < 100 * (names.size() / 100); i += names.size() / 100) {
    const std::string path = root + "data/Sites/" + names[i];
    StringToFile(path, FileToString(path));
  }
  const Run changed = RunCli(args(false, list), out);
  const Run rewarm = Best(args(false, list), out, 1);
  const double per_file = full.seconds / n;
  std::printf("N=%d whole process `sites list` (exit %d/%d/%d):\n", n, full.status, cold.status,
              warm.status);
  std::printf("  full load (--no-site-cache) %.3f s, peak %.1f MB\n", full.seconds, full.peak_mb);
  std::printf("  cold cache %.3f s (%.2fx the full load), peak %.1f MB\n", cold.seconds,
              cold.seconds / full.seconds, cold.peak_mb);
  std::printf(
      "  warm cache %.3f s, peak %.1f MB: %.1fx faster than the full load (target 8x), peak %.2f "
      "of the full load's (target < 0.25)\n",
      warm.seconds, warm.peak_mb, full.seconds / warm.seconds, warm.peak_mb / full.peak_mb);
  std::printf(
      "  100 changed files: %.3f s against warm + 100 loads %.3f s (ratio %.2f); warm again "
      "%.3f s\n",
      changed.seconds, warm.seconds + 100 * per_file,
      changed.seconds / (warm.seconds + 100 * per_file), rewarm.seconds);
  std::printf("  `summary`: full %.3f s (peak %.1f MB), warm %.3f s (peak %.1f MB): %.1fx\n",
              full_summary.seconds, full_summary.peak_mb, warm_summary.seconds,
              warm_summary.peak_mb, full_summary.seconds / warm_summary.seconds);
  std::printf("  `sites list` output identical with and without the cache: %s (%zu bytes)\n",
              full.out == warm.out && full.out == cold.out && !full.out.empty() ? "yes" : "NO",
              full.out.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "generate") {
    Generate(std::atoi(argv[2]), IncludeTrailingPathDelimiter(argv[3]));
    return 0;
  }
  if ((argc == 3 || argc == 4) && std::string(argv[1]) == "load") {
    TSiteList list(IncludeTrailingPathDelimiter(argv[2]), "/tmp/");
    if (argc == 4) list.load_threads = std::atoi(argv[3]);
    const auto t0 = Clock::now();
    list.LoadAll();
    std::printf("%d sites in %.3f s\n", list.Count(), Since(t0));
    return 0;
  }
  const std::string d1 = argc > 2 ? argv[1] : "/tmp/quillora_bench_sites_1000";
  const std::string d2 = argc > 2 ? argv[2] : "/tmp/quillora_bench_sites_10000";
  Measure(Ensure(d1, 1000), 1000);
  Measure(Ensure(d2, 10000), 10000);
  if (!std::getenv("QUILLORA_BENCH_NO_PROCESSES")) {
    MeasureProcesses(10000, "/tmp/quillora_bench_start_10000/");
    MeasureProcesses(20000, "/tmp/quillora_bench_start_20000/");
  }
  return 0;
}
