// The site summary cache: whatever the bytes, the reader either refuses them or gives entries
// that write back to exactly the same bytes, and every entry can be taken into a site.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sites/site_cache.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string folder = "/s/";
  quillora::TSiteCache cache;
  if (!cache.Parse(bytes, folder)) return 0;
  if (quillora::WriteSiteCache(folder, cache.Entries()) != bytes) std::abort();
  for (const quillora::TSiteCacheEntry& e : cache.Entries()) {
    quillora::TWebSite site;
    try {
      site.LoadFromCache(e.header, e.address_text, e.option_text, e.protected_flag, e.stamp);
    } catch (const std::exception&) {
      // Damaged texts are the load's to report; the list then reads the file itself.
    }
  }
  return 0;
}
