#include <gtest/gtest.h>

#include "foundation/codepage.h"
#include "template/template.h"

namespace quillora {
namespace {

TEST(TemplatizeText, ReplacesLongestValuesFirst) {
  SetSystemCodePage(1252);
  TOptionsList values;
  values.SetString("Program_Info/Program_Name", "Word Counter");
  values.SetString("Program_Info/Program_Version", "2.1");
  values.SetString("Short", "W");        // one character: never used
  values.SetString("Word", "Word");      // shorter than the name that contains it
  values.SetString("First", "Windows");  // equally long: the earlier line wins
  values.SetString("Second", "Windows");
  values.SetString("Umlaut", "Z\xC3\xA4hler");  // stored UTF-8, matched in the code page
  values.AddLine("Has Blank=blank value");

  struct {
    const char* text;
    const char16_t* expected;
  } cases[] = {
      {"Word Counter 2.1 for Windows",
       u"|Program_Info/Program_Name| |Program_Info/Program_Version| for |First|"},
      {"A Word", u"A |Word|"},
      {"W", u"W"},
      {"", u""},
      {"word counter", u"word counter"},  // case-sensitive
      {"Z\xE4hler!", u"|Umlaut|!"},
      {"a blank value", u"a |Has_Blank|"},
      {"2.12.1", u"|Program_Info/Program_Version||Program_Info/Program_Version|"},
      {"\xE9t\xE9", u"\u00E9t\u00E9"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(TemplatizeText(c.text, values), c.expected);
  }

  // The placeholders expand back to the text.
  std::string round = WideToAnsi(TemplatizeText("Word Counter 2.1, a blank value", values));
  ExpandTemplate(values, '|', round, "");
  EXPECT_EQ(round, "Word Counter 2.1, a blank value");

  // Long texts are handled without deep recursion.
  std::string many;
  for (int i = 0; i < 20000; ++i) many += "2.1";
  EXPECT_EQ(TemplatizeText(many, values).size(), 20000u * 30);
}

}  // namespace
}  // namespace quillora
