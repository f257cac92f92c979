// Importing PAD files into the record lists: which existing company or product is reused or
// overridden, which questions decide it, and what an override keeps.
#include <gtest/gtest.h>

#include "foundation/stream.h"
#include "pad/pad_exchange.h"
#include "pad/pad_records.h"
#include "pad/product_data.h"
#include "pad/profile.h"
#include "pad/records.h"
#include "product_data_fixture.h"
#include "support/temp_dir.h"

namespace quillora {
namespace {

const std::string kProductQuestion =
    "Product \"Sample Notes\" already exists.\r\nOverride old info?";
const std::string kActivateQuestion = "Do you wish to activate the imported profile now?";

class PadImportTest : public test::ProductDataTest {
 protected:
  void SetUp() override {
    options_.load_sites = false;
    options_.load_records = true;
    Start();
    // "Sample_Company" is a UIN every installation shares; the cases use one of their own.
    Company().SetString("Quillora/Company_UIN", "CMP-Own");
    Product().SetString("Quillora/Company_UIN", "CMP-Own");
    ASSERT_TRUE(Company().SaveRecordFile());
    ASSERT_TRUE(Product().SaveRecordFile());
  }
  TCompany& Company() { return *CompanyList().At(0); }
  TProduct& Product() { return *ProductList().FindByUin("APP-Sample_Product"); }
  std::string Export(const std::string& name) {
    const std::string path = dir_ / name;
    EXPECT_TRUE(ExportPadFileTo(Company(), Product(), path));
    return path;
  }

  test::TempDir dir_;
};

TEST_F(PadImportTest, IdenticalCompanyIsReusedWithoutAQuestion) {
  const std::string path = Export("same.xml");
  ui_.QueueYesNo(true);   // override the product
  ui_.QueueYesNo(false);  // do not activate
  const TPadImportResult result = ImportPadFiles({path});
  EXPECT_EQ(ui_.Texts("yesno"), (std::vector<std::string>{kProductQuestion, kActivateQuestion}));
  EXPECT_TRUE(ui_.Texts("yesnocancel").empty());
  EXPECT_EQ(result.products_imported, 1);
  EXPECT_EQ(result.last_company_uin, "CMP-Own");
  EXPECT_EQ(CompanyList().Count(), 1);
  EXPECT_EQ(ProductList().Count(), 1);
}

TEST_F(PadImportTest, SameUinWithAnotherNameAsksForANewUin) {
  const std::string path = Export("renamed.xml");
  Company().SetString("Company_Info/Company_Name", "Renamed Company");
  ui_.QueueYesNoCancel(TYesNoCancel::Yes);  // a new UIN for the company
  ui_.QueueYesNo(false);                    // keep the stored product
  ImportPadFiles({path});
  EXPECT_EQ(ui_.Texts("yesnocancel"),
            std::vector<std::string>{"A company with the same UIN ( CMP-Own ) is already in the "
                                     "list of companies.\r\nGenerate a new UIN for this company?"});
  ASSERT_EQ(CompanyList().Count(), 2);
  const TCompany* added = CompanyList().At(1);
  EXPECT_NE(added->Uin(), "CMP-Own");
  EXPECT_EQ(added->Uin().rfind("CMP-", 0), 0u);
  EXPECT_EQ(added->GetString("Company_Info/Company_Name"), "Sample Company");
  EXPECT_EQ(Company().GetString("Company_Info/Company_Name"), "Renamed Company");

  // Cancel skips the file.
  ui_.QueueYesNoCancel(TYesNoCancel::Cancel);
  Company().SetString("Company_Info/Company_Name", "Renamed Again");
  EXPECT_EQ(ImportPadFiles({path}).products_imported, 0);
  EXPECT_EQ(CompanyList().Count(), 2);
}

TEST_F(PadImportTest, ProductUinQuestionYesToAllAnswersEveryLaterFile) {
  const std::string first = Export("a.xml");
  const std::string second = Export("b.xml");
  Product().SetString("Program_Info/Program_Name", "Renamed Notes");
  ui_.QueueYesNoAll(TYesNoAll::YesToAll);
  const TPadImportResult result = ImportPadFiles({first, second});
  EXPECT_EQ(ui_.Texts("yesnoall").size(), 1u);
  EXPECT_EQ(result.products_imported, 2);
  ASSERT_EQ(ProductList().Count(), 3);
  // The second copy is named apart from the first.
  EXPECT_EQ(ProductList().At(1)->RecordName(), "Sample Notes");
  EXPECT_EQ(ProductList().At(2)->RecordName(), "Sample Notes(1)");
  EXPECT_NE(ProductList().At(1)->Uin(), ProductList().At(2)->Uin());
  EXPECT_TRUE(ui_.Texts("yesno").empty());  // several files: no activation question
}

TEST_F(PadImportTest, NameMatchOverrideKeepsUinPrivateFieldsAndSiteLists) {
  Company().SetString("Quillora/Common_Login", "emma");
  Product().SetString("Quillora/FTP_UserName", "emma-ftp");
  Product().SetString("Program_Info/Awards", "Best notes");
  Product().VersionListed.SetString("SITE-1", "2.4.0");
  const std::string path = Export("override.xml");
  // The file comes from elsewhere: other UINs, a changed city, no awards.
  std::string text = FileToString(path);
  for (auto [from, to] : {std::pair<std::string, std::string>{"CMP-Own", "CMP-Foreign"},
                          {"APP-Sample_Product", "APP-Foreign"},
                          {"<City_Town>Portland<", "<City_Town>Salem<"},
                          {"<Awards>", "<Awards_Old>"},
                          {"</Awards>", "</Awards_Old>"}}) {
    ASSERT_NE(text.find(from), std::string::npos) << from;
    text.replace(text.find(from), from.size(), to);
  }
  StringToFile(path, text);
  ui_.QueueYesNo(true);  // company info differs: override
  ui_.QueueYesNo(true);  // product exists: override
  ui_.QueueYesNo(true);  // activate
  ImportPadFiles({path});
  EXPECT_EQ(ui_.Texts("yesno"),
            (std::vector<std::string>{"Company info differs from the previously stored. Override?",
                                      kProductQuestion, kActivateQuestion}));
  ASSERT_EQ(CompanyList().Count(), 1);
  ASSERT_EQ(ProductList().Count(), 1);
  EXPECT_EQ(Company().Uin(), "CMP-Own");
  EXPECT_EQ(Company().GetString("Company_Info/City_Town"), "Salem");
  EXPECT_EQ(Company().GetString("Quillora/Common_Login"), "emma");
  EXPECT_EQ(Product().GetString("Quillora/FTP_UserName"), "emma-ftp");
  EXPECT_EQ(Product().GetString("Program_Info/Awards"), "");
  EXPECT_EQ(Product().VersionListed.GetString("SITE-1"), "2.4.0");
  EXPECT_EQ(ActiveProfile().ActiveProductUin, "APP-Sample_Product");

  // What was saved is what the lists hold.
  TProduct saved;
  ASSERT_TRUE(saved.LoadRecordFile(Product().FileName));
  EXPECT_EQ(saved.GetString("Quillora/FTP_UserName"), "emma-ftp");
  EXPECT_EQ(saved.VersionListed.GetString("SITE-1"), "2.4.0");
}

TEST_F(PadImportTest, UploadFormComesFromTheAddressAndStoredFields) {
  for (const char* key : {"Quillora/FTP_DocRoot", "Quillora/FTP_UserName", "Quillora/FTP_Password"})
    Product().SetString(key, "");
  Product().SetString("Web_Info/Application_URLs/Application_XML_File_URL",
                      "http://bob:pw@www.example.localhost/pad/notes.xml");
  TPadUploadForm form;
  ASSERT_TRUE(PreparePadUpload(Product(), form));
  EXPECT_EQ(form.FullAddress(), "ftp://www.example.localhost/public_html/pad/notes.xml");
  EXPECT_EQ(form.user, "bob");
  EXPECT_TRUE(form.save_password);
  form.doc_root = "/www";
  form.save_password = false;
  std::string sent;
  auto fail = [&](const std::string& url, const std::string&, const std::string&,
                  const std::string&, bool) {
    sent = url;
    return std::string("Connection failed");
  };
  const std::string file = WriteTemporaryPadFile(Company(), Product());
  ASSERT_FALSE(file.empty());
  EXPECT_FALSE(UploadPadFileOnce(form, file, Product(), fail));
  EXPECT_EQ(sent, "ftp://www.example.localhost/www/pad/notes.xml");
  EXPECT_EQ(Product().GetString("Quillora/FTP_DocRoot"), "");
  auto ok = [](const std::string&, const std::string&, const std::string&, const std::string&,
               bool) { return std::string(); };
  EXPECT_TRUE(UploadPadFileOnce(form, file, Product(), ok));
  EXPECT_EQ(Product().GetString("Quillora/FTP_DocRoot"), "/www");
  EXPECT_EQ(Product().GetString("Quillora/FTP_UserName"), "bob");
  EXPECT_EQ(Product().GetString("Quillora/FTP_Password"), "");
  EXPECT_EQ(ui_.Texts("error"), std::vector<std::string>{"Connection failed"});
  EXPECT_EQ(ui_.Texts("info"), std::vector<std::string>{"Upload complete."});
}

}  // namespace
}  // namespace quillora
