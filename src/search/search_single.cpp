#include "search/search_single.h"

#include <cstdio>

#include "foundation/app_state.h"
#include "foundation/files.h"
#include "foundation/ui_port.h"
#include "search/auto_search.h"
#include "search/search_results.h"
#include "search/search_thread.h"
#include "sites/site.h"

namespace quillora {

TSearchSingle::TSearchSingle(TWebSite& site, TProfile& profile) : site_(site), profile_(profile) {}

TSearchSingle::~TSearchSingle() {
  if (worker_) {
    worker_->on_finished = nullptr;
    worker_->Stop();
  }
}

std::string TSearchSingle::ResultsFile() {
  return Folders().temp + "results.html";
}

bool TSearchSingle::Press() {
  if (caption_ == "Start") {
    Start();
    return false;
  }
  if (caption_ == "Stop") {
    if (worker_) worker_->Stop();
    caption_ = "Close";
    if (on_state) on_state();
    return false;
  }
  return true;
}

void TSearchSingle::Start() {
  if (on_clear) on_clear();
  if (on_label) on_label("Site Name: " + site_.Name());
  if (!inputs) inputs = TSearchInputs::FromProgram();
  const int seconds = timeout > 0 ? timeout : TAutoSearchSettings::FromSettings().timeout;
  worker_ = std::make_unique<TSearchThread>(site_, 0, inputs, profile_, seconds);
  worker_->port = port;
  worker_->on_log = [this](const std::string& line) {
    if (on_log) on_log(line);
  };
  worker_->on_status = [this](int slot, const std::string& line) {
    if (on_status_line) on_status_line(slot, line);
  };
  worker_->on_finished = [this](TSearchThread&, int, bool) { OnFinished(); };
  results_enabled_ = false;
  finished_ = false;
  worker_->Start();
  caption_ = "Stop";
  if (on_state) on_state();
}

void TSearchSingle::OnFinished() {
  finished_ = true;
  caption_ = "Close";
  const std::string file = ResultsFile();
  std::remove(file.c_str());
  try {
    StringToFile(file, worker_ ? worker_->Page() : std::string());
  } catch (const std::exception& e) {
    ShowError(e.what());
  }
  results_enabled_ = true;
  if (on_log) {
    on_log("");
    on_log(SearchFlagOf(profile_, site_.UIN()));
    on_log(SearchDetailsOf(profile_, site_.UIN()));
  }
  if (on_state) on_state();
  UI().WakeUp();
}

void TSearchSingle::WaitUntilFinished() {
  UI().ProcessMessagesUntil([this] { return finished_; });
}

}  // namespace quillora
