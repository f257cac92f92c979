#include "search/auto_search.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <thread>

#include "foundation/app_state.h"
#include "foundation/text_utils.h"
#include "foundation/ui_port.h"
#include "pad/profile.h"
#include "search/search_results.h"
#include "search/search_thread.h"
#include "sites/site.h"
#include "sites/site_list.h"

namespace quillora {

namespace {

int PositiveSetting(const char* key, int fallback) {
  int n = 0;
  return TryStrToInt(Settings().GetString(key), n) && n > 0 ? n : fallback;
}

}  // namespace

TAutoSearchSettings TAutoSearchSettings::FromSettings() {
  TAutoSearchSettings s;
  s.threads = PositiveSetting("AUTOSEARCH_NUMBER_OF_THREADS", 5);
  s.timeout = PositiveSetting("AUTOSEARCH_TIMEOUT", 120);
  s.attempts = PositiveSetting("AUTOSEARCH_ATTEMPTS", 3);
  return s;
}

void TAutoSearchSettings::Store() const {
  TOptionsList& s = Settings();
  s.SetInt("AUTOSEARCH_NUMBER_OF_THREADS", threads);
  s.SetInt("AUTOSEARCH_TIMEOUT", timeout);
  s.SetInt("AUTOSEARCH_ATTEMPTS", attempts);
}

TAutoSearch::TAutoSearch(TSiteList& list, TProfile& profile) : list_(list), profile_(profile) {}

TAutoSearch::~TAutoSearch() {
  on_clear = nullptr;
  on_status_line = nullptr;
  on_log = nullptr;
  on_label = nullptr;
  on_progress = nullptr;
  on_complete = nullptr;
  on_site_done = nullptr;
  running_ = false;
  RequestStop();
  // Each waits for its thread with the message loop going.
  while (!ended_.empty()) {
    std::vector<std::unique_ptr<TSearchThread>> gone = std::move(ended_);
    ended_.clear();
  }
}

uint64_t TAutoSearch::TickCount() {
  using namespace std::chrono;
  return static_cast<uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::string TAutoSearch::ProgressText(int processed, int total) {
  // Halves go to the even neighbour, as the window has always rounded.
  const int percent = total > 0 ? static_cast<int>(std::nearbyint(processed * 100.0 / total)) : 0;
  char text[96];
  std::snprintf(text, sizeof text, "%d of %d sites processed ( %d%% )", processed, total, percent);
  return text;
}

bool TAutoSearch::Start() {
  if (running_) return false;
  if (on_clear) on_clear();
  processed_ = 0;
  if (!inputs) inputs = TSearchInputs::FromProgram();
  // NextSiteToSearch reads the attempts from the settings.
  settings.Store();

  const auto reset = [](TWebSite* s) {
    s->SearchAttempts = 0;
    s->SearchBusy = 0;
    s->SearchDone = 0;
  };
  for (int i = 0; i < list_.Count(); ++i) reset(list_.SiteAt(i));
  eligible_ = 0;
  while (TWebSite* s = list_.NextSiteToSearch()) {
    s->SearchDone = 1;
    ++eligible_;
  }
  // Every site of the list, shown or not: the previous run's verdicts go.
  for (int i = 0; i < list_.Count(); ++i) {
    TWebSite* s = list_.SiteAt(i);
    reset(s);
    if (!reset_hidden_sites && !s->Visible) continue;
    SetSearchFlag(profile_, s->UIN(), "");
    if (!s->AutoSearchEnabled()) SetSearchFlag(profile_, s->UIN(), kSearchNotSupported);
  }
  if (eligible_ == 0) return false;

  if (on_progress) on_progress(0, eligible_);
  stop_requested_ = false;
  const int pool = std::min(settings.threads, eligible_);
  timeout_ms_ = static_cast<uint64_t>(settings.timeout) * 1000;
  slots_.clear();
  slots_.resize(static_cast<size_t>(pool));
  for (int i = 0; i < pool; ++i)
    if (on_status_line) on_status_line(i, "");
  if (on_label) on_label("Starting Threads...");
  running_ = true;
  return true;
}

void TAutoSearch::Tick() {
  if (!running_) return;
  FillSlots(true);
}

void TAutoSearch::FillSlots(bool check_timeouts) {
  if (in_pass_) return;
  in_pass_ = true;
  Reap();
  for (size_t i = 0; i < slots_.size(); ++i) {
    TSlot& slot = slots_[i];
    if (check_timeouts && !slot.free && !slot.retired && slot.worker) {
      const uint64_t now = TickCount();
      const uint64_t elapsed = now > slot.start ? now - slot.start : slot.start - now;
      if (elapsed >= timeout_ms_) {
        slot.worker->Stop();  // reports "finished", which frees the slot
        FreeSlot(slot);
      }
    }
    if (!slot.free) continue;
    ProcessMessages();
    if (!slot.free) continue;  // (cannot happen: a free slot is only taken here)
    TWebSite* site = stop_requested_ ? nullptr : list_.NextSiteToSearch();
    if (!site) {
      slot.retired = true;
      continue;
    }
    auto worker = std::make_unique<TSearchThread>(*site, static_cast<int>(i), inputs, profile_,
                                                  settings.timeout);
    worker->port = port;
    worker->on_finished = [this](TSearchThread& w, int result, bool) {
      OnWorkerFinished(w, result);
    };
    worker->on_status = [this](int index, const std::string& line) {
      if (on_status_line) on_status_line(index, line);
    };
    worker->on_log = [this](const std::string& line) {
      if (on_log) on_log(line);
    };
    slot.free = false;
    slot.retired = false;
    slot.start = TickCount();
    worker->SetStatusText("Thread initialized");
    site->SearchBusy = 1;
    TSearchThread& started = *worker;
    slot.worker = std::move(worker);
    started.Start();
    if (on_status_line) on_status_line(static_cast<int>(i), started.StatusLine());
  }
  in_pass_ = false;
  CheckComplete();
}

void TAutoSearch::CheckComplete() {
  if (!running_ || slots_.empty()) return;
  for (const TSlot& slot : slots_)
    if (!slot.retired) return;
  running_ = false;
  if (on_label) on_label("Process Complete");
  if (on_complete) on_complete();
}

void TAutoSearch::FreeSlot(TSlot& slot) {
  if (slot.worker) ended_.push_back(std::move(slot.worker));
  slot.free = true;
}

void TAutoSearch::Reap() {
  // Taken out first: destroying a worker may run the message loop, whose reports add to ended_.
  std::vector<std::unique_ptr<TSearchThread>> gone;
  for (auto& worker : ended_)
    if (worker->Ended()) gone.push_back(std::move(worker));
  std::erase(ended_, nullptr);
}

void TAutoSearch::OnWorkerFinished(TSearchThread& worker, int result) {
  TWebSite& site = worker.Site();
  const bool done = !(result == -1 && site.SearchAttempts < settings.attempts);
  if (done) {
    site.SearchDone = 1;
    ++processed_;
    if (!stop_requested_) {
      if (on_progress) on_progress(processed_, eligible_);
      if (on_label) on_label(ProgressText(processed_, eligible_));
    }
    if (on_log) {
      on_log(site.Name() + "    Verdict: " + SearchFlagOf(profile_, site.UIN()));
      on_log(SearchDetailsOf(profile_, site.UIN()));
      on_log("");
    }
    if (on_site_done) on_site_done(site);
  }
  site.SearchBusy = 0;
  const size_t index = static_cast<size_t>(worker.Slot());
  if (index < slots_.size() && slots_[index].worker.get() == &worker) FreeSlot(slots_[index]);
  // The slot takes its next site now rather than at the next tick.
  if (running_) FillSlots(false);
}

void TAutoSearch::RequestStop() {
  stop_requested_ = true;
  in_pass_ = true;  // the stopped workers' reports must not start new ones
  for (TSlot& slot : slots_) {
    if (!slot.free && !slot.retired && slot.worker) slot.worker->Stop();
    if (slot.worker) FreeSlot(slot);
    slot.retired = true;
  }
  in_pass_ = false;
}

bool TAutoSearch::RunToEnd() {
  if (!Start()) return false;
  // The timer: a thread that wakes the message loop once a second.
  std::atomic<bool> due{true};
  std::mutex mutex;
  std::condition_variable_any cv;
  std::jthread timer([&](std::stop_token stop) {
    std::unique_lock lock(mutex);
    while (!stop.stop_requested()) {
      cv.wait_for(lock, stop, std::chrono::seconds(1), [] { return false; });
      if (stop.stop_requested()) break;
      due = true;
      UI().WakeUp();
    }
  });
  while (running_) {
    UI().ProcessMessagesUntil([&] { return due.load() || !running_; });
    if (due.exchange(false)) Tick();
  }
  timer.request_stop();
  return true;
}

}  // namespace quillora
