#include "foundation/retry.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/scripted_ui.h"

namespace quillora {
namespace {

using test::ScriptedUI;

// An operation that fails its first `failures` calls with "busy <n>", counting the calls.
struct Flaky {
  int failures;
  int calls = 0;
  void operator()() {
    ++calls;
    if (calls <= failures) throw std::runtime_error("busy " + std::to_string(calls));
  }
};

TEST(Retry, RoundsOfTriesThenTheQuestionUntilDoneOrAbort) {
  struct Case {
    int failures;
    std::vector<bool> answers;  // Retry (true) or Abort, in order
    bool done;
    int calls;
    int questions;
  } cases[] = {
      {0, {}, true, 1, 0},            // at once
      {2, {}, true, 3, 0},            // within the first round: nobody is asked
      {3, {false}, false, 3, 1},      // a whole round failed, Abort
      {3, {true}, true, 4, 1},        // Retry starts a fresh round
      {7, {true, true}, true, 8, 2},  // two more rounds
      {9, {true, true, false}, false, 9, 3},
  };
  for (const Case& c : cases) {
    ScriptedUI ui;
    for (bool a : c.answers) ui.QueueRetry(a);
    Flaky op{c.failures};
    std::exception_ptr last;
    const bool done = RetryWithQuestion(std::ref(op), {3, 0}, "Cannot load site from x.wsd", &last);
    EXPECT_EQ(done, c.done) << c.failures;
    EXPECT_EQ(op.calls, c.calls) << c.failures;
    EXPECT_EQ(ui.Texts("retry"),
              std::vector<std::string>(c.questions, "Cannot load site from x.wsd"))
        << c.failures;
    EXPECT_EQ(last != nullptr, c.failures > 0) << c.failures;
  }
}

TEST(Retry, ALastingErrorEndsTheRoundAndTheQuestionCanBeTheError) {
  ScriptedUI ui;
  ui.QueueRetry(true);
  int calls = 0;
  std::exception_ptr last;
  EXPECT_FALSE(RetryWithQuestion(
      [&] {
        ++calls;
        throw TLastingError("Damaged data: the cover picture is cut short");
      },
      {50, 20}, {}, &last));
  // One try a round (no waiting on a file that will not mend), two rounds, the error as question.
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(ui.Texts("retry"),
            std::vector<std::string>(2, "Damaged data: the cover picture is cut short"));
  EXPECT_THROW(std::rethrow_exception(last), TLastingError);
}

TEST(Retry, FileOperationsRethrowTheLastErrorOnAbortAndPassOtherExceptions) {
  ScriptedUI ui;
  Flaky op{5};
  try {
    RetryFileOperation(std::ref(op), 2, 0);
    FAIL() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "busy 2");
  }
  EXPECT_EQ(ui.Texts("retry"), std::vector<std::string>{"busy 2"});
  // Only failures of the operation are retried; anything else is no business of the loop.
  int calls = 0;
  EXPECT_THROW(RetryFileOperation([&] { ++calls, throw 42; }, 5, 0), int);
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace quillora
