#include "search/search_thread.h"

#include <chrono>
#include <cstdio>

#include "foundation/ui_port.h"
#include "net/page_fetcher.h"
#include "search/search_page.h"
#include "search/search_results.h"
#include "sites/site.h"

namespace quillora {
namespace {

// A report to the user-interface thread. A failing receiver must not end the process from a
// worker thread: its exception stops at the hand-over.
void HandOver(const std::function<void()>& fn) {
  try {
    Synchronize(fn);
  } catch (...) {
  }
}

}  // namespace

TSearchThread::TSearchThread(TWebSite& site, int slot, std::shared_ptr<const TSearchInputs> inputs,
                             TProfile& profile, int timeout_seconds)
    : site_(&site),
      slot_(slot),
      search_site_(TSearchSite::From(site)),
      inputs_(std::move(inputs)),
      profile_(&profile),
      timeout_(timeout_seconds) {}

TSearchThread::~TSearchThread() {
  // A worker may still wait for a hand-over: keep the message loop going until it has ended.
  if (thread_.joinable() && !Ended()) UI().ProcessMessagesUntil([this] { return Ended(); });
}

std::string TSearchThread::StatusText() const {
  std::lock_guard lock(status_mutex_);
  return status_text_;
}

std::string TSearchThread::Page() const {
  std::lock_guard lock(status_mutex_);
  return page_;
}

void TSearchThread::SetStatusText(const std::string& text) {
  std::lock_guard lock(status_mutex_);
  status_text_ = text;
}

std::string TSearchThread::StatusLine() const {
  char line[160];
  std::snprintf(line, sizeof line, "%.2d  %-20.20s  %d  %-60.60s", slot_, search_site_.name.c_str(),
                attempt_, StatusText().c_str());
  return line;
}

void TSearchThread::Start() {
  // Counted here, on the user-interface thread, where the batch reads the count.
  attempt_ = ++site_->SearchAttempts;
  thread_ = std::jthread([this] { Run(); });
}

void TSearchThread::Stop() {
  if (finished_) return;
  stopped_ = true;
  {
    std::lock_guard lock(cancel_mutex_);
    cancel_ = true;
    if (cancel_fetch_) cancel_fetch_();
  }
  finished_ = true;
  TFinishedEvent finished = std::move(on_finished);
  on_finished = nullptr;
  on_status = nullptr;
  on_log = nullptr;
  if (finished) finished(*this, result_, true);
}

void TSearchThread::OnFetchStatus(int status, const std::string& information, int64_t bytes) {
  char text[512];
  std::snprintf(text, sizeof text, "%s  %s  %d kb", quillora::StatusText(status).c_str(),
                information.size() > 4 ? information.c_str() : "", static_cast<int>(bytes / 1024));
  if (text == last_status_) return;
  last_status_ = text;
  SetStatusText(last_status_);
  HandOver([this] {
    if (on_status) on_status(slot_, StatusLine());
    if (on_log) on_log(StatusText());
  });
}

void TSearchThread::Run() {
  TWIGetURL fetcher;
  fetcher.application_name = "Mozilla/4.0 (compatible)";
  fetcher.open_options = TOpenOptions::ooPreconfig;
  fetcher.open_url_options = ouHyperLink | ouIgnoreCertCNInvalid | ouIgnoreCertDateInvalid |
                             ouIgnoreRedirectToHTTPS | ouIgnoreRedirectToHTTP | ouKeepConnection |
                             ouNoCacheWrite | ouNoUI | ouPragmaNoCache;
  fetcher.timeout = timeout_;
  fetcher.port = port;
  // The fetcher forgets a cancel that came before its request began: pass it on again.
  fetcher.on_status = [&](int status, const std::string& information) {
    if (cancel_) fetcher.Cancel();
    OnFetchStatus(status, information, fetcher.ByteCount());
  };
  fetcher.on_idle = [&] {
    if (cancel_) fetcher.Cancel();
  };
  {
    std::lock_guard lock(cancel_mutex_);
    cancel_fetch_ = [&fetcher] { fetcher.Cancel(); };
    if (cancel_) fetcher.Cancel();
  }

  int result = -1;
  std::string flag, details;
  bool got = false;
  try {
    const TSearchRequest request = BuildSearchRequest(search_site_, *inputs_);
    if (request.send) {
      fetcher.SetUrl(request.url);
      fetcher.headers = request.headers;
      fetcher.post_data = request.body;
      if (cancel_) fetcher.Cancel();
      got = request.post ? fetcher.Post() : fetcher.Get();
    }
  } catch (const std::exception& e) {
    // A template or request that cannot be built is a failed attempt like a failed fetch.
    details = std::string("ERROR: ") + e.what();
  }
  {
    std::lock_guard lock(cancel_mutex_);
    cancel_fetch_ = nullptr;
  }

  if (got) {
    {
      std::lock_guard lock(status_mutex_);
      page_ = fetcher.ResponseText();
    }
    try {
      if (stopped_) {
        details = "Canceled";
      } else if (inputs_->UsesExternalSearch()) {
        details = fetcher.ResponseText();
        result = details.empty() ? 0 : 1;
        flag = SearchFlagOfResult(result);
      } else {
        const TSearchVerdict verdict =
            AnalyseSearchPage(search_site_, *inputs_, fetcher.ResponseText());
        result = verdict.listed ? 1 : 0;
        details = verdict.details;
        flag = SearchFlagOfResult(result);
      }
    } catch (const std::exception& e) {
      result = -1;
      flag = kSearchError;
      details = std::string("ERROR: Cannot process document ( ") + e.what() + " )";
    }
  } else {
    flag = kSearchError;
    if (details.empty()) details = "ERROR: " + fetcher.StatusMessage();
  }

  // The profile's lists are written on the user-interface thread only, one worker at a time. A
  // stopped worker's late outcome would overwrite a newer attempt's: it records nothing.
  HandOver([&] {
    if (stopped_) return;
    SetSearchDetails(*profile_, search_site_.uin, details);
    if (!flag.empty()) SetSearchFlag(*profile_, search_site_.uin, flag);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  const bool fetch_error = fetcher.Error();
  HandOver([&] {
    if (finished_) return;
    finished_ = true;
    result_ = result;
    if (on_finished) on_finished(*this, result, fetch_error);
  });
  ended_ = true;
  UI().WakeUp();
}

}  // namespace quillora
