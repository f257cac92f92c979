// Finding a site by its UIN for work handed a UIN (the fill command, the desktop program's
// links and commands): the site list's record when the list has it, else the first site file of
// the sites folder that holds that UIN.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "sites/site.h"

namespace quillora {

class TSiteList;

struct TSiteLookup {
  TWebSite* site = nullptr;         // nullptr when no site has the UIN
  std::unique_ptr<TWebSite> owned;  // holds site when it was read from its file
  bool Listed() const { return site && !owned; }
};

// `list` may be nullptr (a run without a site list): then only the files are read. Files that
// cannot be read as sites are passed over; the folder is read in the order the system lists it.
TSiteLookup FindSiteByUIN(std::string_view uin, const TSiteList* list,
                          const std::string& sites_folder);

}  // namespace quillora
