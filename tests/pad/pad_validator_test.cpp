// The PAD validator against the shipped rule tables: a table of values and the problems each
// gives under 3.11 and 4.0.
#include "pad/pad_validator.h"

#include <gtest/gtest.h>

#include "pad/pad_xml.h"
#include "support/temp_dir.h"

namespace quillora {

void PrintTo(const TPadProblem& p, std::ostream* os) {
  *os << p.path << " | " << p.rule << " | " << p.value;
}

namespace {

class PadValidatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rules_.Load(test::ShippedDataDir() + "pad/");
    // A complete, valid 3.11 and 4.0 product.
    const char* lines[][2] = {
        {"MASTER_PAD_VERSION_INFO/MASTER_PAD_VERSION", "3.11"},
        {"MASTER_PAD_VERSION_INFO/CERTIFIED", "N"},
        {"ASP/ASP_Member", "Y"},
        {"Company_Info/Company_Name", "Nordlicht Software"},
        {"Company_Info/City_Town", "K\xc3\xb6ln"},
        {"Company_Info/Country", "Germany"},
        {"Company_Info/Company_WebSite_URL", "http://nordlicht.localhost/"},
        {"Company_Info/Contact_Info/Author_First_Name", "Jo"},
        {"Company_Info/Contact_Info/Author_Last_Name", "Weiss"},
        {"Company_Info/Contact_Info/Author_Email", "jo@nordlicht.localhost"},
        {"Company_Info/Contact_Info/Contact_First_Name", "Jo"},
        {"Company_Info/Contact_Info/Contact_Last_Name", "Weiss"},
        {"Company_Info/Contact_Info/Contact_Email", "jo@nordlicht.localhost"},
        {"Company_Info/Support_Info/Sales_Email", "sales@nordlicht.localhost"},
        {"Company_Info/Support_Info/Support_Email", "help@nordlicht.localhost"},
        {"Company_Info/Support_Info/General_Email", "info@nordlicht.localhost"},
        {"Program_Info/Program_Name", "Sternkarte"},
        {"Program_Info/Program_Version", "1.2.0"},
        {"Program_Info/Program_Release_Month", "05"},
        {"Program_Info/Program_Release_Day", "20"},
        {"Program_Info/Program_Release_Year", "2011"},
        {"Program_Info/Program_Type", "Shareware"},
        {"Program_Info/Program_Release_Status", "New Release"},
        {"Program_Info/Program_Install_Support", "Install and Uninstall"},
        {"Program_Info/Program_OS_Support", "WinXP,Linux Gnome,Mac OS X"},
        {"Program_Info/Program_Language", "English,German"},
        {"Program_Info/Program_Category_Class", "Business::Office Suites & Tools"},
        {"Program_Info/File_Info/File_Size_Bytes", "3145728"},
        {"Program_Info/File_Info/File_Size_K", "3072"},
        {"Program_Info/File_Info/File_Size_MB", "3.00"},
        {"Program_Info/Expire_Info/Has_Expire_Info", "N"},
        {"Web_Info/Application_URLs/Application_Info_URL", "http://nordlicht.localhost/star/"},
        {"Web_Info/Application_URLs/Application_Screenshot_URL",
         "http://nordlicht.localhost/s.png"},
        {"Web_Info/Application_URLs/Application_Icon_URL", "http://nordlicht.localhost/i.gif"},
        {"Web_Info/Application_URLs/Application_XML_File_URL",
         "http://nordlicht.localhost/pad.xml"},
        {"Web_Info/Download_URLs/Primary_Download_URL", "ftp://nordlicht.localhost/star.zip"},
    };
    for (auto& l : lines) valid_.SetString(l[0], l[1]);
  }
  std::vector<TPadProblem> With(const char* key, const char* value, const char* version) {
    TOptionsList values = valid_;
    values.SetString(key, value);
    return ValidatePad(values, version, rules_);
  }

  TPadRules rules_;
  TOptionsList valid_;
};

TEST_F(PadValidatorTest, ValidProductHasNoProblemsInEitherVersion) {
  EXPECT_EQ(ValidatePad(valid_, "3.11", rules_), std::vector<TPadProblem>{});
  EXPECT_EQ(ValidatePad(valid_, "4.0", rules_), std::vector<TPadProblem>{});
  EXPECT_EQ(PadVersionOf(valid_), "3.11");
}

TEST_F(PadValidatorTest, EachBrokenRuleIsReportedWithPathRuleAndValue) {
  struct Case {
    const char* key;
    const char* value;
    const char* version;
    const char* rule;  // nullptr: valid
  };
  const Case cases[] = {
      {"Company_Info/Company_Name", "", "3.11", "required"},
      {"Company_Info/Company_Name", "A", "3.11", "length 2..40 (1)"},
      {"Company_Info/Company_Name", "A <b>", "4.0", "characters of text"},
      {"Company_Info/City_Town", "K\xc3\xb6ln #2", "3.11", nullptr},
      {"Company_Info/Country", "Germany 2", "3.11", "characters of country"},
      {"Company_Info/Contact_Info/Contact_Email", "jo.localhost", "3.11", "email"},
      {"Company_Info/Support_Info/Sales_Phone", "+49 (221) 555-0100", "3.11", nullptr},
      {"Company_Info/Support_Info/Sales_Phone", "call us", "3.11", "phone"},
      {"Company_Info/Company_WebSite_URL", "https://nordlicht.localhost/", "3.11",
       "url scheme http"},
      {"Company_Info/Company_WebSite_URL", "https://nordlicht.localhost/", "4.0", nullptr},
      {"Company_Info/GooglePlusPage", "ftp://x.localhost/", "4.0", "url scheme http|https"},
      {"Company_Info/GooglePlusPage", "ftp://x.localhost/", "3.11", nullptr},  // not in 3.11
      {"Program_Info/Program_Version", "1.2 beta", "3.11", "version{1..15}"},
      {"Program_Info/Program_Release_Month", "13", "3.11", "month 01..12"},
      {"Program_Info/Program_Release_Year", "1899", "4.0", "year 1900..2199"},
      {"Program_Info/Program_Cost_Dollars", "19.9", "3.11", "money"},
      {"Program_Info/Program_Cost_Dollars", "", "3.11", nullptr},
      {"Program_Info/Program_Type", "freeware", "3.11", "enum Program_Type"},
      {"Program_Info/Program_OS_Support", "Windows 8,Android", "4.0", nullptr},
      {"Program_Info/Program_OS_Support", "Windows 8,Android", "3.11", "enum Program_OS_Support"},
      {"Program_Info/Program_Category_Class", "Business::Nothing", "3.11",
       "enum Program_Category_Class"},
      {"Program_Info/Expire_Info/Has_Expire_Info", "yes", "3.11", "Y/N"},
      {"Program_Info/File_Info/File_Size_Bytes", "12", "3.11", "digits{3..16}"},
      {"Program_Descriptions/English/Char_Desc_45", "two\r\nlines", "3.11", "single line"},
      {"Program_Descriptions/English/Char_Desc_2000", "two\r\nlines", "3.11", nullptr},
      {"Program_Descriptions/German/Char_Desc_45", "Eine Sternkarte f\xc3\xbcr den Schreibtisch!",
       "3.11", nullptr},
      {"Program_Descriptions/German/Char_Desc_45",
       "Eine Sternkarte fuer den Schreibtisch, sehr gross!", "3.11", "length 0..45 (50)"},
      {"Web_Info/Application_URLs/Application_Icon_URL", "http://x.localhost/i.ico", "3.11",
       "url extension (gif|jpg|png)"},
      {"Web_Info/Download_URLs/Primary_Download_URL", "http://x.localhost/setup.pdf", "4.0",
       "url extension (download-ext)"},
      {"Web_Info/Download_URLs/Primary_Download_URL", "http://x.localhost/setup.EXE", "4.0",
       nullptr},
      {"Web_Info/Application_URLs/Application_Order_URL", "", "3.11", nullptr},
      {"MASTER_PAD_VERSION_INFO/CERTIFICATE_ID", "crt-123", "4.0", "crt-ID"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " = " + c.value + " (" + c.version + ")");
    const auto problems = With(c.key, c.value, c.version);
    if (!c.rule) {
      EXPECT_EQ(problems, std::vector<TPadProblem>{});
    } else {
      EXPECT_EQ(problems, (std::vector<TPadProblem>{{c.key, c.rule, c.value}}));
    }
  }
}

TEST_F(PadValidatorTest, UnknownDescriptionLanguageAndFileVersion) {
  TOptionsList values = valid_;
  values.SetString("Program_Descriptions/Klingon/Char_Desc_45", "Qapla");
  values.SetString("MASTER_PAD_VERSION_INFO/MASTER_PAD_VERSION", "4.0");
  EXPECT_EQ(PadVersionOf(values), "4.0");
  EXPECT_EQ(
      ValidatePad(values, "4.0", rules_),
      (std::vector<TPadProblem>{{"Program_Descriptions/Klingon", "enum Program_Language", ""}}));
}

}  // namespace
}  // namespace quillora
