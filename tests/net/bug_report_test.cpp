#include "net/bug_report.h"

#include <chrono>
#include <httplib.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/app_state.h"
#include "foundation/data_tables.h"
#include "foundation/encoding.h"
#include "foundation/files.h"
#include "foundation/registry.h"
#include "foundation/stream.h"
#include "sites/site.h"
#include "sites/site_list.h"
#include "support/core_test.h"

namespace quillora {
namespace {

// The site repository's "bugreport.php" on 127.0.0.1: records each posted body and answers with
// the reply the test sets.
class BugServer {
 public:
  BugServer() {
    server_.set_read_timeout(5, 0);
    server_.set_write_timeout(5, 0);
    server_.Post("/sites/bugreport.php",
                 [this](const httplib::Request& req, httplib::Response& res) {
                   std::lock_guard lock(mutex_);
                   bodies_.push_back(req.body);
                   content_type_ = req.get_header_value("Content-Type");
                   res.set_content(reply_, "text/plain");
                 });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    // stop() only reaches a server whose loop has started.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!server_.is_running() && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~BugServer() {
    server_.stop();
    thread_.join();
  }
  std::string Repository() const { return "http://127.0.0.1:" + std::to_string(port_) + "/sites/"; }
  void SetReply(std::string reply) {
    std::lock_guard lock(mutex_);
    reply_ = std::move(reply);
  }
  std::vector<std::string> Bodies() {
    std::lock_guard lock(mutex_);
    return bodies_;
  }
  std::string ContentType() {
    std::lock_guard lock(mutex_);
    return content_type_;
  }

 private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
  std::mutex mutex_;
  std::vector<std::string> bodies_;
  std::string content_type_, reply_;
};

class BugReportTest : public test::CoreTest {
 protected:
  void SetUp() override {
    Start();
    ASSERT_GT(SiteList().Count(), 0);
    site_ = SiteList().SiteAt(0);
    TOptionsList& info = site_->Info.CommonInfo();
    info.SetString("Contributor Name", "Ann Keeper");
    info.SetString("Contributor e-mail", "ann@keeper.example");
    info.SetString("Language", "English");
    profile_.SetString("Company_Info/Contact_Info/Contact_Full_Name", "Emma Larsen");
    profile_.SetString("Company_Info/Contact_Info/Contact_Email", "emma@sample.example");
    profile_.SetString("Program_Info/Program_Name", "Word Counter");
    Settings().SetString("Sites Repository", server_.Repository());
    // A short template, so the whole posted body is known.
    StringToFile(Folders().data + "bugreport.dat",
                 "Kind: |Bug_Kind|\r\nSite: |Bug_SiteName| |SiteInfo/Common_info/UIN|\r\n"
                 "|Bug_Description|\r\n|Config/AppName| |Config/AppVer| |Config/AppStatus| "
                 "|Program_Info/Program_Name|\r\n");
  }

  BugServer server_;
  TWebSite* site_ = nullptr;
  TOptionsList profile_;
};

TEST(BugKinds, TextsChoicesAndNames) {
  const auto& kinds = BugKinds();
  ASSERT_EQ(kinds.size(), 12u);
  EXPECT_EQ(kinds[2].text, "Page not found");
  EXPECT_EQ(kinds[2].choices,
            (std::vector<std::string>{"Search", "Submit", "Update", "Other ( Please, specify )"}));
  EXPECT_EQ(kinds[4].text,
            "The \"Submitted\" status was not automatically set after a successful submission");
  const std::pair<const char*, const char*> names[] = {
      {"Something else { Please, specify }", "Something else"},
      {"Page not found", "Page not found"},
      {"Template not found ( form is Yellow after filling )",
       "Template not found ( form is Yellow after filling )"},
      {"{ all braces }", ""},
  };
  for (const auto& [text, name] : names) EXPECT_EQ(BugKindName(text), name);
}

TEST_F(BugReportTest, OpeningFillsTheFieldsFromSiteSettingsRegistryAndProfile) {
  site_->Info.CommonInfo().SetString("Last Bug Reported", "01-02-2024 10:00:00");
  TBugReport report(site_, "http://page.example/", profile_, false);
  EXPECT_EQ(report.url, "http://page.example/");
  EXPECT_EQ(report.site_name, site_->Name());
  EXPECT_EQ(report.contributor, "Ann Keeper <ann@keeper.example>");
  EXPECT_EQ(report.LastBugReported(), "Last Bug Reported: 01-02-2024 10:00:00");
  EXPECT_EQ(report.LanguagePrefix(), "English/");
  EXPECT_EQ(BugKinds()[static_cast<size_t>(report.kind)].text,
            "Something else { Please, specify }");
  EXPECT_FALSE(report.SiteFieldsEditable());
  // Nothing stored anywhere: the profile's contact, and the remember box unchecked.
  EXPECT_EQ(report.sender_name, "Emma Larsen");
  EXPECT_EQ(report.sender_email, "emma@sample.example");
  EXPECT_FALSE(report.Remember());

  // A kind with choices: the chosen text is a new line of the description.
  EXPECT_EQ(report.SelectKind(2).size(), 4u);
  report.AppendChoice("Submit");
  report.AppendChoice("");
  EXPECT_EQ(report.description, "Submit");
  report.AppendChoice("Other ( Please, specify )");
  EXPECT_EQ(report.description, "Submit\r\nOther ( Please, specify )");
  EXPECT_TRUE(report.SelectKind(0).empty());

  // Sender data found in the machine's registry or the settings checks the box.
  WriteRegistryValue(SenderRegistryPath(true, "Sender_Name"), "Machine Name");
  Settings().SetString("Sender_Email", "set@example.com");
  TBugReport remembered(nullptr, "u", profile_, true);
  EXPECT_EQ(remembered.sender_name, "Machine Name");
  EXPECT_EQ(remembered.sender_email, "set@example.com");
  EXPECT_TRUE(remembered.Remember());
  EXPECT_TRUE(remembered.FocusOnSiteName());
  EXPECT_EQ(remembered.site_name, "");
  EXPECT_EQ(remembered.LastBugReported(), "");
  EXPECT_EQ(remembered.LanguagePrefix(), "");
  // A site outside the site list counts as none.
  TWebSite stray;
  EXPECT_EQ(TBugReport(&stray, "u", profile_, false).Site(), nullptr);
  remembered.SetRemember(false);
  EXPECT_EQ(remembered.sender_name, "Emma Larsen");
  EXPECT_EQ(remembered.sender_email, "emma@sample.example");
}

TEST_F(BugReportTest, SendPostsTheReportAndStoresWhatItShould) {
  Settings().SetString("User_UIN", "USR-TEST");
  TBugReport report(site_, "http://page.example/a?b=c", profile_, false);
  report.SelectKind(2);
  report.AppendChoice("Submit");
  report.sender_name = "Emma L. Larsen";
  report.sender_email = "emma+bugs@sample.example";
  report.SetRemember(true);
  const std::string uin = site_->UIN();

  ASSERT_TRUE(report.Send());
  EXPECT_TRUE(ui_.Texts("error").empty());
  ASSERT_EQ(server_.Bodies().size(), 1u);
  const std::string name = site_->Name();
  EXPECT_EQ(server_.Bodies()[0],
            "SenderUIN=USR-TEST&SenderName=Emma+L.+Larsen&SenderAddr=emma+bugs%40sample.example"
            "&Category=Page+not+found&Body=Kind%3A+Page+not+found%0D%0ASite%3A+" +
                UrlEncodeValue(name) + "+" + UrlEncodeValue(uin) +
                "%0D%0ASubmit%0D%0AQuillora+3.0+Shareware+Word+Counter&SiteUIN=" + uin + "\r\n");
  EXPECT_EQ(server_.ContentType(), "application/x-www-form-urlencoded");

  // Sender data in the settings and both registry places; the user's UIN in all three.
  for (bool machine : {false, true}) {
    EXPECT_EQ(ReadRegistryValue(SenderRegistryPath(machine, "Sender_Name")), "Emma L. Larsen");
    EXPECT_EQ(ReadRegistryValue(SenderRegistryPath(machine, "Sender_Email")),
              "emma+bugs@sample.example");
    EXPECT_EQ(ReadRegistryValue(SenderRegistryPath(machine, "User_UIN")), "USR-TEST");
  }
  EXPECT_EQ(Settings().GetString("Sender_Name"), "Emma L. Larsen");

  // The site file carries the date of the report.
  TWebSite saved;
  ASSERT_EQ(saved.LoadSiteFile(site_->FileName), slLoaded);
  EXPECT_FALSE(saved.Info.Value("Common info", "Last Bug Reported").empty());

  // The history entry: date, address, the kind's full text and the report.
  const TOptionsList* history = Tables().bugs_history.FindSection(uin);
  ASSERT_NE(history, nullptr);
  ASSERT_EQ(history->Count(), 1);
  std::string entry = DecodeValue(history->Line(0));
  EXPECT_NE(
      entry.find("\r\nhttp://page.example/a?b=c\r\nPage not found\r\nKind: Page not found\r\n"),
      std::string::npos)
      << entry;

  // The preselected kind goes as "Bug_Kind" without its braces and as "Category" in full; a
  // report about no site sends no SiteUIN. Unchecked, the sender data is cleared everywhere.
  TBugReport other(nullptr, "u", profile_, false);
  other.SetRemember(false);
  ASSERT_TRUE(other.Send());
  const std::string body = server_.Bodies().back();
  EXPECT_NE(body.find("&Category=Something+else+%7B+Please,+specify+%7D&Body=Kind%3A+Something+"
                      "else%0D%0A"),
            std::string::npos)
      << body;
  EXPECT_EQ(body.find("SiteUIN"), std::string::npos);
  EXPECT_EQ(Settings().GetString("Sender_Name"), "");
  EXPECT_EQ(ReadRegistryValue(SenderRegistryPath(true, "Sender_Email")), "");
  EXPECT_EQ(ReadRegistryValue(SenderRegistryPath(true, "User_UIN")), "USR-TEST");
}

TEST_F(BugReportTest, FailuresKeepTheDialogOpen) {
  TBugReport report(site_, "u", profile_, false);
  report.sender_name = "Emma";
  report.SetRemember(true);

  // Any reply text is the server's error message, even a line of one blank.
  server_.SetReply(" \r\n");
  EXPECT_FALSE(report.Send());
  // The site and the sender data were stored before the post all the same.
  EXPECT_FALSE(site_->Info.Value("Common info", "Last Bug Reported").empty());
  EXPECT_EQ(Settings().GetString("Sender_Name"), "Emma");
  EXPECT_FALSE(Settings().GetString("User_UIN").empty());

  Settings().SetString("Sites Repository", server_.Repository() + "missing/");
  EXPECT_FALSE(report.Send());

  DeleteFileAt(Folders().data + "bugreport.dat");
  EXPECT_FALSE(report.Send());
  EXPECT_EQ(ui_.Texts("error"),
            (std::vector<std::string>{" \r\n", "File not found",
                                      "Cannot load template " + Folders().data + "bugreport.dat"}));
  EXPECT_EQ(server_.Bodies().size(), 1u);
  EXPECT_EQ(Tables().bugs_history.FindSection(site_->UIN()), nullptr);
}

TEST(BugHistory, KeepsTheSixNewestReportsOfASite) {
  TMultiOptions history;
  for (int i = 1; i <= 8; ++i)
    AddBugHistoryEntry(history, i == 8 ? "SITE-B" : "SITE-A", "d" + std::to_string(i), "u", "Help!",
                       "body\r\n=100%");
  const TOptionsList* a = history.FindSection("SITE-A");
  ASSERT_NE(a, nullptr);
  ASSERT_EQ(a->Count(), 6);
  EXPECT_EQ(DecodeValue(a->Line(0)), "d2\r\nu\r\nHelp!\r\nbody\r\n=100%");
  EXPECT_EQ(DecodeValue(a->Line(5)).substr(0, 3), "d7\r");
  EXPECT_EQ(history.FindSection("SITE-B")->Count(), 1);
  // Each entry is a single stored line.
  for (const std::string& line : a->Lines())
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
}

}  // namespace
}  // namespace quillora
