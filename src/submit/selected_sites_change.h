// One change applied to many sites at once (the Sites view's "Properties" of the selected rows):
// the active product's per-site values, the sites' categories, rating and disabled flag, and
// their membership of the current custom set. A field left unchanged writes nothing.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quillora {

class TProfile;
class TWebSite;
class TCustomSet;

struct TSelectedSitesChange {
  // Per-site values of the active profile; an empty (or blank) text leaves the value alone.
  std::string version_listed, version_submitted, search_flag, date_submitted;
  std::string company_notes, product_notes;
  // An override choice ("Auto" clears the override); empty leaves it alone.
  std::string status_override;
  // Site options: empty categories, and a rating of "" or "0", leave the site's value alone.
  std::string categories[4];
  std::string rating;
  std::optional<bool> disabled;
  // Ticked means the site takes part (its UIN leaves the set); none leaves the set alone.
  std::optional<bool> ticked;
};

// Applies the change to every site in order. Sites whose options changed are saved (a site whose
// file could not be written is counted in the result's failures); every site's summary is
// recomputed afterwards. The profile is changed in memory only: the caller writes it back.
struct TSelectedSitesResult {
  int saved = 0;
  std::vector<std::string> failed;  // UINs of sites that could not be saved
};
TSelectedSitesResult ApplySelectedSitesChange(const TSelectedSitesChange& change,
                                              const std::vector<TWebSite*>& sites,
                                              TProfile& profile, TCustomSet* custom_set);

}  // namespace quillora
