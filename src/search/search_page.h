// The judgement of a fetched search result page: is the product listed on this site, and the
// short text that says why (a reason, or an excerpt of the page around the match).
#pragma once

#include <string>
#include <string_view>

#include "search/search_request.h"

namespace quillora {

class TWebSite;

struct TSearchVerdict {
  bool listed = false;
  std::string details;
};

// The domain (followed by "/") of the general web search engine whose result pages carry a
// sponsored-links cell; that cell is cut out before such a page is judged, so that an
// advertisement for the product does not count as a listing.
inline constexpr std::string_view kSponsoredEngineDomain = "google.com/";

// The page's visible text: tags and comments dropped, a script's content dropped up to the next
// "</" (the way the result pages have always been read, quirks included).
std::string StripSearchPageTags(std::string_view page);

// Never throws for any page; callers still treat an exception as an error.
TSearchVerdict AnalyseSearchPage(const TSearchSite& site, const TSearchInputs& inputs,
                                 std::string_view page);
// The same against the program's active profile, settings and phrases.
TSearchVerdict AnalyseSearchPage(const TWebSite& site, std::string_view page);

}  // namespace quillora
