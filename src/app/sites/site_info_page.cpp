#include "app/sites/site_info_page.h"

#include "foundation/codepage.h"
#include "pad/profile.h"
#include "sites/site.h"
#include "template/template.h"
#include "template/url_helpers.h"

namespace quillora::app {

std::string HtmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

TOptionsList SiteInfoValues(const TWebSite* site, const TProfile* profile,
                            const TSiteInfoColors& colors) {
  TOptionsList values;
  auto put = [&](const std::string& key, std::string_view value) {
    values.SetString(key, HtmlEscape(value));
  };
  if (site) {
    for (int s = 0; s < site->Info.Count(); ++s) {
      const TOptionsList& section = site->Info.SectionAt(s);
      for (int i = 0; i < section.Count(); ++i) {
        const std::string name = section.NameAt(i);
        if (!name.empty()) put(section.Name + "/" + name, section.GetValueAt(i));
      }
    }
    for (int s = 0; s < site->Info.URLs.Count(); ++s) {
      const TOptionsList& section = site->Info.URLs.SectionAt(s);
      for (int i = 0; i < section.Count(); ++i) {
        const std::string name = section.NameAt(i);
        if (!name.empty()) put("URL/" + section.Name + "/" + name, section.GetValueAt(i));
      }
    }
    if (profile) {
      const std::string uin = site->UIN();
      put("VersionListed", profile->SiteValue(TSiteValueKind::VersionListed, uin));
      put("VersionSubmitted", profile->SiteValue(TSiteValueKind::VersionSubmitted, uin));
      put("DateSubmitted", profile->SiteValue(TSiteValueKind::DateSubmitted, uin));
      put("SearchResults", profile->SiteValue(TSiteValueKind::SearchResultsShort, uin));
      put("SearchFlag", profile->SiteValue(TSiteValueKind::SearchFlag, uin));
      put("ProgramCategory", profile->SiteValue(TSiteValueKind::ProgramCategory, uin));
      std::string comments = profile->SiteValue(TSiteValueKind::CompanyComments, uin);
      const std::string product = profile->SiteValue(TSiteValueKind::ProductComments, uin);
      if (!product.empty()) comments += (comments.empty() ? "" : "\r\n") + product;
      put("Comments", comments);
    }
  }
  put("Colors/Link", colors.link);
  put("Colors/BackGround", colors.background);
  put("Colors/Name", colors.text);
  put("Colors/Header", colors.text);
  put("Colors/Text", colors.text);
  return values;
}

std::string SiteInfoHtml(const std::vector<std::string>& template_lines, const TWebSite* site,
                         const TProfile* profile, const TSiteInfoColors& colors) {
  const TOptionsList values = SiteInfoValues(site, profile, colors);
  std::vector<std::string> lines = template_lines;
  const std::string prefix = site ? site->Info.Value("Common info", "Language") + "/" : "";
  ExpandTemplateLines(values, '|', lines, site ? prefix : std::string_view{});
  std::string html;
  for (const std::string& line : lines) html += line + "\r\n";
  return html;
}

TPanelLink RoutePanelLink(const std::string& url, std::string& base_address) {
  if (url.empty() || url == "about:blank") return {TPanelLink::kAllow, {}};
  std::string target = url;
  if (url.find("about:blank") != std::string::npos) {
    if (base_address.empty()) return {TPanelLink::kCancel, {}};
    const std::string relative = url.size() > 11 ? url.substr(11) : std::string();
    // A base that names a file (a "." after its last "/") is cut back to its folder.
    const size_t slash = base_address.rfind('/');
    const bool ends_scheme = slash != std::string::npos && slash >= 6 &&
                             AnsiLowerCase(base_address.substr(0, slash + 1)) == "http://";
    if (slash != std::string::npos && !ends_scheme &&
        base_address.find('.', slash) != std::string::npos)
      base_address.erase(slash);
    target = ResolveUrl(base_address, relative);
  }
  if (AnsiLowerCase(target).rfind("javascript:", 0) == 0) return {TPanelLink::kCancel, {}};
  if (target.find('@') == std::string::npos) return {TPanelLink::kOpenInSubmitter, target};
  return {TPanelLink::kOpenWithShell, target};
}

}  // namespace quillora::app
