#include "foundation/text_utils.h"

#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/codepage.h"

namespace quillora {
namespace {

class TextUtils : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = SystemCodePage();
    SetSystemCodePage(1252);
  }
  void TearDown() override { SetSystemCodePage(previous_); }

 private:
  int previous_ = 1252;
};

TEST_F(TextUtils, ContainsTextIgnoresCaseAndNeverMatchesEmpty) {
  EXPECT_TRUE(ContainsText("No products FOUND here", "found"));
  EXPECT_TRUE(ContainsText("CAF\xC9 au lait", "caf\xE9"));
  EXPECT_FALSE(ContainsText("abc", "abcd"));
  EXPECT_FALSE(ContainsText("abc", ""));
  EXPECT_TRUE(ContainsAnyText("Sorry, nothing matched", {"", "no results", "NOTHING"}));
  EXPECT_FALSE(ContainsAnyText("Three results", {"", "no results"}));
}

TEST_F(TextUtils, PositionsAreOneBased) {
  struct Case {
    const char* sub;
    const char* s;
    size_t from;
    bool cs;
    size_t expected;
  } pos_from[] = {
      {"ab", "xabxab", 1, true, 2}, {"ab", "xabxab", 3, true, 5},  {"ab", "xabxab", 6, true, 0},
      {"AB", "xabxab", 1, true, 0}, {"AB", "xabxab", 3, false, 5}, {"ab", "xabxab", 0, true, 2},
      {"", "xabxab", 1, true, 0},   {"ab", "xabxab", 99, true, 0},
  };
  for (const auto& c : pos_from)
    EXPECT_EQ(PosFrom(c.sub, c.s, c.from, c.cs), c.expected) << c.sub << " from " << c.from;

  struct Case2 {
    const char* sub;
    const char* s;
    size_t pos;
    bool cs;
    size_t expected;
  } last_before[] = {
      {"ab", "xabxab", 6, true, 5},  // ends exactly at pos
      {"ab", "xabxab", 5, true, 2},  // the later one would end after pos
      {"AB", "xabxab", 99, false, 5}, {"ab", "xabxab", 2, true, 0}, {"", "xab", 3, true, 0},
  };
  for (const auto& c : last_before)
    EXPECT_EQ(LastPosBefore(c.sub, c.s, c.pos, c.cs), c.expected) << c.sub << " before " << c.pos;
}

TEST_F(TextUtils, CountOccurrencesDoesNotOverlap) {
  size_t last = 42;
  EXPECT_EQ(CountOccurrences("aa", "aaaaa", last), 2);
  EXPECT_EQ(last, 3u);
  last = 42;
  EXPECT_EQ(CountOccurrences("x", "aaa", last), 0);
  EXPECT_EQ(CountOccurrences("", "aaa", last), 0);
  EXPECT_EQ(last, 42u);  // untouched without a match
  EXPECT_EQ(CountOccurrences("A", "aAa", last), 1);
  EXPECT_EQ(last, 2u);
}

TEST_F(TextUtils, Replace) {
  EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
  EXPECT_EQ(ReplaceAll("a.b.c", ".", "::"), "a::b::c");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
  EXPECT_EQ(ReplaceAll("Abc abc", "abc", "x"), "Abc x");
  EXPECT_EQ(ReplaceAllText("Abc aBC", "abc", "x"), "x x");
  EXPECT_EQ(ReplaceAllText("%NAME% and %name%", "%Name%", "Tool"), "Tool and Tool");
}

TEST_F(TextUtils, CollapseSpaces) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"a  b", "a b"},
      {"\t\r\n a", " a"},
      {"a \r\n", "a"},
      {"a\x01\x1F b", "a b"},
      {std::string("a\0b", 3), "a b"},
      {"", ""},
      {"   ", ""},
      {"\xA0x", "\xA0x"},  // 160 is not white space
  };
  for (const auto& c : cases) EXPECT_EQ(CollapseSpaces(c.in), c.out) << c.in;
}

TEST_F(TextUtils, StripElementText) {
  const std::string page =
      "<table><tr><td class=l>left</td><td id=ads><a id=aw1 href=x>Ad</a> more</td>"
      "<td>right</td></tr></table>";
  EXPECT_EQ(StripElementText(page, "<a id=aw1", "/td", "td", false),
            "<table><tr><td class=l>left</td><td id=ads></td><td>right</td></tr></table>");
  // Not case-sensitive when asked: the tags may be upper case.
  EXPECT_EQ(StripElementText("<TD x>a<A ID=AW1>b</A></TD>", "<a id=aw1", "/td", "td", false),
            "<TD x></TD>");
  // Case-sensitive: the upper-case marker is not found, nothing changes.
  EXPECT_EQ(StripElementText("<TD x>a<A ID=AW1>b</A></TD>", "<a id=aw1", "/td", "td", true),
            "<TD x>a<A ID=AW1>b</A></TD>");
  // Any missing piece leaves the text alone.
  for (const char* s : {"<td>no marker</td>", "<td><a id=aw1>no closing", "<a id=aw1></td>"})
    EXPECT_EQ(StripElementText(s, "<a id=aw1", "/td", "td", false), s);
}

TEST_F(TextUtils, Fields) {
  EXPECT_EQ(NthField("a,b,c", 0, ','), "a");
  EXPECT_EQ(NthField("a,b,c", 2, ','), "c");
  EXPECT_EQ(NthField("a,b,c", 3, ','), "");
  EXPECT_EQ(NthField("a,,c", 1, ','), "");
  EXPECT_EQ(NthField("abc", 0, ','), "abc");
  EXPECT_EQ(CountFields("", ','), 0);
  EXPECT_EQ(CountFields("a", ','), 1);
  EXPECT_EQ(CountFields("a,,", ','), 3);
  EXPECT_EQ(NormalizeName("My Tool-2 (Pro) \xC9t\xE9!"), "mytool2pro\xE9t\xE9");
  EXPECT_EQ(ReverseBytes("abc"), "cba");
}

TEST_F(TextUtils, SplittingKeepsOrDropsEmptyPartsAsAsked) {
  using V = std::vector<std::string>;
  using M = TSplitMode;
  struct Case {
    std::string in;
    std::string separators;
    M mode;
    V out;
  } cases[] = {
      // Every separator ends a part, the first and the last too.
      {"a;;b;", ";", M::KeepEmpty, {"a", "", "b", ""}},
      {";a", ";", M::KeepEmpty, {"", "a"}},
      {"", ";", M::KeepEmpty, {""}},
      {"a", ";", M::KeepEmpty, {"a"}},
      {"&a&&b=1&", "&", M::DropEmpty, {"a", "b=1"}},
      {"", ",", M::DropEmpty, {}},
      {",,,", ",", M::DropEmpty, {}},
      // Blanks around a part go; a part of blanks alone is empty.
      {" a , b ,  ,c", ",", M::TrimDropEmpty, {"a", "b", "c"}},
      {" Win95 / Win98;WinXP ", "/;", M::TrimDropEmpty, {"Win95", "Win98", "WinXP"}},
      {" a b ", ",", M::DropEmpty, {" a b "}},
      {std::string("a\0b", 3), std::string(1, '\0'), M::KeepEmpty, {"a", "b"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SplitAtAny(c.in, c.separators, c.mode), c.out) << c.in << " / " << c.separators;
    if (c.separators.size() == 1) {
      EXPECT_EQ(SplitAt(c.in, c.separators[0], c.mode), c.out) << c.in;
    }
  }
}

TEST_F(TextUtils, SplitAndJoinLines) {
  using V = std::vector<std::string>;
  struct Case {
    std::string in;
    V out;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
      {"a\n\nb\r\n\r\n", {"a", "", "b", ""}},
      {"a\r\r\nb", {"a", "", "b"}},
      {"\n", {""}},
      {std::string("a\r\nb\0c\r\nd", 9), {"a", "b"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitLines(c.in), c.out) << c.in;
  EXPECT_EQ(JoinLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
  EXPECT_EQ(SplitLines(JoinLines({"x", "", "y"})), (V{"x", "", "y"}));
  EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
}

TEST_F(TextUtils, StrToInt) {
  struct Case {
    const char* s;
    bool ok;
    int value;
  } cases[] = {
      {"0", true, 0},
      {"  42", true, 42},
      {"-17", true, -17},
      {"+5", true, 5},
      {"2147483647", true, 2147483647},
      {"-2147483648", true, -2147483647 - 1},
      {"2147483648", false, 0},
      {"", false, 0},
      {"-", false, 0},
      {"12 ", false, 0},
      {"1x", false, 0},
      {"0x10", false, 0},
      {"99999999999999999999", false, 0},
  };
  for (const auto& c : cases) {
    int v = 12345;
    EXPECT_EQ(TryStrToInt(c.s, v), c.ok) << c.s;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.s;
    }
  }
  try {
    StrToInt("abc");
    FAIL() << "no exception";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
  }
}

}  // namespace
}  // namespace quillora
