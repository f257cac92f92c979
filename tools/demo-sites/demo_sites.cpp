#include "demo-sites/demo_sites.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <httplib.h>
#include <random>
#include <stdexcept>
#include <thread>

#include <nlohmann/json.hpp>

#include "demo-sites/demo_catalog.h"
#include "demo-sites/sample_company_site.h"
#include "foundation/encoding.h"

namespace quillora {

namespace {

using Json = nlohmann::ordered_json;

// A posted form, from a query, a URL-encoded body or a multipart body alike.
struct TPosted {
  std::vector<std::pair<std::string, std::string>> values;
  struct TFile {
    std::string name, file_name, content;
  };
  std::vector<TFile> files;

  std::vector<std::string> All(const std::string& name) const {
    std::vector<std::string> all;
    for (const auto& [n, v] : values)
      if (n == name) all.push_back(v);
    return all;
  }
  std::string Get(const std::string& name) const {
    for (const auto& [n, v] : values)
      if (n == name) return v;
    return {};
  }
  const TFile* File(const std::string& name) const {
    for (const auto& f : files)
      if (f.name == name) return &f;
    return nullptr;
  }
};

TPosted ReadPosted(const httplib::Request& req) {
  TPosted posted;
  if (req.is_multipart_form_data()) {
    for (const auto& [name, part] : req.files) {
      if (part.filename.empty() && part.content_type.empty())
        posted.values.emplace_back(name, part.content);
      else
        posted.files.push_back({name, part.filename, part.content});
    }
  } else {
    // httplib keeps the parameters in a multimap sorted by name; the posted order matters for
    // what the status page shows, so the body is split here.
    const std::string& source = req.method == "POST" ? req.body : std::string();
    if (req.method == "POST" &&
        req.get_header_value("Content-Type").find("urlencoded") != std::string::npos) {
      size_t start = 0;
      while (start <= source.size()) {
        size_t end = source.find('&', start);
        if (end == std::string::npos) end = source.size();
        std::string pair = source.substr(start, end - start);
        while (!pair.empty() && (pair.back() == '\r' || pair.back() == '\n')) pair.pop_back();
        if (!pair.empty()) {
          const size_t eq = pair.find('=');
          const std::string name = UrlDecode(pair.substr(0, eq));
          const std::string value = eq == std::string::npos ? "" : UrlDecode(pair.substr(eq + 1));
          posted.values.emplace_back(name, value);
        }
        start = end + 1;
      }
    } else {
      for (const auto& [name, value] : req.params) posted.values.emplace_back(name, value);
    }
  }
  return posted;
}

std::string Replace(std::string text, const std::string& what, const std::string& with) {
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
  return text;
}

std::string HtmlEscape(std::string_view s) {
  std::string out;
  for (const char c : s) {
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Now() {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%d-%m-%Y %H:%M:%S", &tm);
  return text;
}

// The UTF-8 length, which is what a browser's maxlength counts.
size_t TextLength(std::string_view s) {
  size_t n = 0;
  for (const char c : s)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  return n;
}

bool IsEmail(const std::string& s) {
  const size_t at = s.find('@');
  if (at == std::string::npos || at == 0 || s.find('@', at + 1) != std::string::npos) return false;
  const std::string domain = s.substr(at + 1);
  const size_t dot = domain.find('.');
  if (dot == std::string::npos || dot == 0 || dot + 1 >= domain.size()) return false;
  return std::none_of(s.begin(), s.end(),
                      [](char c) { return std::isspace(static_cast<unsigned char>(c)); });
}

bool IsUrl(const std::string& s) {
  const std::string l = Lower(s);
  size_t host = 0;
  if (l.rfind("http://", 0) == 0)
    host = 7;
  else if (l.rfind("https://", 0) == 0)
    host = 8;
  else
    return false;
  return host < l.size() && l[host] != '/' && std::none_of(s.begin(), s.end(), [](char c) {
           return std::isspace(static_cast<unsigned char>(c));
         });
}

bool IsImage(const std::string& bytes) {
  return bytes.rfind("\x89PNG\r\n\x1a\n", 0) == 0 || bytes.rfind("GIF87a", 0) == 0 ||
         bytes.rfind("GIF89a", 0) == 0 || bytes.rfind("\xff\xd8\xff", 0) == 0;
}

// The reasons an error page gives, in the site's language.
struct TReasons {
  const char* required;
  const char* too_long;  // %zu: the limit
  const char* too_short;
  const char* email;
  const char* url;
  const char* image;
  const char* choice;
  const char* number;
};
const TReasons kEnglish = {"is required",
                           "is too long (at most %zu characters)",
                           "is too short (at least %zu characters)",
                           "is not a valid e-mail address",
                           "is not a valid web address",
                           "must be a PNG, GIF or JPEG picture",
                           "has a value the form does not offer",
                           "must be a number"};
const TReasons kGerman = {"ist ein Pflichtfeld",
                          "ist zu lang (h&ouml;chstens %zu Zeichen)",
                          "ist zu kurz (mindestens %zu Zeichen)",
                          "ist keine g&uuml;ltige E-Mail-Adresse",
                          "ist keine g&uuml;ltige Internetadresse",
                          "muss ein PNG-, GIF- oder JPEG-Bild sein",
                          "hat einen Wert, den das Formular nicht anbietet",
                          "muss eine Zahl sein"};

std::string Format(const char* pattern, size_t n) {
  char text[160];
  std::snprintf(text, sizeof text, pattern, n);
  return text;
}

// The faulty fields of a post, one "label: reason" text each; empty when the post is valid.
std::vector<std::string> Check(const TDemoForm& form, const TPosted& posted,
                               const TReasons& reasons) {
  std::vector<std::string> errors;
  for (const TFieldRule& rule : form.rules) {
    std::string reason;
    if (rule.check == TFieldCheck::kImage) {
      const TPosted::TFile* file = posted.File(rule.name);
      const bool present = file && !(file->file_name.empty() && file->content.empty());
      if (!present) {
        if (rule.required) reason = reasons.required;
      } else if (!IsImage(file->content)) {
        reason = reasons.image;
      }
    } else if (rule.check == TFieldCheck::kChoice) {
      const std::vector<std::string> values = posted.All(rule.name);
      bool any = false, bad = false;
      for (const std::string& v : values) {
        if (v.empty()) continue;
        any = true;
        if (std::find(rule.choices.begin(), rule.choices.end(), v) == rule.choices.end())
          bad = true;
      }
      if (bad)
        reason = reasons.choice;
      else if (!any && rule.required)
        reason = reasons.required;
    } else {
      std::string value = posted.Get(rule.name);
      const bool blank = std::all_of(value.begin(), value.end(), [](char c) {
        return std::isspace(static_cast<unsigned char>(c));
      });
      if (blank) {
        if (rule.required) reason = reasons.required;
      } else if (TextLength(value) > rule.max_length) {
        reason = Format(reasons.too_long, rule.max_length);
      } else if (TextLength(value) < rule.min_length) {
        reason = Format(reasons.too_short, rule.min_length);
      } else if (rule.check == TFieldCheck::kEmail && !IsEmail(value)) {
        reason = reasons.email;
      } else if (rule.check == TFieldCheck::kUrl && !IsUrl(value)) {
        reason = reasons.url;
      } else if (rule.check == TFieldCheck::kNumber &&
                 !std::all_of(value.begin(), value.end(),
                              [](char c) { return std::isdigit(static_cast<unsigned char>(c)); })) {
        reason = reasons.number;
      }
    }
    if (!reason.empty()) errors.push_back(rule.label + ": " + reason);
  }
  return errors;
}

std::string RoleValue(const TDemoForm& form, const TPosted& posted, TFieldRole role) {
  for (const TFieldRule& rule : form.rules)
    if (rule.role == role) return posted.Get(rule.name);
  return {};
}

// "freshdownloads" for "freshdownloads.localhost:8765"; "" for plain localhost or an address.
std::string HostLabel(const std::string& host_header) {
  std::string host = Lower(host_header);
  if (const size_t colon = host.rfind(':');
      colon != std::string::npos && host.find(']') == std::string::npos)
    host.resize(colon);
  const std::string suffix = ".localhost";
  if (host.size() > suffix.size() &&
      host.compare(host.size() - suffix.size(), suffix.size(), suffix) == 0)
    return host.substr(0, host.size() - suffix.size());
  return {};
}

std::string NewSessionId() {
  static std::mt19937_64 generator{std::random_device{}()};
  char text[40];
  std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(generator()),
                static_cast<unsigned long long>(generator()));
  return text;
}

std::string Excerpt(const std::string& text, size_t length) {
  if (text.size() <= length) return text;
  size_t cut = text.rfind(' ', length);
  if (cut == std::string::npos || cut < length / 2) cut = length;
  return text.substr(0, cut) + "...";
}

Json ToJson(const TDemoSubmission& s) {
  Json fields = Json::array();
  for (const auto& [n, v] : s.fields) fields.push_back(Json::array({n, v}));
  return Json{{"site", s.site},         {"kind", s.kind},   {"id", s.id},
              {"received", s.received}, {"name", s.name},   {"version", s.version},
              {"home", s.home},         {"email", s.email}, {"description", s.description},
              {"download", s.download}, {"pad", s.pad},     {"fields", std::move(fields)}};
}

TDemoSubmission FromJson(const Json& j) {
  TDemoSubmission s;
  s.site = j.value("site", "");
  s.kind = j.value("kind", "");
  s.id = j.value("id", 0);
  s.received = j.value("received", "");
  s.name = j.value("name", "");
  s.version = j.value("version", "");
  s.home = j.value("home", "");
  s.email = j.value("email", "");
  s.description = j.value("description", "");
  s.download = j.value("download", "");
  s.pad = j.value("pad", "");
  if (j.contains("fields") && j["fields"].is_array())
    for (const Json& f : j["fields"])
      if (f.is_array() && f.size() == 2 && f[0].is_string() && f[1].is_string())
        s.fields.emplace_back(f[0].get<std::string>(), f[1].get<std::string>());
  return s;
}

// Texts of submissions are the posters' own: invalid UTF-8 must not stop the state file.
std::string DumpJson(const Json& j) {
  return j.dump(2, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

TDemoSites::TDemoSites(TDemoSitesOptions options) : options_(std::move(options)) {
  accounts_[kDemoLogin] = kDemoPassword;
  LoadState();
}

TDemoSites::~TDemoSites() {
  Shutdown();
}

void TDemoSites::LoadState() {
  if (options_.state_file.empty()) return;
  std::ifstream in(options_.state_file, std::ios::binary);
  if (!in) return;  // a first run
  Json doc;
  try {
    doc = Json::parse(in);
  } catch (const std::exception& e) {
    throw std::runtime_error("cannot read the state file " + options_.state_file + ": " + e.what());
  }
  if (doc.contains("submissions") && doc["submissions"].is_array())
    for (const Json& j : doc["submissions"]) {
      submissions_.push_back(FromJson(j));
      next_id_ = std::max(next_id_, submissions_.back().id + 1);
    }
  if (doc.contains("accounts") && doc["accounts"].is_object())
    for (const auto& [login, password] : doc["accounts"].items())
      if (password.is_string()) accounts_[login] = password.get<std::string>();
}

void TDemoSites::SaveState() const {
  std::lock_guard lock(mutex_);
  SaveStateLocked();
}

void TDemoSites::SaveStateLocked() const {
  if (options_.state_file.empty()) return;
  Json doc;
  doc["submissions"] = Json::array();
  for (const TDemoSubmission& s : submissions_) doc["submissions"].push_back(ToJson(s));
  doc["accounts"] = Json::object();
  for (const auto& [login, password] : accounts_) doc["accounts"][login] = password;
  // A stop in the middle of a write must leave the previous state whole.
  const std::string temp = options_.state_file + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << DumpJson(doc) << '\n';
    out.flush();
    if (!out) throw std::runtime_error("cannot write " + temp);
  }
  if (std::rename(temp.c_str(), options_.state_file.c_str()) != 0) {
    std::remove(temp.c_str());
    throw std::runtime_error("cannot replace " + options_.state_file);
  }
}

std::vector<TDemoSubmission> TDemoSites::Submissions(const std::string& site) const {
  std::lock_guard lock(mutex_);
  std::vector<TDemoSubmission> out;
  for (const TDemoSubmission& s : submissions_)
    if (site.empty() || s.site == site) out.push_back(s);
  return out;
}

void TDemoSites::Shutdown() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  stop_cv_.notify_all();
}

bool TDemoSites::Wait(std::chrono::milliseconds delay) {
  std::unique_lock lock(mutex_);
  return !stop_cv_.wait_for(lock, delay, [this] { return stopping_; });
}

void TDemoSites::Attach(httplib::Server& server) {
  server.set_read_timeout(10, 0);
  server.set_write_timeout(10, 0);
  server.set_keep_alive_max_count(20);
  server.set_keep_alive_timeout(5);
  server.set_payload_max_length(size_t{8} << 20);
  server.set_pre_routing_handler([this](const httplib::Request&, httplib::Response&) {
    if (options_.latency_ms > 0) Wait(std::chrono::milliseconds(options_.latency_ms));
    return httplib::Server::HandlerResponse::Unhandled;
  });
  const auto handler = [this](const httplib::Request& req, httplib::Response& res) {
    Handle(req, res);
  };
  server.Get(".*", handler);
  server.Post(".*", handler);
  server.set_exception_handler(
      [](const httplib::Request&, httplib::Response& res, std::exception_ptr) {
        res.status = 500;
        res.set_content("<html><body><h1>Internal error</h1></body></html>", "text/html");
      });
}

void TDemoSites::Handle(const httplib::Request& req, httplib::Response& res) {
  const std::string label = HostLabel(req.get_header_value("Host"));
  if (label.empty()) return HandleStatus(req, res);
  for (const TDemoSite& site : DemoSites())
    if (site.host == label) return HandleSite(site, req, res);
  if (ServeSampleCompany(label, req.method, req.path, res)) return;
  res.status = 404;
  res.set_content("<html><body><h1>Unknown site</h1><p>No demo site is called " +
                      HtmlEscape(label) + ".localhost.</p></body></html>",
                  "text/html; charset=utf-8");
}

std::string TDemoSites::SessionLogin(const httplib::Request& req) const {
  const std::string cookies = req.get_header_value("Cookie");
  const std::string key = std::string(kSessionCookie) + "=";
  for (size_t at = cookies.find(key); at != std::string::npos; at = cookies.find(key, at + 1)) {
    if (at != 0 && cookies[at - 1] != ' ' && cookies[at - 1] != ';') continue;
    const size_t start = at + key.size();
    const size_t end = cookies.find(';', start);
    const std::string id = cookies.substr(start, end == std::string::npos ? end : end - start);
    std::lock_guard lock(mutex_);
    if (auto it = sessions_.find(id); it != sessions_.end()) return it->second;
  }
  return {};
}

void TDemoSites::HandleSite(const TDemoSite& site, const httplib::Request& req,
                            httplib::Response& res) {
  const std::string host = req.get_header_value("Host");
  const auto page = [&](const std::string& html) {
    res.set_content(Replace(html, "{{HOST}}", host), "text/html; charset=utf-8");
  };
  if (req.path == "/" || req.path == "/index.html" || req.path == "/index.php") {
    if (req.method != "GET") {
      res.status = 405;
      return;
    }
    return page(site.home_html);
  }
  if (!site.extra_path.empty() && req.path == site.extra_path) return page(site.extra_html);
  if (!site.search.path.empty() && req.path == site.search.path)
    return HandleSearch(site, req, res);
  if (site.search.kind == TSearchKind::kRedirect && req.path.rfind("/results/", 0) == 0)
    return HandleSearch(site, req, res);
  for (const TDemoForm& form : site.forms) {
    if (req.path == form.action && req.method == "POST") return HandleForm(site, form, req, res);
    if (req.path == form.page && req.method == "GET") {
      if (form.needs_login && SessionLogin(req).empty()) {
        res.set_redirect("/login.php?next=" + UrlEncodeValue(form.page), 302);
        return;
      }
      return page(form.html);
    }
  }
  if (req.path == "/logout.php") {
    res.set_header("Set-Cookie", std::string(kSessionCookie) + "=; Path=/; Max-Age=0");
    res.set_redirect("/", 302);
    return;
  }
  res.status = 404;
  page("<html><head><title>404 Not Found</title></head><body><h1>Not Found</h1><p>The page " +
       HtmlEscape(req.path) + " is not on this server.</p></body></html>");
}

void TDemoSites::HandleForm(const TDemoSite& site, const TDemoForm& form,
                            const httplib::Request& req, httplib::Response& res) {
  const std::string host = req.get_header_value("Host");
  const TReasons& reasons = site.language == "German" ? kGerman : kEnglish;
  const TPosted posted = ReadPosted(req);
  const auto answer = [&](int status, const std::string& html) {
    res.status = status;
    res.set_content(Replace(html, "{{HOST}}", host), "text/html; charset=utf-8");
  };
  const auto fail = [&](const std::vector<std::string>& errors) {
    std::string items;
    for (const std::string& e : errors) items += "<li>" + e + "</li>\n";
    // Real sites answer a refused form with 200 as often as with 4xx; this one says 200, so
    // that only the page tells the outcome, as the program must read it.
    answer(200, Replace(site.error_html, "{{ERRORS}}", items));
  };

  std::string login;
  if (form.needs_login) {
    login = SessionLogin(req);
    if (login.empty()) {
      res.set_redirect("/login.php?next=" + UrlEncodeValue(form.page), 302);
      return;
    }
  }
  if (!form.token_name.empty() && posted.Get(form.token_name) != form.token_value)
    return fail({site.language == "German"
                     ? "Sitzung: das Formular ist abgelaufen, bitte laden Sie die Seite neu"
                     : "Session: the form has expired, please load the page again"});
  std::vector<std::string> errors = Check(form, posted, reasons);

  if (form.kind == TFormKind::kLogin) {
    if (!errors.empty()) return fail(errors);
    const std::string user = RoleValue(form, posted, TFieldRole::kLogin);
    const std::string password = RoleValue(form, posted, TFieldRole::kPassword);
    std::string id;
    {
      std::lock_guard lock(mutex_);
      auto it = accounts_.find(user);
      if (it != accounts_.end() && it->second == password) {
        id = NewSessionId();
        sessions_[id] = user;
      }
    }
    if (id.empty()) return fail({"Login: unknown user name or wrong password"});
    res.set_header("Set-Cookie", std::string(kSessionCookie) + "=" + id + "; Path=/; HttpOnly");
    std::string next = posted.Get("next");
    if (next.empty() || next[0] != '/' || next.rfind("//", 0) == 0) next = "/submit.php";
    res.set_redirect(next, 302);
    return;
  }
  if (form.kind == TFormKind::kSignup) {
    const std::string user = RoleValue(form, posted, TFieldRole::kLogin);
    const std::string password = RoleValue(form, posted, TFieldRole::kPassword);
    if (errors.empty() && posted.Get("password2") != password)
      errors.push_back("Repeat password: does not match the password");
    {
      std::lock_guard lock(mutex_);
      if (errors.empty() && accounts_.count(user))
        errors.push_back("User name: is taken, please choose another one");
      if (errors.empty()) {
        accounts_[user] = password;
        SaveStateLocked();
      }
    }
    if (!errors.empty()) return fail(errors);
    return answer(200, "<html><head><title>Account created</title></head><body><h2>Welcome, " +
                           HtmlEscape(user) +
                           "!</h2><p>Your account was created. You can <a href=\"/login.php\">"
                           "log in</a> now and submit your programs.</p></body></html>");
  }

  TDemoSubmission s;
  s.site = site.host;
  s.kind = form.kind == TFormKind::kUpdate ? "update"
           : form.kind == TFormKind::kPad  ? "pad"
                                           : "submit";
  s.name = RoleValue(form, posted, TFieldRole::kName);
  s.version = RoleValue(form, posted, TFieldRole::kVersion);
  s.home = RoleValue(form, posted, TFieldRole::kHomePage);
  s.email = RoleValue(form, posted, TFieldRole::kEmail);
  s.description = RoleValue(form, posted, TFieldRole::kLongDescription);
  if (s.description.empty()) s.description = RoleValue(form, posted, TFieldRole::kShortDescription);
  s.download = RoleValue(form, posted, TFieldRole::kDownload);
  s.pad = RoleValue(form, posted, TFieldRole::kPadFile);
  if (form.kind == TFormKind::kPad && errors.empty()) {
    // A PAD site takes the product's name from the file's address until its robot reads it.
    const size_t slash = s.pad.find_last_of('/');
    std::string file = s.pad.substr(slash == std::string::npos ? 0 : slash + 1);
    if (Lower(file).size() < 5 || Lower(file).compare(file.size() - 4, 4, ".xml") != 0)
      errors.push_back("PAD file URL: must name an .xml file");
    if (s.name.empty()) {
      file = file.substr(0, file.size() >= 4 ? file.size() - 4 : 0);
      std::replace(file.begin(), file.end(), '-', ' ');
      bool word_start = true;
      for (char& c : file) {
        if (word_start) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        word_start = c == ' ';
      }
      s.name = file;
    }
  }
  {
    std::lock_guard lock(mutex_);
    if (form.kind == TFormKind::kUpdate && errors.empty()) {
      const bool listed = std::any_of(submissions_.begin(), submissions_.end(), [&](auto& old) {
        return old.site == site.host && Lower(old.name) == Lower(s.name);
      });
      if (!listed) errors.push_back("Program name: this program is not listed here yet");
    }
    if (errors.empty()) {
      s.id = next_id_++;
      s.received = Now();
      for (const auto& v : posted.values) s.fields.push_back(v);
      for (const auto& f : posted.files)
        s.fields.emplace_back(
            f.name, "<file " + f.file_name + ", " + std::to_string(f.content.size()) + " bytes>");
      if (login.size()) s.fields.emplace_back("(account)", login);
      submissions_.push_back(s);
      SaveStateLocked();
    }
  }
  if (!errors.empty()) return fail(errors);
  answer(200, Replace(Replace(site.success_html, "{{NAME}}", HtmlEscape(s.name)), "{{ID}}",
                      std::to_string(s.id)));
}

void TDemoSites::HandleSearch(const TDemoSite& site, const httplib::Request& req,
                              httplib::Response& res) {
  const TDemoSearch& search = site.search;
  const std::string host = req.get_header_value("Host");
  std::string query;
  if (search.kind == TSearchKind::kRedirect && req.path.rfind("/results/", 0) == 0) {
    query = UrlDecode(req.path.substr(9));
  } else {
    query = ReadPosted(req).Get(search.param);
    if (search.kind == TSearchKind::kRedirect) {
      res.set_redirect("/results/" + UrlEncodeValue(query), 302);
      return;
    }
  }
  if (!search.space_with.empty()) query = Replace(query, search.space_with, " ");
  if (search.kind == TSearchKind::kBroken) {
    res.status = 500;
    res.set_content(
        "<html><head><title>500 Internal Server Error</title></head><body><h1>Internal Server "
        "Error</h1><p>The search index is being rebuilt. Please try again later.</p></body>"
        "</html>",
        "text/html");
    return;
  }
  if (search.kind == TSearchKind::kSlow && !Wait(options_.slow_search_delay)) {
    res.status = 503;
    return;
  }
  // Words of the query must all appear in the name (as the cheap search boxes of such sites do).
  std::vector<std::string> words;
  {
    std::string word;
    for (const char c : Lower(query) + " ") {
      if (std::isspace(static_cast<unsigned char>(c))) {
        if (!word.empty()) words.push_back(word);
        word.clear();
      } else {
        word += c;
      }
    }
  }
  std::string items;
  if (!words.empty()) {
    std::lock_guard lock(mutex_);
    // The latest version of each product, once.
    std::vector<const TDemoSubmission*> shown;
    for (auto it = submissions_.rbegin(); it != submissions_.rend(); ++it) {
      if (it->site != site.host) continue;
      const std::string name = Lower(it->name);
      if (!std::all_of(words.begin(), words.end(),
                       [&](const std::string& w) { return name.find(w) != std::string::npos; }))
        continue;
      if (std::any_of(shown.begin(), shown.end(),
                      [&](const TDemoSubmission* s) { return Lower(s->name) == name; }))
        continue;
      shown.push_back(&*it);
    }
    for (const TDemoSubmission* s : shown) {
      std::string item = search.item;
      item = Replace(item, "{{NAME}}", HtmlEscape(s->name));
      item = Replace(item, "{{VERSION}}", HtmlEscape(s->version));
      item = Replace(item, "{{HOME}}", HtmlEscape(s->home));
      item = Replace(item, "{{EXCERPT}}", HtmlEscape(Excerpt(s->description, 160)));
      item = Replace(item, "{{ID}}", std::to_string(s->id));
      items += item;
    }
  }
  std::string html =
      search.results_top + (items.empty() ? search.no_results : items) + search.results_bottom;
  html = Replace(html, "{{QUERY}}", HtmlEscape(query));
  res.set_content(Replace(html, "{{HOST}}", host), "text/html; charset=utf-8");
}

void TDemoSites::HandleStatus(const httplib::Request& req, httplib::Response& res) const {
  if (req.path == "/api/submissions") {
    const std::string site = req.get_param_value("site");
    Json list = Json::array();
    for (const TDemoSubmission& s : Submissions(site)) list.push_back(ToJson(s));
    res.set_content(DumpJson(list), "application/json");
    return;
  }
  if (req.path == "/api/sites") {
    Json list = Json::array();
    for (const TDemoSite& s : DemoSites())
      list.push_back({{"host", s.host + ".localhost"}, {"name", s.name}, {"language", s.language}});
    res.set_content(DumpJson(list), "application/json");
    return;
  }
  if (req.path != "/") {
    res.status = 404;
    res.set_content("not found\n", "text/plain");
    return;
  }
  std::string port;
  if (const std::string host = req.get_header_value("Host"); host.rfind(':') != std::string::npos)
    port = host.substr(host.rfind(':'));
  std::string html =
      "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Quillora demo sites</title>"
      "<style>body{font-family:sans-serif;margin:2em}td,th{padding:2px 10px;text-align:left}"
      "</style></head><body>\n<h1>Quillora demo sites</h1>\n<h2>Sites</h2>\n<table>\n"
      "<tr><th>Site</th><th>Address</th><th>Language</th><th>Accepted</th></tr>\n";
  for (const TDemoSite& s : DemoSites()) {
    const std::string address = "http://" + s.host + ".localhost" + port + "/";
    html += "<tr><td>" + HtmlEscape(s.name) + "</td><td><a href=\"" + address + "\">" + address +
            "</a></td><td>" + s.language + "</td><td>" +
            std::to_string(Submissions(s.host).size()) + "</td></tr>\n";
  }
  html += "</table>\n<p>The sample company: <a href=\"http://sample-company.localhost" + port +
          "/\">sample-company.localhost</a>. As JSON: <a href=\"/api/submissions\">"
          "/api/submissions</a> (<code>?site=HOST</code> for one site), <a href=\"/api/sites\">"
          "/api/sites</a>.</p>\n<h2>Accepted submissions</h2>\n<table>\n<tr><th>#</th>"
          "<th>Site</th><th>Kind</th><th>Product</th><th>Version</th><th>Received</th></tr>\n";
  for (const TDemoSubmission& s : Submissions())
    html += "<tr><td>" + std::to_string(s.id) + "</td><td>" + s.site + "</td><td>" + s.kind +
            "</td><td>" + HtmlEscape(s.name) + "</td><td>" + HtmlEscape(s.version) + "</td><td>" +
            s.received + "</td></tr>\n";
  html += "</table>\n</body></html>\n";
  res.set_content(html, "text/html; charset=utf-8");
}

}  // namespace quillora
