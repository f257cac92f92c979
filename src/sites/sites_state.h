// The program's site filter, custom sets and site list, the active profile as sites see it, and
// the language banners' names. The core context owns them and installs them while it lives;
// SiteList(), SiteListReady(), SiteFilter(), CustomSets(), ActiveSiteProfile() and
// LanguageBannerNames() read the installed ones.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sites/site_filter.h"
#include "sites/site_list.h"
#include "sites/site_profile.h"

namespace quillora {

struct TSitesState {
  TSiteFilter filter;
  TCustomSets custom_sets;
  std::unique_ptr<TSiteList> list;        // none until the start-up has loaded it
  const TSiteProfile* profile = nullptr;  // the records' active profile; not owning
  // The language banners' names, lower case, in the order of "Banners.img".
  std::vector<std::string> language_banners;
};

// Makes state the one the accessors read; nullptr leaves none.
void InstallSitesState(TSitesState* state);

}  // namespace quillora
