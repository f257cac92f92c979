#include "net/headless_submit.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <httplib.h>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "cli/cli_app.h"
#include "foundation/files.h"
#include "pad/records.h"
#include "sites/site.h"
#include "support/test_context.h"

namespace quillora {
namespace {

// The submission form every flavour shows: text, text area, a list whose option values differ
// from their texts, a check box left unchecked, a disabled input, a hidden token and a named
// submit button.
const char kSubmitPage[] = R"(<html><body><h1>Add your program</h1>
<form method="post" action="post">
<table><tr><td>Program name</td><td><input name="prog_name" size="40"></td></tr>
<tr><td>Version</td><td><input name="version"></td></tr>
<tr><td>Description</td><td><textarea name="desc"></textarea></td></tr>
<tr><td>License</td><td><select name="lic"><option value="0">Pick one</option>
<option value="1">Freeware</option><option value="2">Shareware</option></select></td></tr>
<tr><td><input type="checkbox" name="news" value="yes"> Newsletter</td></tr>
<tr><td><input name="locked" value="x" disabled></td></tr>
</table><input type="hidden" name="token" value="t0k3n">
<input type="submit" name="go" value="Send"></form></body></html>)";

// A multipart form with two file inputs and an image button.
const char kUploadPage[] = R"(<form method=post enctype="multipart/form-data" action="/multi/post">
Name <input name="title"> Icon <input type=file name="icon"> Shot <input type=file name="shot">
<input type=image name="send" src="go.gif"></form>)";

const char kLoginPage[] = R"(<form method=post action="/login/do">User <input name=user>
Password <input type=password name=pass><input type=submit value=Login></form>)";

struct Received {
  std::string method, path, body, cookie, content_type;
  std::multimap<std::string, std::string> params;
  std::map<std::string, httplib::MultipartFormData> files;
};

// The sites, told apart by the first part of the path: "url" (accepts, then 303 to a thank-you
// page), "reject" (an error page naming the field), "bad" (status 400), "multi" (multipart),
// "login" (the submit page and its post need the session cookie), "script" (the form is
// written by a script).
class SitesServer {
 public:
  SitesServer() {
    server_.set_read_timeout(5, 0);
    server_.set_write_timeout(5, 0);
    server_.set_keep_alive_max_count(20);
    server_.set_logger([this](const httplib::Request& req, const httplib::Response&) {
      Received r;
      r.method = req.method;
      r.path = req.path;
      r.body = req.body;
      r.cookie = req.get_header_value("Cookie");
      r.content_type = req.get_header_value("Content-Type");
      r.params = req.params;
      for (const auto& [name, file] : req.files) r.files[name] = file;
      std::lock_guard lock(mutex_);
      received_.push_back(std::move(r));
    });
    server_.Get("/(url|reject|bad)/submit", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(kSubmitPage, "text/html; charset=utf-8");
    });
    server_.Post("/url/post", [](const httplib::Request&, httplib::Response& res) {
      res.status = 303;
      res.set_header("Location", "/url/thanks");
    });
    server_.Get("/url/thanks", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("<p>Thank you! Your program was received.</p>", "text/html");
    });
    server_.Post("/reject/post", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("<p>Sorry.</p><div>Error: the field <b>E-mail</b> is required</div>",
                      "text/html");
    });
    server_.Post("/bad/post", [](const httplib::Request&, httplib::Response& res) {
      res.status = 400;
      res.set_content("<title>Submission refused</title><p>no</p>", "text/html");
    });
    // The form is in a frame of the Submit page; its relative action is the frame's.
    server_.Get("/frame/submit", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("<p>Submit</p><iframe src=\"inner/form.html\"></iframe>", "text/html");
    });
    server_.Get("/frame/inner/form.html", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(kSubmitPage, "text/html");
    });
    server_.Post("/frame/inner/post", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("<p>Thanks.</p>", "text/html");
    });
    server_.Get("/multi/submit", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(kUploadPage, "text/html");
    });
    server_.Post("/multi/post", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("<p>Uploaded.</p>", "text/html");
    });
    server_.Get("/login/form", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(kLoginPage, "text/html");
    });
    server_.Post("/login/do", [](const httplib::Request& req, httplib::Response& res) {
      if (req.get_param_value("user") == "emma" && req.get_param_value("pass") == "s3cret") {
        res.set_header("Set-Cookie", "sid=42; Path=/");
        res.status = 302;
        res.set_header("Location", "/login/welcome");
      } else {
        res.set_content("<p>Wrong password</p>", "text/html");
      }
    });
    server_.Get("/login/welcome", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("<p>Welcome back</p>", "text/html");
    });
    server_.Get("/login/submit", [](const httplib::Request& req, httplib::Response& res) {
      if (req.get_header_value("Cookie").find("sid=42") == std::string::npos) {
        res.status = 302;
        res.set_header("Location", "/login/form");
        return;
      }
      res.set_content(kSubmitPage, "text/html");
    });
    server_.Post("/login/post", [](const httplib::Request& req, httplib::Response& res) {
      const bool in = req.get_header_value("Cookie").find("sid=42") != std::string::npos;
      res.status = in ? 200 : 403;
      res.set_content(in ? "<p>Listed soon.</p>" : "<p>Please log in</p>", "text/html");
    });
    server_.Get("/script/submit", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("<div id=f></div><script>document.write('<form>...</form>')</script>",
                      "text/html");
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    if (port_ <= 0) throw std::runtime_error("cannot bind to 127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!server_.is_running() && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~SitesServer() {
    server_.stop();
    if (thread_.joinable()) thread_.join();
  }
  // Under a host name of *.localhost, which libcurl resolves to the loopback address itself.
  std::string Url(const std::string& path, const std::string& host = {}) const {
    return "http://" + (host.empty() ? "127.0.0.1" : host + ".localhost") + ":" +
           std::to_string(port_) + path;
  }
  int Port() const { return port_; }
  std::vector<Received> Requests() const {
    std::lock_guard lock(mutex_);
    return received_;
  }
  // The requests of one method and path, in order.
  std::vector<Received> To(const std::string& method, const std::string& path) const {
    std::vector<Received> out;
    for (const Received& r : Requests()) {
      if (r.method == method && r.path == path) out.push_back(r);
    }
    return out;
  }

 private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
  mutable std::mutex mutex_;
  std::vector<Received> received_;
};

struct FieldSpec {
  const char* name;
  TFieldType type;
  const char* rule;
};

// A stored form whose fields follow the page's named controls, so its fingerprint is the page
// form's.
void AddForm(TWebSite& site, TFormPurpose purpose, const std::string& url,
             const std::vector<FieldSpec>& fields) {
  TWebForm& form = site.Forms().AddForm();
  form.Purpose = purpose;
  form.URL = url;
  form.Method = mtPost;
  for (size_t i = 0; i < fields.size(); ++i) {
    TFormField& f = form.AddField();
    f.SetFieldName(fields[i].name);
    f.SetFieldIndex(static_cast<int>(i));
    f.SetFieldType(fields[i].type);
    f.SetFillWith(fields[i].rule);
    if (fields[i].type == ftButton || fields[i].type == ftHidden) f.SetIgnored(true);
  }
  form.UpdateFingerprint();
}

const std::vector<FieldSpec> kSubmitFields = {
    {"prog_name", ftText, "|Program_Info/Program_Name|"},
    {"version", ftText, "|Program_Info/Program_Version|"},
    {"desc", ftArea, "|Program_Descriptions/English/Char_Desc_45|"},
    {"lic", ftList, "|Program_Info/Program_Type|"},
    {"news", ftCheck, "FALSE"},
    {"locked", ftText, "filled"},
    {"token", ftHidden, ""},
    {"go", ftButton, ""},
};

class HeadlessSubmitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Only this test's sites: the shipped ones point at servers that are not running.
    for (const auto& entry : std::filesystem::directory_iterator(Sites()))
      std::filesystem::remove(entry.path());
    icon_ = data_.Dir() / "icon.png";
    StringToFile(icon_, std::string("\x89PNG\r\n\x1a\n\0\x01icon", 14));

    for (const char* flavour : {"url", "reject", "bad", "frame"}) {
      TWebSite& s = NewSite(flavour);
      AddForm(s, fpSubmit, server_.Url(std::string("/") + flavour + "/submit"), kSubmitFields);
    }
    // The Submit address is opened with its query, as the submitter opens it.
    TWebSite& url = sites_["url"];
    url.Info.URLs.Submit().SetKind(TURLKind::GET);
    url.Info.URLs.Submit().SetQuery("ref=|Program_Info/Program_Name|");
    url.Info.SearchOptions().SetString("SubstSpaceWith", "_");

    TWebSite& multi = NewSite("multi");
    AddForm(multi, fpSubmit, "",
            {{"title", ftText, "|Program_Info/Program_Name|"},
             {"icon", ftFile, icon_.c_str()},
             {"shot", ftFile, ""},
             {"send", ftButton, ""}});
    TWebSite& missing = NewSite("missing");
    missing.Info.URLs.Submit().SetAddress(server_.Url("/multi/submit"));
    AddForm(missing, fpSubmit, "",
            {{"title", ftText, "x"},
             {"icon", ftFile, "/nonexistent/icon.png"},
             {"shot", ftFile, ""},
             {"send", ftButton, ""}});

    // The login form is on its own page; the site's login is stored with the product.
    TWebSite& login = NewSite("login");
    login.Info.URLs.Submit().SetAddress(server_.Url("/login/submit", "login"));
    AddForm(login, fpLogin, server_.Url("/login/form", "login"),
            {{"user", ftText, "emma"}, {"pass", ftPassword, "s3cret"}});
    AddForm(login, fpSubmit, "", kSubmitFields);

    NewSite("script");
    TWebSite& down = NewSite("down");
    down.Info.URLs.Submit().SetAddress("http://127.0.0.1:1/submit");
    TWebSite& mail = NewSite("mail");
    mail.Info.URLs.Submit().SetKind(TURLKind::MAIL);
    mail.Info.URLs.Submit().SetAddress("submit@example.test");

    for (auto& [flavour, site] : sites_)
      ASSERT_TRUE(site.SaveSiteFile(Sites() + "SITE-" + flavour + ".wsd", false));
  }

  std::string Sites() const { return data_.DataDir() + "Sites/"; }

  TWebSite& NewSite(const std::string& flavour) {
    TWebSite& s = sites_[flavour];
    s.Info.CommonInfo().SetString("UIN", "SITE-" + flavour);
    s.Info.CommonInfo().SetString("Name", flavour);
    s.Info.PopupMessages().SetString("Submit", "Please fill in every field.\r\nis required");
    s.Info.URLs.Submit().SetAddress(server_.Url("/" + flavour + "/submit"));
    return s;
  }

  // One run of quillora-cli: its exit status, stdout and stderr.
  int Run(std::vector<std::string> args, std::string& out, std::string* err = nullptr) {
    args.insert(args.begin(), {"--data-dir", data_.DataDir(), "--user-dir", data_.UserDir()});
    std::istringstream in;
    std::ostringstream o, e;
    const int status = cli::RunCli(args, in, o, e, false);
    out = o.str();
    if (err) *err = e.str();
    return status;
  }

  std::unique_ptr<TProduct> Product() const {
    auto p = std::make_unique<TProduct>();
    EXPECT_TRUE(p->LoadRecordFile(data_.DataDir() + "Products/Sample_Notes.dat"));
    return p;
  }

  SitesServer server_;
  test::TestData data_;
  std::string icon_;
  std::map<std::string, TWebSite> sites_;
};

TEST_F(HeadlessSubmitTest, AcceptedSubmissionsAreSentAsABrowserWouldAndRecorded) {
  std::string out, err;
  ASSERT_EQ(Run({"submit", "SITE-url", "SITE-multi", "SITE-login", "SITE-frame"}, out, &err), 0)
      << out << err;
  EXPECT_EQ(out, "SITE-url\taccepted\t200\t" + server_.Url("/url/thanks") + "\n" +
                     "SITE-multi\taccepted\t200\t" + server_.Url("/multi/post") + "\n" +
                     "SITE-login\taccepted\t200\t" + server_.Url("/login/post", "login") + "\n" +
                     "SITE-frame\taccepted\t200\t" + server_.Url("/frame/inner/post") + "\n");
  EXPECT_EQ(err,
            "[1/4] SITE-url accepted\n[2/4] SITE-multi accepted\n[3/4] SITE-login accepted\n"
            "[4/4] SITE-frame accepted\n");

  // The Submit page was opened with the expanded query; the post carried the successful
  // controls in document order and continued as a GET after the 303.
  ASSERT_EQ(server_.To("GET", "/url/submit").size(), 1u);
  EXPECT_EQ(server_.To("GET", "/url/submit")[0].params.find("ref")->second, "Sample_Notes");
  const auto posts = server_.To("POST", "/url/post");
  ASSERT_EQ(posts.size(), 1u);
  EXPECT_EQ(posts[0].body,
            "prog_name=Sample+Notes&version=2.4.1&desc=Fast%2C+searchable+notes+with+tags+and+"
            "to-dos&lic=2&token=t0k3n&go=Send");
  EXPECT_EQ(server_.To("GET", "/url/thanks").size(), 1u);
  ASSERT_EQ(server_.To("POST", "/frame/inner/post").size(), 1u);
  EXPECT_EQ(server_.To("POST", "/frame/inner/post")[0].body, posts[0].body);

  const auto uploads = server_.To("POST", "/multi/post");
  ASSERT_EQ(uploads.size(), 1u);
  EXPECT_NE(uploads[0].content_type.find("multipart/form-data; boundary="), std::string::npos);
  const auto& files = uploads[0].files;
  ASSERT_EQ(files.count("icon"), 1u);
  EXPECT_EQ(files.at("icon").filename, "icon.png");
  EXPECT_EQ(files.at("icon").content, FileToString(icon_));
  ASSERT_EQ(files.count("shot"), 1u);  // an empty file input is sent empty, as browsers do
  EXPECT_EQ(files.at("shot").content, "");
  EXPECT_EQ(files.at("title").content, "Sample Notes");
  EXPECT_EQ(files.at("send.x").content, "0");

  // Logged in on the login page first; the session's cookie went with the submission.
  ASSERT_EQ(server_.To("POST", "/login/do").size(), 1u);
  EXPECT_EQ(server_.To("POST", "/login/do")[0].body, "user=emma&pass=s3cret");
  ASSERT_EQ(server_.To("POST", "/login/post").size(), 1u);
  EXPECT_EQ(server_.To("POST", "/login/post")[0].cookie, "sid=42");

  const auto p = Product();
  for (const char* uin : {"SITE-url", "SITE-multi", "SITE-login", "SITE-frame"}) {
    EXPECT_EQ(p->VersionSubmitted.GetString(uin), "2.4.1") << uin;
    EXPECT_FALSE(p->DateSubmitted.GetString(uin).empty()) << uin;
  }
  ASSERT_EQ(Run({"status", "SITE-url"}, out), 0);
  EXPECT_EQ(out.substr(0, out.rfind('\t')), "SITE-url\tPending\t\t2.4.1");
}

TEST_F(HeadlessSubmitTest, RefusedAndImpossibleSubmissionsRecordNothing) {
  std::string out;
  ASSERT_EQ(Run({"--quiet", "submit", "SITE-reject", "SITE-bad", "SITE-script", "SITE-down",
                 "SITE-missing", "SITE-mail"},
                out),
            4);
  EXPECT_EQ(out, "SITE-reject\trejected\t200\t" + server_.Url("/reject/post") +
                     "\tError: the field E-mail is required\n"
                     "SITE-bad\trejected\t400\t" +
                     server_.Url("/bad/post") +
                     "\tSubmission refused\n"
                     "SITE-script\tneeds-browser\t200\t" +
                     server_.Url("/script/submit") +
                     "\n"
                     "SITE-down\tfailed\t0\thttp://127.0.0.1:1/submit\tConnection failed\n"
                     "SITE-missing\tfailed\t0\t" +
                     server_.Url("/multi/post") +
                     "\tCannot load /nonexistent/icon.png\n"
                     "SITE-mail\tfailed\t0\tsubmit@example.test\t"
                     "Not web-submittable: the site takes submissions by e-mail\n");
  // The refused forms were sent; the one with a missing file was not.
  EXPECT_EQ(server_.To("POST", "/reject/post").size(), 1u);
  EXPECT_EQ(server_.To("POST", "/bad/post").size(), 1u);
  EXPECT_EQ(server_.To("POST", "/multi/post").size(), 0u);

  const auto p = Product();
  for (const char* uin : {"SITE-reject", "SITE-bad", "SITE-script", "SITE-down", "SITE-missing"}) {
    EXPECT_EQ(p->VersionSubmitted.GetString(uin), "") << uin;
    EXPECT_EQ(p->DateSubmitted.GetString(uin), "") << uin;
  }
}

TEST_F(HeadlessSubmitTest, DryRunFillsAndPrintsButSendsNothing) {
  std::string out;
  // The login site cannot be filled without its login, which a dry run does not send.
  ASSERT_EQ(Run({"--quiet", "submit", "--dry-run", "SITE-url", "SITE-login"}, out), 4) << out;
  const std::string fields =
      "\tprog_name=Sample Notes\n\tversion=2.4.1\n"
      "\tdesc=Fast, searchable notes with tags and to-dos\n\tlic=2\n\ttoken=t0k3n\n\tgo=Send\n";
  EXPECT_EQ(out.substr(0, out.find("SITE-login")),
            "SITE-url\tready\t200\t" + server_.Url("/url/post") +
                "\tPOST application/x-www-form-urlencoded\n" + fields);
  // Without the login (a dry run sends no form) the login site's Submit page is its login form.
  EXPECT_EQ(out.substr(out.find("SITE-login")),
            "SITE-login\tneeds-browser\t200\t" + server_.Url("/login/form", "login") + "\n");
  for (const Received& r : server_.Requests()) EXPECT_EQ(r.method, "GET") << r.path;
  EXPECT_EQ(Product()->VersionSubmitted.GetString("SITE-url"), "");
}

TEST_F(HeadlessSubmitTest, NothingToTryIsAFailureAndNoSiteIsAUsageError) {
  std::string out, err;
  EXPECT_EQ(Run({"submit", "SITE-none"}, out, &err), 1);
  EXPECT_EQ(out, "");
  EXPECT_NE(err.find("no site with UIN SITE-none"), std::string::npos) << err;
  EXPECT_EQ(Run({"submit"}, out, &err), 2);
  EXPECT_TRUE(server_.Requests().empty());
}

}  // namespace
}  // namespace quillora
