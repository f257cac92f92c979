// Downloads and page fetches against servers that break the protocol on purpose: each must end
// within the limits set for it, with its mapped result, and write nothing but its own target.
#include "support/hostile_server.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/files.h"
#include "foundation/stream.h"
#include "net/page_fetcher.h"
#include "net/transfers.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace quillora {
namespace {

using test::HostileServer;
using Clock = std::chrono::steady_clock;

// Far beyond any limit set below: a transfer still running then has hung.
constexpr auto kHung = std::chrono::seconds(15);
constexpr int64_t kCap = 1 << 20;

// Everything under folder, as paths relative to it.
std::set<std::string> Contents(const std::string& folder) {
  std::set<std::string> found;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    found.insert(std::filesystem::relative(entry.path(), folder).string());
  return found;
}

struct Case {
  std::string path;
  TTransferResult result;
  // What a download to a stream may keep.
  int64_t max_bytes;
};

class HostileTransferTest : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    auto& limits = TransferLimits();
    limits.connect_seconds = 2;
    limits.stall_seconds = 2;
    limits.max_unannounced_bytes = kCap;
    // A local file that a redirect must never bring into the download.
    StringToFile(outside_.Path() + "secret.txt", "not for the server");
    server_.RedirectToFile("file://" + outside_.Path() + "secret.txt");
  }
  void TearDown() override { TransferLimits() = TTransferLimits{}; }

  test::ScriptedUI ui_;
  HostileServer server_;
  test::TempDir dir_, outside_;
};

TEST_P(HostileTransferTest, DownloadToFileEndsInTimeAndWritesOnlyItsTarget) {
  const Case& c = GetParam();
  const std::string target = dir_ / "downloads/target.bin";
  std::string url = server_.Url(c.path);
  const auto start = Clock::now();
  EXPECT_EQ(DownloadToFile(url, target, nullptr, {}, false, {}), c.result);
  EXPECT_LT(Clock::now() - start, kHung);

  // The folder is made first; the file stays only when the download succeeded.
  std::set<std::string> expected = {"downloads"};
  if (c.result == trNoError) expected.insert("downloads/target.bin");
  EXPECT_EQ(Contents(dir_.Path()), expected);
  if (c.result == trNoError) {
    EXPECT_LE(FileSizeOf(target), c.max_bytes);
  }
  EXPECT_EQ(Contents(outside_.Path()), std::set<std::string>{"secret.txt"});
  EXPECT_EQ(FileToString(outside_.Path() + "secret.txt"), "not for the server");
}

TEST_P(HostileTransferTest, DownloadToStreamEndsInTimeWithinItsCap) {
  const Case& c = GetParam();
  std::string url = server_.Url(c.path);
  TMemoryStream stream;
  // With a progress callback the worker hands its reports over to this thread, as in a window.
  int reports = 0;
  const auto start = Clock::now();
  EXPECT_EQ(DownloadToStream(url, &stream, nullptr, {}, false, false,
                             [&](int64_t, int64_t, TProgressStage) { ++reports; }),
            c.result);
  EXPECT_LT(Clock::now() - start, kHung);
  EXPECT_LE(static_cast<int64_t>(stream.Data().size()), c.max_bytes);
  EXPECT_GT(reports, 0);
  EXPECT_EQ(stream.Data().find("not for the server"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Routes, HostileTransferTest,
    ::testing::Values(
        // Nothing usable came back: the request failed.
        Case{"/garbage", trConnectionFailed, 0}, Case{"/slowloris", trConnectionFailed, 0},
        Case{"/slowloris-fast", trConnectionFailed, 0}, Case{"/huge-header", trConnectionFailed, 0},
        Case{"/loop", trConnectionFailed, 0}, Case{"/loop-a", trConnectionFailed, 0},
        Case{"/to-file", trConnectionFailed, 0},
        // An endless body stops at the cap and is a failure; what came is not kept as a file.
        Case{"/endless", trConnectionFailed, kCap},
        Case{"/endless-chunked", trConnectionFailed, kCap},
        // An announced length is all that is taken, whatever follows it.
        Case{"/lying-length", trNoError, HostileServer::kLyingLength}),
    [](const ::testing::TestParamInfo<Case>& param_info) {
      std::string name = param_info.param.path.substr(1);
      std::replace(name.begin(), name.end(), '-', '_');
      return name;
    });

TEST(HostileTransferLimits, TheLyingLengthIsExactlyWhatArrives) {
  test::ScriptedUI ui;
  HostileServer server;
  std::string url = server.Url("/lying-length");
  TMemoryStream stream;
  ASSERT_EQ(DownloadToStream(url, &stream, nullptr, {}, false, false, {}), trNoError);
  EXPECT_EQ(stream.Data(), std::string(HostileServer::kLyingLength, 'l'));
}

TEST(HostilePageFetcher, EndsWithinItsTimeOutWithTheMappedOutcome) {
  struct PageCase {
    std::string path;
    bool got_body;
    std::string status;
    bool error;
  } cases[] = {
      {"/garbage", false, "Unable to Send HTTP Request", true},
      {"/slowloris", false, "Unable to Send HTTP Request", true},
      {"/slowloris-fast", false, "Unable to Send HTTP Request", true},
      {"/huge-header", false, "Unable to Send HTTP Request", true},
      {"/loop", false, "Unable to Send HTTP Request", true},
      {"/loop-a", false, "Unable to Send HTTP Request", true},
      {"/to-file", false, "Unable to Send HTTP Request", true},
      // The page cap ends an endless body: what came is the page.
      {"/endless", true, "Data truncated", false},
      {"/endless-chunked", true, "Data truncated", false},
      {"/lying-length", true, "Success", false},
  };
  test::TempDir outside;
  StringToFile(outside.Path() + "secret.txt", "not for the server");
  HostileServer server;
  server.RedirectToFile("file://" + outside.Path() + "secret.txt");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    TWIGetURL fetcher;
    fetcher.timeout = 2;
    fetcher.SetUrl(server.Url(c.path));
    const auto start = Clock::now();
    EXPECT_EQ(fetcher.Get(), c.got_body);
    EXPECT_LT(Clock::now() - start, kHung);
    EXPECT_EQ(fetcher.StatusMessage(), c.status);
    EXPECT_EQ(fetcher.Error(), c.error);
    EXPECT_LE(fetcher.ByteCount(), TWIGetURL::kMaxBytes + fetcher.buffer_size);
    EXPECT_EQ(fetcher.ResponseText().find("not for the server"), std::string::npos);
  }
  // The trickled headers were cut by the time-out, not by anything else.
  TWIGetURL slow;
  slow.timeout = 1;
  slow.SetUrl(server.Url("/slowloris"));
  EXPECT_FALSE(slow.Get());
  EXPECT_EQ(slow.LastError(), 28);  // the transfer library's time-out
}

}  // namespace
}  // namespace quillora
