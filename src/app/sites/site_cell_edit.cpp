#include "app/sites/site_cell_edit.h"

#include "pad/profile.h"
#include "sites/site.h"
#include "submit/status_records.h"

namespace quillora::app {

bool IsEditableSiteColumn(int column) {
  return column == kColVersionListed || column == kColVersionSubmitted || column == kColLogin ||
         column == kColPassword;
}

std::string SiteCellEditText(const TProfile& profile, const TWebSite& site, int column) {
  switch (column) {
    case kColVersionListed:
      return profile.SiteValue(TSiteValueKind::VersionListed, site.UIN());
    case kColVersionSubmitted:
      return profile.SiteValue(TSiteValueKind::VersionSubmitted, site.UIN());
    case kColLogin:
    case kColPassword:
      return site.summary.text[column];
    default:
      return {};
  }
}

bool StoreSiteCellEdit(TProfile& profile, TWebSite& site, int column, const std::string& text) {
  if (!IsEditableSiteColumn(column) || text == SiteCellEditText(profile, site, column))
    return false;
  const std::string uin = site.UIN();
  bool changed = false;
  if (column == kColVersionListed) {
    changed = SetVersionListedText(profile, uin, text);
  } else if (column == kColVersionSubmitted) {
    changed = SetVersionSubmittedText(profile, uin, text);
  } else {
    const bool login = column == kColLogin;
    TOptionsList& product = login ? profile.ProductSiteLogins : profile.ProductSitePasswords;
    TOptionsList& company = login ? profile.CompanySiteLogins : profile.CompanySitePasswords;
    TOptionsList& target = product.GetString(uin).empty() ? company : product;
    if (target.GetString(uin) != text) {
      target.SetString(uin, text);
      changed = true;
    }
  }
  if (!changed) return false;
  CommitStatusChange(profile);
  site.RefreshSummary();
  site.UpdateVersionHandled(profile.GetString("Program_Info/Program_Version"));
  return true;
}

}  // namespace quillora::app
