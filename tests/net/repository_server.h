// The site repository server running in this process on an ephemeral port of 127.0.0.1, for the
// update's tests and benchmark. Its own headers stay behind this one: the server's request
// fields and the transfers' form fields share a name.
#pragma once

#include <memory>
#include <string>

namespace quillora::test {

class RepositoryServer {
 public:
  RepositoryServer();
  ~RepositoryServer();
  RepositoryServer(const RepositoryServer&) = delete;
  RepositoryServer& operator=(const RepositoryServer&) = delete;

  // Serves folder (a database written by the sites export) until Stop; token and redirect as the
  // server's --token and --redirect. Returns the port, 0 when it could not listen.
  int Start(const std::string& folder, const std::string& token = {},
            const std::string& redirect = {});
  void Stop();
  // "http://127.0.0.1:PORT/"
  std::string Base() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace quillora::test
