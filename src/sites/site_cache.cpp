#include "sites/site_cache.h"

#include <cstring>

#include "foundation/encoding.h"
#include "foundation/files.h"

namespace quillora {

namespace {

// Layout: magic, version, sites folder, entry count, entries, then the CRC-32 of everything
// before it. Integers are little-endian. A new layout gets a new version; an older program
// refuses it and rebuilds.
constexpr char kMagic[8] = {'Q', 'S', 'C', 'A', 'C', 'H', 'E', '\x1a'};
constexpr uint32_t kVersion = 1;

void PutU32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xff);
}

void PutI64(std::string& out, int64_t value) {
  const auto v = static_cast<uint64_t>(value);
  for (int i = 0; i < 8; ++i) out += static_cast<char>((v >> (8 * i)) & 0xff);
}

void PutText(std::string& out, std::string_view text) {
  PutU32(out, static_cast<uint32_t>(text.size()));
  out.append(text);
}

// Reads over the bytes; every length is checked against what is left before it is used.
struct Reader {
  std::string_view data;
  size_t pos = 0;
  bool ok = true;

  bool Has(size_t n) {
    if (!ok || data.size() - pos < n) ok = false;
    return ok;
  }
  uint64_t Unsigned(int bytes) {
    if (!Has(static_cast<size_t>(bytes))) return 0;
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
      v |= static_cast<uint64_t>(static_cast<unsigned char>(data[pos + i])) << (8 * i);
    pos += static_cast<size_t>(bytes);
    return v;
  }
  std::string_view Text() {
    const auto n = static_cast<size_t>(Unsigned(4));
    if (!Has(n)) return {};
    std::string_view v = data.substr(pos, n);
    pos += n;
    return v;
  }
};

}  // namespace

void TSiteCache::Clear() {
  entries_.clear();
  by_name_.clear();
  std::string().swap(bytes_);
}

bool TSiteCache::Load(const std::string& path, std::string_view sites_folder) {
  Clear();
  std::string bytes;
  try {
    if (!FileExists(path)) return false;
    bytes = FileToString(path);
  } catch (const std::exception&) {
    return false;
  }
  return Parse(std::move(bytes), sites_folder);
}

bool TSiteCache::Parse(std::string bytes, std::string_view sites_folder) {
  Clear();
  bytes_ = std::move(bytes);
  const std::string_view all = bytes_;
  auto fail = [&] {
    Clear();
    return false;
  };
  if (all.size() < sizeof kMagic + 4 + 4 || std::memcmp(all.data(), kMagic, sizeof kMagic) != 0)
    return fail();
  const std::string_view body = all.substr(0, all.size() - 4);
  Reader crc{all.substr(all.size() - 4)};
  if (crc.Unsigned(4) != Crc32(body)) return fail();
  Reader r{body, sizeof kMagic};
  if (r.Unsigned(4) != kVersion) return fail();
  if (r.Text() != sites_folder || !r.ok) return fail();
  const uint64_t count = r.Unsigned(4);
  // Each entry takes at least its fixed part, so a count beyond that is damage.
  constexpr size_t kMinEntry = 4 + 8 + 8 + kSiteHeaderSize + 1 + 4 + 4;
  if (!r.ok || count > (body.size() - r.pos) / kMinEntry) return fail();
  entries_.reserve(static_cast<size_t>(count));
  by_name_.reserve(static_cast<size_t>(count));
  for (uint64_t i = 0; i < count; ++i) {
    TSiteCacheEntry e;
    e.name = r.Text();
    e.stamp.size = static_cast<int64_t>(r.Unsigned(8));
    e.stamp.time = static_cast<int64_t>(r.Unsigned(8));
    if (r.Has(kSiteHeaderSize)) {
      std::memcpy(e.header.data(), body.data() + r.pos, kSiteHeaderSize);
      r.pos += kSiteHeaderSize;
    }
    e.protected_flag = static_cast<uint8_t>(r.Unsigned(1));
    e.address_text = r.Text();
    e.option_text = r.Text();
    if (!r.ok || e.name.empty() || !by_name_.try_emplace(e.name, entries_.size()).second)
      return fail();
    entries_.push_back(e);
  }
  if (r.pos != body.size()) return fail();
  return true;
}

const TSiteCacheEntry* TSiteCache::Find(std::string_view name, const TSiteFileStamp& stamp) const {
  const auto it = by_name_.find(name);
  if (it == by_name_.end()) return nullptr;
  const TSiteCacheEntry& e = entries_[it->second];
  return e.stamp == stamp ? &e : nullptr;
}

std::string WriteSiteCache(std::string_view sites_folder,
                           const std::vector<TSiteCacheEntry>& entries) {
  size_t total = sizeof kMagic + 16 + sites_folder.size();
  for (const TSiteCacheEntry& e : entries)
    total += 40 + kSiteHeaderSize + e.name.size() + e.address_text.size() + e.option_text.size();
  std::string out;
  out.reserve(total);
  out.append(kMagic, sizeof kMagic);
  PutU32(out, kVersion);
  PutText(out, sites_folder);
  PutU32(out, static_cast<uint32_t>(entries.size()));
  for (const TSiteCacheEntry& e : entries) {
    PutText(out, e.name);
    PutI64(out, e.stamp.size);
    PutI64(out, e.stamp.time);
    out.append(reinterpret_cast<const char*>(e.header.data()), e.header.size());
    out += static_cast<char>(e.protected_flag);
    PutText(out, e.address_text);
    PutText(out, e.option_text);
  }
  PutU32(out, Crc32(out));
  return out;
}

bool SameSiteCacheFiles(const std::vector<TSiteCacheEntry>& a,
                        const std::vector<TSiteCacheEntry>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].name != b[i].name || !(a[i].stamp == b[i].stamp)) return false;
  return true;
}

}  // namespace quillora
