// A TCP server on 127.0.0.1 that answers like a hostile or broken web server: garbage instead of
// HTTP, headers that trickle or never end, endless bodies, redirect loops. For robustness tests.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quillora::test {

// Routes (the request's path):
//   /garbage         binary junk instead of a status line, then the connection closes
//   /slowloris       a status line, then one header byte per second that never ends
//   /slowloris-fast  the same at five bytes a second: too fast for a stall to be noticed
//   /huge-header     a 1 MiB header line, then a small body
//   /endless         200 without a length, then body bytes until the client gives up
//   /endless-chunked the same as chunked transfer coding
//   /lying-length    announces 1000 bytes, then sends bytes until the client gives up
//   /loop            302 to itself;  /loop-a and /loop-b: 302 to each other
//   /to-file         302 to the file:// address given to RedirectToFile
// Every connection ends when the server stops, and in any case after kConnectionSeconds or
// kConnectionBytes, so a client that never gives up fails its test instead of hanging it.
class HostileServer {
 public:
  static constexpr int kConnectionSeconds = 30;
  static constexpr size_t kConnectionBytes = 256u << 20;
  static constexpr size_t kHugeHeaderSize = 1u << 20;
  static constexpr size_t kLyingLength = 1000;

  HostileServer();
  ~HostileServer();
  HostileServer(const HostileServer&) = delete;
  HostileServer& operator=(const HostileServer&) = delete;

  int Port() const { return port_; }
  // http://127.0.0.1:PORT + path
  std::string Url(const std::string& path) const;
  void RedirectToFile(const std::string& file_url);
  // Connections accepted so far.
  int Connections() const { return connections_; }

 private:
  void AcceptLoop();
  void Serve(int socket);
  // False once the client has gone or the server is stopping.
  bool Send(int socket, const std::string& bytes);

  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<int> connections_{0};
  std::thread acceptor_;
  std::mutex mutex_;
  std::vector<std::thread> workers_;
  std::string file_url_;
};

}  // namespace quillora::test
