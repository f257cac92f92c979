// The system code page: byte <-> UTF-16 tables, case tables and ICU collation.
//
// Option-list look-ups call SameText for every line they scan, so everything byte-wise here is a
// table look-up built once per code page; ICU is only consulted while the tables are built and
// for collation.
#include "foundation/codepage.h"

#include <array>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/ucol.h>
#include <unicode/utf16.h>

namespace quillora {
namespace {

struct CodePageTables {
  int cp = 0;
  std::array<char16_t, 256> to_wide{};
  // Reverse map; rev[c] is only valid when to_wide[rev[c]] == c.
  std::array<uint8_t, 65536> rev{};
  std::array<uint8_t, 256> upper{};
  std::array<uint8_t, 256> lower{};

  bool Lookup(char16_t c, uint8_t& b) const {
    b = rev[c];
    return to_wide[b] == c;
  }
};

CodePageTables* BuildTables(int cp) {
  std::string name = "windows-" + std::to_string(cp);
  UErrorCode err = U_ZERO_ERROR;
  UConverter* conv = ucnv_open(name.c_str(), &err);
  if (U_FAILURE(err) || conv == nullptr) return nullptr;
  if (ucnv_getMaxCharSize(conv) != 1) {
    ucnv_close(conv);
    return nullptr;
  }

  auto t = std::make_unique<CodePageTables>();
  t->cp = cp;
  for (int b = 0; b < 256; ++b) {
    char16_t w = static_cast<char16_t>(b);
    if (b >= 0x80) {
      char in = static_cast<char>(b);
      UChar out[4];
      UErrorCode e = U_ZERO_ERROR;
      int32_t n = ucnv_toUChars(conv, out, 4, &in, 1, &e);
      // A byte the code page leaves undefined keeps its value as a C1 control, so stored bytes
      // always survive a round trip through wide text.
      if (U_SUCCESS(e) && n == 1 && out[0] != 0xFFFD && out[0] != 0x1A) w = out[0];
    }
    t->to_wide[b] = w;
  }
  ucnv_close(conv);

  // Fill from the top down so that, should two bytes share a character, the lower byte wins.
  for (int b = 255; b >= 0; --b) t->rev[t->to_wide[b]] = static_cast<uint8_t>(b);

  for (int b = 0; b < 256; ++b) {
    uint8_t mapped;
    UChar32 up = u_toupper(t->to_wide[b]);
    t->upper[b] = (up <= 0xFFFF && t->Lookup(static_cast<char16_t>(up), mapped))
                      ? mapped
                      : static_cast<uint8_t>(b);
    UChar32 lo = u_tolower(t->to_wide[b]);
    t->lower[b] = (lo <= 0xFFFF && t->Lookup(static_cast<char16_t>(lo), mapped))
                      ? mapped
                      : static_cast<uint8_t>(b);
  }
  return t.release();
}

// Tables are built once per code page and live until the process ends, so a pointer handed out
// stays valid even when a test switches the code page meanwhile.
std::mutex g_tables_mutex;

// Deliberately never destroyed: code running in static constructors or destructors of other
// units may convert text too.
std::map<int, const CodePageTables*>& TableMap() {
  static auto* const tables = new std::map<int, const CodePageTables*>;
  return *tables;
}

std::atomic<const CodePageTables*> g_current{nullptr};
std::once_flag g_init_once;

const CodePageTables* TablesFor(int cp) {
  std::lock_guard lock(g_tables_mutex);
  auto& tables = TableMap();
  auto it = tables.find(cp);
  if (it != tables.end()) return it->second;
  const CodePageTables* t = BuildTables(cp);
  if (t != nullptr) tables[cp] = t;
  return t;
}

int CodePageFromEnvironment() {
  if (const char* v = std::getenv("QUILLORA_CODEPAGE"); v != nullptr && *v != '\0') {
    std::string digits;
    for (const char* p = v; *p; ++p)
      if (std::isdigit(static_cast<unsigned char>(*p))) digits += *p;
    if (!digits.empty() && digits.size() <= 5) {
      int cp = std::stoi(digits);
      if (TablesFor(cp) != nullptr) return cp;
    }
  }
  std::string locale;
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    if (const char* v = std::getenv(var); v != nullptr && *v != '\0') {
      locale = v;
      break;
    }
  }
  std::string lang;
  for (char c : locale) {
    if (c == '_' || c == '.' || c == '@' || c == '-') break;
    lang += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  for (const char* l : {"ru", "uk", "be", "bg", "sr"})
    if (lang == l) return 1251;
  for (const char* l : {"cs", "pl", "sk", "hu", "sl", "hr", "ro", "bs", "sq"})
    if (lang == l) return 1250;
  return 1252;
}

const CodePageTables& Tables() {
  const CodePageTables* t = g_current.load(std::memory_order_acquire);
  if (t != nullptr) return *t;
  std::call_once(g_init_once, [] {
    if (g_current.load(std::memory_order_acquire) == nullptr) InitSystemCodePage();
  });
  return *g_current.load(std::memory_order_acquire);
}

struct Collators {
  UCollator* exact = nullptr;   // tertiary: case and accents count
  UCollator* nocase = nullptr;  // secondary: accents count, case does not
};

// Collators are configured once and afterwards only used for comparisons, which ICU allows
// from several threads at once.
const Collators& GetCollators() {
  static Collators c = [] {
    Collators r;
    UErrorCode err = U_ZERO_ERROR;
    r.exact = ucol_open("", &err);
    if (U_FAILURE(err)) throw std::runtime_error("Cannot open the collator");
    ucol_setStrength(r.exact, UCOL_TERTIARY);
    err = U_ZERO_ERROR;
    r.nocase = ucol_open("", &err);
    if (U_FAILURE(err)) throw std::runtime_error("Cannot open the collator");
    ucol_setStrength(r.nocase, UCOL_SECONDARY);
    return r;
  }();
  return c;
}

int Collate(UCollator* coll, std::u16string_view a, std::u16string_view b) {
  UCollationResult r =
      ucol_strcoll(coll, reinterpret_cast<const UChar*>(a.data()), static_cast<int32_t>(a.size()),
                   reinterpret_cast<const UChar*>(b.data()), static_cast<int32_t>(b.size()));
  return r == UCOL_LESS ? -1 : (r == UCOL_GREATER ? 1 : 0);
}

void AppendCodePoint(std::u16string& r, UChar32 c) {
  if (c <= 0xFFFF) {
    r += static_cast<char16_t>(c);
  } else {
    r += static_cast<char16_t>(U16_LEAD(c));
    r += static_cast<char16_t>(U16_TRAIL(c));
  }
}

// The collator treats some different texts as equal (ignorable controls); a case-sensitive
// comparison breaks such ties by code units so that it orders every pair of texts.
int CollateExact(std::u16string_view a, std::u16string_view b) {
  int r = Collate(GetCollators().exact, a, b);
  if (r != 0 || a == b) return r;
  return a < b ? -1 : 1;
}

// The lenient decoder stored texts were always read with: see Utf8ToWide in the header.
bool DecodeLenient(std::string_view s, std::u16string* out) {
  size_t i = 0, n = s.size();
  while (i < n) {
    auto c = static_cast<unsigned char>(s[i++]);
    if (c < 0x80) {
      if (out) out->push_back(c);
      continue;
    }
    uint32_t v = c & 0x3F;
    if (v & 0x20) {
      if (i >= n) return false;
      auto c1 = static_cast<unsigned char>(s[i++]);
      if ((c1 & 0xC0) != 0x80) return false;
      v = (v << 6) | (c1 & 0x3F);
    }
    if (i >= n) return false;
    auto c2 = static_cast<unsigned char>(s[i++]);
    if ((c2 & 0xC0) != 0x80) return false;
    v = (v << 6) | (c2 & 0x3F);
    if (out) out->push_back(static_cast<char16_t>(v & 0xFFFF));
  }
  return true;
}

}  // namespace

void InitSystemCodePage() {
  SetSystemCodePage(CodePageFromEnvironment());
}

int SystemCodePage() {
  return Tables().cp;
}

void SetSystemCodePage(int cp) {
  const CodePageTables* t = TablesFor(cp);
  if (t == nullptr) throw std::runtime_error("Unsupported code page " + std::to_string(cp));
  g_current.store(t, std::memory_order_release);
}

std::u16string AnsiToWide(std::string_view s) {
  const auto& t = Tables();
  std::u16string r(s.size(), u'\0');
  for (size_t i = 0; i < s.size(); ++i) r[i] = t.to_wide[static_cast<unsigned char>(s[i])];
  return r;
}

std::string WideToAnsi(std::u16string_view s) {
  const auto& t = Tables();
  std::string r;
  r.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    char16_t c = s[i];
    uint8_t b;
    if (U16_IS_LEAD(c) && i + 1 < s.size() && U16_IS_TRAIL(s[i + 1])) {
      r += '?';
      ++i;
    } else if (t.Lookup(c, b)) {
      r += static_cast<char>(b);
    } else {
      r += '?';
    }
  }
  return r;
}

std::string AnsiToUtf8(std::string_view s) {
  return WideToUtf8(AnsiToWide(s));
}

int32_t NextUtf8CodePoint(std::string_view s, size_t& i) {
  auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int extra;
  int32_t cp;
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    extra = 1;
    cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    extra = 2;
    cp = b0 & 0x0F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    extra = 3;
    cp = b0 & 0x07;
  } else {
    ++i;
    return -1;
  }
  if (i + static_cast<size_t>(extra) >= s.size()) {
    ++i;
    return -1;
  }
  for (int k = 1; k <= extra; ++k) {
    auto c = static_cast<unsigned char>(s[i + k]);
    if ((c & 0xC0) != 0x80) {
      ++i;
      return -1;
    }
    cp = (cp << 6) | (c & 0x3F);
  }
  static constexpr int32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return -1;
  }
  i += static_cast<size_t>(extra) + 1;
  return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size())
    if (NextUtf8CodePoint(s, i) < 0) return false;
  return true;
}

std::u16string Utf8ToWideStrict(std::string_view s) {
  std::u16string r;
  r.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    int32_t cp = NextUtf8CodePoint(s, i);
    AppendCodePoint(r, cp < 0 ? 0xFFFD : cp);
  }
  return r;
}

std::string Utf8ToAnsi(std::string_view s) {
  const auto& t = Tables();
  std::string r;
  r.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    int32_t cp = NextUtf8CodePoint(s, i);
    uint8_t b;
    if (cp >= 0 && cp <= 0xFFFF && t.Lookup(static_cast<char16_t>(cp), b))
      r += static_cast<char>(b);
    else
      r += '?';
  }
  return r;
}

char AnsiUpperChar(char c) {
  return static_cast<char>(Tables().upper[static_cast<unsigned char>(c)]);
}

char AnsiLowerChar(char c) {
  return static_cast<char>(Tables().lower[static_cast<unsigned char>(c)]);
}

const unsigned char* AnsiUpperTable() {
  return Tables().upper.data();
}

std::string AnsiUpperCase(std::string_view s) {
  const auto& up = Tables().upper;
  std::string r(s);
  for (char& c : r) c = static_cast<char>(up[static_cast<unsigned char>(c)]);
  return r;
}

std::string AnsiLowerCase(std::string_view s) {
  const auto& lo = Tables().lower;
  std::string r(s);
  for (char& c : r) c = static_cast<char>(lo[static_cast<unsigned char>(c)]);
  return r;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  const CodePageTables* t = nullptr;
  for (size_t i = 0; i < a.size(); ++i) {
    auto x = static_cast<unsigned char>(a[i]);
    auto y = static_cast<unsigned char>(b[i]);
    if (x == y) continue;
    if ((x | y) < 0x80) {
      // ASCII letters differ only in bit 0x20.
      if ((x ^ y) != 0x20) return false;
      unsigned char l = x | 0x20;
      if (l < 'a' || l > 'z') return false;
      continue;
    }
    if (t == nullptr) t = &Tables();
    if (t->upper[x] != t->upper[y]) return false;
  }
  return true;
}

int AnsiCompareStr(std::string_view a, std::string_view b) {
  return CollateExact(AnsiToWide(a), AnsiToWide(b));
}

int AnsiCompareText(std::string_view a, std::string_view b) {
  return Collate(GetCollators().nocase, AnsiToWide(a), AnsiToWide(b));
}

// Lenient by design: a byte with the top bit set starts a sequence of three bytes when its bit
// 0x20 is set, of two otherwise; the lead byte is not examined further and the unit is cut to
// 16 bits. A sequence cut off by the end or a continuation byte other than 10xxxxxx means the
// text was never UTF-8, and the whole input is read in the code page instead.
std::u16string Utf8ToWide(std::string_view s) {
  std::u16string r;
  r.reserve(s.size());
  if (DecodeLenient(s, &r)) return r;
  return AnsiToWide(s);
}

bool IsUtf8Decodable(std::string_view s) {
  return DecodeLenient(s, nullptr);
}

// Surrogates are written one by one, as the readers of our files expect.
std::string WideToUtf8(std::u16string_view s) {
  std::string r;
  r.reserve(s.size());
  for (char16_t c : s) {
    if (c < 0x80) {
      r += static_cast<char>(c);
    } else if (c < 0x800) {
      r += static_cast<char>(0xC0 | (c >> 6));
      r += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      r += static_cast<char>(0xE0 | (c >> 12));
      r += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      r += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return r;
}

namespace {
// Case is mapped character by character so that positions in the text stay where they were.
std::u16string MapWideCase(std::u16string_view s, UChar32 (*map)(UChar32)) {
  std::u16string r;
  r.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    UChar32 c;
    U16_NEXT(s.data(), i, s.size(), c);
    UChar32 m = map(c);
    if (U16_LENGTH(m) != U16_LENGTH(c)) m = c;
    AppendCodePoint(r, m);
  }
  return r;
}
}  // namespace

std::u16string WideUpperCase(std::u16string_view s) {
  return MapWideCase(s, u_toupper);
}
std::u16string WideLowerCase(std::u16string_view s) {
  return MapWideCase(s, u_tolower);
}

int WideCompare(std::u16string_view a, std::u16string_view b) {
  return CollateExact(a, b);
}

int WideCompareText(std::u16string_view a, std::u16string_view b) {
  return Collate(GetCollators().nocase, a, b);
}

int WideCompareTextN(std::u16string_view a, std::u16string_view b, size_t n) {
  return WideCompareText(a.substr(0, n), b.substr(0, n));
}

}  // namespace quillora
