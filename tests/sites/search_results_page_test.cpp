#include "sites/search_results_page.h"

#include <gtest/gtest.h>

#include "foundation/files.h"
#include "foundation/stream.h"
#include "support/temp_dir.h"

namespace quillora {
namespace {

const std::string kMark = "<span style=\"background-color: #FFFF00; color: #FF0000\"><b>";

TEST(SearchResultsPage, BaseAddressBlocksAndHighlight) {
  struct Case {
    const char* what;
    std::string stored, search, html, base;
  };
  const Case cases[] = {
      {"an address without a scheme gets http://", "example/dir/find.php?q=x\r\n<p>hi</p>", "",
       "<p>hi</p>", "http://example/dir/find.php?q=x"},
      {"an address with its scheme keeps it", "HTTP://Example/a\r\nx", "", "x", "HTTP://Example/a"},
      {"an empty file gives an empty page", "", "", "", ""},
      {"script blocks in upper case go, like comments, embeds and objects",
       "a\r\n1<SCRIPT>evil()</Script>2<!-- c -->3<embed src=x></embed>4<object>o</OBJECT>5", "",
       "12345", "http://a"},
      {"an unclosed comment takes the rest of the page", "a\r\nbefore<!-- open\r\nafter", "",
       "before", "http://a"},
      {"lines are joined with CR LF", "a\nl1\nl2\r\nl3", "", "l1\r\nl2\r\nl3", "http://a"},
      {"the word is marked once, around the link text, not in the attribute",
       "a\r\n<a title=\"word\">Word</a>", "word",
       "<a title=\"word\">" + kMark + "word</b></span></a>", "http://a"},
      {"text at the start and the end of the page", "a\r\nword and word", "word",
       kMark + "word</b></span> and " + kMark + "word</b></span>", "http://a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const TSearchResultsPage page = SearchResultsFromText(c.stored, c.search);
    EXPECT_EQ(page.html, c.html);
    EXPECT_EQ(page.base_address, c.base);
  }
}

TEST(SearchResultsPage, LoadsTheStoredPageOrShowsTheDefault) {
  test::TempDir dir;
  const std::string path = StoredSearchPagePath(dir.Path(), "APP-1", "SITE-1");
  EXPECT_EQ(path, dir / "APP-1/SITE-1.htm");
  TSearchResultsPage page = LoadSearchResultsPage(path, "x");
  EXPECT_EQ(page.html, NoSearchResultsHtml());
  EXPECT_EQ(page.base_address, "");
  ForceDirectories(dir / "APP-1");
  StringToFile(path, "site/list\r\n<b>found</b>");
  page = LoadSearchResultsPage(path, "x");
  EXPECT_EQ(page.html, "<b>found</b>");
  EXPECT_EQ(page.base_address, "http://site/list");
}

}  // namespace
}  // namespace quillora
