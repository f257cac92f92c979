// The transfer workers: a download (HTTP, HTTPS, FTP, file://, optionally a form POST) and an FTP
// upload, each on its own thread, reporting progress to the user-interface thread and leaving a
// transfer result code.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "net/transfer_result.h"

namespace quillora {

class TStream;

// The user agent of every transfer; start-up replaces the default with the program's own.
std::string& AgentString();

// How long a transfer may wait: for the connection, and for the next byte once connected. A
// server that stops sending for stall_seconds ends the transfer as a failure.
struct TTransferLimits {
  long connect_seconds = 30;
  long stall_seconds = 60;
  // A body without an announced length ends the transfer as a failure beyond this many bytes
  // (one with a length never gets more than it announced). The transfers have always counted
  // in 31 bits, so no download the program made was ever larger.
  int64_t max_unannounced_bytes = INT32_MAX;
};
TTransferLimits& TransferLimits();

// What stops a transfer: Request (the user's Cancel, from any thread) or a job's stop request.
class TTransferAbort {
 public:
  TTransferAbort() = default;
  explicit TTransferAbort(std::stop_token stop) : stop_(std::move(stop)) {}
  TTransferAbort(const TTransferAbort&) = delete;
  TTransferAbort& operator=(const TTransferAbort&) = delete;

  // Also wakes a blocking transfer call that waits on the user-interface thread.
  void Request();
  void Reset() { flag_ = false; }
  bool Requested() const { return flag_ || stop_.stop_requested(); }
  const std::stop_token& StopToken() const { return stop_; }

 private:
  std::atomic<bool> flag_{false};
  std::stop_token stop_;
};

namespace transfer_detail {
struct TWorkerState;
}

// One worker thread. Created running; the creator reads its progress and result and, once
// Finished, its final URL. Destroying it stops the transfer and waits for the thread.
class TTransferThread {
 public:
  virtual ~TTransferThread();
  TTransferThread(const TTransferThread&) = delete;
  TTransferThread& operator=(const TTransferThread&) = delete;

  bool Finished() const;
  int64_t BytesDone() const;
  int64_t BytesTotal() const;
  TProgressStage Stage() const;
  TTransferResult Result() const;
  // Download: the final URL after redirects once the body started.
  std::string Url() const;

  // Asks the worker to stop as soon as it can.
  void Terminate();
  void Wait();
  // Lets the worker run out on its own: from now on it touches neither the stream, nor the
  // progress callback, nor the abort flag, and it frees its own state when it ends. Called on
  // the user-interface thread (the callback's hand-overs are checked there).
  void Abandon();

  // The state the blocking calls wait on (shared with the worker).
  const std::shared_ptr<transfer_detail::TWorkerState>& State() const { return state_; }

 protected:
  TTransferThread();
  std::shared_ptr<transfer_detail::TWorkerState> state_;
  std::jthread thread_;
};

class TDownloadThread : public TTransferThread {
 public:
  struct TRequest {
    std::string url;
    // Absent: the body is read and dropped.
    TStream* stream = nullptr;
    // Present: a form POST of these "name=value" lines; absent: a GET.
    std::optional<std::vector<std::string>> form_fields;
    // The POST body without any carriage return.
    bool lf_only = false;
    // Passive FTP; without it FTP data connections are active.
    bool passive = false;
    TTransferProgressEvent progress;
    const TTransferAbort* abort = nullptr;
  };
  explicit TDownloadThread(TRequest request);
};

class TUploadThread : public TTransferThread {
 public:
  struct TRequest {
    // ftp:// URL of the remote file.
    std::string url;
    // Each replaces the URL's own when not empty.
    std::string user_name, password;
    TStream* stream = nullptr;
    bool passive = false;
    TTransferProgressEvent progress;
    const TTransferAbort* abort = nullptr;
  };
  explicit TUploadThread(TRequest request);
};

// The body of a form POST: every line ended by CR LF, or by LF alone with lf_only.
std::string FormPostBody(const std::vector<std::string>& fields, bool lf_only);

}  // namespace quillora
