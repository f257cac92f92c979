// The process's company and product lists and its active profile, and where they are made and
// released in the start-up and shutdown sequence.
#pragma once

#include "foundation/option_list.h"

namespace quillora {

class TCompanyList;
class TProductList;
class TProfile;

// The process-wide objects; std::logic_error before the start-up created them.
TCompanyList& CompanyList();
TProductList& ProductList();
TProfile& ActiveProfile();
bool RecordListsReady();
// The active profile's values for template expansion; nullptr while there is no profile or it
// holds no product.
const TOptionsList* ActiveProfileValues();

// Plugs the records into the start-up: the active profile (and the value lists of its flags)
// where the data tables are loaded, the company and product lists after the site list, and
// their release at shutdown. With load_at_startup the lists are also filled from their folders
// and the profile activated right there (the command line; the desktop program leaves that to
// the product manager when the main window first shows). Call once before InitApplicationData;
// further calls only change load_at_startup.
void RegisterRecordsStartup(bool load_at_startup);

// What the product manager's refresh does at the first showing of the main window: every
// company and product file is loaded and the profile activated with the stored active company
// and product. False when a file could not be loaded (it was reported and left out).
bool LoadRecordsAndActivate();

}  // namespace quillora
