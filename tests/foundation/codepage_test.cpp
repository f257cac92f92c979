#include "foundation/codepage.h"

#include <cstdlib>
#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace quillora {
namespace {

// Pins a code page for one test and restores the previous one afterwards.
class CodePageGuard {
 public:
  explicit CodePageGuard(int cp) : previous_(SystemCodePage()) { SetSystemCodePage(cp); }
  ~CodePageGuard() { SetSystemCodePage(previous_); }

 private:
  int previous_;
};

// Sets or clears an environment variable for one scope.
class EnvGuard {
 public:
  EnvGuard(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ~EnvGuard() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(CodePage, ChosenFromEnvironment) {
  int previous = SystemCodePage();
  struct Case {
    const char* override_cp;
    const char* lang;
    int expected;
  } cases[] = {
      {nullptr, "ru_RU.UTF-8", 1251}, {nullptr, "uk_UA", 1251},
      {nullptr, "pl_PL.UTF-8", 1250}, {nullptr, "cs", 1250},
      {nullptr, "de_DE.UTF-8", 1252}, {nullptr, "C", 1252},
      {"1251", "en_US.UTF-8", 1251},  {"bogus", "ru_RU", 1251},
  };
  EnvGuard all("LC_ALL", nullptr), messages("LC_MESSAGES", nullptr);
  for (const auto& c : cases) {
    EnvGuard cp("QUILLORA_CODEPAGE", c.override_cp), lang("LANG", c.lang);
    InitSystemCodePage();
    EXPECT_EQ(SystemCodePage(), c.expected)
        << c.lang << " / " << (c.override_cp ? c.override_cp : "");
  }
  {
    // LC_ALL wins over LANG.
    EnvGuard cp("QUILLORA_CODEPAGE", nullptr), lang("LANG", "en_US"), lc("LC_ALL", "bg_BG");
    InitSystemCodePage();
    EXPECT_EQ(SystemCodePage(), 1251);
  }
  SetSystemCodePage(previous);
  EXPECT_THROW(SetSystemCodePage(65001), std::runtime_error);
}

TEST(CodePage, EveryByteSurvivesWideRoundTrip) {
  for (int cp : {1250, 1251, 1252}) {
    CodePageGuard guard(cp);
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    std::u16string wide = AnsiToWide(all);
    ASSERT_EQ(wide.size(), 256u);
    EXPECT_EQ(WideToAnsi(wide), all) << cp;
    EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(all)), all) << cp;
  }
}

TEST(CodePage, MapsCharactersOfEachPage) {
  struct Case {
    int cp;
    unsigned char byte;
    char16_t wide;
  } cases[] = {{1252, 0x80, u'\u20AC'}, {1252, 0xE9, u'\u00E9'}, {1251, 0xC0, u'\u0410'},
               {1251, 0xFF, u'\u044F'}, {1250, 0x8A, u'\u0160'}, {1250, 0xE8, u'\u010D'}};
  for (const auto& c : cases) {
    CodePageGuard guard(c.cp);
    std::string byte(1, static_cast<char>(c.byte));
    EXPECT_EQ(AnsiToWide(byte), std::u16string(1, c.wide)) << c.cp;
    EXPECT_EQ(WideToAnsi(std::u16string(1, c.wide)), byte) << c.cp;
  }
  CodePageGuard guard(1252);
  EXPECT_EQ(WideToAnsi(u"a\u0416b"), "a?b");      // not in the page
  EXPECT_EQ(WideToAnsi(u"x\U0001F600y"), "x?y");  // a surrogate pair is one character
  EXPECT_EQ(Utf8ToAnsi("a\xC3\xA9\xFF"), "a\xE9?");
}

TEST(CodePage, CaseMappingFollowsThePage) {
  {
    CodePageGuard guard(1252);
    EXPECT_EQ(AnsiUpperCase("abc\xE9\xFF\xDF\xB5"), "ABC\xC9\x9F\xDF\xB5");  // ÿ -> Ÿ at 0x9F
    EXPECT_EQ(AnsiLowerCase("ABC\xC9\x9F"), "abc\xE9\xFF");
    EXPECT_TRUE(SameText("Program_Name", "PROGRAM_NAME"));
    EXPECT_TRUE(SameText("caf\xE9", "CAF\xC9"));
    EXPECT_FALSE(SameText("@", "`"));  // differ by 0x20 but are not letters
    EXPECT_FALSE(SameText("[", "{"));
    EXPECT_FALSE(SameText("abc", "abcd"));
  }
  {
    CodePageGuard guard(1251);
    EXPECT_EQ(AnsiUpperCase("\xEF\xF0\xE8\xE2\xE5\xF2"), "\xCF\xD0\xC8\xC2\xC5\xD2");  // привет
    EXPECT_TRUE(SameText("\xEF\xF0\xE8", "\xCF\xD0\xC8"));
    EXPECT_EQ(AnsiCompareText("\xEF\xF0\xE8", "\xCF\xD0\xC8"), 0);
  }
}

TEST(CodePage, Utf8ToWideIsLenientAndFallsBack) {
  CodePageGuard guard(1252);
  struct Case {
    const char* name;
    std::string in;
    std::u16string out;
    bool decodable;
  } cases[] = {
      {"empty", "", u"", true},
      {"ascii", "abc", u"abc", true},
      {"two bytes", "\xC3\xA9", u"\u00E9", true},
      {"three bytes", "\xE2\x82\xAC", u"\u20AC", true},
      // An overlong form is not rejected: the lead byte is not examined further.
      {"overlong", "\xC0\xAF", u"/", true},
      {"truncated", "a\xC3", u"a\u00C3", false},
      {"bad continuation", "\xE9t\xE9", u"\u00E9t\u00E9", false},
      // A four-byte lead is read as a three-byte one, leaving a stray byte that is then cut off.
      {"four byte lead", "\xF0\x9F\x98\x80", u"\u00F0\u0178\u02DC\u20AC", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf8ToWide(c.in), c.out) << c.name;
    EXPECT_EQ(IsUtf8Decodable(c.in), c.decodable) << c.name;
  }
}

TEST(CodePage, WideToUtf8WritesSurrogatesOneByOne) {
  EXPECT_EQ(WideToUtf8(u""), "");
  EXPECT_EQ(WideToUtf8(u"a\u00E9\u20AC"), "a\xC3\xA9\xE2\x82\xAC");
  EXPECT_EQ(WideToUtf8(u"\U0001F600"), "\xED\xA0\xBD\xED\xB8\x80");
  EXPECT_EQ(Utf8ToWide(WideToUtf8(u"\u0416\u00FF\u07FF\u0800")), u"\u0416\u00FF\u07FF\u0800");
}

TEST(CodePage, LocaleComparisons) {
  EXPECT_EQ(WideCompareText(u"Stra\u00DFe", u"STRA\u00DFE"), 0);
  EXPECT_EQ(WideCompareText(u"\u0430\u0431\u0432", u"\u0410\u0411\u0412"), 0);
  EXPECT_NE(WideCompare(u"abc", u"ABC"), 0);
  EXPECT_EQ(WideCompare(u"abc", u"abc"), 0);
  // The locale orders letters alphabetically, not by code: "a" < "B" < "c".
  EXPECT_EQ(WideCompare(u"a", u"B"), -1);
  EXPECT_EQ(WideCompare(u"c", u"B"), 1);
  EXPECT_EQ(WideCompareText(u"apple", u"Banana"), -1);
  EXPECT_EQ(WideCompareTextN(u"HELLO world", u"hello there", 5), 0);
  EXPECT_EQ(WideCompareTextN(u"abc", u"abd", 10), -1);
  // Accents count even when case does not.
  EXPECT_NE(WideCompareText(u"resume", u"r\u00E9sum\u00E9"), 0);

  CodePageGuard guard(1252);
  EXPECT_EQ(AnsiCompareStr("a", "B"), -1);
  EXPECT_EQ(AnsiCompareText("ABC", "abc"), 0);
  EXPECT_NE(AnsiCompareStr("ABC", "abc"), 0);
  EXPECT_EQ(AnsiCompareStr("b\x01", "b"), 1);  // ignorable controls still break the tie
  EXPECT_EQ(WideUpperCase(u"stra\u00DFe \u0444"), u"STRA\u00DFE \u0424");  // length kept
  EXPECT_EQ(WideLowerCase(u"\u0424X"), u"\u0444x");
}

TEST(CodePage, StrictUtf8) {
  struct Case {
    std::string bytes;
    bool valid;
    std::u16string wide;
  } cases[] = {
      {"abc", true, u"abc"},
      {"\xC3\xA9", true, u"\u00E9"},
      {"\xF0\x9F\x98\x80", true, u"\U0001F600"},       // a surrogate pair
      {"\xC0\xAF", false, u"\uFFFD\uFFFD"},            // overlong
      {"\xED\xA0\x80", false, u"\uFFFD\uFFFD\uFFFD"},  // an encoded surrogate
      {"x\xE9", false, u"x\uFFFD"},                    // cut short
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << c.bytes;
    EXPECT_EQ(Utf8ToWideStrict(c.bytes), c.wide) << c.bytes;
  }
}

}  // namespace
}  // namespace quillora
