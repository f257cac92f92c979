#include "template/template.h"

#include <random>

#include <gtest/gtest.h>

#include "foundation/codepage.h"
#include "foundation/stream.h"
#include "foundation/text_utils.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"
#include "template/template_values.h"

namespace quillora {
namespace {

using test::TempDir;

class TemplateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSystemCodePage(1252);
    values_.SetString("Program_Info/Program_Name", "Word Counter");
    values_.SetString("Program_Info/Program_Version", "2.1");
    values_.SetString("Program_Info/Program_Type", "Shareware");
    values_.SetString("Program_Descriptions/English/Char_Desc_80", "Counts words in text files");
    values_.SetString("Company_Info/Company_WebSite_URL", "scheme://host:8080/dir/page.ext?query");
  }

  std::string Ansi(std::string text, std::string_view prefix = "", const TExpandOptions& o = {}) {
    ExpandTemplate(values_, '|', text, prefix, o);
    return text;
  }
  std::string Utf8(std::string text, std::string_view prefix = "", const TExpandOptions& o = {}) {
    ExpandTemplateUtf8(values_, '|', text, prefix, o);
    return text;
  }
  std::u16string Wide(std::string_view text, std::string_view prefix = "") {
    return ExpandTemplateToWide(text, values_, prefix);
  }

  TOptionsList values_;
};

struct Case {
  const char* tmpl;
  const char* expected;
};

// The language's rules and its odd corners; every engine must give the same text for ASCII.
const Case kCases[] = {
    // scanning and operands
    {"|Program_Info/Program_Name| |Program_Info/Program_Version|", "Word Counter 2.1"},
    {"|Program_Info/Program_Name Program_Info/Program_Version|", "Word Counter2.1"},
    {"a||b", "ab"},
    {"a|b", "a|b"},
    {"x |Program_Info/Program_Version| y |z", "x 2.1 y |z"},
    {"|'a\\7Cb'|", "a|b"},
    {"|'\\41\\42' \"it\\27s\"|", "ABit's"},
    {"|'a\\nb\\rc'|", "a\r\nb\rc"},
    {"|'\\zz|\\4'|", "?\\4'|"},  // the second "|" closes the expression
    {"|'\\zz\\4'|", "??"},
    {"|'unterminated|", "unterminated"},
    {"|45|", ""},
    {"|'a' + 'b'|", "ab"},
    {"|No_Such_Key|", ""},
    {"|program_info/program_name|", ""},  // keys are case-sensitive
    {"|Program_Descriptions/German/Char_Desc_80|", "Counts words in text files"},
    {"|'a' # 'b'|", "a"},  // an unknown character ends the expression
    // functions
    {"|UPPERCASE Program_Info/Program_Type|", "SHAREWARE"},
    {"|LOWERCASE 'AbC' 'D'|", "abcd"},
    {"|UPPERCASE('a')|", "a"},  // no blank: the key UPPERCASE, then a group
    {"|ELEMENT(0) Program_Info/Program_Name|", "Word"},
    {"|ELEMENT(1,'o') Program_Info/Program_Name|", "rd C"},
    {"|ELEMENT(1) 'alpha, beta;gamma'|", "beta"},
    {"|ELEMENT(2) 'alpha, beta;gamma'|", "gamma"},
    {"|ELEMENT(9) 'a b'|", ""},
    {"|ELEMENT(2147483647) 'a b'|", ""},
    {"|ELEMENT(0) ' lead'|", ""},
    {"|ELEMENT(--1) 'a b'|", "a"},  // an invalid integer reads as 0
    {"|COPY(1,5) Program_Info/Program_Name|", "Word "},
    {"|COPY(0,4) Program_Info/Program_Name|", "Word"},
    {"|COPY(9,100) Program_Info/Program_Name|", "nter"},
    {"|COPY(20,3) Program_Info/Program_Name|", ""},
    {"|COPY(-2147483648,-1) 'abc'|", ""},
    {"|DELETE(1,5) Program_Info/Program_Name|", "Counter"},
    {"|DELETE(0,5) Program_Info/Program_Name|", "Word Counter"},
    {"|DELETE(12,5) Program_Info/Program_Name|", "Word Counte"},
    {"|TRIMWORD(' ') COPY(1,7) Program_Info/Program_Name|", "Word"},
    {"|TRIMLEFT(' W') '  Word'|", "ord"},
    {"|TRIMLEFT('') '  x'|", "x"},
    {"|REPLACE('WORD','Line') Program_Info/Program_Name|", "Line Counter"},
    {"|REPLACE('o','0') 'Foo oO'|", "F00 00"},
    {"|REPLACE('','x') 'abc'|", "abc"},
    {"|LENGTH(Program_Info/Program_Name)|", "12"},
    {"|LENGTH(Program_Info/Program_Name) 'x'|", "12x"},
    {"|'a' LENGTH(Program_Info/Program_Name|", "a"},  // missing ")": the function yields nothing
    {"|'<' UPPERCASE 'a' ELEMENT(0) 'b c'|", "<AB"},  // functions take everything after them
    // URL functions
    {"|URLPROTO(Company_Info/Company_WebSite_URL)|", "scheme://"},
    {"|URLDOMAIN(Company_Info/Company_WebSite_URL)|", "host"},
    {"|URLPATH(Company_Info/Company_WebSite_URL)|", "/dir/"},
    {"|URLFILENAME(Company_Info/Company_WebSite_URL)|", "page.ext"},
    {"|URLPARAMS(Company_Info/Company_WebSite_URL)|", "?query"},
    {"|URLDOMAIN(Company_Info/Company_WebSite_URL) = 'HOST'|", "TRUE"},
    {"|URLPATH('x://h')| |URLFILENAME('x://h')|.|URLPARAMS('x://h/a')|", "/ ."},
    {"|URLDOMAIN('no-scheme/x')|", ""},
    // comparisons and logic
    {"|LENGTH(Program_Info/Program_Name) > '10'|", "TRUE"},
    {"|LENGTH(Program_Info/Program_Name) > 10|", "TRUE"},
    {"|'10' > '9'|", "TRUE"},
    {"|'2.5' < '10'|", "TRUE"},
    {"|'-3' < '+2'|", "TRUE"},
    {"|'1.0' <= '1'|", "TRUE"},
    {"|'1.0' = '1'|", "FALSE"},
    {"|'9' < '10a'|", "FALSE"},  // not numeric: compared as texts
    {"|'abc' < 'abd'|", "TRUE"},
    {"|'b' >= 'a'|", "TRUE"},
    {"|'a' <> 'A'|", "FALSE"},
    {"|'a' != 'A'|", "TRUE"},
    {"|'a' == 'a'|", "TRUE"},
    {"|'ord' IN Program_Info/Program_Name|", "TRUE"},
    {"|'WORD' IN Program_Info/Program_Name|", "TRUE"},
    {"|'' IN Program_Info/Program_Name|", "FALSE"},
    {"|!No_Such_Key|", "TRUE"},
    {"|!('a' = 'a')|", "FALSE"},
    {"|!('a' = 'a'|", ""},  // "!(" without ")"
    {"|'false' AND 'x'|", "TRUE"},
    {"|'FALSE' OR ''|", "FALSE"},
    {"|Order_Date|", "FALSE"},  // OR, then the key der_Date
    // no precedence: an operator's right operand is the whole rest
    {"|Program_Info/Program_Type = 'x' AND 'y'|", "FALSE"},
    {"|(Program_Info/Program_Type = 'shareware') AND ('a' = 'b')|", "FALSE"},
    {"|(Program_Info/Program_Type = 'shareware') OR ('a' = 'b')|", "TRUE"},
    {"|'x' Program_Info/Program_Version = 'x2.1'|", "xFALSE"},
    {"|'x' (Program_Info/Program_Version) = 'x2.1'|", "TRUE"},  // a group joins the left value
    {"|('a' 'b'|", "ab"},
    // conditionals
    {"|IF(Program_Info/Program_Type = 'shareware'){'pay'}ELSE{'free'}|", "pay"},
    {"|IF(Program_Info/Program_Type == 'shareware'){'pay'}ELSE{'free'}|", "free"},
    {"|IF(Program_Info/Program_Type == 'Freeware'){'free'}ELSIF(Program_Info/Program_Type == "
     "'Shareware'){'trial'}ELSE{'other'}|",
     "trial"},
    {"|if('1'){'a'} else{'b'}|", "a"},
    {"|IF(No_Such_Key){'x'}|", ""},
    {"|IF('1'){'a'} 'b'|", "a"},
    {"|IF(''){'a'} 'b'|", "b"},
    {"|'<' IF('1'){'a'}|", "<a"},
    {"|IF ('x'){'y'}|", "xy"},  // "IF (" is not IF
    {"|IF('1' 'a'|", ""},
    // a taken branch passes over its alternatives, so enclosing brackets still pair up
    {"|('x' + IF('1'){'a'}ELSIF('1'){'b'}ELSE{'c'}) = 'xa'|", "TRUE"},
    {"|IF(No_Such_Key){IF('1'){'a'}ELSE{'e'}}ELSE{'z'}|", "z"},
    {"|IF('1'){IF(''){'a'}ELSE{'e'}}ELSE{'z'}|", "e"},
    {"|IF('1'){'a'}ELSE{')'}|", "a"},
};

TEST_F(TemplateTest, LanguageCasesInEveryEngine) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.tmpl);
    EXPECT_EQ(Ansi(c.tmpl), c.expected);
    EXPECT_EQ(Utf8(c.tmpl), c.expected);
    EXPECT_EQ(WideToUtf8(Wide(c.tmpl)), c.expected);
  }
}

TEST_F(TemplateTest, KeyResolution) {
  values_.SetString("German/Program_Info/Program_Name", "Wortzaehler");
  values_.SetString("German/Empty", "");
  values_.SetString("Empty", "base");
  // Stored names with blanks are found by their "_" spelling.
  values_.AddLine("Program_Info/Expire_Info/Has Expire Info=Y");
  // The first matching line wins, also against a later spelling with blanks.
  values_.AddLine("Dup=first");
  values_.AddLine("Dup=second");
  values_.AddLine("Du p=third");
  values_.AddLine("Du_p=fourth");
  values_.AddLine("Du p=fifth");
  values_.AddLine("Escaped=a%25b%0D%0A");

  EXPECT_EQ(Ansi("|Program_Info/Program_Name| |Program_Info/Program_Version|", "German/"),
            "Wortzaehler 2.1");
  EXPECT_EQ(Ansi("|Empty|", "German/"), "base");
  EXPECT_EQ(Ansi("|Program_Info/Expire_Info/Has_Expire_Info|"), "Y");
  EXPECT_EQ(Ansi("|Dup| |Du_p|"), "first third");
  EXPECT_EQ(Ansi("|Escaped|"), "a%b\r\n");

  // Past the index threshold the same answers come from the sorted index.
  std::string many;
  for (int i = 0; i < 3 * TTemplateValues::kIndexAfter; ++i) many += "|Dup|,|Du_p|,";
  std::string expected;
  for (int i = 0; i < 3 * TTemplateValues::kIndexAfter; ++i) expected += "first,third,";
  EXPECT_EQ(Ansi(many), expected);
}

TEST_F(TemplateTest, DescriptionFallbackLooksFromTheSecondLine) {
  TOptionsList list;
  list.SetString("Program_Descriptions/German/Char_Desc_80", "Zaehlt");
  list.SetString("Program_Descriptions/English/Char_Desc_80", "Counts");
  list.SetString("Program_Descriptions/French/Char_Desc_80", "Compte");
  std::string a = "|Program_Descriptions/German/Char_Desc_80|";
  std::string b = "|Program_Descriptions/French/Char_Desc_80|";
  ExpandTemplate(list, '|', a, "");
  ExpandTemplate(list, '|', b, "");
  EXPECT_EQ(a, "Counts");  // the only German line is the first one
  EXPECT_EQ(b, "Compte");
}

// The engines differ in what functions see: stored UTF-8 bytes or UTF-16 units.
TEST_F(TemplateTest, CodePageAndWideEnginesDiffer) {
  values_.SetString("Umlaut", "Z\xC3\xA4hler");          // UTF-8
  values_.SetString("Legacy", "Z\xE4hler");              // code page, not UTF-8
  values_.SetString("Cjk", "\xE6\x97\xA5\xE6\x9C\xAC");  // two characters outside the code page

  EXPECT_EQ(Ansi("|LENGTH(Umlaut)|"), "7");
  EXPECT_EQ(Utf8("|LENGTH(Umlaut)|"), "6");
  EXPECT_EQ(Ansi("|LENGTH(Cjk)|"), "6");
  EXPECT_EQ(Wide("|LENGTH(Cjk)|"), u"2");

  EXPECT_EQ(Ansi("|Umlaut|"), "Z\xE4hler");
  EXPECT_EQ(Utf8("|Umlaut|"), "Z\xC3\xA4hler");
  EXPECT_EQ(Wide("|Umlaut|"), u"Z\u00E4hler");
  EXPECT_EQ(Ansi("|Legacy|"), "Z\xE4hler");
  EXPECT_EQ(Utf8("|Legacy|"), "Z\xC3\xA4hler");
  EXPECT_EQ(Ansi("|Cjk|"), "??");

  // The code-page engine maps case byte by byte on the stored UTF-8.
  EXPECT_EQ(Ansi("|UPPERCASE Umlaut|"), "Z\xE4HLER");
  EXPECT_EQ(Utf8("|UPPERCASE Umlaut|"), "Z\xC3\x84HLER");
  EXPECT_EQ(Wide("|UPPERCASE Cjk|"), u"\u65E5\u672C");
  // Letters of the code page follow its case table (the micro sign has no upper case there);
  // letters outside it keep their own case mapping rather than becoming "?".
  EXPECT_EQ(Wide("|UPPERCASE '\u00B5\u00E9\u03B1'|"), u"\u00B5\u00C9\u0391");
  EXPECT_EQ(Wide("|LOWERCASE '\u00C9\u0391'|"), u"\u00E9\u03B1");
  EXPECT_EQ(Wide("|'\u00E4' IN UPPERCASE Umlaut|"), u"TRUE");
  EXPECT_EQ(Utf8("|COPY(2,1) Umlaut|"), "\xC3\xA4");
  EXPECT_EQ(Ansi("|COPY(2,1) Umlaut|"), "\xC3");  // half a character: read in the code page

  // Text outside expressions passes unchanged; the template itself is UTF-8 in the utf8 engine.
  EXPECT_EQ(Ansi("\xE9 |Umlaut|"), "\xE9 Z\xE4hler");
  EXPECT_EQ(Utf8("\xC3\xA9 |'\xC3\xA9' = '\xC3\x89'|"), "\xC3\xA9 TRUE");
}

TEST_F(TemplateTest, MakeFileSavesTheExpandedRemainder) {
  TempDir dir;
  std::vector<TSaveFileRequest> requests;
  std::string answer = dir / "out.txt";
  TExpandOptions options;
  options.save_dialog = [&](const TSaveFileRequest& r, std::string& path) {
    requests.push_back(r);
    if (answer.empty()) return false;
    path = answer;
    return true;
  };

  std::string text = "head |MAKEFILE('report','txt')| tail\n|Program_Info/Program_Name|\r\nend";
  ExpandTemplate(values_, '|', text, "", options);
  EXPECT_EQ(text, "head " + dir / "out.txt");
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].default_name, "report");
  EXPECT_EQ(requests[0].default_ext, "txt");
  EXPECT_EQ(requests[0].filter, "*.txt|*.txt");
  EXPECT_EQ(FileToString(dir / "out.txt"), " tail\r\nWord Counter\r\nend\r\n");

  // Cancelled: no file, no remainder; an untaken block still runs its MAKEFILE.
  answer.clear();
  requests.clear();
  text = "a|IF(No_Such_Key){MAKEFILE('x','y')}|b|'c'|";
  ExpandTemplate(values_, '|', text, "", options);
  EXPECT_EQ(text, "a");
  EXPECT_EQ(requests.size(), 1u);

  // Line by line, the remainder is the rest of the line.
  answer = dir / "line.txt";
  std::vector<std::string> lines = {"1 |MAKEFILE('n','e')|rest |Program_Info/Program_Version|",
                                    "2 |Program_Info/Program_Version|"};
  ExpandTemplateLines(values_, '|', lines, "", options);
  EXPECT_EQ(lines[0], "1 " + answer);
  EXPECT_EQ(lines[1], "2 2.1");
  EXPECT_EQ(FileToString(answer), "rest 2.1\r\n");

  // The wide engine writes UTF-8; an unwritable file still yields the chosen name.
  values_.SetString("Umlaut", "\xC3\xA4");
  answer = dir / "u.txt";
  text = "|MAKEFILE('u','txt')||Umlaut|";
  ExpandTemplateUtf8(values_, '|', text, "", options);
  EXPECT_EQ(FileToString(answer), "\xC3\xA4\r\n");
  answer = dir / "missing/folder/x.txt";
  text = "|MAKEFILE('u','txt')|x";
  ExpandTemplate(values_, '|', text, "", options);
  EXPECT_EQ(text, answer);

  // A failing dialog is swallowed.
  options.save_dialog = [](const TSaveFileRequest&, std::string&) -> bool {
    throw std::runtime_error("dialog failed");
  };
  text = "<|MAKEFILE('u','txt')|x>";
  EXPECT_NO_THROW(ExpandTemplate(values_, '|', text, "", options));
  EXPECT_EQ(text, "<");
}

TEST_F(TemplateTest, MakeFileUsesTheUserInterfacePortByDefault) {
  test::ScriptedUI ui;
  TempDir dir;
  ui.QueuePath(dir / "chosen");
  std::string text = "|MAKEFILE('report','txt')|body";
  ExpandTemplate(values_, '|', text, "");
  EXPECT_EQ(text, dir / "chosen.txt");  // the default extension is added
  EXPECT_EQ(FileToString(dir / "chosen.txt"), "body\r\n");
  EXPECT_EQ(ui.Texts("save").size(), 1u);
}

TEST_F(TemplateTest, ExpandTemplateFile) {
  TempDir dir;
  StringToFile(
      dir / "in.txt",
      "Name: |Program_Info/Program_Name|\nVersion |Program_Info/Program_Version|\r\n|'a\nb'|");
  ExpandTemplateFile(dir / "in.txt", dir / "out.txt", values_, '|', "");
  EXPECT_EQ(FileToString(dir / "out.txt"), "Name: Word Counter\r\nVersion 2.1\r\n|'a\r\nb'|\r\n");
  std::vector<std::string> lines;
  ExpandTemplateFileToLines(dir / "in.txt", lines, values_, '|', "");
  EXPECT_EQ(lines, (std::vector<std::string>{"Name: Word Counter", "Version 2.1", "|'a", "b'|"}));
  EXPECT_THROW(ExpandTemplateFile(dir / "none.txt", dir / "x.txt", values_, '|', ""),
               std::runtime_error);
}

// Arbitrary text never throws, terminates and stays small, in every engine.
TEST_F(TemplateTest, NeverThrowsOnArbitraryText) {
  static const char* kPieces[] = {"|",
                                  "(",
                                  ")",
                                  "{",
                                  "}",
                                  "'",
                                  "\"",
                                  "\\",
                                  " ",
                                  "IF(",
                                  "ELSIF(",
                                  "ELSE",
                                  "OR",
                                  "AND",
                                  "IN",
                                  "!",
                                  "=",
                                  "<",
                                  ">=",
                                  "+",
                                  "ELEMENT(",
                                  "UPPERCASE ",
                                  "LENGTH(",
                                  "COPY(",
                                  ",",
                                  "DELETE(",
                                  "REPLACE(",
                                  "TRIMLEFT(",
                                  "TRIMWORD(",
                                  "URLPATH(",
                                  "MAKEFILE(",
                                  "'x'",
                                  "1",
                                  "-5",
                                  "Program_Info/Program_Name",
                                  "Program_Descriptions/X/Y",
                                  "\xC3",
                                  "\xA4"};
  TExpandOptions options;
  int dialogs = 0;
  options.save_dialog = [&](const TSaveFileRequest&, std::string&) {
    ++dialogs;
    return false;
  };
  std::mt19937 rng(12345);
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    int n = static_cast<int>(rng() % 40);
    for (int i = 0; i < n; ++i) text += kPieces[rng() % std::size(kPieces)];
    std::string a = text, u = text;
    EXPECT_NO_THROW(ExpandTemplate(values_, '|', a, "German/", options)) << text;
    EXPECT_NO_THROW(ExpandTemplateUtf8(values_, '|', u, "", options)) << text;
    EXPECT_NO_THROW(ExpandTemplateToWide(text, values_, "", options)) << text;
  }

  // Deep nesting and amplification are cut off rather than exhausting the stack or memory.
  std::string deep = "|" + std::string(100000, '(') + "'a'|";
  ExpandTemplate(values_, '|', deep, "");
  std::string uppers = "|";
  for (int i = 0; i < 50000; ++i) uppers += "UPPERCASE ";
  uppers += "'a'|";
  ExpandTemplate(values_, '|', uppers, "");
  std::string compares = "|";
  for (int i = 0; i < 50000; ++i) compares += "'a' = ";
  compares += "'a'|";
  ExpandTemplate(values_, '|', compares, "");
  std::string makefiles;
  for (int i = 0; i < 5000; ++i) makefiles += "|MAKEFILE('a','b')|";
  dialogs = 0;
  ExpandTemplate(values_, '|', makefiles, "", options);
  EXPECT_LT(dialogs, 300);
  std::string bomb = "|";
  for (int i = 0; i < 64; ++i) bomb += "REPLACE('a','aa') ";
  bomb += "'a'|";
  ExpandTemplate(values_, '|', bomb, "");
  EXPECT_EQ(bomb.size(), size_t{1} << 20);

  // Long texts against long patterns and character sets stay linear.
  std::string doubling;
  for (int i = 0; i < 19; ++i) doubling += "REPLACE('a','aa') ";
  std::string search = "|(" + doubling + "'a' 'b') IN (REPLACE('a','aa') " + doubling + "'a')|";
  ExpandTemplate(values_, '|', search, "");
  EXPECT_EQ(search, "FALSE");
  values_.SetString("Long", std::string(200000, 'x') + "y");
  values_.SetString("Xs", std::string(200000, 'x'));
  std::string sets = "|ELEMENT(1, Xs) Long| |TRIMWORD(Xs) Long| |TRIMLEFT(Xs) Long|";
  ExpandTemplateUtf8(values_, '|', sets, "");
  EXPECT_EQ(sets, "y  y");
}

}  // namespace
}  // namespace quillora
