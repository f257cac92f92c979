// "Check for Dupes": walks the site list and, for every site whose UIN an earlier site already
// holds, asks the user which of the two files to delete.
#pragma once

#include <string>

namespace quillora {

class TSiteList;
class TWebSite;

// The question offering `site` for deletion as a duplicate of `original`.
std::string DuplicateQuestion(const TWebSite& site, const TWebSite& original);

// Asks through the user-interface port, pair by pair (this site first, then the other one);
// a Yes deletes that site's file and takes it out of the list. Returns the number of sites
// deleted. The caller refreshes the view afterwards.
int CheckForDupes(TSiteList& list);

}  // namespace quillora
