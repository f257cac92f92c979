// The site filter of the sites view (categories, languages, status, search words, rating range,
// disabled sites, custom-set hiding), its settings and saved filters, and the custom sets: named
// lists of site UINs the user keeps unticked, stored in "custom_sets.dat" and exchanged as ".csf".
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/option_list.h"
#include "sites/site.h"

namespace quillora {

struct TSiteFilter {
  std::string Categories;      // ";"-separated; empty: every category
  std::string Languages;       // ";"-separated; empty: every language
  std::string SearchText;      // words between single spaces, "+" required, "-" excluded
  TSiteStatus Status = ssAll;  // ssAll: every status; ssAuto matches no site
  int32_t RatingFrom = 1;
  int32_t RatingTo = 100;
  bool ShowAll = true;         // the filter is not in use ("Use filter" unticked)
  bool ShowDisabled = false;   // disabled sites take part instead of being hidden
  bool HideUnchecked = false;  // the current custom set hides its sites
};

// Whether the filter shows the site (the steps of ApplyFilter for one site). current_set is the
// view's chosen custom set or nullptr ("None"). The site's summary must be current: it holds the
// texts, including the active profile's comments for the site, that the filter looks at.
bool FilterPasses(const TSiteFilter& filter, const TWebSite& site, const TOptionsList* current_set);

// "ALL" 0, "Auto" 1, "Complete" 2, "Pending" 3, "Default" 4, "Failed" 5, "Skipped" 6, other 0.
TSiteStatus FilterStatusFromText(std::string_view text);
// "Auto" .. "Skipped" for 1..6, "ALL" for anything else.
std::string FilterStatusText(TSiteStatus status);

// The settings mapping ("Filter Category", ...). Load raises the conversion error of a rating
// setting that is not a number.
void LoadFilterSettings(TSiteFilter& filter, const TOptionsList& settings);
void SaveFilterSettings(const TSiteFilter& filter, TOptionsList& settings);

// Saved filters ("filters.dat"): one raw line per filter, name "=" eight fields each ending "|".
// status_text is the status choice's text ("ALL", "Complete", ...).
std::string SavedFilterValue(const TSiteFilter& filter, std::string_view status_text);
// Replaces the first line of that name or appends one.
void SaveFilterAs(TOptionsList& filters, std::string_view name, const TSiteFilter& filter,
                  std::string_view status_text);
// Deletes the first line of that name; false when there is none.
bool DeleteSavedFilter(TOptionsList& filters, std::string_view name);
// Fills the filter from the saved line (a languages field "ALL" becomes empty); false when
// there is no line of that name. status_text receives the stored status text.
bool LoadSavedFilter(const TOptionsList& filters, std::string_view name, TSiteFilter& filter,
                     std::string* status_text = nullptr);
std::vector<std::string> SavedFilterNames(const TOptionsList& filters);

class TCustomSet : public TOptionsList {
 public:
  bool Contains(std::string_view uin) const;
  void Add(std::string_view uin) { AddLine(std::string(uin)); }
  void Remove(std::string_view uin);
  void SetMember(std::string_view uin, bool member);
};

class TCustomSets : public TMultiOptions {
 public:
  TCustomSet* FindSet(std::string_view name) const;
  TCustomSet* SetAt(int i) const;
  TCustomSet* NewSet(std::string_view name);
  void DeleteSet(std::string_view name);
  std::vector<std::string> Names() const;
  // Writes the named sets, in that order, as an option tree; "Cannot save <file>" on failure.
  void ExportSets(const std::vector<std::string>& names, const std::string& file_name) const;
  // Reads a ".csf" file; an existing name is overwritten only when the user agrees. Throws
  // "Cannot load <file>" with nothing changed when the file cannot be read. Returns the names
  // of the sets that were created or overwritten.
  std::vector<std::string> ImportSets(const std::string& file_name);

 protected:
  std::unique_ptr<TPersistObj> CreateItem() override { return std::make_unique<TCustomSet>(); }
};

// The process's filter, custom sets and saved filter lines (the latter live in the data tables).
TSiteFilter& SiteFilter();
TCustomSets& CustomSets();

}  // namespace quillora
