#include "sites/search_results_page.h"

#include <vector>

#include "foundation/codepage.h"
#include "foundation/files.h"
#include "foundation/stream.h"

namespace quillora {

namespace {

constexpr const char* kMarkOpen = "<span style=\"background-color: #FFFF00; color: #FF0000\"><b>";
constexpr const char* kMarkClose = "</b></span>";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
      ++end;
    start = end + 1;
  }
  return lines;
}

}  // namespace

std::string NoSearchResultsHtml() {
  return "<center><h3>No page to display</h3><br>\r\n"
         "<p>This panel is used to display pages that were cached by the Quillora\r\n"
         "batch search engine.</p>\r\n"
         "<p>Please, select the \"Tools/Generate report\" in the main Quillora menu\r\n"
         "to collect search results from download sites.</p></center>";
}

std::string StoredSearchPagePath(const std::string& dump_folder, const std::string& product_uin,
                                 const std::string& site_uin) {
  return IncludeTrailingPathDelimiter(dump_folder) + product_uin + "/" + site_uin + ".htm";
}

std::string RemoveBlocks(std::string text, const std::string& open, const std::string& close) {
  const std::string lower_open = AnsiLowerCase(open), lower_close = AnsiLowerCase(close);
  for (;;) {
    const std::string lower = AnsiLowerCase(text);
    const size_t start = lower.find(lower_open);
    if (start == std::string::npos) return text;
    const size_t end = lower.find(lower_close, start + lower_open.size());
    text.erase(start,
               end == std::string::npos ? std::string::npos : end + lower_close.size() - start);
  }
}

std::string HighlightSearchString(const std::string& page, const std::string& search) {
  if (search.empty()) return page;
  const std::string lower = AnsiLowerCase(page), needle = AnsiLowerCase(search);
  std::string out;
  size_t from = 0;
  for (;;) {
    const size_t at = lower.find(needle, from);
    if (at == std::string::npos) break;
    out.append(page, from, at - from);
    // Text, not markup: the last "<" before it is closed before it, and after it a "<" comes
    // before any ">" (a missing one counts as position 0).
    const size_t lt_before = page.rfind('<', at == 0 ? 0 : at - 1);
    bool text = true;
    if (at > 0 && lt_before != std::string::npos) {
      const size_t gt = page.find('>', lt_before);
      text = gt != std::string::npos && gt < at;
    }
    if (text) {
      const size_t end = at + needle.size();
      size_t next_gt = page.find('>', end), next_lt = page.find('<', end);
      if (next_gt == std::string::npos) next_gt = 0;
      if (next_lt == std::string::npos) next_lt = 0;
      text = !(next_gt < next_lt);
    }
    out += text ? kMarkOpen + search + kMarkClose : search;
    from = at + needle.size();
  }
  out.append(page, from, std::string::npos);
  return out;
}

TSearchResultsPage SearchResultsFromText(const std::string& stored, const std::string& search) {
  TSearchResultsPage page;
  std::vector<std::string> lines = Lines(stored);
  if (lines.empty()) return page;
  page.base_address = lines.front();
  if (AnsiLowerCase(page.base_address).rfind("http://", 0) != 0)
    page.base_address = "http://" + page.base_address;
  std::string html;
  for (size_t i = 1; i < lines.size(); ++i) {
    if (i > 1) html += "\r\n";
    html += lines[i];
  }
  html = RemoveBlocks(std::move(html), "<!--", "-->");
  for (const auto& [open, close] :
       {std::pair{"<script", "</script>"}, {"<embed", "</embed>"}, {"<object", "</object>"}})
    html = RemoveBlocks(std::move(html), open, close);
  page.html = HighlightSearchString(html, search);
  return page;
}

TSearchResultsPage LoadSearchResultsPage(const std::string& path, const std::string& search) {
  if (!FileExists(path)) return {NoSearchResultsHtml(), {}};
  try {
    return SearchResultsFromText(FileToString(path), search);
  } catch (const std::exception&) {
    return {NoSearchResultsHtml(), {}};
  }
}

}  // namespace quillora
