#include "support/fault_server.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <httplib.h>
#include <stdexcept>

namespace quillora::test {

namespace {

constexpr const char* kOkBody = "Hello, transfer!";

// Every wait inside a handler ends when the server stops, and after this long in any case.
constexpr auto kLongestWait = std::chrono::seconds(10);

void SleepUnless(const std::atomic<bool>& stopping, std::chrono::milliseconds how_long) {
  const auto until = std::chrono::steady_clock::now() +
                     std::min<std::chrono::milliseconds>(how_long, kLongestWait);
  while (!stopping && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

bool SameNameNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

std::string FaultServer::LargeBody() {
  std::string body(kLargeSize, '\0');
  for (size_t i = 0; i < body.size(); ++i)
    body[i] = static_cast<char>('a' + (i * 7 + i / 253) % 26);
  return body;
}

FaultServer::FaultServer() : server_(std::make_unique<httplib::Server>()) {
  auto& s = *server_;
  s.set_read_timeout(5, 0);
  s.set_write_timeout(5, 0);
  // One request per connection: a body without a length ends when its connection closes.
  s.set_keep_alive_max_count(1);

  s.Get("/ok", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(kOkBody, "text/plain");
  });
  s.Get("/large", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(LargeBody(), "application/octet-stream");
  });
  s.Get("/slow", [this](const httplib::Request& req, httplib::Response& res) {
    const int ms = req.has_param("ms") ? std::stoi(req.get_param_value("ms")) : 500;
    SleepUnless(stopping_, std::chrono::milliseconds(ms));
    res.set_content(kOkBody, "text/plain");
  });
  s.Get("/stall", [this](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(2000, "application/octet-stream",
                             [this](size_t offset, size_t, httplib::DataSink& sink) {
                               if (offset == 0) {
                                 const std::string half(1000, 'x');
                                 sink.write(half.data(), half.size());
                                 return true;
                               }
                               SleepUnless(stopping_, kLongestWait);
                               return false;
                             });
  });
  s.Get("/short", [](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(100, "application/octet-stream",
                             [](size_t offset, size_t, httplib::DataSink& sink) {
                               if (offset > 0) return false;
                               const std::string part(40, 's');
                               sink.write(part.data(), part.size());
                               return true;
                             });
  });
  s.Get("/drop", [](const httplib::Request&, httplib::Response& res) {
    res.set_chunked_content_provider("application/octet-stream",
                                     [](size_t offset, httplib::DataSink& sink) {
                                       if (offset > 0) return false;
                                       const std::string part(40, 'd');
                                       sink.write(part.data(), part.size());
                                       return true;
                                     });
  });
  s.Get("/nolength", [](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider("text/plain", [](size_t offset, httplib::DataSink& sink) {
      if (offset == 0) {
        sink.write(kOkBody, std::char_traits<char>::length(kOkBody));
        return true;
      }
      sink.done();
      return true;
    });
  });
  s.Get(R"(/status/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
    res.status = std::stoi(req.matches[1]);
    if (res.status == 401) res.set_header("WWW-Authenticate", "Basic realm=\"test\"");
    if (res.status == 407) res.set_header("Proxy-Authenticate", "Basic realm=\"test\"");
    res.set_content("status " + req.matches[1].str(), "text/plain");
  });
  s.Get("/redirect",
        [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/ok", 302); });
  s.Get("/redirect2", [](const httplib::Request&, httplib::Response& res) {
    res.set_redirect("/redirect", 301);
  });
  s.Get("/auth", [](const httplib::Request& req, httplib::Response& res) {
    // "user:secret"
    if (req.get_header_value("Authorization") == "Basic dXNlcjpzZWNyZXQ=") {
      res.set_content("welcome", "text/plain");
      return;
    }
    res.status = 401;
    res.set_header("WWW-Authenticate", "Basic realm=\"test\"");
    res.set_content("who are you?", "text/plain");
  });
  s.Get("/proxy-auth", [](const httplib::Request&, httplib::Response& res) {
    res.status = 407;
    res.set_header("Proxy-Authenticate", "Basic realm=\"test\"");
  });
  s.Post("/echo", [this](const httplib::Request& req, httplib::Response& res) {
    {
      std::lock_guard lock(mutex_);
      last_body_ = req.body;
      last_content_type_ = req.get_header_value("Content-Type");
      last_headers_.assign(req.headers.begin(), req.headers.end());
    }
    res.set_content("posted", "text/plain");
  });
  s.Get("/echo", [this](const httplib::Request& req, httplib::Response& res) {
    {
      std::lock_guard lock(mutex_);
      last_body_.clear();
      last_content_type_.clear();
      last_headers_.assign(req.headers.begin(), req.headers.end());
    }
    res.set_content("echoed", "text/plain");
  });

  port_ = s.bind_to_any_port("127.0.0.1");
  if (port_ <= 0) throw std::runtime_error("fault server: cannot bind to 127.0.0.1");
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  // stop() only reaches a server whose loop has started.
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!server_->is_running() && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

FaultServer::~FaultServer() {
  stopping_ = true;
  server_->stop();
  if (thread_.joinable()) thread_.join();
}

std::string FaultServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::string FaultServer::LastBody() const {
  std::lock_guard lock(mutex_);
  return last_body_;
}

std::string FaultServer::LastContentType() const {
  std::lock_guard lock(mutex_);
  return last_content_type_;
}

bool FaultServer::LastHadHeader(const std::string& name) const {
  std::lock_guard lock(mutex_);
  for (const auto& [key, value] : last_headers_)
    if (SameNameNoCase(key, name)) return true;
  return false;
}

std::string FaultServer::LastHeader(const std::string& name) const {
  std::lock_guard lock(mutex_);
  for (const auto& [key, value] : last_headers_)
    if (SameNameNoCase(key, name)) return value;
  return {};
}

}  // namespace quillora::test
