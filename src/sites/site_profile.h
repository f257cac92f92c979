// The per-site lists of the company and product records (one table says where each is stored
// and how), and the read-only view of the active product's lists that a site needs for its
// status and its summary. The active profile implements the view; a site never changes values.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace quillora {

// The per-site lists, each keyed by the site's UIN, in the order of PerSiteLists().
enum class TSiteValueKind {
  CompanySiteLogin,     // the company's "Site Login"
  CompanySitePassword,  // the company's "Site Password"
  CompanyComments,      // the company's per-site "Comments"
  ProductSiteLogin,     // the product's "Site Login"
  ProductSitePassword,  // the product's "Site Password"
  ProductComments,      // the product's per-site "Comments"
  VersionListed,        // the product's "Version Listed"
  VersionSubmitted,     // the product's "Version Submitted"
  DateSubmitted,        // the product's "Date Submitted"
  SearchResultsShort,   // the product's "Search Results Short"
  SearchFlag,           // the product's "Search Flag"
  ProgramCategory,      // the product's "Program Category"
  StatusOverride,       // the product's "StatusOverride"
  ProductListings,      // the product's "Product Listings"
  SearchResultsLong,    // the product's "Search Results Long"
};

// The record that keeps a list.
enum class TSiteListRecord { Company, Product };

struct TPerSiteListInfo {
  TSiteValueKind Kind;
  TSiteListRecord Record;
  const char* Section;  // the list's section in the record file
  bool Enciphered;      // logins and passwords are stored enciphered
  // False for a list that is only read from the file: it is never written back, and the
  // active profile does not carry it.
  bool Written;
};

// Every per-site list: the company's, then the product's, each in the order of its file.
std::span<const TPerSiteListInfo> PerSiteLists();
const TPerSiteListInfo& PerSiteListInfo(TSiteValueKind kind);

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
// The profile itself, or one in which every value is empty.
const TSiteProfile& ProfileOrEmpty(const TSiteProfile* profile);

}  // namespace quillora
