// The site database in memory: every site file of the sites folder in one owning list, with the
// duplicate rule, the shared cover cache and thumbnail strip, the per-status statistics, the
// ratings applied at start-up and the distribution copy of the database (site files and index).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "foundation/option_list.h"
#include "foundation/persist.h"
#include "sites/site.h"
#include "sites/site_owner.h"

namespace quillora {

class TJob;
class TSiteCache;
struct TSiteFilter;

// The thirteen counters the reports publish as "Report/<name>".
struct TSiteStatistics {
  int32_t Total = 0, Processed = 0, Submitted = 0, Found = 0, Listed = 0, NotListed = 0,
          Complete = 0, Pending = 0, Failed = 0, Skipped = 0, NotFound = 0, QueryError = 0,
          NotSupported = 0;
};

class TSiteList : public TPersistObjList, public TSiteOwner {
 public:
  TSiteList() = default;
  TSiteList(std::string sites_folder, std::string temp_folder);
  ~TSiteList() override;

  // --- TSiteOwner
  std::string SitesFolder() const override { return sites_folder_; }
  TMemoryStream& CoverCache() override { return cover_cache_; }
  bool HasThumbnailStrip() const override { return !ThumbnailStrip.Empty(); }
  void PutThumbnail(int slot, const TImage24& picture) override;
  void RemoveSite(TWebSite* site) override;

  void SetSitesFolder(std::string folder) { sites_folder_ = std::move(folder); }
  std::string TempFolder;

  TWebSite* SiteAt(int i) const { return static_cast<TWebSite*>(ItemAt(i)); }

  // Loads every "*.wsd" of the sites folder (creating the folder when missing). False only when
  // the folder is missing and cannot be created. An empty folder leaves the list as it is.
  // Files are read and parsed on load_threads workers; the sites join the list, the duplicate
  // rule runs and progress is reported on the calling thread in the folder's order, exactly as
  // a one-by-one load would do it.
  bool LoadAll();
  // The same as a job: progress also goes to the busy window, OnProgress runs on the
  // user-interface thread, and a stop ends the load between two files. A stopped load keeps the
  // sites taken so far (each with the duplicate rule applied) and returns true; a stop before
  // the first file leaves the list as it was.
  bool LoadAll(TJob& job);
  // Workers of LoadAll: 0 for one per processor core, 1 loads on the calling thread alone.
  int load_threads = 0;
  // The summary cache LoadAll reads and keeps current (site_cache.h); empty loads every file in
  // full. A file whose size and time match its entry is taken from the cache, its forms and
  // cover read on first use; the cache is rewritten only when the files differ from it.
  std::string cache_file;
  // Loads one file and resolves a duplicate UIN (of two files, the older one is deleted).
  TWebSite* LoadFile(const std::string& file_name);
  // Loads the site's own file and adds it; nullptr (the site destroyed) when the load failed.
  TWebSite* AddLoaded(std::unique_ptr<TWebSite> site);
  TWebSite* AddSite(std::unique_ptr<TWebSite> site);
  // The first site whose UIN is exactly uin.
  TWebSite* FindByUIN(std::string_view uin) const;
  bool Contains(const TWebSite* site) const;
  // A site's UIN changed: the look-up index is rebuilt on the next FindByUIN.
  void InvalidateIndex() { index_valid_ = false; }

  TWebSite* NextSiteToSearch() const;

  void ResetStatistics() { statistics = {}; }
  void CountStatistics(const TWebSite* site, const TSiteProfile* profile);
  TSiteStatistics statistics;

  bool BuildThumbnails();
  // A stop leaves the remaining sites without a slot, as a broken cover does.
  bool BuildThumbnails(TJob& job);

  bool ExportSites(const std::string& folder);
  // A stopped export returns false and leaves the folder's index files as they were.
  bool ExportSites(const std::string& folder, TJob& job);
  bool ExportSitesInteractive();

  // Sets every site's "Rating" from a ratings section (in memory only).
  void ApplyRatings(const TOptionsList& ratings, bool page_rank_fallback);
  // Applies "Ratings.dat" at start-up: its messages are shown, the start goes on.
  void ApplyRatingsFile(const std::string& path);

  // Sets Visible of every site (see TSiteFilter); the current custom set is the view's choice.
  void ApplyFilter(const TSiteFilter& filter, const TOptionsList* current_set = nullptr);

  // Progress of LoadAll: (position, maximum). While starting, positions are scaled to 90 %.
  std::function<void(int, int)> OnProgress;
  bool starting = false;

  // 160 pixels wide, slot k at rows 120k .. 120k+119; empty until BuildThumbnails.
  TImage24 ThumbnailStrip;
  int32_t ThumbnailCapacity = 0;
  int32_t NextThumbnail = 0;

 protected:
  std::unique_ptr<TPersistObj> CreateItem() override;

 private:
  bool LoadFiles(TJob& job, bool hand_over_progress);
  // Writes the cache for the sites now in the list unless it holds just these files already.
  void UpdateCache(const TSiteCache& old, bool old_valid);
  void GiveThumbnail(TWebSite* site);
  // Adds a site loaded away from the list and applies the duplicate rule to it.
  TWebSite* AddDetached(std::unique_ptr<TWebSite> loaded);
  TWebSite* KeepNewer(TWebSite* site);
  void RebuildIndex() const;

  std::string sites_folder_;
  TMemoryStream cover_cache_;
  mutable std::unordered_map<std::string, TWebSite*> index_;
  mutable bool index_valid_ = false;
};

// The process's site list; std::logic_error before the start-up created it.
TSiteList& SiteList();
bool SiteListReady();

}  // namespace quillora
