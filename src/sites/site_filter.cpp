#include "sites/site_filter.h"

#include <stdexcept>

#include "foundation/codepage.h"
#include "foundation/text_utils.h"
#include "foundation/ui_port.h"
#include "sites/site.h"
#include "sites/site_list.h"

namespace quillora {

namespace {

// Lower-cased filter texts made once per ApplyFilter rather than once per site.
struct TPreparedFilter {
  std::vector<std::string> categories, languages, words;
  bool has_categories = false, has_languages = false;
  explicit TPreparedFilter(const TSiteFilter& f) {
    has_categories = !f.Categories.empty();
    has_languages = !f.Languages.empty();
    if (has_categories)
      categories = SplitAt(AnsiLowerCase(f.Categories), ';', TSplitMode::KeepEmpty);
    if (has_languages) languages = SplitAt(AnsiLowerCase(f.Languages), ';', TSplitMode::KeepEmpty);
    if (!f.SearchText.empty())
      words = SplitAt(AnsiLowerCase(f.SearchText), ' ', TSplitMode::KeepEmpty);
  }
};

// Whether word occurs within one of the NUL-ended texts. (A word holding a NUL byte, which the
// search box cannot take, is counted as found nowhere rather than matched across two texts.)
bool OccursInOneText(std::string_view texts, std::string_view word) {
  return word.find('\0') == std::string_view::npos && texts.find(word) != std::string_view::npos;
}

bool Passes(const TSiteFilter& filter, const TPreparedFilter& prepared, const TWebSite& site,
            const TOptionsList* current_set) {
  if (site.IsDisabled() && !filter.ShowDisabled) return false;
  if (filter.HideUnchecked && current_set &&
      static_cast<const TCustomSet*>(current_set)->Contains(site.UIN()))
    return false;
  if (filter.ShowAll) return true;
  if (filter.Status != ssAll && filter.Status != site.summary.status) return false;
  // The summary (refreshed before every filtering) holds lower-case copies of every text the
  // filter looks at.
  const auto& lower = site.summary.lower;
  if (prepared.has_categories) {
    bool ok = false;
    for (const std::string& part : prepared.categories)
      for (int c = 8; c <= 11; ++c)
        if (part == lower[static_cast<size_t>(c)]) ok = true;
    if (!ok) return false;
  }
  if (prepared.has_languages) {
    bool ok = false;
    for (const std::string& part : prepared.languages)
      if (part == lower[5]) ok = true;
    if (!ok) return false;
  }
  if (!prepared.words.empty()) {
    const std::string_view texts = site.summary.search_text;
    bool hidden = true;
    for (const std::string& raw : prepared.words) {
      char sign = 0;
      std::string_view word = raw;
      if (!word.empty() && (word[0] == '+' || word[0] == '-')) {
        sign = word[0];
        word.remove_prefix(1);
      }
      const bool occurs = !word.empty() && OccursInOneText(texts, word);
      if (sign == '-' && occurs) return false;
      if (sign == '+' && !occurs) return false;
      if (occurs) hidden = false;
    }
    if (hidden) return false;
  }
  int rating = 0;
  // Column 7 of the summary is the site's "Rating".
  if (TryStrToInt(lower[7], rating) && (rating < filter.RatingFrom || rating > filter.RatingTo))
    return false;
  return true;
}

}  // namespace

bool FilterPasses(const TSiteFilter& filter, const TWebSite& site,
                  const TOptionsList* current_set) {
  return Passes(filter, TPreparedFilter(filter), site, current_set);
}

void TSiteList::ApplyFilter(const TSiteFilter& filter, const TOptionsList* current_set) {
  const TPreparedFilter prepared(filter);
  for (int i = 0; i < Count(); ++i) {
    TWebSite* site = SiteAt(i);
    site->Visible = Passes(filter, prepared, *site, current_set) ? 1 : 0;
  }
}

TSiteStatus FilterStatusFromText(std::string_view text) {
  return SiteStatusFromName(text).value_or(ssAll);
}

std::string FilterStatusText(TSiteStatus status) {
  return status >= ssAuto && status <= ssSkipped ? SiteStatusName(status) : SiteStatusName(ssAll);
}

void LoadFilterSettings(TSiteFilter& f, const TOptionsList& settings) {
  auto all_or = [&](std::string_view key) {
    std::string v = settings.GetString(key);
    return v == "ALL" ? std::string() : v;
  };
  f.Categories = all_or("Filter Category");
  f.Languages = all_or("Filter Language");
  f.SearchText = settings.GetString("Filter SearchString");
  f.Status = FilterStatusFromText(settings.GetString("Filter Status"));
  const std::string from = settings.GetString("Filter RatingFrom");
  const std::string to = settings.GetString("Filter RatingTo");
  f.RatingFrom = from.empty() ? 1 : StrToInt(from);
  f.RatingTo = to.empty() ? 100 : StrToInt(to);
  f.ShowDisabled = settings.GetBool("Filter ShowDisabled");
  f.HideUnchecked = false;
  f.ShowAll =
      settings.GetBool("Filter Show Apply Button") ? settings.GetBool("Filter Show All") : true;
}

void SaveFilterSettings(const TSiteFilter& f, TOptionsList& settings) {
  settings.SetBool("Filter Show All", f.ShowAll);
  settings.SetString("Filter Category", f.Categories.empty() ? "ALL" : f.Categories);
  // An empty language removes the key, so the default "ALL" returns at the next start.
  settings.SetString("Filter Language", f.Languages);
  settings.SetString("Filter Status", FilterStatusText(f.Status));
  settings.SetString("Filter SearchString", f.SearchText);
  settings.SetInt("Filter RatingFrom", f.RatingFrom);
  settings.SetInt("Filter RatingTo", f.RatingTo);
  settings.SetBool("Filter ShowDisabled", f.ShowDisabled);
}

std::string SavedFilterValue(const TSiteFilter& f, std::string_view status_text) {
  std::string v;
  for (const std::string& field :
       {f.Categories, f.Languages, std::string(status_text), f.SearchText,
        std::to_string(f.RatingFrom), std::to_string(f.RatingTo),
        std::string(f.ShowDisabled ? "TRUE" : "FALSE"),
        std::string(f.HideUnchecked ? "TRUE" : "FALSE")})
    v += field + "|";
  return v;
}

void SaveFilterAs(TOptionsList& filters, std::string_view name, const TSiteFilter& filter,
                  std::string_view status_text) {
  const std::string line = std::string(name) + "=" + SavedFilterValue(filter, status_text);
  const int i = filters.IndexOfName(name);
  if (i >= 0)
    filters.SetLine(i, line);
  else
    filters.AddLine(line);
}

bool DeleteSavedFilter(TOptionsList& filters, std::string_view name) {
  const int i = filters.IndexOfName(name);
  if (i < 0) return false;
  filters.DeleteLine(i);
  return true;
}

bool LoadSavedFilter(const TOptionsList& filters, std::string_view name, TSiteFilter& f,
                     std::string* status_text) {
  const int i = filters.IndexOfName(name);
  if (i < 0) return false;
  const std::string& line = filters.Line(i);
  const std::string value = line.substr(line.find('=') + 1);
  f.Categories = NthField(value, 0, '|');
  f.Languages = NthField(value, 1, '|');
  if (f.Languages == "ALL") f.Languages.clear();
  if (f.Categories == "ALL") f.Categories.clear();
  const std::string status = NthField(value, 2, '|');
  f.Status = FilterStatusFromText(status);
  if (f.Status == ssAuto) f.Status = ssAll;  // "Auto" matches no site; the panel offers it as "ALL"
  if (status_text) *status_text = status;
  f.SearchText = NthField(value, 3, '|');
  int n = 0;
  f.RatingFrom = TryStrToInt(NthField(value, 4, '|'), n) ? n : 1;
  f.RatingTo = TryStrToInt(NthField(value, 5, '|'), n) ? n : 100;
  f.ShowDisabled = NthField(value, 6, '|') == "TRUE";
  f.HideUnchecked = NthField(value, 7, '|') == "TRUE";
  return true;
}

std::vector<std::string> SavedFilterNames(const TOptionsList& filters) {
  std::vector<std::string> names;
  for (int i = 0; i < filters.Count(); ++i)
    if (!filters.NameAt(i).empty()) names.push_back(filters.NameAt(i));
  return names;
}

// --- Custom sets ---------------------------------------------------------------------------------

bool TCustomSet::Contains(std::string_view uin) const {
  for (const std::string& line : Lines())
    if (AnsiCompareText(line, uin) == 0) return true;
  return false;
}

void TCustomSet::Remove(std::string_view uin) {
  for (int i = 0; i < Count(); ++i)
    if (AnsiCompareText(Line(i), uin) == 0) {
      DeleteLine(i);
      return;
    }
}

void TCustomSet::SetMember(std::string_view uin, bool member) {
  if (member) {
    if (!Contains(uin)) Add(uin);
  } else {
    Remove(uin);
  }
}

TCustomSet* TCustomSets::FindSet(std::string_view name) const {
  return static_cast<TCustomSet*>(FindSection(name));
}

TCustomSet* TCustomSets::SetAt(int i) const {
  return static_cast<TCustomSet*>(ItemAt(i));
}

TCustomSet* TCustomSets::NewSet(std::string_view name) {
  return static_cast<TCustomSet*>(&Section(name));
}

void TCustomSets::DeleteSet(std::string_view name) {
  DeleteSection(name);
}

std::vector<std::string> TCustomSets::Names() const {
  std::vector<std::string> names;
  for (int i = 0; i < Count(); ++i) names.push_back(SetAt(i)->Name);
  return names;
}

void TCustomSets::ExportSets(const std::vector<std::string>& names,
                             const std::string& file_name) const {
  TMultiOptions tree;
  for (const std::string& name : names)
    if (const TCustomSet* set = FindSet(name)) tree.Section(name).MutableLines() = set->Lines();
  try {
    tree.SaveToTextFile(file_name);
  } catch (const std::exception&) {
    throw std::runtime_error("Cannot save " + file_name);
  }
}

std::vector<std::string> TCustomSets::ImportSets(const std::string& file_name) {
  TMultiOptions tree;
  try {
    tree.LoadFromTextFile(file_name);
  } catch (const std::exception&) {
    throw std::runtime_error("Cannot load " + file_name);
  }
  std::vector<std::string> changed;
  for (int i = 0; i < tree.Count(); ++i) {
    const TOptionsList& incoming = tree.SectionAt(i);
    TCustomSet* set = FindSet(incoming.Name);
    if (set) {
      if (!AskYesNo("Custom set \"" + incoming.Name + "\" already exists.\r\n" +
                    "Do you wish to overwrite it?"))
        continue;
    } else {
      set = NewSet(incoming.Name);
    }
    set->MutableLines() = incoming.Lines();
    changed.push_back(incoming.Name);
  }
  return changed;
}

}  // namespace quillora
