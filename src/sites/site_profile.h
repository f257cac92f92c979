// The read-only view of the active product's per-site records that a site needs for its status
// and its summary. The active profile implements it; a site never changes these values.
#pragma once

#include <string>
#include <string_view>

namespace quillora {

// The per-site lists a site reads, each keyed by the site's UIN.
enum class TSiteValueKind {
  VersionListed,        // the product's "Version Listed"
  VersionSubmitted,     // the product's "Version Submitted"
  DateSubmitted,        // the product's "Date Submitted"
  SearchResultsShort,   // the product's "Search Results Short"
  SearchFlag,           // the product's "Search Flag"
  ProductListings,      // the product's "Product Listings"
  StatusOverride,       // the product's "StatusOverride"
  CompanyComments,      // the company's per-site "Comments"
  ProductComments,      // the product's per-site "Comments"
  CompanySiteLogin,     // the company's per-site "Site Login"
  CompanySitePassword,  // the company's per-site "Site Password"
  ProductSiteLogin,     // the product's per-site "Site Login"
  ProductSitePassword,  // the product's per-site "Site Password"
};

class TSiteProfile {
 public:
  virtual ~TSiteProfile() = default;
  // A value of the merged company and product values (e.g. "Program_Info/Program_Version"),
  // unescaped; empty when missing.
  virtual std::string ProfileValue(std::string_view key) const = 0;
  // The value of one per-site list for the site with that UIN, unescaped; empty when the list
  // has no entry for it. Lists are looked up exactly as the records store them.
  virtual std::string SiteValue(TSiteValueKind kind, std::string_view uin) const = 0;
};

// The program's active profile as sites see it (sites/sites_state.h); null while there is none,
// and every per-site value then reads as empty.
const TSiteProfile* ActiveSiteProfile();

}  // namespace quillora
