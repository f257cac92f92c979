#include "sites/duplicate_check.h"

#include "foundation/files.h"
#include "foundation/ui_port.h"
#include "sites/site.h"
#include "sites/site_list.h"

namespace quillora {

std::string DuplicateQuestion(const TWebSite& site, const TWebSite& original) {
  return "Delete site " + site.Name() + " (" + ExtractFileName(site.FileName) + ")," +
         "\r\nwhich is DUPLICATE for site " + original.Name() + " (" +
         ExtractFileName(original.FileName) + ")";
}

int CheckForDupes(TSiteList& list) {
  int deleted = 0;
  int i = 0;
  while (i < list.Count()) {
    TWebSite* site = list.SiteAt(i);
    TWebSite* first = list.FindByUIN(site->UIN());
    TWebSite* victim = nullptr;
    if (first && first != site) {
      if (AskYesNo(DuplicateQuestion(*site, *first)))
        victim = site;
      else if (AskYesNo(DuplicateQuestion(*first, *site)))
        victim = first;
    }
    if (!victim) {
      ++i;
      continue;
    }
    // DeleteSite takes the site out of the list even when its file would not go (the failure
    // was reported); the position stays because the sites behind it moved up.
    const int before = list.Count();
    victim->DeleteSite();
    if (list.Count() < before)
      ++deleted;
    else
      ++i;
  }
  return deleted;
}

}  // namespace quillora
