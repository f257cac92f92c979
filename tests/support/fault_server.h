// A small HTTP server on 127.0.0.1 for network tests: well-behaved and misbehaving routes (slow,
// stalled, truncated, dropped, error statuses, redirects, authentication) on an ephemeral port.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace httplib {
class Server;
}

namespace quillora::test {

// Routes:
//   /ok                 "Hello, transfer!" with its length
//   /large              kLargeSize bytes of a repeating pattern (LargeBody())
//   /slow?ms=N          waits N ms before answering like /ok
//   /stall              announces 2000 bytes, sends 1000, then sends nothing more (until stopped)
//   /short              announces 100 bytes, sends 40 and closes the connection
//   /drop               no announced length; sends 40 bytes and drops the connection
//   /nolength           a body without a length, ended by closing: complete
//   /status/N           answers with status N
//   /redirect           302 to /ok;  /redirect2: 301 to /redirect
//   /auth               401 unless the Basic credentials are user:secret; /proxy-auth: 407
//   /echo (POST)        records the body and its Content-Type, answers "posted"
//   /echo (GET)         records the request headers, answers "echoed"
class FaultServer {
 public:
  static constexpr size_t kLargeSize = 1 << 20;

  FaultServer();
  ~FaultServer();
  FaultServer(const FaultServer&) = delete;
  FaultServer& operator=(const FaultServer&) = delete;

  int Port() const { return port_; }
  // http://127.0.0.1:PORT + path
  std::string Url(const std::string& path) const;
  static std::string LargeBody();

  std::string LastBody() const;
  std::string LastContentType() const;
  // A header of the last request to /echo; "" when it had none.
  std::string LastHeader(const std::string& name) const;
  bool LastHadHeader(const std::string& name) const;

 private:
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  mutable std::mutex mutex_;
  std::string last_body_, last_content_type_;
  std::vector<std::pair<std::string, std::string>> last_headers_;
};

}  // namespace quillora::test
