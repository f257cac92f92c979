// The test of one site's listing search without a window: one worker, the log, and the fetched
// page kept as "results.html" in the temporary folder for the user to open.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "search/search_request.h"

namespace quillora {

class TProfile;
class TSearchThread;
class TWebSite;

class TSearchSingle {
 public:
  // Neither checks the site's "AutoSearch" option nor clears its previous result.
  TSearchSingle(TWebSite& site, TProfile& profile);
  ~TSearchSingle();
  TSearchSingle(const TSearchSingle&) = delete;
  TSearchSingle& operator=(const TSearchSingle&) = delete;

  std::shared_ptr<const TSearchInputs> inputs;  // from the program at Start when not set
  uint16_t port = 0;                            // not 0: the port every request goes to
  int timeout = 0;                              // seconds; 0: "AUTOSEARCH_TIMEOUT"

  std::function<void()> on_clear;
  std::function<void(const std::string& text)> on_label;
  std::function<void(int slot, const std::string& line)> on_status_line;
  std::function<void(const std::string& line)> on_log;
  // The button's caption changed, or "Results" became usable.
  std::function<void()> on_state;

  // The one button: "Start", then "Stop", then "Close".
  const std::string& ButtonCaption() const { return caption_; }
  // Runs the button's command; returns true when it was "Close" (the window closes).
  bool Press();
  bool ResultsEnabled() const { return results_enabled_; }
  // temporary folder + "results.html".
  static std::string ResultsFile();
  // Keeps the message loop going until the worker has reported.
  void WaitUntilFinished();
  bool Finished() const { return finished_; }

 private:
  void Start();
  void OnFinished();

  TWebSite& site_;
  TProfile& profile_;
  std::unique_ptr<TSearchThread> worker_;
  std::string caption_ = "Start";
  bool results_enabled_ = false, finished_ = false;
};

}  // namespace quillora
