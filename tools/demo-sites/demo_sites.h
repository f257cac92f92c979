// The demo download sites server: answers every demo site, told apart by the Host header, checks
// and keeps the submissions they accept, and shows them on the sites' search pages and on a
// status page of plain "localhost".
#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace quillora {

struct TDemoSite;
struct TDemoForm;

struct TDemoSitesOptions {
  // Not empty: accepted submissions and accounts are kept in this file (JSON) across runs.
  std::string state_file;
  // Every reply waits this long first.
  int latency_ms = 0;
  // How long the slow site's search page keeps its client waiting; longer than the page
  // fetcher's own time-out, so that a listing search gives up first.
  std::chrono::milliseconds slow_search_delay{40000};
};

struct TDemoSubmission {
  std::string site;      // the site's host label ("freshdownloads")
  std::string kind;      // "submit", "update" or "pad"
  int id = 0;            // numbered per server, from 1
  std::string received;  // "dd-mm-yyyy hh:nn:ss"
  std::string name, version, home, email, description, download, pad;
  // Every posted field that is not a file, in posted order; files as "name" -> "<file NAME, N
  // bytes>".
  std::vector<std::pair<std::string, std::string>> fields;
};

// The demo account every site with a login knows from the start: the sample company's common
// login and password.
inline constexpr const char* kDemoLogin = "samplecompany";
inline constexpr const char* kDemoPassword = "Demo-Pass-2024";

// The name of the session cookie the login sites give.
inline constexpr const char* kSessionCookie = "QSESSID";

class TDemoSites {
 public:
  explicit TDemoSites(TDemoSitesOptions options);
  ~TDemoSites();
  TDemoSites(const TDemoSites&) = delete;
  TDemoSites& operator=(const TDemoSites&) = delete;

  // Routes every request of the server here and bounds its time-outs and request sizes.
  void Attach(httplib::Server& server);

  // The accepted submissions, all or of one site, in the order they came.
  std::vector<TDemoSubmission> Submissions(const std::string& site = {}) const;

  // Writes the state file (when there is one). Throws when it cannot be written.
  void SaveState() const;
  // Ends the waits of slow replies at once; the server stops faster.
  void Shutdown();

 private:
  void Handle(const httplib::Request& req, httplib::Response& res);
  void HandleSite(const TDemoSite& site, const httplib::Request& req, httplib::Response& res);
  void HandleForm(const TDemoSite& site, const TDemoForm& form, const httplib::Request& req,
                  httplib::Response& res);
  void HandleSearch(const TDemoSite& site, const httplib::Request& req, httplib::Response& res);
  void HandleStatus(const httplib::Request& req, httplib::Response& res) const;
  std::string SessionLogin(const httplib::Request& req) const;
  void LoadState();
  void SaveStateLocked() const;
  // Waits up to the delay; false when the server is shutting down.
  bool Wait(std::chrono::milliseconds delay);

  TDemoSitesOptions options_;
  mutable std::mutex mutex_;
  std::condition_variable stop_cv_;
  bool stopping_ = false;
  std::vector<TDemoSubmission> submissions_;
  std::map<std::string, std::string> accounts_;  // login -> password
  std::map<std::string, std::string> sessions_;  // session id -> login (not kept in the state)
  int next_id_ = 1;
};

}  // namespace quillora
