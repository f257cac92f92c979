#include "backup/backup.h"

#include <thread>

#include <gtest/gtest.h>

#include "foundation/files.h"
#include "foundation/job.h"
#include "foundation/stream.h"
#include "pad/records.h"
#include "sites/site_filter.h"
#include "sites/site_list.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace quillora {
namespace {

using test::ScriptedUI;
using test::TempDir;

struct Records {
  explicit Records(const std::string& root) {
    ForceDirectories(root + "Companies");
    ForceDirectories(root + "Products");
    companies.Folder = root + "Companies/";
    products.Folder = root + "Products/";
  }
  TCompanyList companies;
  TProductList products;
  TCustomSets sets;
};

TCompany* AddCompany(Records& r, const std::string& name) {
  TCompany* c = r.companies.NewCompany();
  c->NewUin();
  c->SetString("Company_Info/Company_Name", name);
  EXPECT_TRUE(c->SaveRecordFile());
  return c;
}

TEST(Backup, RoundTripIntoAnEmptyDataFolderIsByteStable) {
  ScriptedUI ui;
  TempDir a, b;
  Records from(a.Path());
  TCompany* c = AddCompany(from, "Acme");
  TProduct* p = static_cast<TProduct*>(from.products.NewRecord());
  p->NewUin();
  p->SetString("Program_Info/Program_Name", "Tool");
  p->SetString("Quillora/Company_UIN", c->Uin());
  ASSERT_TRUE(p->SaveRecordFile());
  from.sets.NewSet("Mine")->Add("SITE-1");
  ASSERT_TRUE(BackupUserInfo(a / "x.uibk", from.companies, from.products, from.sets));
  EXPECT_EQ(FileToString(a / "x.uibk").substr(0, 4), "BZh9");

  Records to(b.Path());
  ASSERT_TRUE(RestoreUserInfo(a / "x.uibk", to.companies, to.products, to.sets));
  EXPECT_TRUE(ui.Texts("yesnoall").empty());
  ASSERT_EQ(to.companies.Count(), 1);
  ASSERT_EQ(to.products.Count(), 1);
  EXPECT_EQ(to.products.At(0)->GetString("Program_Info/Program_Name"), "Tool");
  EXPECT_EQ(ListFiles(b / "Companies/", "*.dat").size(), 1u);
  EXPECT_EQ(to.sets.Text(), from.sets.Text());
  ASSERT_TRUE(BackupUserInfo(b / "y.uibk", to.companies, to.products, to.sets));
  EXPECT_EQ(FileToString(a / "x.uibk"), FileToString(b / "y.uibk"));
}

TEST(Backup, YesToAllIsRememberedPerKindAndFailuresKeepTheOldArchive) {
  ScriptedUI ui;
  TempDir a;
  Records r(a.Path());
  AddCompany(r, "One");
  AddCompany(r, "Two");
  ASSERT_TRUE(BackupUserInfo(a / "x.uibk", r.companies, r.products, r.sets));
  r.companies.At(0)->SetString("Company_Info/Company_Name", "Changed");
  r.companies.At(1)->SetString("Company_Info/Company_Name", "Changed too");
  ui.QueueYesNoAll(TYesNoAll::YesToAll);
  ASSERT_TRUE(RestoreUserInfo(a / "x.uibk", r.companies, r.products, r.sets));
  EXPECT_EQ(ui.Texts("yesnoall"),
            std::vector<std::string>{"Company \"One\" already exists.\r\nOverride old info?"});
  EXPECT_EQ(r.companies.At(1)->GetString("Company_Info/Company_Name"), "Two");

  // A backup into a folder that does not exist fails and reports; a damaged archive is not read.
  const std::string good = FileToString(a / "x.uibk");
  EXPECT_FALSE(BackupUserInfo(a / "no/such.uibk", r.companies, r.products, r.sets));
  StringToFile(a / "bad.uibk", good.substr(0, good.size() / 2));
  EXPECT_FALSE(RestoreUserInfo(a / "bad.uibk", r.companies, r.products, r.sets));
  EXPECT_EQ(ui.Texts("error"), (std::vector<std::string>{"Cannot create " + a / "no/such.uibk",
                                                         "Cannot read " + a / "bad.uibk"}));
  EXPECT_EQ(FileToString(a / "x.uibk"), good);
  EXPECT_FALSE(FileExists(TempSaveName(a / "x.uibk")));
}

// Stopped jobs: a backup leaves the previous archive as it was; a restore run on a worker keeps
// what it merged before the stop (its question asked on the user-interface thread) and leaves
// the custom sets alone. Neither shows a message.
TEST(Backup, StoppedBackupAndRestore) {
  ScriptedUI ui;
  TempDir a;
  Records r(a.Path());
  for (const char* name : {"One", "Two", "Three"}) AddCompany(r, name);
  r.sets.NewSet("Mine");
  ASSERT_TRUE(BackupUserInfo(a / "x.uibk", r.companies, r.products, r.sets));
  const std::string archive = FileToString(a / "x.uibk");

  for (int i = 0; i < 3; ++i) r.companies.At(i)->SetString("Company_Info/Company_Name", "Changed");
  r.sets.NewSet("Later");
  TJob stopped;
  stopped.RequestStop();
  EXPECT_FALSE(BackupUserInfo(a / "x.uibk", r.companies, r.products, r.sets, stopped));
  EXPECT_EQ(FileToString(a / "x.uibk"), archive);
  EXPECT_FALSE(FileExists(a / "x.uibk.$$$"));

  const std::string sets_before = r.sets.Text();
  ui.QueueYesNoAll(TYesNoAll::Yes);
  ui.StopAtProgress(2);
  TJob job;
  EXPECT_FALSE(RunJob(job, [&](TJob& j) {
    return RestoreUserInfo(a / "x.uibk", r.companies, r.products, r.sets, j);
  }));
  EXPECT_EQ(r.companies.At(0)->GetString("Company_Info/Company_Name"), "One");
  EXPECT_EQ(r.companies.At(1)->GetString("Company_Info/Company_Name"), "Changed");
  EXPECT_EQ(r.sets.Text(), sets_before);
  ASSERT_EQ(ui.Events().size(), 1u);  // the one question, no message
  EXPECT_EQ(ui.Events()[0].kind, "yesnoall");
  EXPECT_EQ(ui.Events()[0].thread, std::this_thread::get_id());
}

TEST(Ratings, BannersAndImport) {
  ScriptedUI ui;
  TempDir d;
  ForceDirectories(d / "sites");
  TSiteList list(d / "sites/", d.Path());
  auto site = std::make_unique<TWebSite>();
  site->Info.CommonInfo().SetString("UIN", "SITE-1");
  site->Info.CommonInfo().SetString("Name", "One, with comma");
  site->Info.CommonInfo().SetString("Rating", "7");
  site->FileName = d / "sites/one.wsd";
  ASSERT_TRUE(site->SaveSiteFile(site->FileName, false));
  list.AddSite(std::move(site));

  ASSERT_TRUE(ExportRatings(list, d / "r.dat"));
  EXPECT_EQ(FileToString(d / "r.dat"),
            "*** Begin of Quillora ratings ***\r\nSITE-1,7,One, with comma\r\n*** End of Quillora "
            "ratings ***\r\n");
  ASSERT_TRUE(ExportRatings(list, d / "r2.dat"));
  EXPECT_EQ(FileToString(d / "r.dat"), FileToString(d / "r2.dat"));

  StringToFile(
      d / "in.dat",
      "junk\r\n*** Begin of Quillora ratings ***\r\nSITE-1,42,x\r\nSITE-9,5,y\r\nSITE-1,,z\r\n"
      "*** End of Quillora ratings ***\r\ntrailer\r\n");
  EXPECT_EQ(ImportRatings(list, d / "in.dat"), 1);
  TWebSite reread;
  ASSERT_EQ(reread.LoadSiteFile(d / "sites/one.wsd"), slLoaded);
  EXPECT_EQ(reread.Info.Value("Common info", "Rating"), "42");

  StringToFile(d / "empty.dat",
               "*** Begin of Quillora ratings ***\r\n*** End of Quillora ratings ***\r\n");
  EXPECT_EQ(ImportRatings(list, d / "empty.dat"), -1);
  EXPECT_EQ(ImportRatings(list, d / "missing.dat"), -1);
  EXPECT_EQ(ui.Texts("error"),
            (std::vector<std::string>{"Sorry, it is not a Quillora ratings file.",
                                      "Cannot import from " + d / "missing.dat"}));
}

}  // namespace
}  // namespace quillora
