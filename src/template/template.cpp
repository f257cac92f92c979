// One evaluator for the template language, instantiated for code-page bytes (char) and for wide
// text (char16_t). The two instantiations differ only in the small TextOps policy below: how a
// stored value becomes text, case mapping, comparisons and what an expression's value turns
// into before it is inserted.
//
// Bounds (expansion must terminate and stay small on any text a site file may carry):
// - nesting: every nested evaluation (a group, a condition, a block, the rest taken by a
//   function or an operator, a MAKEFILE's remainder) counts against kMaxNesting, shared by the
//   whole expansion including MAKEFILE's nested ones; beyond it the expression is abandoned as if
//   it ended there, and a MAKEFILE that deep drops its remainder without a dialog. Stack use is
//   therefore bounded whatever the text.
// - size: the language only grows text by concatenation (linear in the template and the values)
//   and by REPLACE, whose result is cut at kMaxReplaceResult units, so nested REPLACEs cannot
//   double their way through memory.
// - time: the text is consumed left to right, once; a MAKEFILE's remainder is expanded once and
//   removed from the template.
#include "template/template.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string>
#include <vector>

#include "foundation/codepage.h"
#include "foundation/files.h"
#include "foundation/stream.h"
#include "foundation/text_utils.h"
#include "foundation/ui_port.h"
#include "template/template_values.h"

namespace quillora {

namespace {

constexpr int kMaxNesting = 200;
constexpr size_t kMaxReplaceResult = size_t{1} << 20;

template <class Ch>
inline unsigned Code(Ch c) {
  if constexpr (sizeof(Ch) == 1)
    return static_cast<unsigned char>(c);
  else
    return static_cast<unsigned>(c);
}

template <class Ch>
inline bool IsBlank(Ch c) {
  return Code(c) <= 32;
}

template <class Ch>
inline bool IsKeyChar(Ch c) {
  unsigned u = Code(c);
  return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_' ||
         u == '-' || u == '.' || u == '/';
}

template <class Ch>
std::basic_string<Ch> Widen(std::string_view ascii) {
  return std::basic_string<Ch>(ascii.begin(), ascii.end());
}

// --- The character-type policy ---------------------------------------------------------------

template <class Ch>
struct TextOps;

// Code-page engine: values are the stored bytes (UTF-8 in profiles), functions work on bytes.
template <>
struct TextOps<char> {
  using S = std::string;
  static S FromStored(std::string decoded) { return decoded; }
  static S Upper(const S& s) { return AnsiUpperCase(s); }
  static S Lower(const S& s) { return AnsiLowerCase(s); }
  static bool SameIgnoringCase(const S& a, const S& b) { return SameText(a, b); }
  static int Compare(const S& a, const S& b) { return AnsiCompareStr(a, b); }
  // Each expression's value is read as UTF-8 (or, failing that, as code-page text) and inserted
  // in the code page.
  static S Finish(S v) {
    for (char c : v)
      if (static_cast<unsigned char>(c) >= 0x80) return WideToAnsi(Utf8ToWide(v));
    return v;
  }
  static std::string ToBytes(const S& s) { return s; }
  static S FromPath(const std::string& path) { return path; }
};

// Wide engine. Case goes through the code page as the code-page engine's does, so both give the
// same letters; characters the code page cannot hold keep their own Unicode case mapping instead
// of turning into "?".
template <>
struct TextOps<char16_t> {
  using S = std::u16string;
  static S FromStored(const std::string& decoded) { return Utf8ToWide(decoded); }
  template <class AnsiCase>
  static S Case(const S& s, S unicode_mapped, AnsiCase ansi_case) {
    auto is_surrogate = [](char16_t c) { return c >= 0xD800 && c <= 0xDFFF; };
    if (std::none_of(s.begin(), s.end(), is_surrogate)) {
      // Without surrogate pairs the code-page form has one byte per unit.
      std::string bytes = WideToAnsi(s);
      S mapped = AnsiToWide(ansi_case(bytes));
      for (size_t i = 0; i < s.size(); ++i)
        if (s[i] >= 0x80 && bytes[i] != '?') unicode_mapped[i] = mapped[i];
      return unicode_mapped;
    }
    for (size_t i = 0; i < s.size(); ++i) {
      char16_t c = s[i];
      if (c < 0x80 || is_surrogate(c)) continue;
      std::string b = WideToAnsi(std::u16string_view(&c, 1));
      if (b != "?") unicode_mapped[i] = AnsiToWide(ansi_case(b))[0];  // else not in the code page
    }
    return unicode_mapped;
  }
  static S Upper(const S& s) {
    return Case(s, WideUpperCase(s), [](const std::string& b) { return AnsiUpperCase(b); });
  }
  static S Lower(const S& s) {
    return Case(s, WideLowerCase(s), [](const std::string& b) { return AnsiLowerCase(b); });
  }
  static bool SameIgnoringCase(const S& a, const S& b) {
    return a.size() == b.size() && (a == b || Lower(a) == Lower(b));
  }
  static int Compare(const S& a, const S& b) { return WideCompare(a, b); }
  static S Finish(S v) { return v; }
  static std::string ToBytes(const S& s) { return WideToUtf8(s); }
  static S FromPath(const std::string& path) { return Utf8ToWide(path); }
};

// --- Tokens ----------------------------------------------------------------------------------

enum class Tok {
  None,
  Element,
  Upper,
  Lower,
  Length,
  TrimLeft,
  TrimWord,
  MakeFile,
  UrlProto,
  UrlDomain,
  UrlPath,
  UrlFileName,
  UrlParams,
  Replace,
  Copy,
  Delete,
  If,
  Elsif,
  Else,
  Plus,
  Le,
  Ge,
  NeText,   // <>
  NeExact,  // !=
  EqExact,  // ==
  EqText,   // =
  Lt,
  Gt,
  Or,
  And,
  In,
  LParen,
  RParen,
  LBrace,
  RBrace,
  Not,
};

struct Keyword {
  std::string_view text;
  Tok tok;
};

// Tried in this order, as prefixes, ignoring case: the order decides ("<=" before "<", "ELSIF("
// before "ELSE", and a key starting with "or" is read as OR).
constexpr Keyword kKeywords[] = {
    {"ELEMENT(", Tok::Element},
    {"UPPERCASE ", Tok::Upper},
    {"LOWERCASE ", Tok::Lower},
    {"LENGTH(", Tok::Length},
    {"TRIMLEFT(", Tok::TrimLeft},
    {"TRIMWORD(", Tok::TrimWord},
    {"MAKEFILE(", Tok::MakeFile},
    {"URLPROTO(", Tok::UrlProto},
    {"URLDOMAIN(", Tok::UrlDomain},
    {"URLPATH(", Tok::UrlPath},
    {"URLFILENAME(", Tok::UrlFileName},
    {"URLPARAMS(", Tok::UrlParams},
    {"REPLACE(", Tok::Replace},
    {"COPY(", Tok::Copy},
    {"DELETE(", Tok::Delete},
    {"IF(", Tok::If},
    {"ELSIF(", Tok::Elsif},
    {"ELSE", Tok::Else},
    {"+", Tok::Plus},
    {"<=", Tok::Le},
    {">=", Tok::Ge},
    {"<>", Tok::NeText},
    {"!=", Tok::NeExact},
    {"==", Tok::EqExact},
    {"=", Tok::EqText},
    {"<", Tok::Lt},
    {">", Tok::Gt},
    {"OR", Tok::Or},
    {"AND", Tok::And},
    {"IN", Tok::In},
    {"(", Tok::LParen},
    {")", Tok::RParen},
    {"{", Tok::LBrace},
    {"}", Tok::RBrace},
    {"!", Tok::Not},
};

// Which characters can start a keyword (upper case), so that most keys skip the table.
constexpr auto kKeywordStart = [] {
  std::array<bool, 128> starts{};
  for (const Keyword& k : kKeywords) starts[static_cast<unsigned char>(k.text[0])] = true;
  return starts;
}();

// --- Pure text functions ---------------------------------------------------------------------

// Membership in a set of characters in constant time: sets and texts can both be long.
template <class Ch>
class CharSet {
 public:
  explicit CharSet(std::basic_string_view<Ch> chars) : bits_(size_t{1} << (8 * sizeof(Ch))) {
    for (Ch c : chars) bits_[Code(c)] = true;
  }
  bool Has(Ch c) const { return bits_[Code(c)]; }

 private:
  std::vector<bool> bits_;
};

// Substring search that stays linear for long patterns (Knuth-Morris-Pratt); short patterns use
// the library's search, whose worst case is the pattern length times the text length.
template <class S>
class Searcher {
 public:
  explicit Searcher(const S& pattern) : pattern_(pattern) {
    if (pattern_.size() < kShort) return;
    fail_.assign(pattern_.size(), 0);
    for (size_t i = 1, k = 0; i < pattern_.size(); ++i) {
      while (k > 0 && pattern_[i] != pattern_[k]) k = fail_[k - 1];
      if (pattern_[i] == pattern_[k]) ++k;
      fail_[i] = k;
    }
  }
  size_t Find(const S& text, size_t from) const {
    if (pattern_.size() < kShort) return text.find(pattern_, from);
    for (size_t i = from, k = 0; i < text.size(); ++i) {
      while (k > 0 && text[i] != pattern_[k]) k = fail_[k - 1];
      if (text[i] == pattern_[k]) ++k;
      if (k == pattern_.size()) return i + 1 - k;
    }
    return S::npos;
  }

 private:
  static constexpr size_t kShort = 32;
  const S& pattern_;
  std::vector<size_t> fail_;
};

template <class S>
S ElementOf(const S& text, int n, const S& delimiters) {
  const CharSet<typename S::value_type> set{
      std::basic_string_view<typename S::value_type>(delimiters)};
  auto is_delim = [&](auto c) { return set.Has(c); };
  size_t i = 0;
  const size_t len = text.size();
  for (int k = 0; k < n && i < len; ++k) {
    while (i < len && !is_delim(text[i])) ++i;
    while (i < len && is_delim(text[i])) ++i;
  }
  size_t j = i;
  while (j < len && !is_delim(text[j])) ++j;
  return text.substr(i, j - i);
}

template <class S>
S TrimLeftOf(const S& text, const S& chars) {
  size_t i = 0;
  if (chars.empty()) {
    while (i < text.size() && IsBlank(text[i])) ++i;
  } else {
    const CharSet<typename S::value_type> set{
        std::basic_string_view<typename S::value_type>(chars)};
    while (i < text.size() && set.Has(text[i])) ++i;
  }
  return text.substr(i);
}

template <class S>
S TrimWordOf(const S& text, const S& chars) {
  const CharSet<typename S::value_type> set{std::basic_string_view<typename S::value_type>(chars)};
  size_t n = text.size();
  while (n > 0 && !set.Has(text[n - 1])) --n;
  while (n > 0 && set.Has(text[n - 1])) --n;
  return text.substr(0, n);
}

template <class S>
S CopyOf(const S& text, int from, int count) {
  if (from < 1) from = 1;
  size_t start = static_cast<size_t>(from) - 1;
  if (count <= 0 || start >= text.size()) return S();
  return text.substr(start, static_cast<size_t>(count));
}

template <class S>
S DeleteOf(S text, int from, int count) {
  if (from < 1 || static_cast<size_t>(from) > text.size() || count <= 0) return text;
  text.erase(static_cast<size_t>(from) - 1, static_cast<size_t>(count));
  return text;
}

// The five URL parts; an operand without "://" has none of them.
template <class S>
S UrlPartOf(Tok which, const S& url) {
  const S sep = Widen<typename S::value_type>("://");
  size_t p = url.find(sep);
  if (p == S::npos) return S();
  if (which == Tok::UrlProto) return url.substr(0, p + 3);
  S rest = url.substr(p + 3);
  const auto slash = static_cast<typename S::value_type>('/');
  const auto colon = static_cast<typename S::value_type>(':');
  const auto query = static_cast<typename S::value_type>('?');
  auto cut_at = [](S s, typename S::value_type c) {
    size_t i = s.find(c);
    if (i != S::npos) s.resize(i);
    return s;
  };
  switch (which) {
    case Tok::UrlDomain:
      return cut_at(cut_at(cut_at(rest, slash), colon), query);
    case Tok::UrlPath: {
      size_t s = rest.find(slash);
      if (s == S::npos) return S(1, slash);
      S path = cut_at(rest.substr(s), query);
      while (!path.empty() && path.back() != slash) path.pop_back();
      return path;
    }
    case Tok::UrlFileName: {
      S head = cut_at(rest, query);
      size_t s = head.rfind(slash);
      return s == S::npos ? S() : head.substr(s + 1);
    }
    case Tok::UrlParams: {
      size_t q = rest.find(query);
      return q == S::npos ? S() : rest.substr(q);
    }
    default:
      return S();
  }
}

// Numeric in the language's sense: only digits, "+", "-" and ".", and a number with "." as the
// decimal separator.
template <class S>
bool ToNumber(const S& s, double& out) {
  if (s.empty()) return false;
  std::string a;
  a.reserve(s.size());
  for (auto c : s) {
    unsigned u = Code(c);
    if (!((u >= '0' && u <= '9') || u == '+' || u == '-' || u == '.')) return false;
    a += static_cast<char>(u);
  }
  std::string_view v = a;
  if (v.front() == '+') {
    v.remove_prefix(1);
    if (v.empty() || v.front() == '+' || v.front() == '-') return false;
  }
  auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), out);
  return ec == std::errc() && end == v.data() + v.size();
}

// --- The evaluator ---------------------------------------------------------------------------

struct DepthGuard {
  explicit DepthGuard(int& depth) : depth_(depth) { ++depth_; }
  ~DepthGuard() { --depth_; }
  bool Exceeded() const { return depth_ > kMaxNesting; }
  int& depth_;
};

bool DefaultSaveDialog(const TSaveFileRequest& request, std::string& path) {
  path = request.default_name;
  if (!UI().SaveFileDialog("Save As", request.filter, path) || path.empty()) return false;
  size_t slash = path.rfind('/');
  size_t dot = path.rfind('.');
  if (!request.default_ext.empty() &&
      (dot == std::string::npos || (slash != std::string::npos && dot < slash)))
    path += "." + request.default_ext;
  return true;
}

template <class Ch>
class Engine {
  using S = std::basic_string<Ch>;
  using V = std::basic_string_view<Ch>;
  using T = TextOps<Ch>;

 public:
  Engine(TTemplateValues& values, Ch delimiter, std::string_view prefix,
         const TExpandOptions& options, int& depth)
      : values_(values), delimiter_(delimiter), prefix_(prefix), options_(options), depth_(depth) {}

  S Expand(V text) {
    S out;
    tmpl_ = text;
    pos_ = 0;
    while (pos_ < tmpl_.size()) {
      size_t open = tmpl_.find(delimiter_, pos_);
      if (open == V::npos) {
        out.append(tmpl_.substr(pos_));
        break;
      }
      out.append(tmpl_.substr(pos_, open - pos_));
      size_t close = tmpl_.find(delimiter_, open + 1);
      if (close == V::npos) {
        out.append(tmpl_.substr(open));
        break;
      }
      V expr = tmpl_.substr(open + 1, close - open - 1);
      pos_ = close + 1;  // MAKEFILE moves it to the end
      out += T::Finish(Evaluate(expr));
    }
    return out;
  }

 private:
  S Evaluate(V expr) {
    p_ = expr.data();
    e_ = expr.data() + expr.size();
    return Eval(S());
  }

  // --- scanning helpers
  void SkipBlanks() {
    while (p_ < e_ && IsBlank(*p_)) ++p_;
  }
  bool AtAny(char a, char b) const {
    return p_ < e_ && (Code(*p_) == unsigned(a) || Code(*p_) == unsigned(b));
  }
  bool Consume(char c) {
    SkipBlanks();
    if (p_ < e_ && Code(*p_) == static_cast<unsigned char>(c)) {
      ++p_;
      return true;
    }
    return false;
  }

  Tok ReadToken() {
    if (p_ == e_) return Tok::None;
    const size_t avail = static_cast<size_t>(e_ - p_);
    unsigned first = Code(*p_);
    if (first >= 'a' && first <= 'z') first -= 32;
    if (first >= 128 || !kKeywordStart[first]) return Tok::None;
    for (const Keyword& k : kKeywords) {
      if (static_cast<unsigned char>(k.text[0]) != first) continue;
      if (k.text.size() > avail) continue;
      size_t i = 0;
      for (; i < k.text.size(); ++i) {
        unsigned u = Code(p_[i]);
        if (u >= 'a' && u <= 'z') u -= 32;
        if (u != static_cast<unsigned char>(k.text[i])) break;
      }
      if (i == k.text.size()) {
        p_ += k.text.size();
        return k.tok;
      }
    }
    return Tok::None;
  }

  // A quoted literal or a key; false (nothing consumed) when neither starts here.
  bool ReadOperand(S& value) {
    SkipBlanks();
    if (p_ == e_) return false;
    unsigned q = Code(*p_);
    if (q == '\'' || q == '"') {
      const Ch* start = ++p_;
      while (p_ < e_ && Code(*p_) != q) ++p_;
      value = Unescape(V(start, static_cast<size_t>(p_ - start)));
      if (p_ < e_) ++p_;
      return true;
    }
    if (!IsKeyChar(*p_)) return false;
    const Ch* start = p_;
    while (p_ < e_ && IsKeyChar(*p_)) ++p_;
    std::string key(static_cast<size_t>(p_ - start), '\0');
    for (size_t i = 0; i < key.size(); ++i) key[i] = static_cast<char>(Code(start[i]));
    value = Resolve(std::move(key));
    return true;
  }

  static int HexDigit(unsigned u) {
    if (u >= '0' && u <= '9') return int(u - '0');
    if (u >= 'a' && u <= 'f') return int(u - 'a' + 10);
    if (u >= 'A' && u <= 'F') return int(u - 'A' + 10);
    return -1;
  }

  static S Unescape(V s) {
    S out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
      if (Code(s[i]) != '\\') {
        out += s[i];
        continue;
      }
      if (i + 1 < s.size() && Code(s[i + 1]) == 'n') {
        out += Ch('\r');
        out += Ch('\n');
        ++i;
      } else if (i + 1 < s.size() && Code(s[i + 1]) == 'r') {
        out += Ch('\r');
        ++i;
      } else {
        int hi = i + 1 < s.size() ? HexDigit(Code(s[i + 1])) : -1;
        int lo = i + 2 < s.size() ? HexDigit(Code(s[i + 2])) : -1;
        out += (hi >= 0 && lo >= 0) ? static_cast<Ch>(hi * 16 + lo) : Ch('?');
        i = std::min(i + 2, s.size());
      }
    }
    return out;
  }

  int ReadInt() {
    SkipBlanks();
    std::string run;
    while (p_ < e_ &&
           (Code(*p_) == '+' || Code(*p_) == '-' || (Code(*p_) >= '0' && Code(*p_) <= '9'))) {
      if (run.size() < 32) run += static_cast<char>(Code(*p_));
      ++p_;
    }
    int n = 0;
    return TryStrToInt(run, n) ? n : 0;
  }

  S Resolve(std::string key) {
    static constexpr std::string_view kDescriptions = "Program_Descriptions/";
    std::string_view raw;
    int line = -2;  // -2: the key alone not looked up yet
    if (key.starts_with(kDescriptions)) {
      // The key itself on a line after the first proves its language is there.
      line = values_.Find(key, raw);
      size_t slash = key.rfind('/');
      if (line < 1 && !values_.HasNameStartingWith(std::string_view(key).substr(0, slash + 1), 1)) {
        key = "Program_Descriptions/English/" + key.substr(slash + 1);
        line = -2;
      }
    }
    std::string value;
    if (!prefix_.empty()) {
      std::string_view prefixed_raw;
      prefixed_key_.assign(prefix_);
      prefixed_key_ += key;
      if (values_.Find(prefixed_key_, prefixed_raw) >= 0) value = DecodeValue(prefixed_raw);
    }
    if (value.empty()) {
      if (line == -2) line = values_.Find(key, raw);
      if (line >= 0) value = DecodeValue(raw);
    }
    return T::FromStored(std::move(value));
  }

  // From an opening bracket to just after its matching closing one, over quoted literals.
  bool SkipBracketed() {
    int depth = 0;
    while (p_ < e_) {
      unsigned c = Code(*p_++);
      if (c == '\'' || c == '"') {
        while (p_ < e_ && Code(*p_) != c) ++p_;
        if (p_ < e_) ++p_;
      } else if (c == '(' || c == '{') {
        ++depth;
      } else if ((c == ')' || c == '}') && --depth == 0) {
        return true;
      }
    }
    return false;
  }

  // After a taken IF or ELSIF block the ELSIF and ELSE parts that follow are passed over without
  // being evaluated, so that a construct enclosing the conditional finds its own closing bracket.
  void SkipAlternatives() {
    for (;;) {
      const Ch* start = p_;
      SkipBlanks();
      Tok tok = ReadToken();
      bool ok = false;
      if (tok == Tok::Elsif) {
        --p_;  // back onto the "(" of "ELSIF("
        ok = SkipBracketed() && (SkipBlanks(), p_ < e_ && Code(*p_) == '{') && SkipBracketed();
      } else if (tok == Tok::Else) {
        SkipBlanks();
        ok = p_ < e_ && Code(*p_) == '{' && SkipBracketed();
      }
      if (!ok) {
        p_ = start;
        return;
      }
    }
  }

  static S Truth(bool b) { return Widen<Ch>(b ? "TRUE" : "FALSE"); }
  static bool IsTrue(const S& v) { return !v.empty() && v != Widen<Ch>("FALSE"); }

  static S Join(S& out, S& left) {
    if (out.empty()) return std::move(left);
    out += left;
    return std::move(out);
  }

  S ReplaceText(const S& text, const S& old_text, const S& new_text) {
    if (old_text.empty()) return text;
    S lower_text = T::Lower(text), lower_old = T::Lower(old_text);
    // Case mapping keeps lengths, but never index by it unless it really did.
    if (lower_text.size() != text.size() || lower_old.size() != old_text.size()) {
      lower_text = text;
      lower_old = old_text;
    }
    S out;
    size_t from = 0;
    const Searcher<S> searcher(lower_old);
    for (;;) {
      size_t hit = searcher.Find(lower_text, from);
      if (hit == S::npos) break;
      out.append(text, from, hit - from);
      out += new_text;
      from = hit + old_text.size();
      if (out.size() >= kMaxReplaceResult) break;
    }
    if (from < text.size() && out.size() < kMaxReplaceResult) out.append(text, from, S::npos);
    if (out.size() > kMaxReplaceResult) out.resize(kMaxReplaceResult);
    return out;
  }

  static S Compare(Tok op, const S& a, const S& b) {
    switch (op) {
      case Tok::EqText:
        return Truth(T::SameIgnoringCase(a, b));
      case Tok::NeText:
        return Truth(!T::SameIgnoringCase(a, b));
      case Tok::EqExact:
        return Truth(a == b);
      case Tok::NeExact:
        return Truth(a != b);
      default:
        break;
    }
    int c;
    double x, y;
    if (ToNumber(a, x) && ToNumber(b, y))
      c = x < y ? -1 : (x > y ? 1 : 0);
    else
      c = T::Compare(a, b);
    switch (op) {
      case Tok::Lt:
        return Truth(c < 0);
      case Tok::Gt:
        return Truth(c > 0);
      case Tok::Le:
        return Truth(c <= 0);
      default:
        return Truth(c >= 0);
    }
  }

  // Expands the rest of the template after this expression, offers it for saving and drops it
  // from the template. Returns the chosen file name, empty when cancelled.
  S MakeFile(const S& name, const S& ext) {
    V remainder = tmpl_.substr(pos_);
    pos_ = tmpl_.size();
    DepthGuard guard(depth_);
    if (guard.Exceeded()) return S();
    S content = Engine(values_, delimiter_, prefix_, options_, depth_).Expand(remainder);

    TSaveFileRequest request;
    request.default_name = T::ToBytes(name);
    request.default_ext = T::ToBytes(ext);
    request.filter = "*." + request.default_ext + "|*." + request.default_ext;
    std::string path;
    bool chosen = false;
    try {
      chosen = options_.save_dialog ? options_.save_dialog(request, path)
                                    : DefaultSaveDialog(request, path);
    } catch (...) {
      chosen = false;
    }
    values_.Invalidate();  // the dialog ran foreign code; the list may have changed
    if (!chosen || path.empty()) return S();
    try {
      StringToFile(path, JoinLines(SplitLines(T::ToBytes(content))));
    } catch (...) {
      // An unwritable file is not the template's problem: the name is still the value.
    }
    return T::FromPath(path);
  }

  // One evaluation with the given left value. Operands, "+", LENGTH, negations, groups and
  // untaken conditions continue in the loop (their recursive form is a tail call); everything
  // that takes "the rest" nests.
  S Eval(S left) {
    DepthGuard guard(depth_);
    if (guard.Exceeded()) {
      p_ = e_;
      return left;
    }
    S out;  // what earlier steps put before the current left value
    for (;;) {
      SkipBlanks();
      if (p_ == e_ || AtAny(')', '}')) return Join(out, left);
      const Tok tok = ReadToken();
      switch (tok) {
        case Tok::None:
        case Tok::LBrace: {
          S value;
          if (!ReadOperand(value)) return Join(out, left);
          out += left;
          left = std::move(value);
          continue;
        }
        case Tok::RParen:
        case Tok::RBrace:  // not reached: checked above
          return Join(out, left);
        case Tok::Plus:
          out += left;
          left.clear();
          continue;
        case Tok::Upper:
        case Tok::Lower: {
          S rest = Eval(S());
          out += left;
          out += tok == Tok::Upper ? T::Upper(rest) : T::Lower(rest);
          return out;
        }
        case Tok::Length: {
          S value;
          ReadOperand(value);
          if (!Consume(')')) return Join(out, left);
          out += left;
          left = Widen<Ch>(std::to_string(value.size()));
          continue;
        }
        case Tok::UrlProto:
        case Tok::UrlDomain:
        case Tok::UrlPath:
        case Tok::UrlFileName:
        case Tok::UrlParams: {
          S value;
          ReadOperand(value);
          if (!Consume(')')) return Join(out, left);
          out += left;
          left = UrlPartOf(tok, value);
          continue;
        }
        case Tok::Element: {
          int n = ReadInt();
          S delimiters = Widen<Ch>(" \t,;");
          if (Consume(',')) ReadOperand(delimiters);
          if (!Consume(')')) return Join(out, left);
          S rest = Eval(S());
          out += left;
          out += ElementOf(rest, n, delimiters);
          return out;
        }
        case Tok::TrimLeft:
        case Tok::TrimWord: {
          S set;
          ReadOperand(set);
          if (!Consume(')')) return Join(out, left);
          S rest = Eval(S());
          out += left;
          out += tok == Tok::TrimLeft ? TrimLeftOf(rest, set) : TrimWordOf(rest, set);
          return out;
        }
        case Tok::Replace: {
          S old_text, new_text;
          ReadOperand(old_text);
          if (!Consume(',')) return Join(out, left);
          ReadOperand(new_text);
          if (!Consume(')')) return Join(out, left);
          S rest = Eval(S());
          out += left;
          out += ReplaceText(rest, old_text, new_text);
          return out;
        }
        case Tok::Copy:
        case Tok::Delete: {
          int from = ReadInt();
          if (!Consume(',')) return Join(out, left);
          int count = ReadInt();
          if (!Consume(')')) return Join(out, left);
          S rest = Eval(S());
          out += left;
          out +=
              tok == Tok::Copy ? CopyOf(rest, from, count) : DeleteOf(std::move(rest), from, count);
          return out;
        }
        case Tok::MakeFile: {
          S name, ext;
          ReadOperand(name);
          if (!Consume(',')) return Join(out, left);
          ReadOperand(ext);
          if (!Consume(')')) return Join(out, left);
          out += left;
          out += MakeFile(name, ext);
          return out;
        }
        case Tok::If:
        case Tok::Elsif: {
          S condition = Eval(S());
          if (!Consume(')') || !Consume('{')) return Join(out, left);
          S block = Eval(S());
          Consume('}');
          if (IsTrue(condition)) {
            SkipAlternatives();
            out += left;
            out += block;
            return out;
          }
          out += left;  // the untaken block was evaluated for its side effects only
          left.clear();
          continue;
        }
        case Tok::Else: {
          if (!Consume('{')) return Join(out, left);
          S block = Eval(S());
          Consume('}');
          out += left;
          out += block;
          return out;
        }
        case Tok::Not: {
          S value;
          SkipBlanks();
          if (p_ < e_ && Code(*p_) == '(') {
            ++p_;
            value = Eval(S());
            if (!Consume(')')) return Join(out, left);
          } else {
            ReadOperand(value);
          }
          out += left;
          left = Truth(!IsTrue(value));
          continue;
        }
        case Tok::LParen: {
          S group = Eval(S());
          left += group;
          if (Consume(')')) continue;
          return Join(out, left);
        }
        case Tok::Or:
        case Tok::And: {
          S rest = Eval(S());
          bool a = IsTrue(left), b = IsTrue(rest);
          out += Truth(tok == Tok::Or ? (a || b) : (a && b));
          return out;
        }
        case Tok::In: {
          S rest = Eval(S());
          S needle = T::Lower(left);
          bool found = !left.empty() && Searcher<S>(needle).Find(T::Lower(rest), 0) != S::npos;
          out += Truth(found);
          return out;
        }
        case Tok::EqText:
        case Tok::NeText:
        case Tok::EqExact:
        case Tok::NeExact:
        case Tok::Lt:
        case Tok::Gt:
        case Tok::Le:
        case Tok::Ge: {
          S rest = Eval(S());
          out += Compare(tok, left, rest);
          return out;
        }
      }
      return Join(out, left);
    }
  }

  TTemplateValues& values_;
  const Ch delimiter_;
  const std::string_view prefix_;
  std::string prefixed_key_;  // the language-prefixed key of the last lookup
  const TExpandOptions& options_;
  int& depth_;
  // The template being scanned and the position after the current expression.
  V tmpl_;
  size_t pos_ = 0;
  // The expression being evaluated.
  const Ch* p_ = nullptr;
  const Ch* e_ = nullptr;
};

template <class Ch>
std::basic_string<Ch> ExpandWith(TTemplateValues& values, Ch delimiter,
                                 std::basic_string_view<Ch> text, std::string_view prefix,
                                 const TExpandOptions& options) {
  int depth = 0;
  return Engine<Ch>(values, delimiter, prefix, options, depth).Expand(text);
}

char16_t WideDelimiter(char delimiter) {
  return static_cast<char16_t>(static_cast<unsigned char>(delimiter));
}

}  // namespace

void ExpandTemplate(const TOptionsList& values, char delimiter, std::string& text,
                    std::string_view language_prefix, const TExpandOptions& options) {
  if (text.find(delimiter) == std::string::npos) return;
  TTemplateValues lookup(values);
  text = ExpandWith<char>(lookup, delimiter, text, language_prefix, options);
}

void ExpandTemplateLines(const TOptionsList& values, char delimiter,
                         std::vector<std::string>& lines, std::string_view language_prefix,
                         const TExpandOptions& options) {
  TTemplateValues lookup(values);  // one index for all lines
  for (std::string& line : lines)
    if (line.find(delimiter) != std::string::npos)
      line = ExpandWith<char>(lookup, delimiter, line, language_prefix, options);
}

void ExpandTemplateFileToLines(const std::string& source, std::vector<std::string>& lines,
                               const TOptionsList& values, char delimiter,
                               std::string_view language_prefix, const TExpandOptions& options) {
  lines = SplitLines(FileToString(source));
  ExpandTemplateLines(values, delimiter, lines, language_prefix, options);
}

void ExpandTemplateFile(const std::string& source, const std::string& dest,
                        const TOptionsList& values, char delimiter,
                        std::string_view language_prefix, const TExpandOptions& options) {
  std::vector<std::string> lines;
  ExpandTemplateFileToLines(source, lines, values, delimiter, language_prefix, options);
  StringToFile(dest, JoinLines(lines));
}

void ExpandTemplateUtf8(const TOptionsList& values, char delimiter, std::string& text,
                        std::string_view language_prefix, const TExpandOptions& options) {
  TTemplateValues lookup(values);
  std::u16string wide = Utf8ToWide(text);
  text = WideToUtf8(
      ExpandWith<char16_t>(lookup, WideDelimiter(delimiter), wide, language_prefix, options));
}

// Encoding the wide result to UTF-8 and decoding it again gives back the same units, so the wide
// result is returned directly.
std::u16string ExpandTemplateToWide(std::string_view utf8_template, const TOptionsList& values,
                                    std::string_view language_prefix,
                                    const TExpandOptions& options) {
  TTemplateValues lookup(values);
  std::u16string wide = Utf8ToWide(utf8_template);
  return ExpandWith<char16_t>(lookup, WideDelimiter(kTemplateDelimiter), wide, language_prefix,
                              options);
}

}  // namespace quillora
