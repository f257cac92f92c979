// A real FTP server on 127.0.0.1 for the upload tests: a pyftpdlib process serving one folder
// with write access, on an ephemeral port, stopped with the object.
#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

namespace quillora::test {

class FtpServer {
 public:
  // A Python interpreter that can import pyftpdlib; empty when there is none (the tests skip).
  static std::optional<std::string> Python();

  // Serves folder (with a trailing "/"); anonymously when user is empty, otherwise only to
  // user with password. Throws when the server does not accept connections in time.
  explicit FtpServer(const std::string& folder, const std::string& user = "",
                     const std::string& password = "");
  ~FtpServer();
  FtpServer(const FtpServer&) = delete;
  FtpServer& operator=(const FtpServer&) = delete;

  int Port() const { return port_; }
  // ftp://127.0.0.1:PORT/ + path
  std::string Url(const std::string& path) const;

 private:
  bool Start(const std::string& python, const std::string& folder, const std::string& user,
             const std::string& password);
  void Stop();

  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace quillora::test
