#include "sites/sites_view.h"

#include <algorithm>
#include <numeric>
#include <stdexcept>

#include "foundation/text_utils.h"

namespace quillora {

const std::array<const char*, kSiteColumnCount>& SiteColumnCaptions() {
  static const std::array<const char*, kSiteColumnCount> captions = {"Site Name",
                                                                     "Site URL",
                                                                     "Site UIN",
                                                                     "Last Modified",
                                                                     "Last Exported",
                                                                     "Language",
                                                                     "Status",
                                                                     "Page Rank",
                                                                     "Category1",
                                                                     "Category2",
                                                                     "Category3",
                                                                     "Category4",
                                                                     "Comments",
                                                                     "Version Listed",
                                                                     "Version Submitted",
                                                                     "Date Submitted",
                                                                     "Search Results Short",
                                                                     "Search Flag",
                                                                     "Protected",
                                                                     "Contributor",
                                                                     "Login",
                                                                     "Password",
                                                                     "Last Contributed",
                                                                     "Method",
                                                                     "Flags",
                                                                     "Product Listings"};
  return captions;
}

TSitesSort TSitesSort::FromSetting(int v) {
  TSitesSort s;
  if (v == 0 || v > kSiteColumnCount || v < -kSiteColumnCount) return s;
  s.column = (v < 0 ? -v : v) - 1;
  s.reverse = v > 0;
  return s;
}

int TSitesSort::ToSetting() const {
  if (column < 0) return 0;
  return reverse ? column + 1 : -(column + 1);
}

bool SiteColumnLess(const TWebSite& a, const TWebSite& b, int column) {
  const TSiteSummary& x = a.summary;
  const TSiteSummary& y = b.summary;
  switch (column) {
    case 3:
      return x.last_modified < y.last_modified;
    case 4:
      return x.last_exported < y.last_exported;
    case 15:
      return x.date_submitted < y.date_submitted;
    case 22:
      return x.last_contributed < y.last_contributed;
    case 6:
      return x.status < y.status;
    case 17:
      return x.search_flag_code < y.search_flag_code;
    case 18:
      return x.protected_picture < y.protected_picture;
    case 23:
      return x.method_picture < y.method_picture;
    case 24:
      return false;  // the flags column does not sort
    case 13:
    case 14:
      return y.lower[column] < x.lower[column];  // newest version first
    default:
      if (column < 0 || column >= kSiteColumnCount) return false;
      return x.lower[column] < y.lower[column];  // std::string compares bytes as unsigned
  }
}

std::vector<int> SortedSitePositions(const TSiteList& list, TSitesSort sort) {
  std::vector<int> order(static_cast<size_t>(list.Count()));
  std::iota(order.begin(), order.end(), 0);
  if (sort.column < 0) return order;
  std::vector<const TWebSite*> sites(order.size());
  for (size_t i = 0; i < sites.size(); ++i) sites[i] = list.SiteAt(static_cast<int>(i));
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    const TWebSite& sa = *sites[static_cast<size_t>(a)];
    const TWebSite& sb = *sites[static_cast<size_t>(b)];
    return sort.reverse ? SiteColumnLess(sb, sa, sort.column) : SiteColumnLess(sa, sb, sort.column);
  });
  return order;
}

void CollectKnownLists(const TSiteList& list, TSiteChoiceLists& known) {
  known.categories.clear();
  known.languages.clear();
  for (int i = 0; i < list.Count(); ++i) {
    try {
      known.AddSite(*list.SiteAt(i));
    } catch (const std::exception&) {
      // one broken site does not stop the refresh
    }
  }
}

void RefreshSites(TSiteList& list, const TSiteFilter& filter, const TOptionsList* current_set,
                  TSiteChoiceLists& known, const std::function<void(int, int)>& progress) {
  const int n = list.Count();
  for (int i = 0; i < n; ++i) {
    list.SiteAt(i)->RefreshSummary();
    if (progress) progress(i + 1, n - 1);
  }
  list.ApplyFilter(filter, current_set);
  CollectKnownLists(list, known);
  const TSiteProfile* profile = ActiveSiteProfile();
  const std::string version =
      profile ? profile->ProfileValue("Program_Info/Program_Version") : std::string();
  for (int i = 0; i < n; ++i) {
    try {
      list.SiteAt(i)->UpdateVersionHandled(version);
    } catch (const std::exception&) {
    }
  }
}

std::string NextSiteUIN(const TSiteList& list, const std::vector<int>& order, const TWebSite* site,
                        bool forward, const std::function<bool(const TWebSite&)>& shown_elsewhere) {
  const int n = static_cast<int>(order.size());
  int row = -1;
  if (site)
    for (int r = 0; r < n; ++r)
      if (list.SiteAt(order[static_cast<size_t>(r)]) == site) row = r;
  const int step = forward ? 1 : -1;
  int r = row < 0 ? (forward ? 0 : n - 1) : row + step;
  for (; r >= 0 && r < n; r += step) {
    const TWebSite* s = list.SiteAt(order[static_cast<size_t>(r)]);
    if (!s->Visible) continue;
    if (shown_elsewhere && shown_elsewhere(*s)) continue;
    return s->UIN();
  }
  return {};
}

TSubmissionCounters CountSubmissions(const TSiteList& list, const TSiteProfile* profile) {
  TSubmissionCounters c;
  const std::string version =
      profile ? profile->ProfileValue("Program_Info/Program_Version") : std::string();
  for (int i = 0; i < list.Count(); ++i) {
    const TWebSite* s = list.SiteAt(i);
    if (version.empty()) {
      if (s->Visible) ++c.to_do;
    } else {
      ++c.to_do;
      if (s->VersionHandled) ++c.done;
    }
  }
  return c;
}

std::vector<int> ParseColumnNumbers(const std::string& list, int count) {
  std::vector<int> columns;
  for (int i = 0; i < CountFields(list, ','); ++i) {
    int c = 0;
    if (!TryStrToInt(NthField(list, i, ','), c) || c < 0 || c >= count)
      throw std::runtime_error("Bad column number in '" + list + "' (0.." +
                               std::to_string(count - 1) + ")");
    columns.push_back(c);
  }
  return columns;
}

std::vector<int> ParseSiteColumns(const std::string& list) {
  return ParseColumnNumbers(list, kSiteColumnCount);
}

}  // namespace quillora
