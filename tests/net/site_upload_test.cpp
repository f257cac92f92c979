#include "net/site_upload.h"

#include <chrono>
#include <httplib.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/app_state.h"
#include "foundation/encoding.h"
#include "foundation/files.h"
#include "foundation/stream.h"
#include "pad/record_cipher.h"
#include "sites/site.h"
#include "sites/site_list.h"
#include "support/core_test.h"

namespace quillora {
namespace {

// The site repository's "putsite.php" on 127.0.0.1: records each posted body and answers with
// the reply the test sets.
class PutSiteServer {
 public:
  PutSiteServer() {
    server_.set_read_timeout(5, 0);
    server_.set_write_timeout(5, 0);
    // Read through a content reader: the library refuses form bodies beyond 8 kB otherwise, and a
    // site file is larger than that.
    server_.Post("/sites/putsite.php", [this](const httplib::Request&, httplib::Response& res,
                                              const httplib::ContentReader& read) {
      std::string body;
      read([&body](const char* data, size_t size) {
        body.append(data, size);
        return true;
      });
      std::lock_guard lock(mutex_);
      bodies_.push_back(body);
      res.set_content(reply_, "text/plain");
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!server_.is_running() && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~PutSiteServer() {
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

 private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
  std::mutex mutex_;
  std::vector<std::string> bodies_;
  std::string reply_;
};

// The value of one field of a posted form line (its line end left out), URL-decoded; "<none>"
// when it is missing.
std::string Field(std::string body, const std::string& name) {
  while (!body.empty() && (body.back() == '\n' || body.back() == '\r')) body.pop_back();
  size_t at = 0;
  while (at <= body.size()) {
    size_t end = body.find('&', at);
    if (end == std::string::npos) end = body.size();
    const std::string pair = body.substr(at, end - at);
    if (pair.compare(0, name.size() + 1, name + "=") == 0)
      return UrlDecode(pair.substr(name.size() + 1));
    at = end + 1;
  }
  return "<none>";
}

class SiteUploadTest : public test::CoreTest {
 protected:
  void SetUp() override {
    Start();
    ASSERT_GT(SiteList().Count(), 0);
    site_ = SiteList().SiteAt(0);
    site_->Info.URLs.Home().SetAddress("http://home.example/?a=1&b=2");
    Settings().SetString("Sites Repository", server_.Repository());
    file_name_ = site_->FileName.substr(site_->FileName.find_last_of('/') + 1);
  }

  PutSiteServer server_;
  TWebSite* site_ = nullptr;
  std::string file_name_;
};

// An upload posts the head fields, the common options and the exported copy with its checksums;
// the export is gone afterwards and the contributor settings keep the login as typed.
TEST_F(SiteUploadTest, UploadSendsTheExportedFileAndStoresTheContributor) {
  ASSERT_TRUE(UploadSite(*site_, file_name_, {"jdoe", "p&ss w", false}))
      << testing::PrintToString(ui_.Texts("error"));
  ASSERT_EQ(server_.Bodies().size(), 1u);
  const std::string body = server_.Bodies()[0];
  EXPECT_EQ(body.rfind("UIN=", 0), 0u);
  EXPECT_EQ(Field(body, "UIN"), site_->UIN());
  EXPECT_EQ(Field(body, "Title"), site_->Name());
  EXPECT_EQ(Field(body, "URL"), "http://home.example/?a=1&b=2");
  EXPECT_EQ(Field(body, "ContributorLogin"), "JDOE");
  EXPECT_EQ(Field(body, "ContributorPWD"), "p&ss w");
  EXPECT_EQ(Field(body, "FileName"), file_name_.substr(0, file_name_.rfind('.')));
  EXPECT_EQ(Field(body, "Status"), "N");
  EXPECT_EQ(Field(body, "Last contributed"), site_->Info.Value("Common info", "Last contributed"));
  EXPECT_EQ(Field(body, "Delete"), "<none>");

  // The file travels as hexadecimal text: it reads back as the site, and the checksums are its.
  const std::string hex = Field(body, "WSDFILE");
  ASSERT_FALSE(hex.empty());
  std::string bytes;
  unsigned x = 0;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    x ^= static_cast<unsigned char>(bytes.back());
  }
  EXPECT_EQ(Field(body, "WSDCRC"), std::to_string(x));
  const std::string copy = Folders().temp + "copy.wsd";
  StringToFile(copy, bytes);
  EXPECT_EQ(Field(body, "FILECRC"), std::to_string(FileChecksum(copy)));
  TWebSite reread;
  ASSERT_EQ(reread.LoadSiteFile(copy), slLoaded);
  EXPECT_EQ(reread.UIN(), site_->UIN());
  EXPECT_EQ(reread.Protected, 0);  // a clean copy

  EXPECT_FALSE(FileExists(SiteList().TempFolder + file_name_));
  EXPECT_EQ(Settings().GetString("Contributor Login"), "jdoe");
  EXPECT_EQ(DecryptText(Settings().GetString("Contributor Password")), "p&ss w");
  EXPECT_EQ(ui_.Texts("info"), std::vector<std::string>{"Database has been successfully updated."});
}

TEST_F(SiteUploadTest, DeleteSendsNoSiteDataAndARefusalIsShown) {
  server_.SetReply("Wrong password\r\nTry again");
  Settings().SetString("Contributor Login", "old");
  EXPECT_FALSE(UploadSite(*site_, file_name_, {"jdoe", "x", true}));
  ASSERT_EQ(server_.Bodies().size(), 1u);
  const std::string body = server_.Bodies()[0];
  const std::string tail = "&Status=N&Delete=Y\r\n";  // one line
  ASSERT_GE(body.size(), tail.size());
  EXPECT_EQ(body.substr(body.size() - tail.size()), tail);
  for (const char* absent : {"WSDFILE", "WSDCRC", "FILECRC", "Rating"})
    EXPECT_EQ(Field(body, absent), "<none>") << absent;
  EXPECT_EQ(ui_.Texts("error"), std::vector<std::string>{"Wrong password\r\nTry again"});
  EXPECT_EQ(Settings().GetString("Contributor Login"), "old");
}

TEST_F(SiteUploadTest, TransferFailureIsShownAndLeavesNoExport) {
  Settings().SetString("Sites Repository", server_.Repository() + "missing/");
  EXPECT_FALSE(UploadSite(*site_, file_name_, {"jdoe", "x", false}));
  EXPECT_EQ(ui_.Texts("error").size(), 1u);
  EXPECT_FALSE(FileExists(SiteList().TempFolder + file_name_));
}

}  // namespace
}  // namespace quillora
