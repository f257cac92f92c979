// The toolkit-free model of the Sites page that the desktop grid and `quillora-cli sites list`
// share: the full refresh (summaries, filter, known categories and languages), the sort orders of
// the 26 columns, lists of column numbers, the next site for the submitter and the submission
// counters.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "sites/site_filter.h"
#include "sites/site_list.h"

namespace quillora {

// The 26 column captions ("Site Name", "Site URL", ...), by column number.
const std::array<const char*, kSiteColumnCount>& SiteColumnCaptions();

// "Sites List Sort": v = column + 1 or -(column + 1); negative is the column's normal order.
struct TSitesSort {
  int column = -1;  // -1: no sort column
  bool reverse = false;
  static TSitesSort FromSetting(int v);
  int ToSetting() const;
};

// The column's normal order: text ascending by lower-case bytes ("100" before "20"), versions
// descending, dates oldest first, status / search flag / picture numbers lowest first.
bool SiteColumnLess(const TWebSite& a, const TWebSite& b, int column);
// The list positions of the sites in the view's order (a stable sort, list order for ties).
std::vector<int> SortedSitePositions(const TSiteList& list, TSitesSort sort);

// The full refresh without the grid: RefreshSummary of every site, the filter, and the known
// categories and languages (with UpdateVersionHandled for the active version).
void RefreshSites(TSiteList& list, const TSiteFilter& filter, const TOptionsList* current_set,
                  TSiteChoiceLists& known, const std::function<void(int, int)>& progress = {});
// Every non-empty "Category 1".."Category 4" and "Language" once (ignoring case), in list order.
void CollectKnownLists(const TSiteList& list, TSiteChoiceLists& known);

// UIN of the next visible site after (forward) or before `site` in `order` that `shown_elsewhere`
// does not claim; from the first (last) visible site when `site` has no place. Empty when none.
std::string NextSiteUIN(const TSiteList& list, const std::vector<int>& order, const TWebSite* site,
                        bool forward,
                        const std::function<bool(const TWebSite&)>& shown_elsewhere = {});

// The submission progress gauge's counters: without an active version, the sites to do are the
// visible ones and none is done; otherwise every site is to do and the done ones are those
// handled for the version.
struct TSubmissionCounters {
  int to_do = 0;
  int done = 0;
};
TSubmissionCounters CountSubmissions(const TSiteList& list, const TSiteProfile* profile);

// Column numbers from a comma-separated list ("0,2,6"), each from 0 to count - 1, in the order
// given (repeats allowed); an empty list gives none. Anything else raises std::runtime_error
// "Bad column number in '<list>' (0..<count - 1>)".
std::vector<int> ParseColumnNumbers(const std::string& list, int count);
// The view's column numbers (0..25).
std::vector<int> ParseSiteColumns(const std::string& list);

}  // namespace quillora
