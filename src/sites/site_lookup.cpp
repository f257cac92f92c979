#include "sites/site_lookup.h"

#include <filesystem>

#include "sites/site_list.h"

namespace quillora {

TSiteLookup FindSiteByUIN(std::string_view uin, const TSiteList* list,
                          const std::string& sites_folder) {
  TSiteLookup found;
  if (list) {
    try {
      found.site = list->FindByUIN(uin);
    } catch (const std::exception&) {
      // The list cannot answer: the files can.
    }
    if (found.site) return found;
  }
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(sites_folder, ec)) {
    if (entry.path().extension() != ".wsd") continue;
    auto site = std::make_unique<TWebSite>();
    try {
      if (site->LoadSiteFile(entry.path().string()) == slLoaded && site->UIN() == uin) {
        found.site = site.get();
        found.owned = std::move(site);
        return found;
      }
    } catch (const std::exception&) {
    }
  }
  return found;
}

}  // namespace quillora
