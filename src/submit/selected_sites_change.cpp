#include "submit/selected_sites_change.h"

#include <utility>

#include "pad/profile.h"
#include "sites/site.h"
#include "sites/site_filter.h"
#include "submit/status_records.h"

namespace quillora {

namespace {

std::string Trimmed(const std::string& s) {
  const size_t first = s.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  const size_t last = s.find_last_not_of(" \t\r\n");
  return s.substr(first, last - first + 1);
}

}  // namespace

TSelectedSitesResult ApplySelectedSitesChange(const TSelectedSitesChange& change,
                                              const std::vector<TWebSite*>& sites,
                                              TProfile& profile, TCustomSet* custom_set) {
  const std::pair<const std::string*, TSiteValueKind> values[] = {
      {&change.version_listed, TSiteValueKind::VersionListed},
      {&change.version_submitted, TSiteValueKind::VersionSubmitted},
      {&change.search_flag, TSiteValueKind::SearchFlag},
      {&change.date_submitted, TSiteValueKind::DateSubmitted},
      {&change.company_notes, TSiteValueKind::CompanyComments},
      {&change.product_notes, TSiteValueKind::ProductComments},
  };
  const std::string override_state = Trimmed(change.status_override);
  const std::string rating = Trimmed(change.rating);
  TSelectedSitesResult result;
  for (TWebSite* site : sites) {
    const std::string uin = site->UIN();
    for (const auto& [text, kind] : values) {
      const std::string value = Trimmed(*text);
      if (value.empty()) continue;
      if (TOptionsList* list = profile.SiteList(kind)) list->SetString(uin, value);
    }
    if (!override_state.empty()) SetStatusOverride(profile, uin, override_state);

    bool changed = false;
    TOptionsList& common = site->Info.CommonInfo();
    for (int i = 0; i < 4; ++i) {
      const std::string category = Trimmed(change.categories[i]);
      if (category.empty()) continue;
      common.SetString("Category " + std::to_string(i + 1), category);
      changed = true;
    }
    if (!rating.empty() && rating != "0") {
      common.SetString("Rating", rating);
      changed = true;
    }
    if (change.disabled) {
      site->SetDisabled(*change.disabled);
      changed = true;
    }
    if (custom_set && change.ticked) custom_set->SetMember(uin, !*change.ticked);
    if (changed) {
      if (site->SaveSiteFile("", false))
        ++result.saved;
      else
        result.failed.push_back(uin);
    }
    site->RefreshSummary();
  }
  return result;
}

}  // namespace quillora
