#include "search/search_page.h"

#include <vector>

#include "foundation/codepage.h"
#include "foundation/text_utils.h"
#include "sites/site.h"

namespace quillora {

std::string StripSearchPageTags(std::string_view page) {
  std::string out;
  out.reserve(page.size());
  std::string name;
  bool inside = false, name_complete = false;
  // Only a name of exactly six letters can be "script"; checking the length first keeps a page
  // of endless tag names linear.
  const auto is_script = [&] { return name.size() == 6 && AnsiLowerCase(name) == "script"; };
  for (size_t i = 0; i < page.size(); ++i) {
    const char c = page[i];
    if (c == '<') {
      const bool slash_follows = i + 1 < page.size() && page[i + 1] == '/';
      if (!(is_script() && !slash_follows)) {
        name.clear();
        name_complete = false;
        inside = true;
      }
    } else if (c == '>') {
      if (!is_script()) inside = false;
    } else if (!inside) {
      out += c;
    } else if (!name_complete) {
      if (static_cast<unsigned char>(c) < 'A')
        name_complete = true;
      else
        name += c;
    }
  }
  return out;
}

TSearchVerdict AnalyseSearchPage(const TSearchSite& site, const TSearchInputs& inputs,
                                 std::string_view page_in) {
  std::string page(page_in);
  if (AnsiLowerCase(site.search.Address()).find(kSponsoredEngineDomain) != std::string::npos)
    page = StripElementText(page, "<a id=aw1", "/td", "td", false);

  const std::string raw = AnsiLowerCase(page);
  const std::string text =
      CollapseSpaces(ReplaceAll(CollapseSpaces(StripSearchPageTags(page)), "&nbsp;", " "));
  const std::string match = AnsiLowerCase(text);
  const std::string search = AnsiLowerCase(inputs.search_string);
  const int min_match = site.MinMatch();

  // Occurrences never overlap; an empty search text has none.
  const auto occurrences = [&] {
    std::vector<size_t> found;
    if (search.empty()) return found;
    for (size_t p = match.find(search); p != std::string::npos;
         p = match.find(search, p + search.size()))
      found.push_back(p);
    return found;
  };
  const auto excerpt = [&](size_t pos) {
    const size_t length =
        inputs.search_string.size() + static_cast<size_t>(std::max(inputs.results_short_length, 0));
    return pos < text.size() ? text.substr(pos, length) : std::string();
  };

  TSearchVerdict v;
  const std::string domain1 = HomeDomain(inputs.company_url);
  const std::string domain2 = HomeDomain(inputs.app_url);
  if (ContainsText(raw, domain1) || ContainsText(raw, domain2)) {
    v.listed = true;
    size_t pos = 0;
    if (min_match > 0) {
      const std::vector<size_t> found = occurrences();
      if (!found.empty()) pos = found[std::min(found.size(), static_cast<size_t>(min_match)) - 1];
    }
    v.details = excerpt(pos);
    return v;
  }
  if (site.IsSearchEngine()) {
    v.details = "Home domain not found";
    return v;
  }
  const std::string custom_template = site.options.GetString("CustomNotFound");
  if (!custom_template.empty()) {
    const std::string custom = ExpandSearchTemplate(site, inputs, custom_template);
    if (ContainsText(text, custom)) {
      v.details = "Custom \"not found\" string match";
      return v;
    }
    if (min_match < 0) {
      v.listed = true;
      v.details = "Custom \"not found\" string not found";
      return v;
    }
  }
  if (!site.options.GetBool("Disable Std NotFound") && ContainsAnyText(text, inputs.not_found)) {
    v.details = "Default \"not found\" string match";
    return v;
  }
  const std::vector<size_t> found = occurrences();
  const int count = static_cast<int>(found.size());
  if (count == 0 || count < min_match) {
    v.details = "Not found";
    return v;
  }
  v.listed = true;
  v.details = excerpt(min_match > 0 ? found[static_cast<size_t>(min_match) - 1] : found.back());
  return v;
}

TSearchVerdict AnalyseSearchPage(const TWebSite& site, std::string_view page) {
  return AnalyseSearchPage(TSearchSite::From(site), *TSearchInputs::FromProgram(), page);
}

}  // namespace quillora
