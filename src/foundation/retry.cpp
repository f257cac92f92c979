#include "foundation/retry.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "foundation/ui_port.h"

namespace quillora {

bool RetryWithQuestion(const std::function<void()>& attempt, const TRetryPlan& plan,
                       const std::string& question, std::exception_ptr* last_error) {
  const int attempts = std::max(1, plan.attempts);
  for (;;) {
    std::string message;
    for (int i = 0; i < attempts; ++i) {
      if (i) std::this_thread::sleep_for(std::chrono::milliseconds(plan.delay_ms));
      try {
        attempt();
        return true;
      } catch (const std::exception& e) {
        message = e.what();
        if (last_error) *last_error = std::current_exception();
        if (dynamic_cast<const TLastingError*>(&e)) break;
      }
    }
    if (!UI().AskRetry(question.empty() ? message : question)) return false;
  }
}

void RetryFileOperation(const std::function<void()>& op, int attempts, int delay_ms) {
  std::exception_ptr last;
  if (!RetryWithQuestion(op, {attempts, delay_ms}, {}, &last)) std::rethrow_exception(last);
}

}  // namespace quillora
