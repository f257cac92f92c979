#include "sites/site_profile.h"

#include <array>

namespace quillora {

namespace {

using K = TSiteValueKind;
using R = TSiteListRecord;

constexpr std::array<TPerSiteListInfo, 15> kLists = {{
    {K::CompanySiteLogin, R::Company, "Site Login", true, true},
    {K::CompanySitePassword, R::Company, "Site Password", true, true},
    {K::CompanyComments, R::Company, "Comments", false, true},
    {K::ProductSiteLogin, R::Product, "Site Login", true, true},
    {K::ProductSitePassword, R::Product, "Site Password", true, true},
    {K::ProductComments, R::Product, "Comments", false, true},
    {K::VersionListed, R::Product, "Version Listed", false, true},
    {K::VersionSubmitted, R::Product, "Version Submitted", false, true},
    {K::DateSubmitted, R::Product, "Date Submitted", false, true},
    {K::SearchResultsShort, R::Product, "Search Results Short", false, true},
    {K::SearchFlag, R::Product, "Search Flag", false, true},
    {K::ProgramCategory, R::Product, "Program Category", false, true},
    {K::StatusOverride, R::Product, "StatusOverride", false, true},
    {K::ProductListings, R::Product, "Product Listings", false, true},
    {K::SearchResultsLong, R::Product, "Search Results Long", false, false},
}};

constexpr bool IndexedByKind() {
  for (size_t i = 0; i < kLists.size(); ++i)
    if (static_cast<size_t>(kLists[i].Kind) != i) return false;
  return true;
}
static_assert(IndexedByKind(), "the table is indexed by TSiteValueKind");

class TEmptySiteProfile : public TSiteProfile {
 public:
  std::string ProfileValue(std::string_view) const override { return {}; }
  std::string SiteValue(TSiteValueKind, std::string_view) const override { return {}; }
};

}  // namespace

std::span<const TPerSiteListInfo> PerSiteLists() {
  return kLists;
}

const TPerSiteListInfo& PerSiteListInfo(TSiteValueKind kind) {
  return kLists.at(static_cast<size_t>(kind));
}

const TSiteProfile& ProfileOrEmpty(const TSiteProfile* profile) {
  static const TEmptySiteProfile empty;
  return profile ? *profile : empty;
}

}  // namespace quillora
