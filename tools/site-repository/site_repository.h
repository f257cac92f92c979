// The site repository's requests: downloads of the database's files in both of the program's
// server modes, site uploads and removals, and bug reports, all kept in one folder laid out as
// "quillora-cli sites export" writes it.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

namespace httplib {
class Server;
}

namespace quillora {

class TFormFields;

struct TSiteRepositoryOptions {
  std::string folder;  // the database folder, with a trailing "/"
  // When not empty, downloads and uploads must carry it (access_token.h).
  std::string token;
  // When not empty, every posted request is answered with a redirection to this address, as a
  // database that has moved would answer.
  std::string redirect;
};

// The largest site file an upload may carry.
inline constexpr size_t kMaxUploadSize = size_t{16} << 20;
// Appended to by "bugreport.php", one entry per report.
inline constexpr const char* kBugReportLog = "bugreports.log";
// Requests under this path are always redirected to kMovedPage, which explains the move.
inline constexpr const char* kMovedPrefix = "/moved/";
inline constexpr const char* kMovedPage = "/moved.html";

class TSiteRepository {
 public:
  explicit TSiteRepository(TSiteRepositoryOptions options);

  // Routes every request of the server here and bounds its time-outs and request sizes. Scripts are
  // told apart by the end of the path
  // ("getsites.php", "putsite.php", "bugreport.php"; a path ending in "/" is the base address),
  // so the database can sit under any base path.
  void Attach(httplib::Server& server);

  // The replies' bodies; status codes are the HTTP layer's business. Upload and bug report
  // replies are empty on success and an error text otherwise.
  struct TReply {
    int status = 200;
    std::string body;
    std::string content_type = "application/octet-stream";
  };
  TReply Download(const TFormFields& fields, bool object_mode) const;
  TReply PutSite(const TFormFields& fields);
  TReply BugReport(const TFormFields& fields, std::string_view remote_address);

 private:
  // The file of the folder a client's name stands for, matched ignoring case; empty when the
  // name is not one the repository serves or no such file exists.
  std::string ResolveFile(std::string_view name) const;
  std::string StoreSite(const TFormFields& fields, std::string_view uin);
  std::string RemoveSite(std::string_view uin);

  TSiteRepositoryOptions options_;
  // Uploads and removals rewrite the index and version files together; one at a time.
  std::mutex update_mutex_;
  std::mutex log_mutex_;
};

}  // namespace quillora
