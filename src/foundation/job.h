// Long core work (loading the site list, reports, backups, exports, thumbnails): a stop request
// the work honours between items, throttled progress for the busy window, and the ways to run it.
#pragma once

#include <functional>
#include <optional>
#include <stop_token>
#include <type_traits>
#include <utility>

namespace quillora {

class TJob {
 public:
  // Where the work's progress goes: the busy window (through the user-interface port), or
  // nowhere, for the plain forms of work that never showed a busy window.
  enum class TProgressTarget { BusyWindow, None };

  // Out of line: g++ 12 at -Os takes the inlined std::stop_source for uninitialised.
  explicit TJob(TProgressTarget target = TProgressTarget::BusyWindow);
  TJob(const TJob&) = delete;
  TJob& operator=(const TJob&) = delete;

  // The work checks it between items; anything may request the stop, from any thread.
  std::stop_token StopToken() const { return stop_.get_token(); }
  bool StopRequested() const { return stop_.stop_requested(); }
  void RequestStop() { stop_.request_stop(); }

  // position out of total for the busy window, passed on only when the shown percentage changes
  // (and always the first time), so that a fast loop over many items does not wait on the
  // user-interface thread for each of them. The busy window's Stop requests the stop. Call from
  // the thread that runs the work; false once a stop was requested.
  bool Progress(long long position, long long total);

 private:
  std::stop_source stop_;
  TProgressTarget target_;
  long long shown_step_ = -1, shown_total_ = -1;
};

namespace job_detail {
// Runs body on a std::jthread; the user-interface thread keeps its message loop going until the
// body has ended. Off the user-interface thread the body runs on the calling thread. The body's
// exception is rethrown to the caller.
void RunOnWorker(TJob& job, const std::function<void()>& body);
}  // namespace job_detail

// Runs work(job) on a worker thread while the calling user-interface thread keeps answering the
// work's questions, messages and progress; returns the work's result once it has ended. An
// exception of the work is rethrown here, on the caller's thread.
template <typename Work>
std::invoke_result_t<Work&, TJob&> RunJob(TJob& job, Work&& work) {
  using Result = std::invoke_result_t<Work&, TJob&>;
  if constexpr (std::is_void_v<Result>) {
    job_detail::RunOnWorker(job, [&] { work(job); });
  } else {
    std::optional<Result> result;
    job_detail::RunOnWorker(job, [&] { result.emplace(work(job)); });
    return std::move(*result);
  }
}

// The same on the calling thread, for callers without a message loop to keep going (the command
// line) and for work too short to need a thread.
template <typename Work>
std::invoke_result_t<Work&, TJob&> RunJobHere(TJob& job, Work&& work) {
  return work(job);
}

}  // namespace quillora
