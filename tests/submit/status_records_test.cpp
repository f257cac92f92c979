#include "submit/status_records.h"

#include <map>
#include <memory>
#include <optional>

#include <gtest/gtest.h>

#include "pad/product_data_fixture.h"
#include "pad/profile.h"
#include "pad/records.h"
#include "sites/web_forms.h"
#include "submit/login_capture.h"
#include "support/test_context.h"

namespace quillora {
namespace {

struct StatusCase {
  const char* override_text;
  const char* version;
  const char* listed;
  const char* submitted;
  TSiteStatus expected;
};

const StatusCase kStatusCases[] = {
    {"", "2.1", "2.1", "", ssComplete},
    {"", "2.1", "2.1", "2.0", ssComplete},  // listed wins whatever was submitted
    {"", "2.1", "2.0", "2.1", ssPending},
    {"", "2.2", "2.1", "2.1", ssDefault},  // a new version
    {"", "", "", "", ssDefault},           // no version: never Complete or Pending
    {"", "", "", "2.1", ssDefault},
    {"Default", "2.1", "2.1", "", ssComplete},  // Default does not force
    {"Auto", "2.1", "", "2.1", ssPending},
    {"Skipped", "2.1", "2.1", "", ssSkipped},
    {"Failed", "2.1", "2.1", "", ssFailed},
    {"Complete", "2.1", "", "", ssComplete},
    {"Pending", "2.1", "2.1", "", ssPending},
    {"ALL", "2.1", "2.1", "", ssAll},
    {"skipped", "2.1", "2.1", "", ssComplete},  // overrides compare exactly
};

// A profile with just the values a status needs.
TProfile ProfileFor(const StatusCase& c) {
  TProfile p;
  p.SetString("Program_Info/Program_Version", c.version);
  p.StatusOverride.SetString("SITE-X", c.override_text);
  p.VersionListed.SetString("SITE-X", c.listed);
  p.VersionSubmitted.SetString("SITE-X", c.submitted);
  return p;
}

TEST(SiteStatusRule, TableOfCases) {
  for (const StatusCase& c : kStatusCases) {
    EXPECT_EQ(StatusFromRecords(c.override_text, c.version, c.listed, c.submitted), c.expected)
        << c.override_text << "/" << c.version << "/" << c.listed << "/" << c.submitted;
    EXPECT_EQ(SiteStatusFor(ProfileFor(c), "SITE-X"), c.expected);
  }
  EXPECT_EQ(SiteStatusName(ssDefault), "Default");
  EXPECT_EQ(SiteStatusName(ssAll), "ALL");
}

// The site record computes its status itself; both must agree.
TEST(SiteStatusRule, AgreesWithTheSiteRecord) {
  test::TestData data;
  std::unique_ptr<TCoreContext> core = data.Start();
  ASSERT_NE(core, nullptr);
  TWebSite site;
  site.Info.CommonInfo().SetString("UIN", "SITE-X");
  for (const StatusCase& c : kStatusCases) {
    TProfile p = ProfileFor(c);
    EXPECT_EQ(site.SiteStatus(&p), SiteStatusFor(p, "SITE-X")) << c.override_text << c.version;
    core->Sites().profile = &p;
    site.UpdateVersionHandled("2.1");
    EXPECT_EQ(site.VersionHandled == 1, VersionHandledFor(p, "SITE-X", "2.1"));
    core->Sites().profile = nullptr;
  }
}

TEST(SiteStatusRule, VersionHandled) {
  TProfile p;
  EXPECT_FALSE(VersionHandledFor(p, "S", "2.0"));
  p.VersionSubmitted.SetString("S", "2.0");
  EXPECT_TRUE(VersionHandledFor(p, "S", "2.0"));
  EXPECT_FALSE(VersionHandledFor(p, "S", "2.1"));
  p.StatusOverride.SetString("S", "Auto");
  EXPECT_FALSE(VersionHandledFor(p, "S", "2.1"));
  p.StatusOverride.SetString("S", "Default");
  EXPECT_TRUE(VersionHandledFor(p, "S", "2.1"));
}

TEST(StatusNotes, MenuAndPanelLines) {
  TDateTime when = EncodeDateTime({2024, 3, 5, 9, 7, 30, 0});
  EXPECT_EQ(OverrideNote("Payment required", when), "05.03.2024 09:07: Payment required\r\n");
  EXPECT_EQ(AppendPanelReason("", "Tool", "The site is down at the moment", when),
            "05.03.2024 09:07 ( Tool ): The site is down at the moment");
  EXPECT_EQ(AppendPanelReason("earlier", "Tool", "", when),
            "earlier\r\n05.03.2024 09:07 ( Tool ): ");
  TProfile p;
  p.VersionSubmitted.SetString("S", "2.0");
  p.DateSubmitted.SetString("S", "05-03-2024 09:07:30");
  EXPECT_EQ(PanelSubmittedText(p, "S", "dd/mm/yyyy"), "Submitted: 2.0  05/03/2024");
  p.DateSubmitted.SetString("S", "not a date");
  EXPECT_EQ(PanelSubmittedText(p, "S", "dd/mm/yyyy"), "Submitted: 2.0");
  EXPECT_EQ(PanelListedText(p, "S"), "Listed: ");
  EXPECT_EQ(FindOverrideItem("pending").value_or(""), "Pending");
  EXPECT_FALSE(FindOverrideItem("Done"));
}

// The transitions on the active profile, each saved with the product and re-activated.
class StatusTransitionsTest : public test::ProductDataTest {
 protected:
  void SetUp() override {
    ProductDataTest::SetUp();
    Start();
    ASSERT_TRUE(LoadRecordsAndActivate());
    ASSERT_NE(ActiveProfile().FindActiveProduct(), nullptr);
  }
  TProfile& P() { return ActiveProfile(); }
  TSiteStatus Status() { return SiteStatusFor(P(), "SITE-A"); }
  // The product as the next run of the program reads it.
  void Reread(TProduct& p) { ASSERT_TRUE(p.LoadRecordFile(ProductFile("Sample_Notes.dat"))); }
  void NewVersion(const char* version) {
    TProduct* product = P().FindActiveProduct();
    product->SetString("Program_Info/Program_Version", version);
    ASSERT_TRUE(product->SaveRecordFile());
    P().Activate();
  }
};

TEST_F(StatusTransitionsTest, SubmissionListingAndOverrides) {
  const TDateTime when = EncodeDateTime({2024, 3, 5, 9, 7, 30, 0});
  EXPECT_EQ(Status(), ssDefault);

  // A submission with an override of Skipped: the override goes, the site is Pending.
  ASSERT_TRUE(SetStatusOverride(P(), "SITE-A", "Skipped", "Waiting for the site", when));
  ASSERT_TRUE(CommitStatusChange(P()));
  EXPECT_EQ(Status(), ssSkipped);
  ASSERT_TRUE(RecordSubmission(P(), "SITE-A", when, std::string("Business,Notes")));
  ASSERT_TRUE(CommitStatusChange(P()));
  EXPECT_EQ(Status(), ssPending);
  TProduct saved;
  Reread(saved);
  EXPECT_EQ(saved.VersionSubmitted.GetString("SITE-A"), "2.4.1");
  EXPECT_EQ(saved.DateSubmitted.GetString("SITE-A"), "05-03-2024 09:07:30");
  EXPECT_EQ(saved.ProgramCategory.GetString("SITE-A"), "Business,Notes");
  EXPECT_FALSE(saved.StatusOverride.HasKey("SITE-A"));
  EXPECT_EQ(saved.Comments.GetString("SITE-A"), "05.03.2024 09:07: Waiting for the site\r\n");

  // "Set Listed As Submitted": Complete.
  ASSERT_TRUE(SetListedAsSubmitted(P(), "SITE-A"));
  ASSERT_TRUE(CommitStatusChange(P()));
  EXPECT_EQ(Status(), ssComplete);
  EXPECT_FALSE(SetListedAsSubmitted(P(), "SITE-A"));  // nothing more to change

  // A new version makes the site Default again; Set Version Listed brings it back.
  NewVersion("2.5");
  EXPECT_EQ(Status(), ssDefault);
  ASSERT_TRUE(SetVersionListed(P(), "SITE-A"));
  ASSERT_TRUE(CommitStatusChange(P()));
  EXPECT_EQ(Status(), ssComplete);

  // Overrides: Failed forces, Default shows the computed state, Auto clears.
  ASSERT_TRUE(SetStatusOverride(P(), "SITE-A", "Failed"));
  EXPECT_EQ(Status(), ssFailed);
  ASSERT_TRUE(SetStatusOverride(P(), "SITE-A", "Default"));
  EXPECT_EQ(Status(), ssComplete);
  ASSERT_TRUE(CommitStatusChange(P()));
  Reread(saved);
  EXPECT_EQ(saved.StatusOverride.GetString("SITE-A"), "Default");
  ASSERT_TRUE(SetStatusOverride(P(), "SITE-A", "Auto"));
  ASSERT_TRUE(CommitStatusChange(P()));
  Reread(saved);
  EXPECT_FALSE(saved.StatusOverride.HasKey("SITE-A"));
  EXPECT_THROW(SetStatusOverride(P(), "SITE-A", "Done"), std::invalid_argument);
}

TEST_F(StatusTransitionsTest, ProductStatusDialogFields) {
  const TDateTime now = EncodeDateTime({2024, 4, 1, 12, 0, 0, 0});
  P().CompanySiteLogins.SetString("SITE-A", "company-login");
  TProductStatusFields f = ReadProductStatus(P(), "SITE-A");
  EXPECT_EQ(f.company_login, "company-login");
  f.version_submitted = "2.4.1";
  f.search_flag = "FOUND";
  f.product_password = "secret";
  f.status_override = "Auto";
  ASSERT_TRUE(WriteProductStatus(P(), "SITE-A", f, now));
  // A changed version submitted dates the submission now.
  EXPECT_EQ(P().DateSubmitted.GetString("SITE-A"), "01-04-2024 12:00:00");
  EXPECT_FALSE(P().StatusOverride.HasKey("SITE-A"));
  ASSERT_TRUE(CommitStatusChange(P()));
  EXPECT_EQ(P().SitePassword("SITE-A"), "secret");
  EXPECT_EQ(P().SearchFlag.GetString("SITE-A"), "FOUND");

  f = ReadProductStatus(P(), "SITE-A");
  f.search_flag = "";  // an empty flag removes the entry
  f.date_submitted = "02-04-2024";
  ASSERT_TRUE(WriteProductStatus(P(), "SITE-A", f, now));
  EXPECT_FALSE(P().SearchFlag.HasKey("SITE-A"));
  EXPECT_EQ(P().DateSubmitted.GetString("SITE-A"), "02-04-2024");
  EXPECT_FALSE(WriteProductStatus(P(), "SITE-A", f, now));
}

// Logins typed into recognised forms: whose they are, whether they are new, and keeping them.
TEST_F(StatusTransitionsTest, TypedLoginsAreAttributedComparedAndKept) {
  using TOwner = TCapturedLogin::TOwner;
  auto form_of = [](std::vector<std::pair<const char*, const char*>> fields,
                    const char* login_field = nullptr) {
    auto form = std::make_unique<TWebForm>();
    for (const auto& [name, rule] : fields) {
      TFormField& f = form->AddField();
      f.SetFieldName(name);
      f.SetFillWith(rule);
      if (login_field && std::string(name) == login_field) f.SetLogin(true);
    }
    return form;
  };
  const std::map<std::string, std::string> sent = {{"user", "emma"}, {"pass", "pw1"}};
  auto value_of = [&](const std::string& name) -> std::optional<std::string> {
    const auto it = sent.find(name);
    if (it == sent.end()) return std::nullopt;
    return it->second;
  };
  struct Case {
    std::unique_ptr<TWebForm> form;
    TOwner owner;
    std::optional<std::string> login, password;
  };
  Case cases[] = {
      {form_of({{"user", "|Company_Login|"}, {"pass", "|Company_Password|"}}), TOwner::Company,
       "emma", "pw1"},
      {form_of({{"user", " |product_login| "}, {"pass", "|Product_Password|"}}), TOwner::Product,
       "emma", "pw1"},
      // A marked login field belongs to the company until a rule names the owner.
      {form_of({{"user", ""}, {"pass", "|Product_Password|"}}, "user"), TOwner::Product, "emma",
       "pw1"},
      // A field the page did not send stays unknown.
      {form_of({{"missing", "|Company_Login|"}, {"pass", "|Company_Password|"}}), TOwner::Company,
       std::nullopt, "pw1"},
      {form_of({{"user", "|Program_Info/Program_Name|"}}), TOwner::None, std::nullopt,
       std::nullopt},
  };
  for (const Case& c : cases) {
    const TCapturedLogin got = CaptureLogin(*c.form, value_of);
    EXPECT_EQ(got.owner, c.owner);
    EXPECT_EQ(got.login, c.login);
    EXPECT_EQ(got.password, c.password);
  }

  const TCapturedLogin typed = CaptureLogin(*cases[0].form, value_of);
  EXPECT_TRUE(LoginChanged(P(), "SITE-A", typed));
  StoreLogin(P(), "SITE-A", typed, /*for_product=*/true);
  ASSERT_TRUE(CommitStatusChange(P()));
  // Kept for the product, as chosen; the company's entry is still the old (empty) one.
  EXPECT_EQ(P().ProductSiteLogins.GetString("SITE-A"), "emma");
  EXPECT_EQ(P().SitePassword("SITE-A"), "pw1");
  EXPECT_TRUE(LoginChanged(P(), "SITE-A", typed));
  StoreLogin(P(), "SITE-A", typed, /*for_product=*/false);
  EXPECT_FALSE(LoginChanged(P(), "SITE-A", typed));
  EXPECT_FALSE(LoginChanged(P(), "SITE-A", CaptureLogin(*cases[4].form, value_of)));
}

}  // namespace
}  // namespace quillora
