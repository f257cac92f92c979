#include "pad/profile.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "foundation/files.h"
#include "pad/product_data_fixture.h"
#include "pad/records.h"
#include "template/template.h"

namespace quillora {
namespace {

using test::ProductDataTest;

ino_t Inode(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

class ProfileTest : public ProductDataTest {
 protected:
  void SetUp() override {
    ProductDataTest::SetUp();
    Start();
    company_ = CompanyList().NewCompany();
    company_->SetString("Quillora/Company_UIN", "CMP-T");
    company_->SetString("Company_Info/Company_Name", "Test Co");
    company_->SetString("Company_Info/Country", "United Kingdom");
    company_->SetString("Company_Info/State_Province", "Oregon");
    company_->SetString("Company_Info/Contact_Info/Contact_First_Name", "Ann");
    company_->SetString("Company_Info/Contact_Info/Contact_Last_Name", "Lee");
    company_->SetString("Company_Info/Support_Info/Sales_Phone", "+1 (555) 123-4567");
    company_->SetString("Company_Info/Support_Info/Fax_Phone", "12-34");
    company_->SetString("ASP/ASP_Member", "Y");
    company_->SetString("Quillora/Common_Login", "common-login");
    company_->SetString("Quillora/Common_Password", "common-pw");
    company_->Comments.SetString("SITE-A", "company remark");
    company_->SiteLogins.SetString("SITE-A", "company-login");
    company_->SiteLogins.SetString("SITE-B", "company-login-b");
    ASSERT_TRUE(company_->SaveRecordFile());

    product_ = ProductList().NewProduct();
    product_->SetString("Quillora/Product_UIN", "APP-T");
    product_->SetString("Quillora/Company_UIN", "CMP-T");
    product_->SetString("Program_Info/Program_Name", "Tool");
    product_->SetString("Program_Info/Program_Version", "2.1");
    product_->SetString("Program_Info/Program_Release_Year", "2004");
    product_->SetString("Program_Info/Program_Release_Month", "1");
    product_->SetString("Program_Info/Program_Release_Day", "15");
    product_->SetString("Program_Info/Expire_Info/Expire_Year", "04");
    product_->SetString("Program_Info/Expire_Info/Expire_Month", "13");
    product_->SetString("Company_Info/Contact_Info/Author_First_Name", "Bob");
    product_->SetString("Program_Descriptions/English/Keywords", "a, b,, c");
    product_->SetString("Program_Descriptions/German/Keywords", "k1,k2,k3,k4,k5,k6,k7,k8,k9, ,k10");
    product_->SetString("Program_Info/Program_OS_Support", "Win98, Linux Console");
    product_->SetString("Program_Info/Program_Language", "English,German");
    product_->SetString("Program_Info/Program_Type", "Freeware");
    product_->SetString("Program_Info/Program_Specific_Category", "Games");
    product_->SetString("Program_Info/Program_Category_Class", "Business::PIMS & Calendars");
    product_->Comments.SetString("SITE-A", "product note");
    product_->SiteLogins.SetString("SITE-A", "product-login");
    product_->VersionListed.SetString("SITE-A", "2.0");
    ASSERT_TRUE(product_->SaveRecordFile());
  }

  TProfile& Profile() { return ActiveProfile(); }

  TCompany* company_ = nullptr;
  TProduct* product_ = nullptr;
};

TEST_F(ProfileTest, ActivationDerivesEveryValue) {
  Profile().Activate("CMP-T", "APP-T");
  EXPECT_EQ(Settings().GetString("Active Company"), "CMP-T");
  EXPECT_EQ(Settings().GetString("Active Product"), "APP-T");
  EXPECT_EQ(Profile().ActiveProductUin, "APP-T");

  const std::pair<const char*, const char*> expected[] = {
      {"Company_Info/Company_Name", "Test Co"},
      {"Program_Info/Program_Name", "Tool"},
      {"Program_Info/Program_Release_Year_Short", "04"},
      {"Program_Info/Expire_Info/Expire_Year_Short", ""},  // "04" has no third character
      {"Program_Info/Program_Release_Month_Text", "January"},
      {"Program_Info/Program_Release_Month_Text_Short", "Jan"},
      {"Program_Info/Expire_Info/Expire_Month_Text", ""},  // month 13 leaves it as it was
      {"Program_Info/Expire_Info/Expire_Month_Text_Short", ""},
      {"Company_Info/Country_Short", "GB"},
      {"Company_Info/State_Province_Short", "OR"},
      {"Company_Info/Contact_Info/Author_Full_Name", "Bob "},
      {"Company_Info/Contact_Info/Contact_Full_Name", "Ann Lee"},
      {"Program_Descriptions/English/Keywords_1", "a"},
      {"Program_Descriptions/English/Keywords_2", "b"},
      {"Program_Descriptions/English/Keywords_3", "c"},
      {"Program_Descriptions/English/Keywords_4", ""},
      {"Program_Descriptions/English/Keywords_Space", "a  b   c"},
      {"Program_Descriptions/German/Keywords_8", "k8"},
      {"Program_Descriptions/German/Keywords_9", ""},  // eight at most
      {"Company_Info/Support_Info/Sales_Phone_Part1", "155"},
      {"Company_Info/Support_Info/Sales_Phone_Part2", "512"},
      {"Company_Info/Support_Info/Sales_Phone_Part3", "345"},
      {"Company_Info/Support_Info/Fax_Phone_Part1", "123"},
      {"Company_Info/Support_Info/Fax_Phone_Part2", "4"},
      {"Company_Info/Support_Info/Fax_Phone_Part3", ""},
      {"Company_Login", "common-login"},
      {"Product_Login", "common-login"},
      {"Company_Password", "common-pw"},
      {"Product_Password", "common-pw"},
      {"Quillora/Search_String", "Tool"},
      {"Program_Info/Program_Release_Date", "1/15/04"},
      {"Program_Category",
       "Games,Games & Entertainment,Games,Entertainment,Business::PIMS & Calendars,"
       "PIMS & Calendars,PIM,Calendars,Organizers,Personal Information Managers,Business"},
      {"Runtime/IsNew", "TRUE"},
      {"Runtime/IsUpdate", "FALSE"},
      {"Runtime/IsASPMember", "TRUE"},
      {"Runtime/OS_Flags/isWin98", "TRUE"},
      {"Runtime/OS_Flags/isLinux", "TRUE"},  // "Linux" occurs in "Linux Console"
      {"Runtime/OS_Flags/isLinux_Console", "TRUE"},
      {"Runtime/OS_Flags/isWin95", "FALSE"},
      {"Runtime/OS_Flags/isAS\\400", "FALSE"},
      {"Runtime/Languages/isGerman", "TRUE"},
      {"Runtime/Languages/isFrench", "FALSE"},
      {"Runtime/Program_Type_Flags/isFreeware", "TRUE"},
      {"Runtime/Program_Type_Flags/isData_only", "FALSE"},
  };
  for (const auto& [key, value] : expected) EXPECT_EQ(Profile().GetString(key), value) << key;
  // A word of blanks still uses up a number.
  EXPECT_EQ(Profile().GetString("Program_Descriptions/German/Keywords_Space"),
            "k1 k2 k3 k4 k5 k6 k7 k8 k9   k10");

  // The per-site lists and their readers.
  EXPECT_EQ(Profile().SiteLogin("SITE-A"), "product-login");
  EXPECT_EQ(Profile().SiteLogin("SITE-B"), "company-login-b");
  EXPECT_EQ(Profile().SiteComment("SITE-A"), "company remark\r\nproduct note");
  EXPECT_EQ(Profile().SiteValue(TSiteValueKind::VersionListed, "SITE-A"), "2.0");
  EXPECT_EQ(Profile().ProfileValue("Program_Info/Program_Version"), "2.1");
  EXPECT_EQ(ActiveSiteProfile(), &Profile());

  // A copy carries the lists.
  TProfile copy(Profile());
  EXPECT_EQ(copy.GetString("Company_Login"), "common-login");
  EXPECT_EQ(copy.SiteComment("SITE-A"), "company remark\r\nproduct note");
  EXPECT_EQ(copy.VersionListed.GetString("SITE-A"), "2.0");
  EXPECT_EQ(copy.ActiveCompanyUin, "CMP-T");
}

TEST_F(ProfileTest, OldKeysMoveAndBothRecordsAreSavedAtOnce) {
  product_->SetString("Simtel/Simtel_WinXX_Category", "Utilities");
  product_->SetString("Simtel/Simtel_Win31_Category", "Old");
  product_->SetString("Quillora/Regsoft_Order_Page", "old-page");
  product_->SetString("Affiliates/Affiliates_Regsoft_Order_Page", "new-page");
  ASSERT_TRUE(product_->SaveRecordFile());
  ino_t company_file = Inode(company_->FileName);
  ino_t product_file = Inode(product_->FileName);

  Profile().Activate("CMP-T", "APP-T");
  EXPECT_EQ(Profile().GetString("Simtel/Simtel_Category"), "Utilities");
  EXPECT_EQ(Profile().GetString("Affiliates/Affiliates_Regsoft_Order_Page"), "new-page");
  for (const char* old : {"Simtel/Simtel_WinXX_Category", "Simtel/Simtel_Win31_Category",
                          "Quillora/Regsoft_Order_Page"})
    EXPECT_FALSE(Profile().HasKey(old)) << old;

  // Both files were written again, and the product's no longer holds the old names.
  EXPECT_NE(Inode(company_->FileName), company_file);
  EXPECT_NE(Inode(product_->FileName), product_file);
  TProduct on_disk;
  ASSERT_TRUE(on_disk.LoadRecordFile(product_->FileName));
  EXPECT_EQ(on_disk.GetString("Simtel/Simtel_Category"), "Utilities");
  EXPECT_FALSE(on_disk.HasKey("Simtel/Simtel_WinXX_Category"));
  EXPECT_FALSE(on_disk.HasKey("Runtime/IsNew"));  // derived values were not there yet

  // A second activation finds nothing to move and writes nothing.
  product_file = Inode(product_->FileName);
  Profile().Activate();
  EXPECT_EQ(Inode(product_->FileName), product_file);
}

TEST_F(ProfileTest, WithoutProductOrCompany) {
  Profile().Activate("CMP-T", "APP-T");
  Profile().Activate("CMP-T", "APP-none");
  EXPECT_EQ(Profile().Count(), company_->Count());
  EXPECT_EQ(Profile().GetString("Company_Info/Company_Name"), "Test Co");
  EXPECT_FALSE(Profile().HasKey("Runtime/IsNew"));
  EXPECT_FALSE(Profile().HasKey("Company_Info/Contact_Info/Contact_Full_Name"));
  EXPECT_EQ(Profile().CompanyComments.GetString("SITE-A"), "company remark");
  EXPECT_TRUE(Profile().VersionListed.Empty());  // nothing left of the product before
  EXPECT_EQ(ActiveProfileValues(), &Profile());

  // Write-back without a product changes nothing, the company included.
  std::string company_text = FileToString(company_->FileName);
  int company_lines = company_->Count();
  EXPECT_FALSE(Profile().StoreBack());
  EXPECT_EQ(company_->Count(), company_lines);
  EXPECT_EQ(FileToString(company_->FileName), company_text);

  Profile().Activate("CMP-none", "APP-T");
  EXPECT_TRUE(Profile().Empty());
  EXPECT_EQ(ActiveProfileValues(), nullptr);
}

TEST_F(ProfileTest, StoreBackWritesEachValueToItsRecord) {
  Profile().Activate("CMP-T", "APP-T");
  Profile().SetString("Program_Info/Program_Version", "5.0");
  Profile().SetString("Company_Info/Company_Name", "New Co");
  Profile().SetString("My_Own/Field", "kept with the product");
  Profile().VersionListed.SetString("SITE-C", "5.0");
  Profile().CompanySitePasswords.SetString("SITE-C", "company-pw");
  Profile().ProductSitePasswords.SetString("SITE-C", "product-pw");
  ASSERT_TRUE(Profile().StoreBack());

  TCompanyList companies;
  companies.Folder = DataDir() + "Companies/";
  TProductList products;
  products.Folder = DataDir() + "Products/";
  ASSERT_TRUE(companies.LoadAll());
  ASSERT_TRUE(products.LoadAll());
  TCompany* c = companies.FindByUin("CMP-T");
  TProduct* p = products.FindByUin("APP-T");
  ASSERT_TRUE(c && p);
  EXPECT_EQ(c->GetString("Company_Info/Company_Name"), "New Co");
  EXPECT_EQ(c->GetString("Quillora/Common_Password"), "common-pw");
  EXPECT_EQ(c->SitePasswords.GetString("SITE-C"), "company-pw");
  EXPECT_FALSE(c->HasKey("Program_Info/Program_Version"));
  EXPECT_EQ(p->GetString("Program_Info/Program_Version"), "5.0");
  EXPECT_EQ(p->GetString("My_Own/Field"), "kept with the product");
  EXPECT_EQ(p->GetString("Quillora/Search_String"), "Tool");  // a private product key
  EXPECT_EQ(p->GetString("Quillora/Company_UIN"), "CMP-T");
  EXPECT_EQ(p->VersionListed.GetString("SITE-C"), "5.0");
  EXPECT_EQ(p->SitePasswords.GetString("SITE-C"), "product-pw");
  EXPECT_EQ(p->Comments.GetString("SITE-A"), "product note");
  for (const char* derived :
       {"Runtime/IsNew", "Company_Login", "Program_Category", "Company_Info/Company_Name",
        "Program_Descriptions/English/Keywords_1"})
    EXPECT_FALSE(p->HasKey(derived)) << derived;
}

TEST_F(ProfileTest, SampleDataFillsEveryFavouriteAndTranslation) {
  ASSERT_TRUE(LoadRecordsAndActivate());
  EXPECT_NE(ProductList().FindByUin("APP-Sample_Product"), nullptr);
  EXPECT_NE(CompanyList().FindByUin("Sample_Company"), nullptr);
  // The defaults of the settings name the samples.
  Profile().Activate("Sample_Company", "APP-Sample_Product");
  const TProfile& p = Profile();
  EXPECT_EQ(p.GetString("Program_Info/Program_Name"), "Sample Notes");
  EXPECT_EQ(p.GetString("Company_Password"), "Demo-Pass-2024");
  EXPECT_EQ(p.GetString("Quillora/FTP_Password"), "Ftp-Demo-2024");
  EXPECT_EQ(p.GetString("Runtime/OS_Flags/isWinXP"), "TRUE");
  for (const std::string& key : Tables().favorites.Lines())
    EXPECT_FALSE(p.GetString(key).empty()) << key;
  const TOptionsList& translations = Tables().translate;
  for (int i = 0; i < translations.Count(); ++i) {
    std::string name = translations.NameAt(i);
    if (name == "Is_Free") continue;  // a truth value, false for shareware
    std::string text = translations.GetValueAt(i);
    ExpandTemplate(p, '|', text, "");
    EXPECT_FALSE(text.empty()) << name;
  }
  for (const char* length : {"45", "80", "250", "450", "2000"}) {
    std::string desc = p.GetString(std::string("Program_Descriptions/English/Char_Desc_") + length);
    EXPECT_FALSE(desc.empty());
    EXPECT_LE(desc.size(), static_cast<size_t>(std::stoi(length))) << length;
  }
}

TEST(ProfileHelpers, PhonePartsAndFlagNames) {
  EXPECT_EQ(PhoneParts("+1 (555) 123-4567"), (std::array<std::string, 3>{"155", "512", "345"}));
  EXPECT_EQ(PhoneParts("12"), (std::array<std::string, 3>{"12", "", ""}));
  EXPECT_EQ(PhoneParts("1234567890123"), (std::array<std::string, 3>{"123", "456", "789"}));
  EXPECT_EQ(FlagName("Handheld/Mobile Other"), "Handheld\\Mobile_Other");
  EXPECT_EQ(ShippedOperatingSystems().size(), 47u);
  EXPECT_EQ(ShippedLanguages().size(), 25u);
  EXPECT_EQ(ShippedProgramTypes().size(), 6u);
}

}  // namespace
}  // namespace quillora
