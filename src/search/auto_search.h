// The batch listing search without a window: a pool of search workers over every visible site
// that can be searched, with a time-out and a number of attempts per site, its progress and log
// texts. The desktop window drives it from its timer; the command line with RunToEnd.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "search/search_request.h"

namespace quillora {

class TProfile;
class TSearchThread;
class TSiteList;
class TWebSite;

// The batch's three numbers, as the window's spin boxes show and store them.
struct TAutoSearchSettings {
  int threads = 7;
  int timeout = 120;  // seconds
  int attempts = 3;
  // From the settings: a value not above 0 gives 5 threads, 120 seconds, 3 attempts.
  static TAutoSearchSettings FromSettings();
  void Store() const;
};

class TAutoSearch {
 public:
  // Searches the sites of list, recording into profile. Call every member on the
  // user-interface thread.
  TAutoSearch(TSiteList& list, TProfile& profile);
  // Stops what still runs and waits for the workers to end.
  ~TAutoSearch();
  TAutoSearch(const TAutoSearch&) = delete;
  TAutoSearch& operator=(const TAutoSearch&) = delete;

  TAutoSearchSettings settings;
  // What the workers read; taken from the program at Start when not set.
  std::shared_ptr<const TSearchInputs> inputs;
  // Not 0: every request goes to this port (a local server on a port of its own).
  uint16_t port = 0;
  // The batch window clears the search status of every site of the list, shown or not. A
  // search of chosen sites only (the command line's one site) leaves the hidden sites' results.
  bool reset_hidden_sites = true;

  // The window's parts: clearing the status view and the log, a slot's status line, a log
  // line, the label, the progress bar, and the end of the batch.
  std::function<void()> on_clear;
  std::function<void(int slot, const std::string& line)> on_status_line;
  std::function<void(const std::string& line)> on_log;
  std::function<void(const std::string& text)> on_label;
  std::function<void(int position, int total)> on_progress;
  std::function<void()> on_complete;
  // A site is done (its verdict is recorded): the command line's progress.
  std::function<void(TWebSite& site)> on_site_done;

  // "Start": resets every site's run state and search status, marks the sites that cannot be
  // searched "NOT SUPPORTED", stores the settings and makes the slots. False when no site can
  // be searched (nothing runs then).
  bool Start();
  // The timer's tick (once a second): stops workers past the time-out and gives free slots the
  // next sites. A finished worker's slot is refilled at once as well, so a slot never idles
  // until the next tick.
  void Tick();
  // "Stop": stops every running worker; the next tick ends the batch.
  void RequestStop();
  bool Running() const { return running_; }
  int EligibleCount() const { return eligible_; }
  int ProcessedCount() const { return processed_; }
  // "%d of %d sites processed ( %d%% )".
  static std::string ProgressText(int processed, int total);

  // Start, then ticks once a second with the message loop going until the batch is over. False
  // when no site could be searched.
  bool RunToEnd();

 private:
  struct TSlot {
    bool free = true, retired = false;
    uint64_t start = 0;
    std::unique_ptr<TSearchThread> worker;
  };
  void FillSlots(bool check_timeouts);
  void OnWorkerFinished(TSearchThread& worker, int result);
  void FreeSlot(TSlot& slot);
  void Reap();
  void CheckComplete();
  static uint64_t TickCount();

  TSiteList& list_;
  TProfile& profile_;
  std::vector<TSlot> slots_;
  // Stopped or finished workers whose threads may still be running out.
  std::vector<std::unique_ptr<TSearchThread>> ended_;
  int eligible_ = 0, processed_ = 0;
  uint64_t timeout_ms_ = 0;
  bool running_ = false, stop_requested_ = false, in_pass_ = false;
};

}  // namespace quillora
