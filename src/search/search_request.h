// What one site's listing search reads (of the site and of the program's state, copied once on
// the user-interface thread so that workers never touch shared records) and the request built
// from it: the site's own search page, or the external search page.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/option_list.h"
#include "sites/url_info.h"

namespace quillora {

class TWebSite;

// The parts of a site a search reads.
struct TSearchSite {
  std::string uin, name, language, category1;
  TURLInfo search;       // the "Search" address record
  TOptionsList options;  // the "SearchOptions" section

  static TSearchSite From(const TWebSite& site);
  // "MinMatch" as a number; an empty (or unreadable) value counts as -1.
  int MinMatch() const;
  bool IsSearchEngine() const { return category1 == "Search Engines"; }
};

// The parts of the program's state a search reads: the active profile's values, the settings
// and the standard "not found" phrases.
struct TSearchInputs {
  TOptionsList values;        // the active profile's values, for the templates
  std::string search_string;  // "Quillora/Search_String"
  std::string company_url;    // "Company_Info/Company_WebSite_URL"
  std::string app_url;        // "Web_Info/Application_URLs/Application_Info_URL"
  int results_short_length = 45;
  std::vector<std::string> not_found;
  bool external = false;     // "External_Search"
  std::string external_url;  // "Autosearch_URL"
  int password = -1;         // "Autosearch_Password"

  // A copy of the installed program's state (settings, data tables, active profile).
  static std::shared_ptr<const TSearchInputs> FromProgram();
  // External search is used only when it is switched on and has an address.
  bool UsesExternalSearch() const { return external && !external_url.empty(); }
};

struct TSearchRequest {
  bool send = false;  // false: nothing to send (an e-mail address cannot be searched)
  bool post = false;
  std::string url, headers, body;
};

// A template of the site evaluated against the profile with the site's language prefix, in the
// system code page.
std::string ExpandSearchTemplate(const TSearchSite& site, const TSearchInputs& inputs,
                                 std::string_view text);
// The evaluated "Query" (GET) or "PostData" (POST), encoded unless the site says not to, with
// "SubstSpaceWith" put in for every "+".
std::string SearchQueryText(const TSearchSite& site, const TSearchInputs& inputs);
// The host of an address, lower case, without port and without a leading "www.".
std::string HomeDomain(std::string_view address);
// The request signature the external search page checks.
std::string ExternalSearchHash(std::string_view query_text, int password);

TSearchRequest DirectSearchRequest(const TSearchSite& site, const TSearchInputs& inputs);
TSearchRequest ExternalSearchRequest(const TSearchSite& site, const TSearchInputs& inputs);
// The external request when external search is in use, else the direct one.
TSearchRequest BuildSearchRequest(const TSearchSite& site, const TSearchInputs& inputs);

}  // namespace quillora
