#include <chrono>
#include <cstdlib>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/files.h"
#include "foundation/stream.h"
#include "net/transfers.h"
#include "support/fault_server.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace quillora {
namespace {

using test::FaultServer;
using test::ScriptedUI;
using test::TempDir;
using Clock = std::chrono::steady_clock;

class TransferTest : public ::testing::Test {
 protected:
  void TearDown() override { TransferLimits() = TTransferLimits{}; }

  // A GET into memory; url receives the final address.
  TTransferResult Get(std::string& url, std::string* body = nullptr,
                      const TTransferAbort* abort = nullptr,
                      const TTransferProgressEvent& progress = {}) {
    TMemoryStream stream;
    const auto result = DownloadToStream(url, &stream, abort, {}, false, false, progress);
    if (body) *body = stream.Data();
    return result;
  }
  TTransferResult Get(const std::string& path) {
    std::string url = server_.Url(path);
    return Get(url);
  }

  ScriptedUI ui_;
  FaultServer server_;
  TempDir dir_;
};

TEST(TransferResultText, NamesEveryCodeAndIgnoresBitSeven) {
  const std::vector<std::string> texts = {
      "No error",       "Bad header",   "Authorization required", "Access denied",
      "Cannot load",    "Cannot save",  "WinInet error",          "Connection failed",
      "File not found", "Server error", "Server timeout",         "Aborted"};
  for (int code = 0; code < static_cast<int>(texts.size()); ++code) {
    EXPECT_EQ(TransferResultText(code), texts[code]);
    EXPECT_EQ(TransferResultText(code | 0x80), texts[code]);
  }
  EXPECT_EQ(TransferResultText(12), "");
  EXPECT_EQ(TransferResultText(0xFF), "");
}

TEST_F(TransferTest, HttpStatusesMapToResults) {
  const std::vector<std::pair<int, TTransferResult>> cases = {
      {400, trFileNotFound}, {402, trFileNotFound},          {404, trFileNotFound},
      {410, trFileNotFound}, {401, trAuthorizationRequired}, {407, trAuthorizationRequired},
      {403, trAccessDenied}, {408, trServerTimeout},         {504, trServerTimeout},
      {500, trServerError},  {503, trServerError},           {505, trServerError},
      {599, trServerError},  {202, trConnectionFailed},      {302, trConnectionFailed},
  };
  for (const auto& [status, expected] : cases)
    EXPECT_EQ(Get("/status/" + std::to_string(status)), expected) << status;
  // Nobody answered the credentials questions of 401 and 407.
  EXPECT_EQ(ui_.Texts("input").size(), 2u);
}

TEST_F(TransferTest, BodiesArriveWholeWithProgressInStageOrder) {
  std::string url = server_.Url("/large"), body;
  std::vector<TProgressStage> stages;
  int64_t last_done = -1, last_total = 0;
  const auto main_thread = std::this_thread::get_id();
  bool off_thread = false;
  ASSERT_EQ(Get(url, &body, nullptr,
                [&](int64_t done, int64_t total, TProgressStage stage) {
                  off_thread |= std::this_thread::get_id() != main_thread;
                  if (stage == psWaiting) return;
                  if (stages.empty() || stages.back() != stage) stages.push_back(stage);
                  last_done = done;
                  last_total = total;
                }),
            trNoError);
  EXPECT_EQ(body, FaultServer::LargeBody());
  EXPECT_EQ(url, server_.Url("/large"));
  EXPECT_FALSE(off_thread) << "progress must reach the user-interface thread";
  EXPECT_EQ(stages, (std::vector<TProgressStage>{psInitializing, psConnecting, psDownloading,
                                                 psDisconnecting, psDone}));
  EXPECT_EQ(last_done, static_cast<int64_t>(FaultServer::kLargeSize));
  EXPECT_EQ(last_total, static_cast<int64_t>(FaultServer::kLargeSize));

  url = server_.Url("/nolength");
  ASSERT_EQ(Get(url, &body), trNoError);
  EXPECT_EQ(body, "Hello, transfer!");
}

TEST_F(TransferTest, ABodyShorterThanAnnouncedIsAServerTimeout) {
  EXPECT_EQ(Get("/short"), trServerTimeout);
  // The worker alone only knows the connection broke.
  TMemoryStream stream;
  TDownloadThread worker({server_.Url("/short"), &stream, {}, false, false, {}, nullptr});
  worker.Wait();
  EXPECT_EQ(worker.Result(), trConnectionFailed);
  EXPECT_EQ(worker.BytesDone(), 40);
  EXPECT_EQ(worker.BytesTotal(), 100);
  EXPECT_EQ(worker.Stage(), psDone);

  // A dropped connection without an announced length is just a failure.
  EXPECT_EQ(Get("/drop"), trConnectionFailed);
  // So is a server that stalls beyond the limit, after announcing a length.
  TransferLimits().stall_seconds = 1;
  EXPECT_EQ(Get("/stall"), trServerTimeout);
}

TEST_F(TransferTest, NoServerIsAConnectionFailure) {
  // Bind and release a port so nothing listens there.
  int port;
  {
    FaultServer gone;
    port = gone.Port();
  }
  std::string url = "http://127.0.0.1:" + std::to_string(port) + "/ok";
  EXPECT_EQ(Get(url), trConnectionFailed);
}

TEST_F(TransferTest, FinalUrlFollowsRedirects) {
  std::string url = server_.Url("/redirect2"), body;
  ASSERT_EQ(Get(url, &body), trNoError);
  EXPECT_EQ(body, "Hello, transfer!");
  EXPECT_EQ(url, server_.Url("/ok"));
}

TEST_F(TransferTest, FormPostSendsTheFieldLines) {
  for (const bool lf_only : {false, true}) {
    std::string url = server_.Url("/echo");
    TMemoryStream reply;
    ASSERT_EQ(DownloadToStream(url, &reply, nullptr,
                               std::vector<std::string>{"name=Quill Pad", "version=3.0\r"}, lf_only,
                               false, {}),
              trNoError);
    EXPECT_EQ(reply.Data(), "posted");
    EXPECT_EQ(server_.LastBody(),
              lf_only ? "name=Quill Pad\nversion=3.0\n" : "name=Quill Pad\r\nversion=3.0\r\r\n");
    EXPECT_EQ(server_.LastContentType(), "application/x-www-form-urlencoded");
  }
}

TEST_F(TransferTest, AuthorizationAsksForCredentialsAndRetries) {
  ui_.QueueText("user");
  ui_.QueueText("wrong");
  ui_.QueueText("user");
  ui_.QueueText("secret");
  std::string url = server_.Url("/auth"), body;
  ASSERT_EQ(Get(url, &body), trNoError);
  EXPECT_EQ(body, "welcome");
  EXPECT_EQ(ui_.Texts("input").size(), 4u);
  // The user declines: the status's own result.
  EXPECT_EQ(Get("/auth"), trAuthorizationRequired);
}

TEST_F(TransferTest, FileUrlsAreReadToTheEnd) {
  StringToFile(dir_ / "local.txt", "local bytes");
  std::string url = "file://" + dir_.Path() + "local.txt", body;
  ASSERT_EQ(Get(url, &body), trNoError);
  EXPECT_EQ(body, "local bytes");
  url = "file://" + dir_.Path() + "missing.txt";
  EXPECT_EQ(Get(url), trConnectionFailed);
}

TEST_F(TransferTest, DownloadToFileCreatesFoldersAndLeavesNothingOnFailure) {
  const std::string target = dir_ / "a/b/page.txt";
  std::string url = server_.Url("/ok");
  ASSERT_EQ(DownloadToFile(url, target, nullptr, {}, false, {}), trNoError);
  EXPECT_EQ(FileToString(target), "Hello, transfer!");

  url = server_.Url("/short");
  EXPECT_EQ(DownloadToFile(url, target, nullptr, {}, false, {}), trServerTimeout);
  EXPECT_FALSE(FileExists(target));

  StringToFile(dir_ / "plain", "x");
  url = server_.Url("/ok");
  EXPECT_EQ(DownloadToFile(url, dir_ / "plain/inside.txt", nullptr, {}, false, {}), trCannotSave);
}

TEST_F(TransferTest, AbortReturnsAtOnceAndRemovesThePartialFile) {
  const std::string target = dir_ / "partial.bin";
  TTransferAbort abort;
  std::jthread canceller;
  bool file_seen = false;
  std::string url = server_.Url("/stall");
  const auto start = Clock::now();
  const auto result = DownloadToFile(
      url, target, &abort, {}, false, [&](int64_t done, int64_t, TProgressStage stage) {
        // Cancel once the first half is on disk, from another thread.
        if (stage == psDownloading && done == 1000 && !canceller.joinable()) {
          file_seen = FileSizeOf(target) >= 0;
          canceller = std::jthread([&abort] { abort.Request(); });
        }
      });
  EXPECT_EQ(result, trAborted);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
  EXPECT_TRUE(file_seen);
  EXPECT_FALSE(FileExists(target));
}

TEST_F(TransferTest, AJobsStopRequestAbortsTheWait) {
  std::stop_source job_stop;
  TTransferAbort abort(job_stop.get_token());
  std::jthread stopper([&job_stop] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    job_stop.request_stop();
  });
  std::string url = server_.Url("/slow?ms=8000");
  const auto start = Clock::now();
  EXPECT_EQ(Get(url, nullptr, &abort), trAborted);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
}

}  // namespace
}  // namespace quillora
