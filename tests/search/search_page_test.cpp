// The judgement of result pages and the search requests, on fixed inputs (no program state).

#include "search/search_page.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/encoding.h"
#include "search/search_request.h"

namespace quillora {
namespace {

TSearchInputs Inputs(const std::string& search_string = "Sample Notes") {
  TSearchInputs in;
  in.search_string = search_string;
  in.values.SetString("Quillora/Search_String", search_string);
  in.values.SetString("Program_Info/Program_Name", "Sample Notes");
  in.company_url = "http://www.Sample-Company.localhost:8765/";
  in.app_url = "http://sample-company.localhost:8765/sample-notes/";
  in.results_short_length = 10;
  in.not_found = {"No results found", "", "Nothing found"};
  return in;
}

TSearchSite Site(std::vector<std::pair<std::string, std::string>> options = {},
                 std::string category = "Shareware") {
  TSearchSite s;
  s.uin = "SITE-T";
  s.name = "Test Site";
  s.language = "English";
  s.category1 = std::move(category);
  s.search.SetAddress("http://site.localhost/search");
  s.search.SetKind(TURLKind::GET);
  s.search.SetQuery("q=|Quillora/Search_String|");
  for (const auto& [k, v] : options) s.options.SetString(k, v);
  return s;
}

TEST(AnalyseSearchPage, VerdictTable) {
  struct Case {
    const char* what;
    TSearchSite site;
    std::string page;
    bool listed;
    std::string details;
    std::string search_string = "Sample Notes";
  };
  const std::string two = "<p>Sample Notes 1</p><p>sample notes 2</p>";
  const std::string three = two + "<p>SAMPLE NOTES three</p>";
  const Case cases[] = {
      {"home domain wins over a not-found phrase; excerpt from the start", Site(),
       "<b>No results found</b> <a href=\"http://sample-company.localhost/x\">Sample Notes</a>",
       true, "No results found Sampl"},
      {"home domain with MinMatch: excerpt from that occurrence", Site({{"MinMatch", "2"}}),
       "<a href='http://sample-company.localhost/'>x</a> " + three, true, "sample notes 2SAMPLE N"},
      {"a search engine without a home link", Site({}, "Search Engines"),
       "<p>Sample Notes, Sample Notes</p>", false, "Home domain not found"},
      {"custom phrase on the page (template evaluated)",
       Site({{"CustomNotFound", "Nothing on |Program_Info/Program_Name|"}}),
       "<p>NOTHING ON sample notes</p>", false, "Custom \"not found\" string match"},
      {"custom phrase absent, MinMatch empty: listed without counting",
       Site({{"CustomNotFound", "Nothing here"}}), "<p>No results found</p>", true,
       "Custom \"not found\" string not found"},
      {"custom phrase absent, MinMatch 1: the count decides",
       Site({{"CustomNotFound", "Nothing here"}, {"MinMatch", "1"}}), "<p>unrelated</p>", false,
       "Not found"},
      {"custom phrase absent, MinMatch 0: standard phrases still apply",
       Site({{"CustomNotFound", "Nothing here"}, {"MinMatch", "0"}}),
       "<p>Nothing found for Sample Notes</p>", false, "Default \"not found\" string match"},
      {"standard phrases switched off", Site({{"Disable Std NotFound", "TRUE"}}),
       "<p>Nothing found for Sample Notes</p>", true, "Sample Notes"},
      {"MinMatch 3, two occurrences", Site({{"MinMatch", "3"}}), two, false, "Not found"},
      {"MinMatch 3, three occurrences: excerpt from the third", Site({{"MinMatch", "3"}}), three,
       true, "SAMPLE NOTES three"},
      {"MinMatch empty: one occurrence is enough, excerpt from the last", Site(), two, true,
       "sample notes 2"},
      {"MinMatch 0 likewise", Site({{"MinMatch", "0"}}), two, true, "sample notes 2"},
      {"inside a script element and an attribute: no occurrence", Site(),
       "<script>\nvar a = 'Sample Notes';</script><img alt=\"Sample Notes\"><p>other</p>", false,
       "Not found"},
      {"empty search string: no occurrence", Site(), "<p>anything at all</p>", false, "Not found",
       ""},
      {"entities and white space collapse before matching", Site(),
       "<p>Sample&nbsp;\r\n\t Notes</p>", true, "Sample Notes"},
  };
  for (const Case& c : cases) {
    TSearchInputs in = Inputs(c.search_string);
    const TSearchVerdict v = AnalyseSearchPage(c.site, in, c.page);
    EXPECT_EQ(v.listed, c.listed) << c.what;
    EXPECT_EQ(v.details, c.details) << c.what;
  }
}

TEST(AnalyseSearchPage, SponsoredCellOfTheWebEngineIsIgnored) {
  TSearchSite site = Site();
  const std::string page =
      "<table><tr><td class=ads><a id=aw1 href='http://sample-company.localhost/'>Sample Notes "
      "ad</a></td><td>Your search did not match</td></tr></table>";
  // On any other site the advertised home link counts...
  EXPECT_TRUE(AnalyseSearchPage(site, Inputs(), page).listed);
  // ...on the web engine's result page it is cut out first.
  site.search.SetAddress("http://www.GOOGLE.com/search");
  const TSearchVerdict v = AnalyseSearchPage(site, Inputs(), page);
  EXPECT_FALSE(v.listed);
  EXPECT_EQ(v.details, "Not found");
}

TEST(StripSearchPageTags, TagsCommentsAndScriptContent) {
  EXPECT_EQ(StripSearchPageTags("a<b>c</b><!-- x -->d"), "acd");
  // A script's content goes up to the next "</", even past a ">" of its own.
  EXPECT_EQ(StripSearchPageTags("<script>\nif (a > b) x();</script>after"), "after");
  EXPECT_EQ(StripSearchPageTags("<SCRIPT type=x>\n<b>hidden</b></SCRIPT>shown"), "shown");
  EXPECT_EQ(StripSearchPageTags("unclosed <tag"), "unclosed ");
}

TEST(SearchRequest, DirectRequests) {
  TSearchInputs in = Inputs("Sample Notes & more");
  TSearchSite get = Site({{"SubstSpaceWith", "%20"}});
  TSearchRequest r = DirectSearchRequest(get, in);
  EXPECT_TRUE(r.send);
  EXPECT_FALSE(r.post);
  EXPECT_EQ(r.url, "http://site.localhost/search?q=Sample%20Notes%20&%20more");

  TSearchSite raw = Site({{"Do not encode data", "TRUE"}});
  EXPECT_EQ(DirectSearchRequest(raw, in).url, "http://site.localhost/search?q=Sample Notes & more");

  TSearchSite post = Site();
  post.search.SetKind(TURLKind::POST);
  post.search.SetHeaders("Content-Type: application/x-www-form-urlencoded");
  post.search.SetPostData("k=|Quillora/Search_String|");
  r = DirectSearchRequest(post, in);
  EXPECT_TRUE(r.post);
  EXPECT_EQ(r.url, "http://site.localhost/search");
  EXPECT_EQ(r.body, "k=Sample+Notes+&+more");
  EXPECT_EQ(r.headers, "Content-Type: application/x-www-form-urlencoded");

  TSearchSite mail = Site();
  mail.search.SetKind(TURLKind::MAIL);
  EXPECT_FALSE(DirectSearchRequest(mail, in).send);
  EXPECT_FALSE(ExternalSearchRequest(mail, in).send);

  EXPECT_EQ(HomeDomain("HTTPS://WWW.Example.COM:8080/path?x"), "example.com");
  EXPECT_EQ(HomeDomain(""), "");
}

TEST(SearchRequest, ExternalRequestCarriesEveryKeyInOrder) {
  TSearchInputs in = Inputs();
  in.external = true;
  in.external_url = "http://search.localhost/as.php";
  in.password = 12345;
  TSearchSite site = Site({{"CustomNotFound", "Nothing |x|"}, {"MinMatch", "2"}});
  site.search.SetKind(TURLKind::POST);
  site.search.SetHeaders("X-A: 1");
  site.search.SetPostData("q=|Quillora/Search_String|");
  ASSERT_TRUE(in.UsesExternalSearch());
  const TSearchRequest r = BuildSearchRequest(site, in);
  EXPECT_TRUE(r.send);
  EXPECT_FALSE(r.post);
  EXPECT_TRUE(r.headers.empty());
  char hash[9];
  std::snprintf(hash, sizeof hash, "%08x", Crc32("q=Sample+Notes") ^ 12345u);
  EXPECT_EQ(r.url,
            "http://search.localhost/as.php?Kind=POST&Address=http%3A%2F%2Fsite.localhost%2Fsearch"
            "&Query=q%3DSample+Notes&Headers=X-A%3A+1&SearchDomain1=sample-company.localhost"
            "&SearchDomain2=sample-company.localhost&SearchString=Sample+Notes"
            "&CustomNotFound=Nothing+%7Cx%7C&MinMatch=2&SiteUIN=SITE-T&Hash=" +
                std::string(hash));

  // A GET site of the search engines category: no headers, no search string; an empty MinMatch
  // and no password both count as -1.
  TSearchSite engine = Site({}, "Search Engines");
  in.password = -1;
  const std::string url = ExternalSearchRequest(engine, in).url;
  EXPECT_NE(url.find("?Kind=GET&Address="), std::string::npos);
  EXPECT_EQ(url.find("&Headers="), std::string::npos);
  EXPECT_NE(url.find("&SearchString=&CustomNotFound=&MinMatch=-1&SiteUIN=SITE-T&Hash="),
            std::string::npos);
  EXPECT_EQ(ExternalSearchHash("q=Sample+Notes", -1), [] {
    char h[9];
    std::snprintf(h, sizeof h, "%08x", ~Crc32("q=Sample+Notes"));
    return std::string(h);
  }());

  in.external_url.clear();
  EXPECT_FALSE(in.UsesExternalSearch());
}

}  // namespace
}  // namespace quillora
