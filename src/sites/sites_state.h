// The program's site filter, custom sets and site list, and the active profile as sites see it.
// The core context owns them and installs them while it lives; SiteList(), SiteListReady(),
// SiteFilter(), CustomSets() and ActiveSiteProfile() read the installed ones.
#pragma once

#include <memory>

#include "sites/site_filter.h"
#include "sites/site_list.h"
#include "sites/site_profile.h"

namespace quillora {

struct TSitesState {
  TSiteFilter filter;
  TCustomSets custom_sets;
  std::unique_ptr<TSiteList> list;        // none until the start-up has loaded it
  const TSiteProfile* profile = nullptr;  // the records' active profile; not owning
};

// Makes state the one the accessors read; nullptr leaves none.
void InstallSitesState(TSitesState* state);

}  // namespace quillora
