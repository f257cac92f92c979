#include "foundation/option_list.h"

#include <gtest/gtest.h>

namespace quillora {
namespace {

TEST(OptionsList, SetGetRemoveAndCaseInsensitiveKeys) {
  TOptionsList o;
  o.SetString("Program_Info/Program_Name", "My Tool");
  EXPECT_EQ(o.GetString("PROGRAM_INFO/program_name"), "My Tool");
  o.SetString("program_info/PROGRAM_NAME", "Other");  // replaces the line, spelled as written now
  ASSERT_EQ(o.Count(), 1);
  EXPECT_EQ(o.Line(0), "program_info/PROGRAM_NAME=Other");
  o.SetString("Program_Info/Program_Name", "");
  EXPECT_EQ(o.Count(), 0);
  EXPECT_EQ(o.GetString("missing"), "");
  EXPECT_EQ(o.GetInt("missing"), -1);

  o.SetBool("Flag", true);
  EXPECT_TRUE(o.GetBool("flag"));
  o.SetString("Flag", "true");
  EXPECT_FALSE(o.GetBool("Flag"));
  o.SetInt("N", -42);
  EXPECT_EQ(o.GetInt("n"), -42);
  o.SetString("N", "abc");
  EXPECT_THROW(o.GetInt("N"), std::invalid_argument);
}

TEST(OptionsList, FirstLineOfANameWinsAndDuplicatesStay) {
  TOptionsList o;
  o.SetText("A=1\r\na=2\nB==x\r\nno equals\n=empty name");
  EXPECT_EQ(o.GetString("A"), "1");
  EXPECT_EQ(o.GetString("B"), "=x");
  EXPECT_EQ(o.Count(), 5);
  // A line without "=" has an empty name: its position reads and writes the whole line.
  EXPECT_EQ(o.GetValueAt(3), "no equals");
  o.SetValueAt(3, "50%");
  EXPECT_EQ(o.Line(3), "50%25");
  EXPECT_EQ(o.GetValueAt(1), "1");  // line 1 is named "a": the first line of that name answers
  EXPECT_EQ(o.IndexOfName("x=y"), -1);
}

TEST(OptionsList, TextFormSplitsAtEveryLineEndAndStopsAtNul) {
  TOptionsList o;
  o.SetText(std::string("a=1\r\rb=2\n\r\nc=3\0d=4", 18));
  ASSERT_EQ(o.Count(), 5);
  EXPECT_EQ(o.Line(4), "c=3");
  EXPECT_EQ(o.Line(1), "");
  EXPECT_EQ(o.Line(2), "b=2");
  EXPECT_EQ(o.Line(3), "");
  o.SetText("x=1\r\n");
  EXPECT_EQ(o.Count(), 1);  // no empty line after the final line end
  o.SetText("x=1\r\ny=2");
  EXPECT_EQ(o.Text(), "x=1\r\ny=2\r\n");
}

TEST(OptionsList, ValueEscapingRoundTrips) {
  TOptionsList o;
  std::string value = "Line 1\r\nLine 2 \xE9 50% done";
  o.SetString("K", value);
  EXPECT_EQ(o.Line(0), "K=Line 1%0D%0ALine 2 %E9 50%25 done");
  EXPECT_EQ(o.GetString("K"), value);
  for (int b = 0; b < 256; ++b) {
    std::string v(1, static_cast<char>(b));
    EXPECT_EQ(DecodeValue(EncodeValue(v + "x" + v)), v + "x" + v) << b;
  }
}

TEST(DecodeValue, Cases) {
  struct Case {
    std::string stored, expected;
  } cases[] = {
      {"abc", "abc"},
      {"%41%42", "AB"},
      {"x%4", "x%4"},    // one hex digit at the end: both kept
      {"x%4z", "x%4z"},  // one hex digit then a non-digit
      {"x%zz", "x%zz"},  // no hex digits: the "%" stays
      {"x%", "x%"},
      {"x%e9", "x%e9"},           // lower-case digits are not escapes
      {"%abc%%def%", "abc%def"},  // the older form
      {"%a%41b%", "aAb"},
      {"%a%zzb%", "a%zzb"},
      {std::string("%x=>\x01NULL\x01<=y%"), std::string("x\0y", 3)},
      {"%%", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeValue(c.stored), c.expected) << c.stored;
}

TEST(OptionsList, DefaultNamesFollowTheCounterPattern) {
  TOptionsList a, b;
  // "<random>6-<counter>2"
  auto counter = [](const std::string& name) {
    size_t dash = name.find('-');
    EXPECT_NE(dash, std::string::npos);
    EXPECT_EQ(name[dash - 1], '6');
    EXPECT_EQ(name.back(), '2');
    return std::stoi(name.substr(dash + 1, name.size() - dash - 2));
  };
  int ca = counter(a.Name), cb = counter(b.Name);
  EXPECT_EQ(cb, ca == 99 ? 0 : ca + 1);
  TOptionsList c(a);
  EXPECT_EQ(c.Name, a.Name);
}

TEST(MultiOptions, SaveAndLoadTextForm) {
  TMultiOptions m;
  m.Section("General").SetString("Program_Info/Program_Name", "My Tool");
  m.Section("General").SetString("Program_Info/Program_Desc", "Line 1\r\nLine 2");
  m.Section("Comments");
  std::string text = m.Text();
  EXPECT_EQ(text,
            "[General]\r\nProgram_Info/Program_Name=My Tool\r\nProgram_Info/Program_Desc=Line "
            "1%0D%0ALine 2\r\n"
            "\r\n[Comments]\r\n\r\n");
  TMultiOptions back;
  back.SetText(text);
  ASSERT_EQ(back.Count(), 2);
  EXPECT_EQ(back.SectionAt(0).GetString("program_info/program_desc"), "Line 1\r\nLine 2");
  EXPECT_EQ(back.SectionAt(1).Name, "Comments");
  EXPECT_EQ(back.SectionAt(1).Index, 1);
  EXPECT_EQ(TMultiOptions().Text(), "");
}

TEST(MultiOptions, HeadersAreExactAndRepeatsKeepTheLastGroupInPlace) {
  TMultiOptions m;
  m.SetText(
      "lost=1\r\n[A]\r\nx=1\r\n[general]\r\ny=1\r\n[A]\r\nx=2\r\nz=3\r\n "
      "[B]\r\n[]\r\nq=1\r\n[k]ey]\r\n");
  ASSERT_EQ(m.Count(), 4);
  EXPECT_EQ(m.SectionAt(0).Name, "A");
  EXPECT_EQ(m.SectionAt(0).Text(), "x=2\r\nz=3\r\n [B]\r\n");  // a leading blank is not a header
  EXPECT_EQ(m.SectionAt(1).Name, "general");
  EXPECT_EQ(m.FindSection("General"), nullptr);
  EXPECT_EQ(m.SectionAt(2).Name, "");
  EXPECT_EQ(m.SectionAt(3).Name, "k]ey");
  EXPECT_EQ(&m.Section("A"), &m.SectionAt(0));  // never a second section of a name
}

}  // namespace
}  // namespace quillora
