// Small text helpers. Case-insensitive searches compare through the code page's case tables
// byte by byte instead of building upper-cased copies of page-sized texts.
#include "foundation/text_utils.h"

#include <algorithm>
#include <stdexcept>

#include <climits>

#include "foundation/codepage.h"

namespace quillora {
namespace {

bool MatchAt(std::string_view s, size_t i, std::string_view sub, const unsigned char* upper) {
  if (upper == nullptr) return s.compare(i, sub.size(), sub) == 0;
  for (size_t k = 0; k < sub.size(); ++k)
    if (upper[static_cast<unsigned char>(s[i + k])] != upper[static_cast<unsigned char>(sub[k])])
      return false;
  return true;
}

// 0-based index of the first occurrence of sub in s at or after from, or npos. An empty sub
// never occurs.
size_t FindAt(std::string_view s, std::string_view sub, size_t from, bool case_sensitive) {
  if (sub.empty() || from > s.size() || sub.size() > s.size() - from) return std::string_view::npos;
  if (case_sensitive) return s.find(sub, from);
  const unsigned char* upper = AnsiUpperTable();
  const unsigned char first = upper[static_cast<unsigned char>(sub[0])];
  const size_t last = s.size() - sub.size();
  for (size_t i = from; i <= last; ++i) {
    if (upper[static_cast<unsigned char>(s[i])] == first && MatchAt(s, i, sub, upper)) return i;
  }
  return std::string_view::npos;
}

std::string ReplaceImpl(std::string_view s, std::string_view old_text, std::string_view new_text,
                        bool case_sensitive) {
  if (old_text.empty()) return std::string(s);
  std::string r;
  size_t start = 0;
  for (;;) {
    size_t p = FindAt(s, old_text, start, case_sensitive);
    if (p == std::string_view::npos) break;
    r.append(s.substr(start, p - start));
    r.append(new_text);
    start = p + old_text.size();
  }
  r.append(s.substr(start));
  return r;
}

}  // namespace

// An empty sub is never contained: an empty line in a phrase list must not match every page.
bool ContainsText(std::string_view s, std::string_view sub) {
  return FindAt(s, sub, 0, false) != std::string_view::npos;
}

bool ContainsAnyText(std::string_view s, const std::vector<std::string>& lines) {
  for (const auto& line : lines)
    if (ContainsText(s, line)) return true;
  return false;
}

size_t PosFrom(std::string_view sub, std::string_view s, size_t from, bool case_sensitive) {
  size_t start = from == 0 ? 0 : from - 1;
  size_t p = FindAt(s, sub, start, case_sensitive);
  return p == std::string_view::npos ? 0 : p + 1;
}

size_t LastPosBefore(std::string_view sub, std::string_view s, size_t pos, bool case_sensitive) {
  size_t end = pos < s.size() ? pos : s.size();  // the occurrence must end at or before this
  if (sub.empty() || sub.size() > end) return 0;
  const unsigned char* upper = case_sensitive ? nullptr : AnsiUpperTable();
  for (size_t i = end - sub.size() + 1; i >= 1; --i)
    if (MatchAt(s, i - 1, sub, upper)) return i;
  return 0;
}

int CountOccurrences(std::string_view sub, std::string_view s, size_t& last_pos) {
  int n = 0;
  size_t p = FindAt(s, sub, 0, true);
  while (p != std::string_view::npos) {
    ++n;
    last_pos = p + 1;
    p = FindAt(s, sub, p + sub.size(), true);
  }
  return n;
}

std::string ReplaceAll(std::string_view s, std::string_view old_text, std::string_view new_text) {
  return ReplaceImpl(s, old_text, new_text, true);
}

std::string ReplaceAllText(std::string_view s, std::string_view old_text,
                           std::string_view new_text) {
  return ReplaceImpl(s, old_text, new_text, false);
}

std::string CollapseSpaces(std::string_view s) {
  std::string r;
  r.reserve(s.size());
  bool pending = false;
  for (char c : s) {
    if (static_cast<unsigned char>(c) <= 32) {
      pending = true;
      continue;
    }
    if (pending) r += ' ';
    pending = false;
    r += c;
  }
  return r;
}

std::string StripElementText(std::string_view s, std::string_view marker,
                             std::string_view closing_tag, std::string_view opening_tag,
                             bool case_sensitive) {
  size_t m = PosFrom(marker, s, 1, case_sensitive);
  if (m == 0) return std::string(s);
  std::string close = "<" + std::string(closing_tag);
  std::string open = "<" + std::string(opening_tag);
  size_t c = PosFrom(close, s, m, case_sensitive);
  if (c == 0) return std::string(s);
  size_t o = LastPosBefore(open, s, m, case_sensitive);
  if (o == 0) return std::string(s);
  size_t gt = s.find('>', o - 1 + open.size());
  // The tag's ">" must come before the closing tag, or there is no element text to remove.
  if (gt == std::string_view::npos || gt + 1 > c - 1) return std::string(s);
  std::string r(s.substr(0, gt + 1));
  r.append(s.substr(c - 1));
  return r;
}

std::string ReverseBytes(std::string_view s) {
  return std::string(s.rbegin(), s.rend());
}

std::vector<std::string> SplitAtAny(std::string_view s, std::string_view separators,
                                    TSplitMode mode) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = std::min(s.find_first_of(separators, start), s.size());
    std::string part(s.substr(start, end - start));
    if (mode == TSplitMode::TrimDropEmpty) part = Trim(part);
    if (mode == TSplitMode::KeepEmpty || !part.empty()) parts.push_back(std::move(part));
    if (end == s.size()) return parts;
    start = end + 1;
  }
}

std::vector<std::string> SplitAt(std::string_view s, char separator, TSplitMode mode) {
  return SplitAtAny(s, std::string_view(&separator, 1), mode);
}

std::string NthField(std::string_view s, int n, char separator) {
  size_t start = 0;
  for (int i = 0; i < n; ++i) {
    size_t p = s.find(separator, start);
    if (p == std::string_view::npos) return {};
    start = p + 1;
  }
  size_t p = s.find(separator, start);
  return std::string(
      s.substr(start, p == std::string_view::npos ? std::string_view::npos : p - start));
}

int CountFields(std::string_view s, char separator) {
  if (s.empty()) return 0;
  int n = 1;
  for (char c : s)
    if (c == separator) ++n;
  return n;
}

std::string NormalizeName(std::string_view s) {
  std::string r;
  r.reserve(s.size());
  for (char c : s) {
    auto b = static_cast<unsigned char>(AnsiLowerChar(c));
    if ((b >= '0' && b <= '9') || (b >= 'a' && b <= 'z') || b >= 0xE0) r += static_cast<char>(b);
  }
  return r;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t nul = text.find('\0');
  if (nul != std::string_view::npos) text = text.substr(0, nul);
  size_t start = 0, i = 0;
  while (i < text.size()) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.emplace_back(text.substr(start, i - start));
      ++i;
      if (c == '\r' && i < text.size() && text[i] == '\n') ++i;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  size_t total = 0;
  for (const auto& l : lines) total += l.size() + 2;
  std::string r;
  r.reserve(total);
  for (const auto& l : lines) {
    r += l;
    r += "\r\n";
  }
  return r;
}

std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  return std::string(s.substr(b, e - b));
}

bool TryStrToInt(std::string_view s, int& out) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i == s.size()) return false;
  long long v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
    if (v > static_cast<long long>(INT_MAX) + 1) return false;
  }
  if (negative) v = -v;
  if (v < INT_MIN || v > INT_MAX) return false;
  out = static_cast<int>(v);
  return true;
}

int StrToInt(std::string_view s) {
  int v;
  if (!TryStrToInt(s, v))
    throw std::invalid_argument("'" + std::string(s) + "' is not a valid integer value");
  return v;
}

}  // namespace quillora
