// Download speed over loopback: a 50 MB file served by a local HTTP server, fetched with
// DownloadToFile (bare, and showing the command line's progress) and with the curl program in
// the same run. The figure is our throughput against curl's; the target is a ratio of at least
// 0.8.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <httplib.h>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "cli/cli_ui.h"
#include "cli/progress_bar.h"
#include "foundation/files.h"
#include "foundation/ui_port.h"
#include "net/transfers.h"
#include "support/temp_dir.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kFileSize = 50u * 1000 * 1000;
constexpr int kRounds = 11;
constexpr double kTarget = 0.8;

std::string FileBody() {
  std::string body(kFileSize, '\0');
  for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>((i * 31 + i / 4093) & 0xFF);
  return body;
}

// The curl program on PATH, or "" when there is none.
std::string FindCurl() {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "");
  for (std::string dir; std::getline(dirs, dir, ':');) {
    const std::string candidate = (dir.empty() ? "." : dir) + "/curl";
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

bool RunCurl(const std::string& curl, const std::string& url, const std::string& out) {
  std::vector<std::string> args = {curl, "-s", "-f", "-o", out, url};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, curl.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status = 0;
  return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Wall time of one run in seconds, negative when it failed. Wall time, not CPU time: the
// reference is another process, and waiting on the socket is part of the work.
double Seconds(const std::function<bool()>& run) {
  const auto start = Clock::now();
  if (!run()) return -1;
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  using namespace quillora;
  test::TempDir dir;
  const std::string body = FileBody();

  httplib::Server server;
  server.Get("/file.bin", [&body](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(body.size(), "application/octet-stream",
                             [&body](size_t offset, size_t length, httplib::DataSink& sink) {
                               return sink.write(body.data() + offset,
                                                 std::min<size_t>(length, 256 * 1024));
                             });
  });
  const int port = server.bind_to_any_port("127.0.0.1");
  if (port <= 0) {
    std::fprintf(stderr, "cannot bind to 127.0.0.1\n");
    return 1;
  }
  std::thread thread([&server] { server.listen_after_bind(); });
  while (!server.is_running()) std::this_thread::yield();
  const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/file.bin";
  const std::string target = dir / "download.bin";

  // The command line's port: progress reports are handed to this thread as in quillora-cli.
  std::istringstream no_input;
  std::ostringstream messages;
  cli::TCliUserInterface ui(no_input, messages, cli::TCliUserInterface::Answer::No, false);
  SetUI(&ui);

  // The bar as a terminal would get it, drawn into a string.
  std::ostringstream bar_output;
  const std::string curl = FindCurl();
  const std::string curl_target = dir / "curl.bin";
  const auto whole = [&](const std::string& file) {
    return FileSizeOf(file) == static_cast<int64_t>(kFileSize);
  };
  // The three take turns, so that other work on the machine slows each of them alike. Each
  // round gives a ratio against the curl run beside it; the median of those is the figure, the
  // best runs are shown too.
  double bare = 1e9, with_bar = 1e9, reference = curl.empty() ? -1 : 1e9;
  std::vector<double> bare_ratios, bar_ratios;
  for (int round = 0; round < kRounds; ++round) {
    const double bare_run = Seconds([&] {
      std::string u = url;
      return DownloadToFile(u, target, nullptr, {}, false, {}) == trNoError && whole(target);
    });
    const double bar_run = Seconds([&] {
      cli::TCliProgress progress(bar_output, cli::TProgressStyle::Bar, 100);
      std::string u = url;
      return progress.Window().Download(u, target, {}, false, true) == trNoError && whole(target);
    });
    bare = std::min(bare, bare_run);
    with_bar = std::min(with_bar, bar_run);
    if (curl.empty()) continue;
    const double curl_run =
        Seconds([&] { return RunCurl(curl, url, curl_target) && whole(curl_target); });
    reference = std::min(reference, curl_run);
    bare_ratios.push_back(curl_run / bare_run);
    bar_ratios.push_back(curl_run / bar_run);
  }

  server.stop();
  thread.join();
  SetUI(nullptr);

  if (bare < 0 || with_bar < 0) {
    std::fprintf(stderr, "a download failed\n");
    return 1;
  }
  const double mb = static_cast<double>(kFileSize) / 1e6;
  std::printf("file: %.0f MB over loopback, %d rounds\n", mb, kRounds);
  std::printf("DownloadToFile:              %8.1f MB/s\n", mb / bare);
  std::printf("DownloadToFile with the bar: %8.1f MB/s\n", mb / with_bar);
  // What showing the progress costs, measured against the bare download of the same run.
  std::printf("with bar / bare:             %8.2f\n", bare / with_bar);
  if (curl.empty()) {
    std::printf("curl: not found on PATH, no reference measured (skipped)\n");
    return 0;
  }
  if (reference < 0) {
    std::fprintf(stderr, "curl failed\n");
    return 1;
  }
  std::printf("curl -o (reference):         %8.1f MB/s\n", mb / reference);
  std::printf(
      "ratio DownloadToFile / curl:          %.2f median of rounds, %.2f best runs"
      " (target >= %.1f)\n",
      Median(bare_ratios), reference / bare, kTarget);
  std::printf(
      "ratio DownloadToFile with bar / curl: %.2f median of rounds, %.2f best runs"
      " (target >= %.1f)\n",
      Median(bar_ratios), reference / with_bar, kTarget);
  return 0;
}
