// The site-database update of 2,000 changed sites from the reference site repository on
// 127.0.0.1, against the raw transfers of the same files fetched one by one in the same run: the
// ratio of the update's wall time to the sum of those transfer times is the update's own cost
// on top of moving the bytes: checksums, the import (a load and a checked save of each site) and
// the save that records "Last contributed", and the transfer window. Pass a site count to
// measure another size.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "foundation/files.h"
#include "net/repository_server.h"
#include "net/site_update.h"
#include "net/transfer_window.h"
#include "net/transfers.h"
#include "sites/ratings_file.h"
#include "sites/site.h"
#include "sites/site_list.h"
#include "support/temp_dir.h"

namespace {

using namespace quillora;
using Clock = std::chrono::steady_clock;

double Since(Clock::time_point t0) {
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

// Confirms the update and keeps quiet about everything else.
class ConfirmingFrontEnd : public TUpdateFrontEnd {
 public:
  bool ConfirmUpdate(const TUpdateLists&) override { return true; }
  TUpgradeAnswer AskUpgrade(const std::string&, const std::string&) override {
    return TUpgradeAnswer::Continue;
  }
  void OpenUpgradePage(const std::string&) override {}
  void ShowServerPage(const std::string&, const std::string&) override {}
};

std::unique_ptr<TWebSite> MakeSite(int i, const char* contributed) {
  auto s = std::make_unique<TWebSite>();
  const std::string n = std::to_string(i);
  s->Info.CommonInfo().SetString("UIN", "SITE-BENCH-" + n);
  s->Info.CommonInfo().SetString("Name", "Bench site " + n);
  s->Info.CommonInfo().SetString("Last contributed", contributed);
  s->Info.CommonInfo().SetString("Description", std::string(200 + i % 300, 'x'));
  s->Protected = 0;
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::atoi(argv[1]) : 2000;
  test::TempDir dir;
  const std::string db = dir / "db/", local = dir / "sites/", temp = dir / "Temp/";

  // The server's database, and the same sites here with an older date: every one has changed.
  auto t0 = Clock::now();
  ForceDirectories(dir / "server-sites");
  ForceDirectories(local);
  for (int i = 0; i < n; ++i) {
    MakeSite(i, "10-01-2024 10:00:00")
        ->SaveSiteFile(dir / ("server-sites/s" + std::to_string(i) + ".wsd"), false);
    MakeSite(i, "01-01-2024 10:00:00")
        ->SaveSiteFile(local + "s" + std::to_string(i) + ".wsd", false);
  }
  {
    TSiteList server_sites(dir / "server-sites/", dir / "server-tmp/");
    server_sites.LoadAll();
    server_sites.ExportSites(db);
  }
  // A ratings file, so that the update's ratings download finds one.
  StringToFile(db + "Ratings.dat", MakeRatingsText(TOptionsList{}, "01-01-2024 00:00:00"));
  std::printf("%d sites generated and exported in %.1f s\n", n, Since(t0));

  test::RepositoryServer server;
  if (server.Start(db) <= 0) return 1;

  TOptionsList settings;
  settings.SetBool("SITES_FROM_SQL_DB", false);
  settings.SetString("Sites Repository", server.Base());
  settings.SetString("Server Base Exported", "01-01-1900");
  const TUpdateServer update_server = ReadUpdateServer(settings);

  // The reference: every site file of the index fetched by the same request, one after another.
  const TUpdateIndex index = ReadUpdateIndex(FileToString(db + "Index.dat"));
  double raw = 0;
  for (const std::string& line : index.lines) {
    const TUpdateIndexLine fields = SplitIndexLine(line);
    std::string url = update_server.Address();
    const std::string file = temp + "raw.wsd";
    const auto t = Clock::now();
    const TTransferResult result = DownloadToFile(
        url, file, nullptr,
        std::vector<std::string>{update_server.RequestLine(TUpdateObject::Site, fields.file_field)},
        false, {});
    raw += Since(t);
    if (result != trNoError) {
      std::printf("raw transfer failed: %s\n", TransferResultText(result).c_str());
      return 1;
    }
  }
  DeleteFileAt(temp + "raw.wsd");

  // The update itself.
  TSiteList sites(local, temp);
  sites.LoadAll();
  ConfirmingFrontEnd front_end;
  TTransferWindow window;
  TSiteUpdate update(sites, settings, dir / "data/", front_end, window);
  const auto t1 = Clock::now();
  const TUpdateOutcome outcome = update.Run();
  const double wall = Since(t1);
  server.Stop();

  std::printf("update of %d changed sites: %.2f s, %.0f sites/s (%d updated, %d failed)\n", n, wall,
              outcome.sites_updated / wall, outcome.sites_updated, outcome.sites_failed);
  std::printf("raw transfers of the same files: %.2f s\n", raw);
  std::printf("ratio update / raw transfers: %.2f\n", wall / raw);
  return outcome.sites_updated == n ? 0 : 1;
}
