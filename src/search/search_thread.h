// The listing-search worker: fetches one site's result page on its own thread (or asks the
// external search page), judges it and records the verdict in the profile. Everything it
// reports reaches the user-interface thread by Synchronize.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "search/search_request.h"

namespace quillora {

class TProfile;
class TWebSite;

class TSearchThread {
 public:
  // (worker, result: -1 error, 0 not found, 1 found; the fetch failed)
  using TFinishedEvent = std::function<void(TSearchThread& worker, int result, bool fetch_error)>;
  using TStatusLineEvent = std::function<void(int slot, const std::string& line)>;
  using TLogEvent = std::function<void(const std::string& text)>;

  // Copies what the search reads of the site; results go to profile. Call on the user-interface
  // thread, like every member but the worker's own run.
  TSearchThread(TWebSite& site, int slot, std::shared_ptr<const TSearchInputs> inputs,
                TProfile& profile, int timeout_seconds);
  // Waits for the thread; it must have been stopped or have finished (Ended, or soon to be).
  ~TSearchThread();
  TSearchThread(const TSearchThread&) = delete;
  TSearchThread& operator=(const TSearchThread&) = delete;

  TFinishedEvent on_finished;
  TStatusLineEvent on_status;
  TLogEvent on_log;
  // Not 0: every request goes to this port (a local server on a port of its own).
  uint16_t port = 0;

  // Counts the attempt on the site and starts the thread.
  void Start();
  // Reports "finished" at once with the result so far (-1 before a verdict), drops the
  // callbacks and cancels the request; the thread then runs out without reporting or recording.
  void Stop();

  TWebSite& Site() const { return *site_; }
  int Slot() const { return slot_; }
  int Result() const { return result_; }
  // The page fetched (empty when none); read it once the worker has reported.
  std::string Page() const;
  std::string StatusText() const;
  void SetStatusText(const std::string& text);
  // The line of the status view: "%.2d  %-20.20s  %d  %-60.60s".
  std::string StatusLine() const;
  // "finished" was reported (by the worker or by Stop).
  bool Finished() const { return finished_; }
  // The thread has run to its end (any thread may ask).
  bool Ended() const { return ended_; }

 private:
  void Run();
  void OnFetchStatus(int status, const std::string& information, int64_t bytes);

  TWebSite* site_;
  int slot_;
  TSearchSite search_site_;
  std::shared_ptr<const TSearchInputs> inputs_;
  TProfile* profile_;
  int timeout_;
  int attempt_ = 0;
  std::string page_;
  std::string last_status_;  // the worker's own, to send only changes
  mutable std::mutex status_mutex_;
  std::string status_text_;
  int result_ = -1;        // set on the user-interface thread only
  bool finished_ = false;  // likewise
  std::atomic<bool> stopped_{false};
  std::atomic<bool> cancel_{false};
  std::atomic<bool> ended_{false};
  std::function<void()> cancel_fetch_;
  std::mutex cancel_mutex_;
  std::jthread thread_;
};

}  // namespace quillora
