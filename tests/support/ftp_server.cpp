#include "support/ftp_server.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace quillora::test {

namespace {

// The package of the system's Python may not be visible to another interpreter first on PATH.
const char* const kPythonCandidates[] = {"python3", "/usr/bin/python3"};

constexpr auto kStartTimeout = std::chrono::seconds(10);

// Starts argv with its output dropped (the server logs every command it gets). Everything the
// child needs is prepared before the fork: the tests run other threads, so the child must not
// allocate.
pid_t Spawn(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
      dup2(null, STDIN_FILENO);
      dup2(null, STDOUT_FILENO);
      dup2(null, STDERR_FILENO);
    }
    execvp(args[0], args.data());
    _exit(127);
  }
  return pid;
}

// The exit status of argv, or -1 when it could not run.
int RunQuietly(const std::vector<std::string>& argv) {
  const pid_t pid = Spawn(argv);
  if (pid < 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

// A port nobody listens on right now; the server may still lose it to someone else, which
// Start notices and retries.
int FreePort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return 0;
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof(address);
  int port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    port = ntohs(address.sin_port);
  close(fd);
  return port;
}

bool Accepts(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return false;
  sockaddr_in address = Loopback(port);
  const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
  close(fd);
  return ok;
}

}  // namespace

std::optional<std::string> FtpServer::Python() {
  static const std::optional<std::string> found = []() -> std::optional<std::string> {
    for (const char* candidate : kPythonCandidates)
      if (RunQuietly({candidate, "-c", "import pyftpdlib"}) == 0) return candidate;
    return std::nullopt;
  }();
  return found;
}

FtpServer::FtpServer(const std::string& folder, const std::string& user,
                     const std::string& password) {
  const auto python = Python();
  if (!python) throw std::runtime_error("No Python with pyftpdlib");
  for (int attempt = 0; attempt < 3; ++attempt)
    if (Start(*python, folder, user, password)) return;
  throw std::runtime_error("The FTP server did not start");
}

FtpServer::~FtpServer() {
  Stop();
}

std::string FtpServer::Url(const std::string& path) const {
  return "ftp://127.0.0.1:" + std::to_string(port_) + "/" + path;
}

bool FtpServer::Start(const std::string& python, const std::string& folder, const std::string& user,
                      const std::string& password) {
  port_ = FreePort();
  if (port_ == 0) return false;
  std::vector<std::string> argv = {python,      "-m",  "pyftpdlib",           "-i",
                                   "127.0.0.1", "-p",  std::to_string(port_), "-w",
                                   "-d",        folder};
  if (!user.empty()) argv.insert(argv.end(), {"-u", user, "-P", password});
  pid_ = Spawn(argv);
  if (pid_ < 0) return false;
  const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
  while (std::chrono::steady_clock::now() < deadline) {
    // A server that ended already lost its port (or never ran).
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return false;
    }
    if (Accepts(port_)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  Stop();
  return false;
}

void FtpServer::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  // A server that ignores the polite request is not allowed to outlive the test.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  int status = 0;
  while (waitpid(pid_, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  pid_ = -1;
}

}  // namespace quillora::test
