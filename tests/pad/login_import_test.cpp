#include "pad/login_import.h"

#include <gtest/gtest.h>

#include "foundation/encoding.h"
#include "foundation/files.h"
#include "pad/product_data_fixture.h"
#include "pad/profile.h"
#include "pad/records.h"
#include "sites/site_filter.h"
#include "sites/site_list.h"

namespace quillora {
namespace {

class LoginImportTest : public test::ProductDataTest {
 protected:
  void SetUp() override {
    ProductDataTest::SetUp();
    Start();
    TCompany* company = CompanyList().NewCompany();
    company->SetString("Quillora/Company_UIN", "CMP-T");
    company->SetString("Company_Info/Company_Name", "Test Co");
    company->SiteLogins.SetString("SITE-A", "old-company-login");
    company->SitePasswords.SetString("SITE-A", "old-company-pw");
    company->SiteLogins.SetString("SITE-C", "untouched");
    ASSERT_TRUE(company->SaveRecordFile());
    TProduct* product = ProductList().NewProduct();
    product->SetString("Quillora/Product_UIN", "APP-T");
    product->SetString("Quillora/Company_UIN", "CMP-T");
    product->SetString("Program_Info/Program_Name", "Tool");
    product->SiteLogins.SetString("SITE-A", "old-product-login");
    product->SitePasswords.SetString("SITE-A", "old-product-pw");
    ASSERT_TRUE(product->SaveRecordFile());
    ActiveProfile().Activate("CMP-T", "APP-T");
    for (const char* uin : {"SITE-A", "SITE-B", "SITE-C"}) {
      auto site = std::make_unique<TWebSite>();
      site->Info.CommonInfo().SetString("UIN", uin);
      sites_.AddSite(std::move(site));
    }
    file_ = UserDir() + "logins.txt";
  }

  TLoginImportResult Import() { return ImportLoginInfo(file_, &ActiveProfile(), sets_, sites_); }
  // What a later run reads: the records as saved.
  std::string Saved(TSiteValueKind kind, const std::string& uin) {
    EXPECT_TRUE(CompanyList().LoadAll());
    EXPECT_TRUE(ProductList().LoadAll());
    TProfile fresh;
    fresh.Activate("CMP-T", "APP-T");
    return fresh.SiteValue(kind, uin);
  }

  TSiteList sites_;
  TCustomSets sets_;
  std::string file_;
};

TEST_F(LoginImportTest, ALineWithUinAndCompanyLoginReplacesAllFourEntriesAndTicksTheSite) {
  WriteFile(file_, MakeLoginInfoText({"SITE-A\tnew-login", "SITE-B\tb-login\tb-pw\tpl\tpp"}));
  ui_.QueueYesNo(true);
  const TLoginImportResult result = Import();
  EXPECT_TRUE(result.imported);
  EXPECT_TRUE(result.set_created);
  EXPECT_EQ(ui_.Texts("yesno"),
            std::vector<std::string>{"Do you want to import login info into the current profile?"});
  using K = TSiteValueKind;
  const std::tuple<K, const char*, const char*> expected[] = {
      {K::CompanySiteLogin, "SITE-A", "new-login"}, {K::CompanySitePassword, "SITE-A", ""},
      {K::ProductSiteLogin, "SITE-A", ""},          {K::ProductSitePassword, "SITE-A", ""},
      {K::CompanySiteLogin, "SITE-B", "b-login"},   {K::ProductSitePassword, "SITE-B", "pp"},
      {K::CompanySiteLogin, "SITE-C", "untouched"},
  };
  for (const auto& [kind, uin, value] : expected) {
    EXPECT_EQ(ActiveProfile().SiteValue(kind, uin), value) << uin;
    EXPECT_EQ(Saved(kind, uin), value) << uin << " after a reload";
  }
  // The set holds (unticks) exactly the sites that received nothing.
  const TCustomSet* set = sets_.FindSet("Imported Login Info");
  ASSERT_NE(set, nullptr);
  EXPECT_EQ(set->Lines(), std::vector<std::string>{"SITE-C"});

  // A second import empties the existing set first and does not create it again.
  WriteFile(file_, MakeLoginInfoText({"SITE-C\tc"}));
  ui_.QueueYesNo(true);
  EXPECT_FALSE(Import().set_created);
  EXPECT_EQ(set->Lines(), (std::vector<std::string>{"SITE-A", "SITE-B"}));
}

TEST_F(LoginImportTest, ARefusedFileOrAnswerChangesNothing) {
  const std::string good = MakeLoginInfoText({"SITE-A\tnew-login"});
  std::string tampered = good;
  tampered.replace(tampered.find("new-login"), 9, "bad-login");
  struct Case {
    const char* what;
    std::string text;
    std::vector<std::string> errors;
    bool throws;
  };
  const Case cases[] = {
      {"a changed line fails the check",
       tampered,
       {"File " + file_ + " is corrupted. CRC Error."},
       false},
      {"a missing checksum fails the check",
       "[Login Info]\r\nSITE-A\tx\r\n",
       {"File " + file_ + " is corrupted. CRC Error."},
       false},
      {"a checksum that is no number raises",
       "[General]\r\nCRC32=abc\r\n[Login Info]\r\n",
       {},
       true},
      {"the user declines (the unanswered question gets No)", good, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ui_.ClearEvents();
    WriteFile(file_, c.text);
    if (c.throws) {
      EXPECT_ANY_THROW(Import());
    } else {
      EXPECT_FALSE(Import().imported);
    }
    EXPECT_EQ(ui_.Texts("error"), c.errors);
    // Only a file that passed its check leads to the question.
    EXPECT_EQ(ui_.Texts("yesno").size(), c.errors.empty() && !c.throws ? 1u : 0u);
    EXPECT_EQ(sets_.FindSet("Imported Login Info"), nullptr);
    EXPECT_EQ(ActiveProfile().SiteValue(TSiteValueKind::CompanySiteLogin, "SITE-A"),
              "old-company-login");
    EXPECT_EQ(Saved(TSiteValueKind::ProductSitePassword, "SITE-A"), "old-product-pw");
  }
  // Without an active profile nothing is asked.
  ui_.ClearEvents();
  WriteFile(file_, good);
  EXPECT_FALSE(ImportLoginInfo(file_, nullptr, sets_, sites_).imported);
  EXPECT_TRUE(ui_.Texts("yesno").empty());
}

TEST_F(LoginImportTest, AChecksumWithItsTopBitSetIsComparedAsThirtyTwoBits) {
  // The stored number is signed: a checksum of 2^31 or more is written negative and must match.
  std::string line;
  for (int k = 0;; ++k) {
    line = "SITE-B\tlogin" + std::to_string(k);
    if (Crc32(line + "\r\n") >= 0x80000000u) break;
  }
  const std::string text = MakeLoginInfoText({line});
  ASSERT_NE(text.find("CRC32=-"), std::string::npos);
  WriteFile(file_, text);
  ui_.QueueYesNo(true);
  EXPECT_TRUE(Import().imported);
  EXPECT_EQ(ActiveProfile().SiteValue(TSiteValueKind::CompanySiteLogin, "SITE-B"), line.substr(7));
}

}  // namespace
}  // namespace quillora
