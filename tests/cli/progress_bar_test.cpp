#include "cli/progress_bar.h"

#include <algorithm>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "cli/cli_context.h"
#include "support/scripted_ui.h"

namespace quillora::cli {
namespace {

// A progress view on a clock the test moves by hand, writing into a string.
struct ProgressFixture {
  explicit ProgressFixture(TProgressStyle style, int columns = 60)
      : progress(err, style, columns, [this] { return now; }) {}
  uint32_t now = 100000;
  std::ostringstream err;
  TCliProgress progress;
  test::ScriptedUI ui;

  // Runs one transfer through the window as a download would report it, 100 KB every 100 ms.
  void Transfer(const std::string& url, const std::string& file, TTransferResult result) {
    TTransferWindow& w = progress.Window();
    ASSERT_TRUE(w.Begin(TTransferDirection::Download, url, file, true));
    w.Progress(0, -1, psInitializing);
    w.Progress(0, -1, psConnecting);
    for (int64_t done = 0; done <= 1024000; done += 102400) {
      now += 100;
      w.Progress(done, 1024000, psDownloading);
      w.Progress(done, 1024000, psWaiting);
    }
    w.Progress(1024000, 1024000, psDisconnecting);
    w.End(result);
  }
};

size_t Count(const std::string& text, char c) {
  return static_cast<size_t>(std::count(text.begin(), text.end(), c));
}

TEST(ProgressBarTest, ATerminalGetsOneLineRedrawnPerSlotAndWipedAtTheEnd) {
  ProgressFixture f(TProgressStyle::Bar, 160);
  f.progress.Window().SetFileCount(2);
  f.Transfer("http://h/a.zip", "/tmp/a.zip", trNoError);
  const std::string first = f.err.str();
  f.Transfer("http://h/b.zip", "/tmp/b.zip", trFileNotFound);
  const std::string out = f.err.str();

  EXPECT_EQ(Count(out, '\n'), 0u) << "a bar never scrolls";
  // 11 data reports over 1.1 s fall into 3 slots; each new stage shows at once. Far fewer
  // draws than the 26 reports of each transfer.
  const size_t draws = Count(first, '\r');
  EXPECT_GE(draws, 4u);
  EXPECT_LE(draws, 9u);
  // No drawn line reaches the last column, so none wraps.
  size_t start = 0;
  while ((start = out.find('\r', start)) != std::string::npos) {
    const size_t end = std::min(out.find('\r', start + 1), out.size());
    EXPECT_LE(end - start - 1, 159u);
    start = end;
  }
  EXPECT_NE(first.find("Download /tmp/a.zip"), std::string::npos);
  EXPECT_NE(first.find("sec (opened "), std::string::npos);
  EXPECT_NE(first.find(" B/s"), std::string::npos);
  // The batch of two shows its counter.
  EXPECT_NE(out.find("1 of 2 files downloaded."), std::string::npos);
  EXPECT_NE(out.find("[#"), std::string::npos) << "the gauge fits 160 columns";
  // A narrow terminal keeps the texts and leaves the gauge out.
  TTransferView view = f.progress.Window().View();
  view.gauge_max = 10;
  view.gauge_position = 5;
  EXPECT_EQ(TransferBarText(view, 60).find('%'), std::string::npos);
  EXPECT_NE(TransferBarText(view, 200).find("[##########----------] 50%"), std::string::npos);
  // The end of the batch wipes the line: blanks over it, the cursor back at its start.
  ASSERT_GE(out.size(), 2u);
  EXPECT_EQ(out.back(), '\r');
  const size_t last_text = out.find_last_not_of(" \r");
  EXPECT_LT(last_text, out.rfind('\r', out.size() - 2));
}

TEST(ProgressBarTest, WithoutATerminalEachFinishedTransferIsOneLine) {
  ProgressFixture f(TProgressStyle::Lines);
  f.progress.Window().SetFileCount(2);
  f.Transfer("http://h/a.zip", "/tmp/downloads/a.zip", trNoError);
  f.Transfer("http://h/b.zip", "/tmp/downloads/b.zip", trFileNotFound);
  TTransferWindow& w = f.progress.Window();
  w.Begin(TTransferDirection::Upload, "ftp://h/up.zip", "/tmp/up.zip", true);
  w.End(trConnectionFailed);
  f.progress.Step(1, 3, "site one");
  f.progress.Finished("site one: done");
  EXPECT_EQ(f.err.str(),
            "Download http://h/a.zip -> /tmp/downloads/a.zip: No error\n"
            "Download http://h/b.zip -> /tmp/downloads/b.zip: File not found\n"
            "Upload /tmp/up.zip -> ftp://h/up.zip: Connection failed\n"
            "site one: done\n");
}

TEST(ProgressBarTest, QuietShowsNothingAndItemsCountOnTheBar) {
  ProgressFixture quiet(TProgressStyle::Quiet);
  quiet.Transfer("http://h/a.zip", "/tmp/a.zip", trNoError);
  quiet.progress.Step(1, 2, "x");
  quiet.progress.Finished("x done");
  EXPECT_EQ(quiet.err.str(), "");

  ProgressFixture bar(TProgressStyle::Bar, 80);
  bar.progress.Step(0, 4, "Searching");
  bar.progress.Step(1, 4, "Searching");  // same slot: not drawn
  bar.now += 500;
  bar.progress.Step(2, 4, "Searching");
  bar.progress.Finished("not on a terminal");
  EXPECT_EQ(bar.err.str(),
            "\rSearching  [--------------------] 0%  0 of 4"
            "\rSearching  [##########----------] 50%  2 of 4");
  bar.progress.Clear();
  EXPECT_EQ(bar.err.str().substr(bar.err.str().size() - 47), "\r" + std::string(45, ' ') + "\r");
}

TEST(ProgressBarTest, StyleFollowsQuietAndTheStream) {
  std::ostringstream out, err;
  CliContext ctx(out, err);
  // A stream of its own is never a terminal.
  EXPECT_EQ(ProgressStyleFor(ctx), TProgressStyle::Lines);
  ctx.quiet = true;
  EXPECT_EQ(ProgressStyleFor(ctx), TProgressStyle::Quiet);
}

}  // namespace
}  // namespace quillora::cli
