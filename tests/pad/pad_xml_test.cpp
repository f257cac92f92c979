// PAD files written from and read into records: the round trip of the sample product, the key
// mapping, encodings, malformed and hostile files, and the export that must not lose a file.
#include "pad/pad_xml.h"

#include <regex>

#include <gtest/gtest.h>

#include "foundation/app_state.h"
#include "foundation/codepage.h"
#include "foundation/files.h"
#include "foundation/stream.h"
#include "pad/pad_exchange.h"
#include "pad/pad_records.h"
#include "pad/product_data.h"
#include "pad/records.h"
#include "product_data_fixture.h"
#include "support/temp_dir.h"

namespace quillora {
namespace {

class PadXmlTest : public test::ProductDataTest {
 protected:
  void SetUp() override {
    options_.load_sites = false;
    options_.load_records = true;
    Start();
  }
  TCompany& Company() { return *CompanyList().FindByUin("Sample_Company"); }
  TProduct& Product() { return *ProductList().FindByUin("APP-Sample_Product"); }
  std::string Out(const std::string& name) const { return dir_ / name; }

  test::TempDir dir_;
};

TEST_F(PadXmlTest, SampleProductRoundTripKeepsEveryKeyAndLineBreak) {
  const std::string path = Out("sample.xml");
  const std::vector<std::string> before = Product().Lines();
  ASSERT_TRUE(ExportPadFileTo(Company(), Product(), path));
  EXPECT_EQ(Product().Lines(), before);
  const std::string text = FileToString(path);
  // The template's declaration is rewritten on the first save.
  EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);
  EXPECT_NE(text.find("<MASTER_PAD_EDITOR>Quillora</MASTER_PAD_EDITOR>"), std::string::npos);
  EXPECT_NE(text.find("\n    <Company_Name>Sample Company</Company_Name>\n"), std::string::npos);

  TProduct product;
  std::vector<std::string> names;
  ASSERT_EQ(ImportProductXml(product, path, &names), kXmlRead);
  TCompany company;
  ASSERT_EQ(ImportCompanyXml(company, path, nullptr), kXmlRead);

  const TProduct& original = Product();
  for (int i = 0; i < original.Count(); ++i) {
    const std::string key = original.NameAt(i);
    if (IsNonProductKey(key)) continue;
    EXPECT_EQ(product.GetString(key), original.GetValueAt(i)) << key;
  }
  for (const std::string& key : NameSpaceKeys("Company"))
    EXPECT_EQ(company.GetString(key), Company().GetString(key)) << key;
  // Line breaks come back as CR LF.
  EXPECT_NE(product.GetString("Program_Descriptions/English/Char_Desc_2000")
                .find("notebook.\r\n\r\nWrite"),
            std::string::npos);
  // Product keys the record leaves empty are written as empty elements and read as nothing.
  for (const std::string& key : NameSpaceKeys("Product")) {
    if (!original.GetString(key).empty()) continue;
    const std::string leaf = key.substr(key.rfind('/') + 1);
    EXPECT_NE(text.find("<" + leaf + "/>"), std::string::npos) << key;
    EXPECT_FALSE(product.HasKey(key)) << key;
    EXPECT_TRUE(std::find(names.begin(), names.end(), key) == names.end()) << key;
  }
}

TEST_F(PadXmlTest, EncipheredKeysAreUnreadableInTheFileAndClearAfterImport) {
  // A password key that a PAD file carries (the shipped namespace keeps them private).
  Tables().name_space.Section("Product").AddLine("Delphi/Delphi_Password=*");
  Tables().name_space_flat.AddLine("Delphi/Delphi_Password=*");
  Product().SetString("Delphi/Delphi_Password", "s3cret <&> pass\x01");
  const std::string path = Out("secret.xml");
  ASSERT_TRUE(ExportPadFileTo(Company(), Product(), path));
  const std::string text = FileToString(path);
  EXPECT_EQ(text.find("s3cret"), std::string::npos);
  EXPECT_NE(text.find("<Delphi_Password>"), std::string::npos);
  TProduct product;
  ASSERT_EQ(ImportProductXml(product, path, nullptr), kXmlRead);
  EXPECT_EQ(product.GetString("Delphi/Delphi_Password"), "s3cret <&> pass\x01");
}

TEST_F(PadXmlTest, KeyMapsToRootAttributeAndAttributesReadBack) {
  const std::string path = Out("attr.xml");
  StringToFile(path, "<?xml version=\"1.0\"?>\n<XML_DIZ_INFO Version=\"1.15\">\n</XML_DIZ_INFO>\n");
  TOptionsList list;
  list.SetString("Version", "3.11");
  list.SetString("Version/Ignored", "x");  // the walk ends at the attribute
  list.SetString("Company_Info/Company_Name", "ACME");
  list.SetString("bad name/x", "skipped");
  ASSERT_EQ(ExportXml(list, path, "root"), kXmlWritten);
  const std::string text = FileToString(path);
  EXPECT_NE(text.find("<XML_DIZ_INFO Version=\"x\">"), std::string::npos) << text;
  EXPECT_EQ(text.find("skipped"), std::string::npos);
  TOptionsList read;
  std::vector<std::string> names;
  ASSERT_EQ(ImportXml(path, read, &names), kXmlRead);
  EXPECT_EQ(read.GetString("Version"), "x");
  EXPECT_EQ(read.GetString("Company_Info/Company_Name"), "ACME");
  EXPECT_EQ(names, (std::vector<std::string>{"Version", "Company_Info/Company_Name"}));
}

TEST_F(PadXmlTest, MalformedFileShowsParserMessageAndChangesNothing) {
  const std::string path = test::FixturePath("pad/malformed.xml");
  const int companies = CompanyList().Count(), products = ProductList().Count();
  ui_.ClearEvents();
  const TPadImportResult result = ImportPadFiles({path});
  EXPECT_EQ(result.products_imported, 0);
  const auto errors = ui_.Texts("error");
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_NE(errors[0].find("Company_Inf"), std::string::npos) << errors[0];
  EXPECT_NE(errors[0].find("line 5"), std::string::npos) << errors[0];
  EXPECT_EQ(errors[1], "Cannot import from " + path);
  EXPECT_EQ(CompanyList().Count(), companies);
  EXPECT_EQ(ProductList().Count(), products);
}

TEST_F(PadXmlTest, HostileEntitiesAreNeitherLoadedNorExpanded) {
  TOptionsList read;
  ASSERT_EQ(ImportXml(test::FixturePath("pad/entities.xml"), read), kXmlRead);
  EXPECT_EQ(read.GetString("Company_Info/Company_Name").find("root:"), std::string::npos);
  EXPECT_EQ(read.GetString("Company_Info/City_Town"), "");
}

// Each fixture: every element with text comes back as a key with the same text, and a second
// round through ExportXml reads back equal.
TEST_F(PadXmlTest, RealisticFilesImportWithoutLoss) {
  for (const char* name :
       {"pad_2x_win1252.xml", "pad_311_utf8.xml", "pad_40_utf8.xml", "pad_no_declaration.xml"}) {
    SCOPED_TRACE(name);
    const std::string path = test::FixturePath(std::string("pad/") + name);
    TOptionsList read;
    ASSERT_EQ(ImportXml(path, read), kXmlRead);
    std::string text = FileToString(path);
    const std::regex leaf("<([A-Za-z_0-9]+)>([^<\\s]|<!\\[CDATA\\[)");
    const auto leaves =
        std::distance(std::sregex_iterator(text.begin(), text.end(), leaf), std::sregex_iterator());
    const int attributes = std::string(name) == "pad_no_declaration.xml" ? 1 : 0;
    EXPECT_EQ(read.Count(), leaves + attributes);

    const std::string copy = Out(std::string("copy_") + name);
    ASSERT_EQ(ExportXml(read, copy, "XML_DIZ_INFO"), kXmlWritten);
    TOptionsList again;
    ASSERT_EQ(ImportXml(copy, again), kXmlRead);
    EXPECT_EQ(again.Lines(), read.Lines());
  }
  TOptionsList w;
  ASSERT_EQ(ImportXml(test::FixturePath("pad/pad_2x_win1252.xml"), w), kXmlRead);
  EXPECT_EQ(w.GetString("Company_Info/Company_Name"), "Caf\xc3\xa9 Tools");
  EXPECT_EQ(w.GetString("Program_Info/Program_Cost_Other"), "9,99 \xe2\x82\xac");
  EXPECT_EQ(w.GetString("Program_Descriptions/English/Char_Desc_2000"),
            "First line\r\nSecond line \xe2\x80\x9cquoted\xe2\x80\x9d");
  TOptionsList u;
  ASSERT_EQ(ImportXml(test::FixturePath("pad/pad_40_utf8.xml"), u), kXmlRead);
  EXPECT_EQ(u.GetString("Program_Info/Program_Category_Class"), "Business::Office Suites & Tools");
  EXPECT_EQ(u.GetString("Program_Descriptions/Japanese/Char_Desc_45"),
            "\xe8\xbb\xbd\xe3\x81\x84\xe3\x83\xa1\xe3\x83\xa2\xe5\xb8\xb3 <beta>");
  EXPECT_EQ(u.GetString("Program_Descriptions/English/Char_Desc_2000"),
            "A light notepad <with> markup kept.");
}

TEST_F(PadXmlTest, FailedExportKeepsTheExistingFile) {
  const std::string path = Out("published.xml");
  StringToFile(path, "the published PAD file");
  // The template cannot be read: the export fails before anything is complete.
  ASSERT_TRUE(RenameFileAt(Folders().data + "pad/pad_template.xml", Out("template.xml")));
  ui_.ClearEvents();
  EXPECT_FALSE(ExportPadFileTo(Company(), Product(), path));
  EXPECT_EQ(ui_.Texts("error"), std::vector<std::string>{"Cannot export to " + path});
  EXPECT_EQ(FileToString(path), "the published PAD file");
  EXPECT_FALSE(FileExists(TempSaveName(path)));
  // With the template back, the export replaces the old file.
  ASSERT_TRUE(RenameFileAt(Out("template.xml"), Folders().data + "pad/pad_template.xml"));
  EXPECT_TRUE(ExportPadFileTo(Company(), Product(), path));
  EXPECT_NE(FileToString(path).find("<Program_Name>Sample Notes</Program_Name>"),
            std::string::npos);
}

TEST_F(PadXmlTest, EmptyCompanyFieldsBecomeEmptyElements) {
  Company().SetString("Company_Info/Address_2", "");
  const std::string path = Out("company.xml");
  ASSERT_TRUE(ExportCompanyPadFile(Company(), path));
  const std::string text = FileToString(path);
  EXPECT_NE(text.find("<Address_2/>"), std::string::npos);
  EXPECT_EQ(text.find("<Program_Info>"), std::string::npos);
}

}  // namespace
}  // namespace quillora
