#include "search/search_request.h"

#include <cstdio>

#include "foundation/app_state.h"
#include "foundation/codepage.h"
#include "foundation/encoding.h"
#include "foundation/text_utils.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "sites/site.h"
#include "template/template.h"

namespace quillora {

TSearchSite TSearchSite::From(const TWebSite& site) {
  TSearchSite s;
  s.uin = site.UIN();
  s.name = site.Name();
  s.language = site.Info.Value("Common info", "Language");
  s.category1 = site.Info.Value("Common info", "Category 1");
  if (const TOptionsList* search = site.Info.URLs.Find("Search"))
    s.search.MutableLines() = search->Lines();
  if (const TOptionsList* options = site.Info.FindSection("SearchOptions"))
    s.options.MutableLines() = options->Lines();
  return s;
}

int TSearchSite::MinMatch() const {
  int n = -1;
  return TryStrToInt(options.GetString("MinMatch"), n) ? n : -1;
}

std::shared_ptr<const TSearchInputs> TSearchInputs::FromProgram() {
  auto inputs = std::make_shared<TSearchInputs>();
  const TProfile& profile = ActiveProfile();
  inputs->values = static_cast<const TOptionsList&>(profile);
  inputs->search_string = profile.GetString("Quillora/Search_String");
  inputs->company_url = profile.GetString("Company_Info/Company_WebSite_URL");
  inputs->app_url = profile.GetString("Web_Info/Application_URLs/Application_Info_URL");
  const TOptionsList& settings = Settings();
  int length = 45;
  if (TryStrToInt(settings.GetString("RESULTS_SHORT_LENGTH"), length))
    inputs->results_short_length = length;
  inputs->not_found = Tables().not_found.Lines();
  inputs->external = settings.GetBool("External_Search");
  inputs->external_url = settings.GetString("Autosearch_URL");
  int password = -1;
  if (TryStrToInt(settings.GetString("Autosearch_Password"), password)) inputs->password = password;
  return inputs;
}

std::string ExpandSearchTemplate(const TSearchSite& site, const TSearchInputs& inputs,
                                 std::string_view text) {
  return WideToAnsi(ExpandTemplateToWide(AnsiToUtf8(text), inputs.values, site.language + "/"));
}

std::string SearchQueryText(const TSearchSite& site, const TSearchInputs& inputs) {
  const bool post = site.search.Kind() == TURLKind::POST;
  std::string text =
      ExpandSearchTemplate(site, inputs, post ? site.search.PostData() : site.search.Query());
  if (!site.options.GetBool("Do not encode data")) text = UrlEncode(text);
  const std::string space = site.options.GetString("SubstSpaceWith");
  if (!space.empty()) text = ReplaceAll(text, "+", space);
  return text;
}

std::string HomeDomain(std::string_view address) {
  std::string_view s = address;
  if (const size_t p = s.find("://"); p != std::string_view::npos) s.remove_prefix(p + 3);
  s = s.substr(0, s.find('/'));
  s = s.substr(0, s.find(':'));
  std::string domain = AnsiLowerCase(s);
  if (domain.rfind("www.", 0) == 0) domain.erase(0, 4);
  return domain;
}

std::string ExternalSearchHash(std::string_view query_text, int password) {
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08x", Crc32(query_text) ^ static_cast<uint32_t>(password));
  return hex;
}

TSearchRequest DirectSearchRequest(const TSearchSite& site, const TSearchInputs& inputs) {
  TSearchRequest r;
  const TURLKind kind = site.search.Kind();
  if (kind == TURLKind::MAIL) return r;
  r.send = true;
  r.url = site.search.Address();
  r.headers = site.search.Headers();
  if (kind == TURLKind::POST) {
    r.post = true;
    r.body = SearchQueryText(site, inputs);
  } else if (!site.search.Query().empty()) {
    r.url += "?" + SearchQueryText(site, inputs);
  }
  return r;
}

TSearchRequest ExternalSearchRequest(const TSearchSite& site, const TSearchInputs& inputs) {
  TSearchRequest r;
  const TURLKind kind = site.search.Kind();
  if (kind == TURLKind::MAIL) return r;
  const bool post = kind == TURLKind::POST;
  const std::string query = SearchQueryText(site, inputs);
  std::string url = inputs.external_url + "?";
  url += std::string(post ? "Kind=POST" : "Kind=GET") +
         "&Address=" + UrlEncodeValue(site.search.Address());
  url += "&Query=" + UrlEncodeValue(query);
  if (post) url += "&Headers=" + UrlEncodeValue(site.search.Headers());
  url += "&SearchDomain1=" + UrlEncodeValue(HomeDomain(inputs.company_url));
  url += "&SearchDomain2=" + UrlEncodeValue(HomeDomain(inputs.app_url));
  url += "&SearchString=";
  if (!site.IsSearchEngine()) url += UrlEncodeValue(inputs.search_string);
  url += "&CustomNotFound=" + UrlEncodeValue(site.options.GetString("CustomNotFound"));
  url += "&MinMatch=" + std::to_string(site.MinMatch());
  url += "&SiteUIN=" + UrlEncodeValue(site.uin);
  url += "&Hash=" + ExternalSearchHash(query, inputs.password);
  r.send = true;
  r.url = std::move(url);
  return r;
}

TSearchRequest BuildSearchRequest(const TSearchSite& site, const TSearchInputs& inputs) {
  return inputs.UsesExternalSearch() ? ExternalSearchRequest(site, inputs)
                                     : DirectSearchRequest(site, inputs);
}

}  // namespace quillora
