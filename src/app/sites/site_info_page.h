// The info panel's page for the focused site (the info template expanded with the site's values,
// every value HTML-escaped, since site files come from a shared repository), and where a link
// followed in the panel goes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "foundation/option_list.h"

namespace quillora {
class TProfile;
class TWebSite;
}  // namespace quillora

namespace quillora::app {

// "Colors/Link" .. "Colors/Text" as six hexadecimal digits each.
struct TSiteInfoColors {
  std::string link = "0000FF";
  std::string background = "F0F0F0";
  std::string text = "000000";
};

// "&", "<", ">", '"' and "'" as character references.
std::string HtmlEscape(std::string_view text);

// Every option of the site ("Common info/Name", ...), its addresses ("URL/Home/Address", ...),
// the active product's values for it and the colour keys; all values escaped.
TOptionsList SiteInfoValues(const TWebSite* site, const TProfile* profile,
                            const TSiteInfoColors& colors);
// The template's lines expanded with those values, joined by CR LF. The language prefix is the
// site's "Language" + "/" (none without a site).
std::string SiteInfoHtml(const std::vector<std::string>& template_lines, const TWebSite* site,
                         const TProfile* profile, const TSiteInfoColors& colors);

// What a navigation started inside the info or search-results panel becomes.
struct TPanelLink {
  enum Kind { kAllow, kCancel, kOpenInSubmitter, kOpenWithShell } kind = kCancel;
  std::string url;  // for kOpenInSubmitter and kOpenWithShell
};
// base_address is the panel's base for relative links of a written document; it may be
// shortened (to its folder) on the way, as the rule for relative links asks.
TPanelLink RoutePanelLink(const std::string& url, std::string& base_address);

}  // namespace quillora::app
