#include "support/hostile_server.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace quillora::test {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kMaxConnections = 200;
constexpr size_t kMaxRequestSize = 64 * 1024;

void SetTimeouts(int socket) {
  // Short socket time-outs let every blocked call look at the stop flag often.
  timeval tv{0, 100 * 1000};
  setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

std::string Garbage() {
  std::string junk(4096, '\0');
  unsigned state = 12345;
  for (auto& c : junk) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>(state >> 16);
  }
  junk[0] = '\x01';  // never "HTTP/" by chance
  return junk;
}

std::string Redirect(const std::string& location) {
  return "HTTP/1.1 302 Found\r\nLocation: " + location + "\r\nContent-Length: 0\r\n\r\n";
}

}  // namespace

HostileServer::HostileServer() {
  listener_ = socket(AF_INET, SOCK_STREAM, 0);
  if (listener_ < 0) throw std::runtime_error("hostile server: no socket");
  const int on = 1;
  setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener_, 16) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(listener_);
    throw std::runtime_error("hostile server: cannot listen on 127.0.0.1");
  }
  port_ = ntohs(address.sin_port);
  // Connections wait in the backlog from here on; the loop may start whenever it does.
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

HostileServer::~HostileServer() {
  stopping_ = true;
  if (acceptor_.joinable()) acceptor_.join();
  close(listener_);
  std::lock_guard lock(mutex_);
  for (auto& worker : workers_) worker.join();
}

std::string HostileServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void HostileServer::RedirectToFile(const std::string& file_url) {
  std::lock_guard lock(mutex_);
  file_url_ = file_url;
}

void HostileServer::AcceptLoop() {
  while (!stopping_) {
    pollfd waiting{listener_, POLLIN, 0};
    if (poll(&waiting, 1, 100) <= 0) continue;
    const int socket = accept(listener_, nullptr, nullptr);
    if (socket < 0) continue;
    if (connections_ >= kMaxConnections) {
      close(socket);
      continue;
    }
    ++connections_;
    SetTimeouts(socket);
    std::lock_guard lock(mutex_);
    workers_.emplace_back([this, socket] {
      Serve(socket);
      shutdown(socket, SHUT_RDWR);
      close(socket);
    });
  }
}

bool HostileServer::Send(int socket, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    if (stopping_) return false;
    const ssize_t n = send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<size_t>(n);
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
      continue;
    } else {
      return false;
    }
  }
  return true;
}

void HostileServer::Serve(int socket) {
  const auto deadline = Clock::now() + std::chrono::seconds(kConnectionSeconds);
  const auto in_time = [&] { return !stopping_ && Clock::now() < deadline; };

  std::string request;
  char buffer[4096];
  while (request.find("\r\n\r\n") == std::string::npos && request.size() < kMaxRequestSize &&
         in_time()) {
    const ssize_t n = recv(socket, buffer, sizeof buffer, 0);
    if (n > 0)
      request.append(buffer, static_cast<size_t>(n));
    else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
      return;
  }
  // "GET /path HTTP/1.1"
  const auto first = request.find(' ');
  const auto second = request.find(' ', first + 1);
  if (first == std::string::npos || second == std::string::npos) return;
  const std::string path = request.substr(first + 1, second - first - 1);

  // Sends block after block until the client gives up or a bound is reached.
  const auto send_forever = [&](const std::string& block) {
    for (size_t total = 0; total < kConnectionBytes && in_time(); total += block.size())
      if (!Send(socket, block)) return;
  };

  if (path == "/garbage") {
    Send(socket, Garbage());
  } else if (path == "/slowloris" || path == "/slowloris-fast") {
    const auto interval = std::chrono::milliseconds(path == "/slowloris" ? 1000 : 200);
    if (!Send(socket, "HTTP/1.1 200 OK\r\nX-Slow: ")) return;
    while (in_time()) {
      if (!Send(socket, "z")) return;
      const auto next = Clock::now() + interval;
      while (in_time() && Clock::now() < next)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  } else if (path == "/huge-header") {
    Send(socket, "HTTP/1.1 200 OK\r\nX-Huge: " + std::string(kHugeHeaderSize, 'h') +
                     "\r\nContent-Length: 2\r\n\r\nok");
  } else if (path == "/endless") {
    if (!Send(socket,
              "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
              "Connection: close\r\n\r\n"))
      return;
    send_forever(std::string(64 * 1024, 'e'));
  } else if (path == "/endless-chunked") {
    if (!Send(socket, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n")) return;
    send_forever("10000\r\n" + std::string(0x10000, 'c') + "\r\n");
  } else if (path == "/lying-length") {
    if (!Send(socket,
              "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kLyingLength) + "\r\n\r\n"))
      return;
    send_forever(std::string(64 * 1024, 'l'));
  } else if (path == "/loop") {
    Send(socket, Redirect("/loop"));
  } else if (path == "/loop-a" || path == "/loop-b") {
    Send(socket, Redirect(path == "/loop-a" ? "/loop-b" : "/loop-a"));
  } else if (path == "/to-file") {
    std::string target;
    {
      std::lock_guard lock(mutex_);
      target = file_url_;
    }
    Send(socket, Redirect(target));
  } else {
    Send(socket, "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
  }
}

}  // namespace quillora::test
