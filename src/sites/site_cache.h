// The site summary cache: what start-up needs of each site file (header, address and option
// texts, protection flag) keyed by file name, size and modification time, so that unchanged
// files need not be read and decoded at every start.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "sites/site.h"

namespace quillora {

// One file's entry. The texts are views into the cache's bytes (or into the caller's strings
// while a cache is being written).
struct TSiteCacheEntry {
  std::string_view name;  // file name within the sites folder
  TSiteFileStamp stamp;
  std::array<uint8_t, kSiteHeaderSize> header{};
  std::string_view address_text;
  std::string_view option_text;
  uint8_t protected_flag = 0;
};

// The file's bytes (and the entries over them). Anything that is not exactly a cache of this
// layout and version, made for this sites folder, is refused as a whole.
class TSiteCache {
 public:
  // False (and empty) for a missing, unreadable, damaged, foreign or newer-version file.
  bool Load(const std::string& path, std::string_view sites_folder);
  // Same, over bytes already read.
  bool Parse(std::string bytes, std::string_view sites_folder);
  // The entry of this name when its stamp matches; nullptr otherwise.
  const TSiteCacheEntry* Find(std::string_view name, const TSiteFileStamp& stamp) const;
  const std::vector<TSiteCacheEntry>& Entries() const { return entries_; }
  void Clear();

 private:
  std::string bytes_;
  std::vector<TSiteCacheEntry> entries_;
  std::unordered_map<std::string_view, size_t> by_name_;
};

// The cache's bytes for these entries, in their order.
std::string WriteSiteCache(std::string_view sites_folder,
                           const std::vector<TSiteCacheEntry>& entries);

// Whether two entry lists name the same files with the same stamps in the same order (the texts
// follow from the files, so they need no comparing).
bool SameSiteCacheFiles(const std::vector<TSiteCacheEntry>& a,
                        const std::vector<TSiteCacheEntry>& b);

// The cache file of a user folder's side files.
inline constexpr const char* kSiteCacheFileName = "site_cache.dat";

}  // namespace quillora
