#include "sites/site_list.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "foundation/app_state.h"
#include "foundation/dates.h"
#include "foundation/files.h"
#include "foundation/job.h"
#include "foundation/stream.h"
#include "foundation/text_utils.h"
#include "foundation/ui_port.h"
#include "sites/ratings_file.h"
#include "sites/site_cache.h"
#include "sites/site_index.h"

namespace quillora {

namespace {

// Modification time with the file system's full resolution; files written within one second of
// each other must still be told apart.
std::filesystem::file_time_type ModifiedAt(const std::string& path) {
  std::error_code ec;
  auto t = std::filesystem::last_write_time(path, ec);
  return ec ? std::filesystem::file_time_type::min() : t;
}

int AutoSearchAttempts() {
  if (!ApplicationDataReady()) return 3;
  int n = 3;
  return TryStrToInt(Settings().GetString("AUTOSEARCH_ATTEMPTS"), n) ? n : 3;
}

std::string BuildNumber() {
  return QUILLORA_BUILD;
}

// Lines read one by one leave up to half of each line vector unused, which over thousands of
// sites adds up. (The stored forms stay packed until used, so they have no lines yet.)
void ShrinkLines(TMultiOptions& tree) {
  for (int i = 0; i < tree.Count(); ++i) tree.SectionAt(i).MutableLines().shrink_to_fit();
}

void ShrinkSite(TWebSite& site) {
  ShrinkLines(site.Info);
  ShrinkLines(site.Info.URLs);
}

// A current-layout site file read and parsed without an owner, so without any shared state: the
// cover stays with the site, as it does for a site loaded before it joins the list. Anything
// else (a read failure with its retry question, an older layout that is rewritten, a file that
// is not a site file, damage) gives nullptr and is loaded on the calling thread instead.
std::unique_ptr<TWebSite> LoadDetached(const std::string& path) noexcept {
  try {
    auto site = std::make_unique<TWebSite>();
    site->FileName = path;
    const TSiteFileStamp stamp = FileStampOf(path);
    std::string bytes;
    {
      TFileStream f(path, TFileStream::Mode::Read);
      if (f.Size() > kMaxSiteFileSize) return nullptr;
      bytes = f.ReadToEnd();
    }
    site->ClearContent();
    TMemoryStream stream(std::move(bytes));
    site->LoadFromStream(stream);
    if (site->Signature() != kSiteSignature) return nullptr;
    site->SetFileStamp(stamp);
    ShrinkSite(*site);
    return site;
  } catch (...) {
    return nullptr;
  }
}

// The site from its cache entry when the file still has the entry's stamp; nullptr otherwise.
std::unique_ptr<TWebSite> LoadCached(const TSiteCache* cache, const std::string& folder,
                                     const std::string& name) noexcept {
  if (!cache) return nullptr;
  try {
    const std::string path = folder + name;
    const TSiteCacheEntry* entry = cache->Find(name, FileStampOf(path));
    if (!entry) return nullptr;
    auto site = std::make_unique<TWebSite>();
    site->FileName = path;
    site->LoadFromCache(entry->header, entry->address_text, entry->option_text,
                        entry->protected_flag, entry->stamp);
    if (site->Signature() != kSiteSignature) return nullptr;
    ShrinkSite(*site);
    return site;
  } catch (...) {
    return nullptr;
  }
}

}  // namespace

// --- The list ------------------------------------------------------------------------------------

TSiteList::TSiteList(std::string sites_folder, std::string temp_folder)
    : TempFolder(std::move(temp_folder)), sites_folder_(std::move(sites_folder)) {}

TSiteList::~TSiteList() {
  // Sites ask their owner for the cover cache while they go; let them go first.
  items_.clear();
}

std::unique_ptr<TPersistObj> TSiteList::CreateItem() {
  // AddNew appends what this returns; the slot and the index are given here already.
  auto site = std::make_unique<TWebSite>();
  site->SetOwner(this);
  GiveThumbnail(site.get());
  index_valid_ = false;
  return site;
}

void TSiteList::PutThumbnail(int slot, const TImage24& picture) {
  if (ThumbnailStrip.Empty() || slot < 0 || slot >= ThumbnailCapacity) return;
  const TImage24 cut = CutImage(picture);
  const size_t row_bytes = static_cast<size_t>(kThumbnailWidth) * 3;
  for (int y = 0; y < kThumbnailHeight; ++y)
    std::copy_n(cut.Pixel(0, y), row_bytes, ThumbnailStrip.Pixel(0, slot * kThumbnailHeight + y));
}

void TSiteList::GiveThumbnail(TWebSite* site) {
  site->ThumbnailIndex = -1;
  if (ThumbnailStrip.Empty()) return;
  const TImage24 picture = site->GetCoverPicture();
  if (NextThumbnail < ThumbnailCapacity) {
    PutThumbnail(NextThumbnail, picture);
    site->ThumbnailIndex = NextThumbnail++;
  }
}

TWebSite* TSiteList::AddSite(std::unique_ptr<TWebSite> site) {
  TWebSite* s = site.get();
  Add(std::move(site));
  s->SetOwner(this);
  if (index_valid_) index_.try_emplace(s->UIN(), s);  // the first site of a UIN keeps its place
  try {
    GiveThumbnail(s);
  } catch (const std::exception&) {
    s->ThumbnailIndex = -1;  // a broken cover only costs the thumbnail
  }
  return s;
}

TWebSite* TSiteList::AddLoaded(std::unique_ptr<TWebSite> site) {
  if (site->LoadSiteFile(site->FileName) != slLoaded) return nullptr;
  return AddSite(std::move(site));
}

void TSiteList::RemoveSite(TWebSite* site) {
  const int i = IndexOf(site);
  if (i < 0) return;
  index_valid_ = false;
  Delete(i);
}

bool TSiteList::Contains(const TWebSite* site) const {
  return site && IndexOf(site) >= 0;
}

void TSiteList::RebuildIndex() const {
  index_.clear();
  index_.reserve(static_cast<size_t>(Count()));
  for (int i = 0; i < Count(); ++i) index_.try_emplace(SiteAt(i)->UIN(), SiteAt(i));
  index_valid_ = true;
}

TWebSite* TSiteList::FindByUIN(std::string_view uin) const {
  if (!index_valid_) RebuildIndex();
  auto it = index_.find(std::string(uin));
  if (it != index_.end() && it->second->UIN() != uin) {
    // A site's UIN changed behind our back: look again over fresh data.
    RebuildIndex();
    it = index_.find(std::string(uin));
  }
  return it == index_.end() ? nullptr : it->second;
}

TWebSite* TSiteList::KeepNewer(TWebSite* site) {
  TWebSite* found = FindByUIN(site->UIN());
  if (found && found != site) {
    if (ModifiedAt(found->FileName) < ModifiedAt(site->FileName)) {
      found->DeleteSite();
      if (Contains(found)) RemoveSite(found);  // the file could not go; the list still drops it
    } else {
      site->DeleteSite();
      if (Contains(site)) RemoveSite(site);
      return nullptr;
    }
  }
  return site;
}

TWebSite* TSiteList::LoadFile(const std::string& file_name) {
  auto fresh = std::make_unique<TWebSite>();
  fresh->FileName = file_name;
  TWebSite* site = nullptr;
  try {
    site = AddLoaded(std::move(fresh));
    if (!site) return nullptr;
    ShrinkSite(*site);
    return KeepNewer(site);
  } catch (const std::exception&) {
    if (site && Contains(site)) RemoveSite(site);
    return nullptr;
  }
}

TWebSite* TSiteList::AddDetached(std::unique_ptr<TWebSite> loaded) {
  TWebSite* site = nullptr;
  try {
    site = AddSite(std::move(loaded));
    return KeepNewer(site);
  } catch (const std::exception&) {
    if (site && Contains(site)) RemoveSite(site);
    return nullptr;
  }
}

bool TSiteList::LoadAll() {
  TJob job(TJob::TProgressTarget::None);
  return LoadFiles(job, false);
}

bool TSiteList::LoadAll(TJob& job) {
  return LoadFiles(job, true);
}

bool TSiteList::LoadFiles(TJob& job, bool hand_over_progress) {
  std::string folder = sites_folder_;
  if (!folder.empty() && folder.back() == kPathDelim) folder.pop_back();
  if (!DirectoryExists(folder) && !ForceDirectories(folder)) return false;
  const std::vector<std::string> names = ListFiles(sites_folder_, "*.wsd");
  if (names.empty() || job.StopRequested()) return true;
  Clear();
  index_.clear();
  index_valid_ = true;
  NextThumbnail = 0;
  cover_cache_.Clear();
  TSiteCache cache;
  const bool use_cache = !cache_file.empty();
  const bool cache_valid = use_cache && cache.Load(cache_file, sites_folder_);
  const TSiteCache* from = cache_valid ? &cache : nullptr;
  const int n = static_cast<int>(names.size());
  auto report = [&](int i) {
    if (OnProgress) {
      const int position = starting ? static_cast<int>(i * 0.9) : i;
      if (hand_over_progress)
        UI().Synchronize([&] { OnProgress(position, n - 1); });
      else
        OnProgress(position, n - 1);
    }
    job.Progress(i + 1, n);
  };
  int threads = load_threads > 0
                    ? load_threads
                    : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  threads = std::min(threads, n);
  if (threads <= 1) {
    for (int i = 0; i < n && !job.StopRequested(); ++i) {
      const std::string& name = names[static_cast<size_t>(i)];
      if (auto site = LoadCached(from, sites_folder_, name))
        AddDetached(std::move(site));
      else
        LoadFile(sites_folder_ + name);
      report(i);
    }
    if (use_cache && !job.StopRequested()) UpdateCache(cache, cache_valid);
    return true;
  }

  // Workers read and parse up to kAhead files beyond the one the list takes next; the list takes
  // them strictly in the folder's order, so order, duplicates and progress stay as they were.
  // Work is handed out and handed back in chunks: a site from the cache takes only microseconds,
  // and one lock and wake-up per site would cost more than the site itself.
  constexpr int kAhead = 256;
  constexpr int kChunk = 32;
  struct Slot {
    std::unique_ptr<TWebSite> site;
    bool ready = false;
  };
  std::vector<Slot> slots(static_cast<size_t>(n));
  std::mutex mutex;
  std::condition_variable produced, consumed;
  int next = 0, taken = 0;
  bool stop = false;
  auto work = [&] {
    std::vector<std::unique_ptr<TWebSite>> loaded;
    for (;;) {
      int first;
      {
        std::unique_lock lock(mutex);
        consumed.wait(lock, [&] { return stop || next >= n || next < taken + kAhead; });
        if (stop || next >= n) return;
        first = next;
        next = std::min(n, next + kChunk);
      }
      const int last = std::min(n, first + kChunk);
      loaded.clear();
      for (int i = first; i < last; ++i) {
        const std::string& name = names[static_cast<size_t>(i)];
        std::unique_ptr<TWebSite> site = LoadCached(from, sites_folder_, name);
        if (!site) site = LoadDetached(sites_folder_ + name);
        loaded.push_back(std::move(site));
      }
      {
        std::lock_guard lock(mutex);
        for (int i = first; i < last; ++i) {
          slots[static_cast<size_t>(i)].site = std::move(loaded[static_cast<size_t>(i - first)]);
          slots[static_cast<size_t>(i)].ready = true;
        }
      }
      produced.notify_all();
    }
  };
  std::vector<std::jthread> pool;
  // Declared after the pool so that it runs first: an exception out of a progress report must
  // still stop the workers before they are joined.
  struct Stop {
    std::mutex& mutex;
    bool& stop;
    std::condition_variable& consumed;
    ~Stop() {
      {
        std::lock_guard lock(mutex);
        stop = true;
      }
      consumed.notify_all();
    }
  } stop_guard{mutex, stop, consumed};
  for (int t = 0; t < threads; ++t) pool.emplace_back(work);
  // A stop lands between two files: every site taken is in with the duplicate rule applied, the
  // rest were never added, and the guard above ends the workers.
  for (int i = 0; i < n && !job.StopRequested(); ++i) {
    std::unique_ptr<TWebSite> site;
    {
      std::unique_lock lock(mutex);
      Slot& slot = slots[static_cast<size_t>(i)];
      produced.wait(lock, [&] { return slot.ready; });
      site = std::move(slot.site);
      taken = i + 1;
    }
    if (taken % kChunk == 0) consumed.notify_all();
    if (site)
      AddDetached(std::move(site));
    else
      LoadFile(sites_folder_ + names[static_cast<size_t>(i)]);
    report(i);
  }
  if (use_cache && !job.StopRequested()) UpdateCache(cache, cache_valid);
  return true;
}

void TSiteList::UpdateCache(const TSiteCache& old, bool old_valid) {
  std::vector<TSiteCacheEntry> entries;
  entries.reserve(static_cast<size_t>(Count()));
  // Texts of the sites read in full; a deque keeps the views into them valid as it grows.
  std::deque<std::string> texts;
  for (int i = 0; i < Count(); ++i) {
    const TWebSite* site = SiteAt(i);
    // Sites not read from a current-layout file of this folder are loaded in full every time
    // (an older layout is rewritten on load, so its stamp is already stale).
    if (site->FileStamp().size < 0 || site->Signature() != kSiteSignature ||
        ExtractFilePath(site->FileName) != sites_folder_)
      continue;
    const std::string_view name = std::string_view(site->FileName).substr(sites_folder_.size());
    TSiteCacheEntry e;
    if (site->BodyPending()) {
      if (const TSiteCacheEntry* cached = old.Find(name, site->FileStamp())) e = *cached;
    }
    if (e.name.empty()) {
      e.name = name;
      e.stamp = site->FileStamp();
      e.header = site->Header;
      e.protected_flag = site->Protected;
      e.address_text = texts.emplace_back(site->Info.AddressText());
      e.option_text = texts.emplace_back(site->Info.OptionText());
    }
    entries.push_back(e);
  }
  if (old_valid && SameSiteCacheFiles(old.Entries(), entries)) return;
  try {
    const std::string folder = ExtractFilePath(cache_file);
    if (!folder.empty() && !DirectoryExists(folder)) ForceDirectories(folder);
    SaveFileSafely(cache_file, WriteSiteCache(sites_folder_, entries));
  } catch (const std::exception&) {
    // Like the other side files: without a cache the next start loads every file.
  }
}

TWebSite* TSiteList::NextSiteToSearch() const {
  const int attempts = AutoSearchAttempts();
  for (int i = 0; i < Count(); ++i) {
    TWebSite* s = SiteAt(i);
    if (s->Visible && !s->SearchBusy && !s->SearchDone && s->AutoSearchEnabled() &&
        s->SearchAttempts < attempts)
      return s;
  }
  return nullptr;
}

void TSiteList::CountStatistics(const TWebSite* site, const TSiteProfile* profile) {
  if (!site) return;
  const std::string uin = site->UIN();
  auto value = [&](TSiteValueKind kind) {
    return profile ? profile->SiteValue(kind, uin) : std::string();
  };
  TSiteStatistics& st = statistics;
  const std::string listed = value(TSiteValueKind::VersionListed);
  const std::string submitted = value(TSiteValueKind::VersionSubmitted);
  const std::string flag = value(TSiteValueKind::SearchFlag);
  const std::string override_ = value(TSiteValueKind::StatusOverride);
  const std::string version = profile ? profile->ProfileValue("Program_Info/Program_Version") : "";
  ++st.Total;
  if (!value(TSiteValueKind::DateSubmitted).empty()) ++st.Submitted;
  if (flag == "FOUND") ++st.Found;
  if (!listed.empty())
    ++st.Listed;
  else
    ++st.NotListed;
  // "ALL" is a filter value, not a state a site is in: the counts take such a site by its
  // versions.
  TSiteStatus status = OverrideStatus(override_);
  if (status == ssAuto || status == ssAll) status = StatusFromVersions(version, listed, submitted);
  int32_t* state = status == ssComplete  ? &st.Complete
                   : status == ssPending ? &st.Pending
                   : status == ssSkipped ? &st.Skipped
                   : status == ssFailed  ? &st.Failed
                                         : nullptr;
  if (state) {
    ++*state;
    ++st.Processed;
  }
  if (flag == "NOT FOUND")
    ++st.NotFound;
  else if (flag == "ERROR")
    ++st.QueryError;
  else if (flag == "NOT SUPPORTED")
    ++st.NotSupported;
}

bool TSiteList::BuildThumbnails() {
  TJob job;
  return BuildThumbnails(job);
}

bool TSiteList::BuildThumbnails(TJob& job) {
  if (!ThumbnailStrip.Empty()) return false;
  ThumbnailCapacity = Count() + 20;
  NextThumbnail = 0;
  ThumbnailStrip = TImage24(kThumbnailWidth, kThumbnailHeight * ThumbnailCapacity, 255, 255, 255);
  TBusyWindow busy("Loading thumbnails. Please, wait");
  try {
    for (int i = 0; i < Count(); ++i) SiteAt(i)->ThumbnailIndex = -1;
    // A stop ends the strip as a broken cover does.
    for (int i = 0; i < Count() && !job.StopRequested(); ++i) {
      GiveThumbnail(SiteAt(i));
      job.Progress(i + 1, Count());
    }
  } catch (const std::exception&) {
    // The first broken cover ends the strip; the remaining sites draw the default picture.
  }
  return true;
}

bool TSiteList::ExportSites(const std::string& folder) {
  TJob job;
  return ExportSites(folder, job);
}

bool TSiteList::ExportSites(const std::string& folder, TJob& job) {
  TBusyWindow busy("Exporting sites");
  const std::string index_path = folder + "Index.dat";
  std::optional<std::string> present;
  if (FileExists(index_path)) {
    try {
      present = FileToString(index_path);
    } catch (const std::exception&) {
      // An unreadable old index only loses its extra "General" values.
    }
  }
  TSiteIndexWriter index(present, BuildNumber(), DateTimeToStr(Now()));
  try {
    if (!DirectoryExists(folder) && !ForceDirectories(folder)) return false;
    for (int i = 0; i < Count(); ++i) {
      // A stopped export is an unfinished one: the index stays as it was, as after a failure.
      if (job.StopRequested()) return false;
      TWebSite* site = SiteAt(i);
      const std::string name = ExtractFileName(site->FileName);
      if (!name.empty() && site->ExportSiteFile(folder + name))
        index.Add({site->UIN(), site->Info.Value("Common info", "Last contributed"), name,
                   FileChecksum(folder + name)});
      job.Progress(i + 1, Count());
    }
    StringToFile(index_path, index.IndexText());
    StringToFile(folder + "version.dat", index.VersionText());
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool TSiteList::ExportSitesInteractive() {
  std::string folder = ApplicationDataReady() ? Settings().GetString("Export Directory") : "";
  if (!UI().SelectFolderDialog("Select Directory", folder)) return false;
  if (ApplicationDataReady()) Settings().SetString("Export Directory", folder);
  return ExportSites(IncludeTrailingPathDelimiter(folder));
}

void TSiteList::ApplyRatings(const TOptionsList& ratings, bool page_rank_fallback) {
  for (int i = 0; i < Count(); ++i) {
    TWebSite* site = SiteAt(i);
    int r = -1;
    const std::string current = site->Info.Value("Common info", "Rating");
    if (!TryStrToInt(current, r)) r = -1;
    int fresh = 0;
    const std::string uin = site->UIN();
    if (!uin.empty() && ratings.HasKey(uin) && TryStrToInt(ratings.GetString(uin), fresh))
      r = fresh;
    if (page_rank_fallback && r < 1) {
      int rank = 0;
      r = TryStrToInt(site->Info.Value("Common info", "Page Rank"), rank) ? rank : 1;
    }
    // Without the fallback a site that had no rating and got none keeps its empty value.
    if (r == -1 && current.empty()) continue;
    site->Info.CommonInfo().SetString("Rating", std::to_string(r));
  }
}

void TSiteList::ApplyRatingsFile(const std::string& path) {
  if (!FileExists(path)) return;
  try {
    const TRatingsFile file = ReadRatingsText(FileToString(path));
    ApplyRatings(file.ratings, true);
  } catch (const std::exception& e) {
    ShowError(e.what());
  }
}

}  // namespace quillora
