#include "foundation/job.h"

#include <atomic>
#include <exception>
#include <thread>

#include "foundation/ui_port.h"

namespace quillora {

TJob::TJob(TProgressTarget target) : target_(target) {}

bool TJob::Progress(long long position, long long total) {
  if (target_ == TProgressTarget::BusyWindow && !stop_.stop_requested()) {
    const long long step = total > 0 ? position * 100 / total : 0;
    if (step != shown_step_ || total != shown_total_) {
      shown_step_ = step;
      shown_total_ = total;
      if (!UI().Progress(position, total)) stop_.request_stop();
    }
  }
  return !stop_.stop_requested();
}

namespace job_detail {

void RunOnWorker(TJob& job, const std::function<void()>& body) {
  TUserInterface& ui = UI();
  if (!ui.IsUserInterfaceThread()) {
    // No message loop to keep going here: a thread would only add a wait.
    body();
    return;
  }
  std::exception_ptr error;
  std::atomic<bool> done{false};
  std::jthread worker([&] {
    try {
      body();
    } catch (...) {
      error = std::current_exception();
    }
    done.store(true);
    ui.WakeUp();
  });
  auto finished = [&] { return done.load(); };
  try {
    ui.ProcessMessagesUntil(finished);
  } catch (...) {
    // The loop itself failed. The work may be waiting for a hand-over: ask it to stop and keep
    // the hand-overs going until it has ended, or joining it would never return.
    job.RequestStop();
    for (;;) {
      try {
        ui.ProcessMessagesUntil(finished);
        break;
      } catch (...) {
      }
    }
    throw;
  }
  worker.join();
  if (error) std::rethrow_exception(error);
}

}  // namespace job_detail

}  // namespace quillora
