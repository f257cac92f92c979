#include "foundation/job.h"

#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/ui_port.h"
#include "support/scripted_ui.h"

namespace quillora {
namespace {

using test::ScriptedUI;

// Counts items until the job is stopped, reporting each one.
int CountUntilStopped(TJob& job, int items) {
  int done = 0;
  for (int i = 0; i < items && !job.StopToken().stop_requested(); ++i) {
    ++done;
    job.Progress(i + 1, items);
  }
  return done;
}

TEST(UserInterfacePort, WorkersAreAnsweredOnTheUserInterfaceThread) {
  ScriptedUI ui;
  ui.QueueRetry(true);
  ui.QueueYesNoAll(TYesNoAll::NoToAll);
  ui.QueuePath("/chosen.uibk");
  struct Answers {
    std::thread::id worker;
    bool retry;
    TYesNoAll all;
    bool saved;
    std::string path = "/start.uibk";
  };
  TJob job;
  const Answers a = RunJob(job, [](TJob&) {
    Answers answers;
    answers.worker = std::this_thread::get_id();
    ShowError("Disk full");
    answers.retry = UI().AskRetry("Cannot save");
    answers.all = UI().AskYesNoAll("Override?");
    answers.saved = UI().SaveFileDialog("Save", "*.uibk", answers.path);
    return answers;
  });
  EXPECT_NE(a.worker, std::this_thread::get_id());
  EXPECT_TRUE(a.retry);
  EXPECT_EQ(a.all, TYesNoAll::NoToAll);
  EXPECT_TRUE(a.saved);
  EXPECT_EQ(a.path, "/chosen.uibk");
  ASSERT_EQ(ui.Events().size(), 4u);
  for (const auto& e : ui.Events()) EXPECT_EQ(e.thread, std::this_thread::get_id()) << e.kind;
  EXPECT_EQ(ui.Texts("error"), std::vector<std::string>{"Disk full"});
}

TEST(UserInterfacePort, HandOversCarryExceptionsBothWays) {
  ScriptedUI ui;
  TJob job;
  std::thread::id ran_on;
  std::string caught;
  RunJob(job, [&](TJob&) {
    Synchronize([&] { ran_on = std::this_thread::get_id(); });
    try {
      Synchronize([] { throw std::runtime_error("refused on the user-interface thread"); });
    } catch (const std::runtime_error& e) {
      caught = e.what();
    }
  });
  EXPECT_EQ(ran_on, std::this_thread::get_id());
  EXPECT_EQ(caught, "refused on the user-interface thread");
  // The work's own exception reaches the caller of RunJob.
  try {
    RunJob(job, [](TJob&) -> int { throw std::runtime_error("work failed"); });
    ADD_FAILURE() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "work failed");
  }
}

TEST(UserInterfacePort, WaitingForAJobKeepsHandOversGoingAlsoWhenNested) {
  ScriptedUI ui;
  TJob outer;
  int counter = 0;  // touched on the user-interface thread only
  RunJob(outer, [&](TJob&) {
    for (int i = 0; i < 300; ++i) Synchronize([&] { ++counter; });
    // A hand-over that itself waits for a job: the inner worker's message must still arrive.
    Synchronize([&] {
      TJob inner;
      RunJob(inner, [](TJob&) { ShowInfo("inner"); });
    });
  });
  EXPECT_EQ(counter, 300);
  EXPECT_EQ(ui.Texts("info"), std::vector<std::string>{"inner"});
}

TEST(UserInterfacePort, SilentPortAnswersAnyThreadWithoutAMessageLoop) {
  // No port installed and nobody running a message loop: a worker must still get its answers.
  bool yes = true;
  std::string clipboard;
  std::thread worker([&] {
    yes = AskYesNo("Continue?");
    UI().SetClipboardText("copied");
    clipboard = UI().ClipboardText();
  });
  worker.join();
  EXPECT_FALSE(yes);
  EXPECT_EQ(clipboard, "copied");
}

TEST(Job, StopFromTheBusyWindowOrTheUserInterfaceEndsTheWorkBetweenItems) {
  ScriptedUI ui;
  ui.StopAtProgress(7);
  TJob by_window;
  EXPECT_EQ(RunJob(by_window, [](TJob& j) { return CountUntilStopped(j, 50); }), 7);
  EXPECT_TRUE(by_window.StopRequested());
  EXPECT_EQ(ui.ProgressReports().size(), 7u);  // nothing more once stopped

  ScriptedUI plain;  // never answers stop
  TJob by_request;
  int items = 0;
  RunJob(by_request, [&](TJob& j) {
    while (!j.StopToken().stop_requested())
      Synchronize([&] {
        if (++items == 5) by_request.RequestStop();
      });
  });
  EXPECT_EQ(items, 5);
}

TEST(Job, ProgressReachesTheBusyWindowOncePerPercent) {
  ScriptedUI ui;
  TJob job;
  EXPECT_EQ(RunJobHere(job, [](TJob& j) { return CountUntilStopped(j, 1000); }), 1000);
  const auto& reports = ui.ProgressReports();
  ASSERT_EQ(reports.size(), 101u);
  EXPECT_EQ(reports.front(), std::make_pair(1LL, 1000LL));
  EXPECT_EQ(reports[1], std::make_pair(10LL, 1000LL));
  EXPECT_EQ(reports.back(), std::make_pair(1000LL, 1000LL));
  // A new count starts over; a few items report each one.
  CountUntilStopped(job, 3);
  EXPECT_EQ(reports.size(), 104u);
  // A job without a busy window reports nothing.
  TJob quiet(TJob::TProgressTarget::None);
  CountUntilStopped(quiet, 10);
  EXPECT_EQ(reports.size(), 104u);
}

}  // namespace
}  // namespace quillora
