#include "pad/records.h"

#include <chrono>
#include <optional>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <gtest/gtest.h>

#include "foundation/files.h"
#include "pad/product_data_fixture.h"
#include "pad/record_cipher.h"
#include "pad/record_file.h"

namespace quillora {
namespace {

using test::ProductDataTest;

const char* const kProductText =
    "[General]\r\n"
    "Quillora/Product_UIN=APP-1\r\n"
    "Quillora/Company_UIN=CMP-1\r\n"
    "Program_Info/Program_Name=My Tool\r\n"
    "Program_Info/Program_Version=1.0\r\n"
    "\r\n"
    "[Version Listed]\r\n"
    "SITE-A=0.9\r\n"
    "\r\n"
    "[Search Results Long]\r\n"
    "SITE-A=a long text\r\n"
    "\r\n";

class RecordsTest : public ProductDataTest {
 protected:
  void SetUp() override {
    ProductDataTest::SetUp();
    Start();
    products_.Folder = DataDir() + "Products/";
    companies_.Folder = DataDir() + "Companies/";
  }

  TProduct* LoadProduct(TProductList& list, const std::string& path) {
    TProduct* p = list.NewProduct();
    EXPECT_TRUE(p->LoadRecordFile(path));
    return p;
  }

  TProductList products_;
  TCompanyList companies_;
};

TEST_F(RecordsTest, PasswordsAreStoredEncipheredAndReadBackPlain) {
  TCompany* c = companies_.NewCompany();
  c->SetString("Company_Info/Company_Name", "Cipher Co");
  c->SetString("Quillora/Common_Password", "secret");
  c->SetString("Quillora/Common_Login", "me");
  c->SiteLogins.SetString("SITE-A", "login-a");
  c->SitePasswords.SetString("SITE-A", "pw-a");
  c->Comments.SetString("SITE-A", "plain note");
  ASSERT_TRUE(c->SaveRecordFile());
  EXPECT_EQ(c->FileName, companies_.Folder + "Cipher_Co.dat");
  EXPECT_TRUE(c->Uin().rfind("CMP-", 0) == 0) << c->Uin();

  TMultiOptions file;
  file.LoadFromTextFile(c->FileName);
  EXPECT_EQ(file.Section("General").RawValue("Quillora/Common_Password"),
            EncodeValue(EncryptText("secret")));
  EXPECT_EQ(file.Section("General").GetString("Quillora/Common_Login"), "me");
  EXPECT_EQ(file.Section("Site Login").GetString("SITE-A"), EncryptText("login-a"));
  EXPECT_EQ(file.Section("Site Password").GetString("SITE-A"), EncryptText("pw-a"));
  EXPECT_EQ(file.Section("Comments").GetString("SITE-A"), "plain note");
  ASSERT_EQ(file.Count(), 4);
  EXPECT_EQ(file.SectionAt(1).Name, "Site Login");

  TCompany again;
  ASSERT_TRUE(again.LoadRecordFile(c->FileName));
  EXPECT_EQ(again.GetString("Quillora/Common_Password"), "secret");
  EXPECT_EQ(again.SiteLogins.GetString("SITE-A"), "login-a");
  EXPECT_EQ(again.SitePasswords.GetString("SITE-A"), "pw-a");
}

TEST_F(RecordsTest, ProductFileSectionsAndBracketRepair) {
  WriteFile(ProductFile("p.dat"),
            "[General]\r\nProgram_Info/[Old]Name=x\r\nQuillora/Product_UIN=APP-9\r\n\r\n"
            "[StatusOverride]\r\nSITE-A=Skipped\r\n\r\n");
  TProduct* p = LoadProduct(products_, ProductFile("p.dat"));
  EXPECT_EQ(p->GetString("Program_Info/OldName"), "x");
  EXPECT_EQ(p->StatusOverride.GetString("SITE-A"), "Skipped");
  ASSERT_TRUE(p->SaveRecordFile());
  std::string text = FileToString(ProductFile("p.dat"));
  EXPECT_EQ(text.find("[Old]"), std::string::npos);
  EXPECT_NE(text.find("Program_Info/OldName=x\r\n"), std::string::npos);
  // Every section of a product, in file order.
  TMultiOptions file;
  file.SetText(text);
  std::vector<std::string> names;
  for (int i = 0; i < file.Count(); ++i) names.push_back(file.SectionAt(i).Name);
  EXPECT_EQ(names,
            (std::vector<std::string>{"General", "StatusOverride", "Site Login", "Site Password",
                                      "Comments", "Version Listed", "Version Submitted",
                                      "Date Submitted", "Search Results Short", "Search Flag",
                                      "Program Category", "Product Listings"}));
}

TEST_F(RecordsTest, FileNamesAndLookUps) {
  struct Case {
    bool company;
    std::string name;
    std::string file;
  };
  const Case cases[] = {
      {true, "ACME Tools, Inc.", "ACME_Tools_Inc.dat"},
      {true, "ACME Tools, Inc.", "ACME_Tools_Inc(2).dat"},
      {true, "ACME Tools, Inc.", "ACME_Tools_Inc(3).dat"},
      {false, "ACME Tools, Inc.", "ACME_Tools_Inc.dat"},
      {false, "ACME Tools, Inc.", "ACME_Tools_Inc(1).dat"},
      {false, "A very long program name", "A_very_long_pro.dat"},
      {false, "!!!", ""},  // no usable character: the UIN names the file
  };
  for (const Case& c : cases) {
    TRecord* r =
        c.company ? static_cast<TRecord*>(companies_.NewCompany()) : products_.NewProduct();
    r->SetString(c.company ? "Company_Info/Company_Name" : "Program_Info/Program_Name", c.name);
    ASSERT_TRUE(r->SaveRecordFile()) << c.name;
    std::string expected = c.file.empty() ? r->Uin() + ".dat" : c.file;
    EXPECT_EQ(ExtractFileName(r->FileName), expected) << c.name;
  }
  // A company without a name is named by its contact's last name.
  TCompany* contact = companies_.NewCompany();
  contact->SetString("Company_Info/Contact_Info/Contact_Last_Name", "Smith");
  ASSERT_TRUE(contact->SaveRecordFile());
  EXPECT_EQ(ExtractFileName(contact->FileName), "Smith.dat");

  EXPECT_EQ(companies_.FindByName("acme tools inc"), companies_.At(0));
  EXPECT_EQ(companies_.FindByName("SMITH"), contact);
  EXPECT_EQ(companies_.FindByName("acme"), nullptr);
  EXPECT_EQ(companies_.FindByUin(contact->Uin()), contact);
  EXPECT_EQ(products_.FindByUin("APP-none"), nullptr);

  // LoadAll finds every file again, in name order.
  TCompanyList reloaded;
  reloaded.Folder = companies_.Folder;
  ASSERT_TRUE(reloaded.LoadAll());
  ASSERT_EQ(reloaded.Count(), 5);  // four made here and the sample company
  EXPECT_EQ(ExtractFileName(reloaded.At(0)->FileName), "ACME_Tools_Inc(2).dat");
}

TEST_F(RecordsTest, SaveMergesWithWhatAnotherCopySavedMeanwhile) {
  WriteFile(ProductFile("p.dat"), kProductText);
  TProductList other_process;
  TProduct* a = LoadProduct(products_, ProductFile("p.dat"));
  TProduct* b = LoadProduct(other_process, ProductFile("p.dat"));
  EXPECT_EQ(a->SearchResultsLong.GetString("SITE-A"), "a long text");

  a->SetString("Program_Info/Program_Version", "2.0");
  a->VersionSubmitted.SetString("SITE-B", "2.0");
  ASSERT_TRUE(a->SaveRecordFile());
  // Saving drops the long results the record never writes.
  EXPECT_TRUE(a->SearchResultsLong.Empty());

  // b still holds what it read; its own change must not undo a's.
  b->SetString("Program_Info/Program_Name", "My Tool Pro");
  b->VersionListed.SetString("SITE-A", "");
  ASSERT_TRUE(b->SaveRecordFile());

  TProduct check;
  ASSERT_TRUE(check.LoadRecordFile(ProductFile("p.dat")));
  EXPECT_EQ(check.GetString("Program_Info/Program_Version"), "2.0");
  EXPECT_EQ(check.GetString("Program_Info/Program_Name"), "My Tool Pro");
  EXPECT_EQ(check.VersionSubmitted.GetString("SITE-B"), "2.0");  // a section b never saw
  EXPECT_EQ(check.VersionListed.GetString("SITE-A"), "");        // b removed it
  EXPECT_TRUE(check.SearchResultsLong.Empty());
  // b now shows the merged file.
  EXPECT_EQ(b->GetString("Program_Info/Program_Version"), "2.0");

  // A key both change: the later save wins.
  a->SetString("Program_Info/Program_Version", "3.0");
  b->SetString("Program_Info/Program_Version", "3.1");
  ASSERT_TRUE(a->SaveRecordFile());
  ASSERT_TRUE(b->SaveRecordFile());
  ASSERT_TRUE(check.LoadRecordFile(ProductFile("p.dat")));
  EXPECT_EQ(check.GetString("Program_Info/Program_Version"), "3.1");
}

TEST_F(RecordsTest, RecordDeletedOnDiskIsWrittenWholeAgain) {
  WriteFile(ProductFile("p.dat"), kProductText);
  TProduct* p = LoadProduct(products_, ProductFile("p.dat"));
  ASSERT_TRUE(DeleteFileAt(ProductFile("p.dat")));
  p->SetString("Program_Info/Program_Version", "1.1");
  ASSERT_TRUE(p->SaveRecordFile());
  TProduct check;
  ASSERT_TRUE(check.LoadRecordFile(ProductFile("p.dat")));
  EXPECT_EQ(check.GetString("Program_Info/Program_Name"), "My Tool");
  EXPECT_EQ(check.GetString("Program_Info/Program_Version"), "1.1");
}

TEST_F(RecordsTest, DamagedFileIsReportedAndNeverOverwritten) {
  const std::pair<const char*, std::string> damaged[] = {
      {"binary", std::string("[General]\r\nA=1\r\n\0\x01\x02garbage\r\n", 28)},
      {"cut off", std::string(kProductText).substr(0, 60)},
      {"no section first", "Program_Info/Program_Name=x\r\n[General]\r\nA=1\r\n"},
  };
  for (const auto& [what, text] : damaged) {
    SCOPED_TRACE(what);
    ui_.ClearEvents();
    WriteFile(ProductFile("bad.dat"), text);
    TProduct p;
    EXPECT_FALSE(p.LoadRecordFile(ProductFile("bad.dat")));
    ASSERT_EQ(ui_.Texts("error").size(), 1u);
    EXPECT_EQ(ui_.Texts("error")[0].rfind(
                  "Cannot load product info from " + ProductFile("bad.dat") + ": ", 0),
              0u)
        << ui_.Texts("error")[0];
    EXPECT_EQ(p.Count(), 0);

    // Neither the record that failed to load nor one that loaded the file before it was damaged
    // may write into it.
    p.SetString("Program_Info/Program_Name", "x");
    EXPECT_FALSE(p.SaveRecordFile());
    EXPECT_EQ(FileToString(ProductFile("bad.dat")), text);
    EXPECT_EQ(ui_.Texts("error").size(), 2u);
  }
  // LoadAll leaves the file out and says so.
  EXPECT_FALSE(products_.LoadAll());
  ASSERT_EQ(products_.Count(), 1);  // the sample product
}

TEST_F(RecordsTest, SaveWaitsForTheLockAndGivesUpOnAbort) {
  WriteFile(ProductFile("p.dat"), kProductText);
  TProduct* p = LoadProduct(products_, ProductFile("p.dat"));
  p->SetString("Program_Info/Program_Version", "9.9");
  {
    // Another copy of the program in the middle of its save.
    TRecordFileLock other(ProductFile("p.dat"), TRecordFileLock::Mode::Exclusive);
    EXPECT_FALSE(p->SaveRecordFile());  // 200 tries, then the scripted Abort
  }
  EXPECT_EQ(ui_.Texts("retry"),
            (std::vector<std::string>{"Cannot save product info to " + ProductFile("p.dat")}));
  EXPECT_EQ(FileToString(ProductFile("p.dat")), kProductText);

  // Released while the save is still trying: it goes through.
  std::optional<TRecordFileLock> other;
  other.emplace(ProductFile("p.dat"), TRecordFileLock::Mode::Exclusive);
  std::thread release([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    other.reset();
  });
  EXPECT_TRUE(p->SaveRecordFile());
  release.join();
  TProduct check;
  ASSERT_TRUE(check.LoadRecordFile(ProductFile("p.dat")));
  EXPECT_EQ(check.GetString("Program_Info/Program_Version"), "9.9");
}

// Two processes saving the same product over and over, each changing its own keys: with the
// lock around the read-merge-write no change is lost.
TEST_F(RecordsTest, TwoProcessesSavingOneProductLoseNothing) {
  WriteFile(ProductFile("p.dat"), kProductText);
  const int kRounds = 50;
  auto work = [&](const std::string& site) {
    TProductList list;
    TProduct* p = list.NewProduct();
    if (!p->LoadRecordFile(ProductFile("p.dat"))) return 1;
    for (int i = 1; i <= kRounds; ++i) {
      p->VersionSubmitted.SetString(site, std::to_string(i));
      p->SetString("Round_" + site + "_" + std::to_string(i), "done");
      if (!p->SaveRecordFile()) return 2;
    }
    return 0;
  };
  pid_t children[2];
  const char* sites[2] = {"SITE-A", "SITE-B"};
  for (int c = 0; c < 2; ++c) {
    children[c] = fork();
    ASSERT_GE(children[c], 0);
    if (children[c] == 0) _exit(work(sites[c]));
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  TProduct check;
  ASSERT_TRUE(check.LoadRecordFile(ProductFile("p.dat")));
  for (const char* site : sites) {
    EXPECT_EQ(check.VersionSubmitted.GetString(site), std::to_string(kRounds));
    for (int i = 1; i <= kRounds; ++i)
      EXPECT_EQ(check.GetString(std::string("Round_") + site + "_" + std::to_string(i)), "done")
          << site << " " << i;
  }
  EXPECT_EQ(check.GetString("Program_Info/Program_Name"), "My Tool");
}

TEST_F(RecordsTest, BinaryListFormAppendsAndForgetsFileNames) {
  WriteFile(ProductFile("p.dat"), kProductText);
  ASSERT_TRUE(products_.LoadAll());
  ASSERT_EQ(products_.Count(), 2);
  TMemoryStream archive;
  products_.SaveToStream(archive);
  archive.Rewind();

  TProductList restored;
  restored.NewProduct()->SetString("Program_Info/Program_Name", "Already here");
  restored.LoadFromStream(archive);
  ASSERT_EQ(restored.Count(), 3);
  EXPECT_EQ(restored.At(0)->RecordName(), "Already here");
  for (int i = 1; i < 3; ++i) {
    EXPECT_EQ(restored.At(i)->FileName, "");
    EXPECT_EQ(restored.At(i)->Owner(), &restored);
    EXPECT_EQ(restored.At(i)->Uin(), products_.At(i - 1)->Uin());
  }
  // Passwords travel enciphered and come back plain.
  EXPECT_EQ(restored.FindByUin("APP-Sample_Product")->GetString("Quillora/FTP_Password"),
            "Ftp-Demo-2024");
  EXPECT_EQ(restored.FindByUin("APP-1")->VersionListed.GetString("SITE-A"), "0.9");

  // A damaged archive is refused.
  std::string bytes = archive.Data();
  bytes[12] = '\0';
  TMemoryStream broken(bytes);
  TProductList none;
  EXPECT_THROW(none.LoadFromStream(broken), TRecordFileError);
}

TEST_F(RecordsTest, AssignAndDelete) {
  WriteFile(ProductFile("p.dat"), kProductText);
  TProduct* p = LoadProduct(products_, ProductFile("p.dat"));
  TProduct* copy = products_.NewProduct();
  copy->Assign(*p);
  EXPECT_EQ(copy->RecordName(), "My Tool");
  EXPECT_EQ(copy->VersionListed.GetString("SITE-A"), "0.9");
  EXPECT_EQ(copy->FileName, "");
  EXPECT_EQ(copy->Snapshot.Count(), 0);
  TCompany company;
  company.Assign(*p);  // fields only
  EXPECT_EQ(company.GetString("Program_Info/Program_Name"), "My Tool");

  EXPECT_TRUE(p->DeleteRecord());
  EXPECT_FALSE(FileExists(ProductFile("p.dat")));
  ASSERT_EQ(products_.Count(), 1);
  EXPECT_EQ(products_.At(0), copy);
  EXPECT_TRUE(copy->DeleteRecord());  // never saved: only leaves the list
  EXPECT_EQ(products_.Count(), 0);
}

}  // namespace
}  // namespace quillora
