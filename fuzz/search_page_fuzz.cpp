// The judgement of search result pages over arbitrary pages and site options.
// Input: one options byte, the search string, a NUL byte, then the page.
// Option bits: 0-1 MinMatch (empty, 0, 1, 3), 2 a custom "not found" template, 3 standard
// phrases off, 4 the web engine's address (sponsored cell cut), 5 "Search Engines" category.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/codepage.h"
#include "search/search_page.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool init = [] {
    quillora::SetSystemCodePage(1252);
    return true;
  }();
  (void)init;
  if (size == 0) return 0;
  const unsigned mode = data[0];
  std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const size_t nul = rest.find('\0');
  const std::string_view search = rest.substr(0, nul);
  const std::string_view page =
      nul == std::string_view::npos ? std::string_view{} : rest.substr(nul + 1);

  quillora::TSearchSite site;
  site.language = "English";
  site.category1 = (mode & 32) ? "Search Engines" : "Shareware";
  site.search.SetAddress((mode & 16) ? "http://www.google.com/search" : "http://a.localhost/s");
  static const char* const kMinMatch[] = {"", "0", "1", "3"};
  site.options.SetString("MinMatch", kMinMatch[mode & 3]);
  if (mode & 4) site.options.SetString("CustomNotFound", "no |Quillora/Search_String| here");
  if (mode & 8) site.options.SetString("Disable Std NotFound", "TRUE");

  quillora::TSearchInputs inputs;
  inputs.search_string = std::string(search);
  inputs.values.SetString("Quillora/Search_String", search);
  inputs.company_url = "http://www.sample-company.localhost/";
  inputs.app_url = "sample-company.localhost/app/";
  inputs.not_found = {"No results found", "", "Nothing found"};
  const quillora::TSearchVerdict v = quillora::AnalyseSearchPage(site, inputs, page);
  // The excerpt is a piece of the page text: never longer than asked for.
  if (v.details.size() > search.size() + 45) __builtin_trap();
  return 0;
}
