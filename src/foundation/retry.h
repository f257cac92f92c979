// Trying a failing operation again: a round of tries a short pause apart (another program may
// hold a file for a moment), then the Abort/Retry question, and on Retry another round.
#pragma once

#include <exception>
#include <functional>
#include <stdexcept>
#include <string>

namespace quillora {

struct TRetryPlan {
  int attempts = 200;  // tries in a round (at least one is made)
  int delay_ms = 10;   // pause between two tries of a round
};

// Thrown by an attempt whose failure another try would not mend (a damaged file): the round
// ends at once and the question follows.
class TLastingError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Runs attempt until it returns without a std::exception (other exceptions pass through). After
// a failed round the Abort/Retry box shows question, or the last error's message when question
// is empty; Retry starts another round. True when an attempt succeeded; false when the user
// chose Abort, with the last error in *last_error when it is given.
bool RetryWithQuestion(const std::function<void()>& attempt, const TRetryPlan& plan,
                       const std::string& question, std::exception_ptr* last_error = nullptr);

// The record files' form: rounds of `attempts` tries `delay_ms` apart, the question showing the
// last error's message, and Abort rethrowing that error.
void RetryFileOperation(const std::function<void()>& op, int attempts = 200, int delay_ms = 10);

}  // namespace quillora
