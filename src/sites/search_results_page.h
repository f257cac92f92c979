// The Sites page's "Search Results" panel: the page the remote listing search stored for a site,
// stripped of comments, scripts, embeds and objects, with the product's search string marked
// where it occurs as text.
#pragma once

#include <string>

namespace quillora {

struct TSearchResultsPage {
  std::string html;
  std::string base_address;  // the stored page's address, for its relative links
};

// The page shown when nothing was stored for the site.
std::string NoSearchResultsHtml();

// Where the search stored the page: dump folder + product UIN + "/" + site UIN + ".htm".
std::string StoredSearchPagePath(const std::string& dump_folder, const std::string& product_uin,
                                 const std::string& site_uin);

// The panel's page from a stored file's text: its first line is the address ("http://" put in
// front when missing), the rest the page.
TSearchResultsPage SearchResultsFromText(const std::string& stored, const std::string& search);

// Removes every block from `open` to `close` (found ignoring letter case) until none is left;
// a block without its closing text goes to the end.
std::string RemoveBlocks(std::string text, const std::string& open, const std::string& close);

// Replaces each occurrence of search (ignoring case, left to right, not overlapping) by search
// itself, marked when the occurrence is text and not inside a tag.
std::string HighlightSearchString(const std::string& page, const std::string& search);

// Reads the stored page for the site; the default page when there is none, what was built so
// far when reading fails.
TSearchResultsPage LoadSearchResultsPage(const std::string& path, const std::string& search);

}  // namespace quillora
