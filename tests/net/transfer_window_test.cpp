#include "net/transfer_window.h"

#include <ctime>
#include <fstream>
#include <string>
#include <utime.h>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/files.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace quillora {
namespace {

// A window on a clock the test moves by hand, recording what every repaint showed.
constexpr uint32_t kSlot = 500;

struct WindowFixture {
  uint32_t now = 10000;
  // Added at every reading of the clock.
  uint32_t step = 0;
  std::vector<TTransferView> repaints;
  TTransferWindow window{[this] { return now += step; },
                         [this](const TTransferView& v) { repaints.push_back(v); }};
};

TEST(ShortenPathTest, KeepsTheNameAndCutsTheFront) {
  struct Case {
    std::string path, shown;
  } cases[] = {
      {"/tmp/short.zip", "/tmp/short.zip"},
      {std::string(34, 'a') + "/x.zip", std::string(34, 'a') + "/x.zip"},  // exactly 40
      {"/home/user/downloads/some/deep/folder/product-setup.zip",
       "/home/user/download.../product-setup.zip"},
      {"C:\\Program Files\\Quillora\\Downloads\\sites.wsd",
       "C:\\Program Files\\Quillora\\D...\\sites.wsd"},
      {"http://example.com/a/b/c/d/e/f/g/h/i/j/k/l/index.html",
       "http://example.com/a/b/c/d.../index.html"},
      {std::string(45, 'n'), "..." + std::string(37, 'n')},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ShortenPath(c.path), c.shown) << c.path;
    if (c.path.size() > kShownPathLength) {
      EXPECT_EQ(ShortenPath(c.path).size(), kShownPathLength) << c.path;
    }
  }
}

TEST(TransferWindowTest, TimeAndSpeedTexts) {
  struct Case {
    uint32_t elapsed_ms;
    int64_t done, total;
    std::string time, speed;
    int64_t gauge_max, gauge_position;
  } cases[] = {
      // Remaining time = elapsed seconds x what is left / what is done.
      {4000, 2048, 10240, "16 sec (opened 2 of 10 Kb)", "512", 10, 2},
      {3000, 1500, 3000, "3 sec (opened 1 of 2 Kb)", "500", 2, 1},
      // Nothing done yet: no estimate, the opening text stays.
      {2000, 0, 10240, "unknown (opened 0 Kb)", "0", 10, 0},
      // Under a second: no speed yet, and the whole-second estimate is 0.
      {999, 5000, 10240, "0 sec (opened 4 of 10 Kb)", "0", 10, 4},
      // An unknown size leaves the bar alone.
      {500, 5000, -1, "unknown (opened 4 Kb)", "0", 0, 0},
      {3000, 3000, -1, "unknown (opened 2 Kb)", "1000", 0, 0},
      {7000, 1048576, 1048576, "0 sec (opened 1024 of 1024 Kb)", "149796", 1024, 1024},
  };
  for (const auto& c : cases) {
    WindowFixture f;
    ASSERT_TRUE(f.window.Begin(TTransferDirection::Download, "http://h/f", "/nowhere/f", true));
    f.now += c.elapsed_ms;
    // Connecting is always shown, so the slot does not hide the texts.
    ASSERT_TRUE(f.window.Progress(c.done, c.total, psConnecting));
    const TTransferView& v = f.window.View();
    SCOPED_TRACE(std::to_string(c.elapsed_ms) + " ms, " + std::to_string(c.done) + "/" +
                 std::to_string(c.total));
    EXPECT_EQ(v.time_text, c.time);
    EXPECT_EQ(v.speed_text, c.speed);
    EXPECT_EQ(v.gauge_max, c.gauge_max);
    EXPECT_EQ(v.gauge_position, c.gauge_position);
    EXPECT_EQ(v.status_text, "Connecting to host");
  }
}

TEST(TransferWindowTest, CaptionsAndStatusLineFollowDirectionAndStage) {
  WindowFixture f;
  f.window.Begin(TTransferDirection::Upload, "ftp://h/f", "/tmp/f", false);
  const TTransferView& v = f.window.View();
  EXPECT_TRUE(v.visible);
  EXPECT_TRUE(v.animating);
  EXPECT_EQ(v.caption, "File upload");
  EXPECT_EQ(v.action_label, "Upload");
  EXPECT_EQ(v.file_label, "Upload from:");
  EXPECT_EQ(v.time_text, "unknown (stored 0 Kb)");
  EXPECT_EQ(v.speed_text, "0");

  struct Step {
    TProgressStage stage;
    std::string status;
  } steps[] = {
      {psInitializing, "Initializing Internet Services"},
      {psConnecting, "Connecting to host"},
      {psUploading, "Uploading..."},
      {psDownloading, "Downloading..."},
      {psDisconnecting, "Disconnecting"},
      // These two have no text of their own.
      {psDone, "Disconnecting"},
      {psWaiting, "Disconnecting"},
  };
  for (const auto& s : steps) {
    f.now += 1000;
    ASSERT_TRUE(f.window.Progress(0, -1, s.stage));
    EXPECT_EQ(v.status_text, s.status) << int(s.stage);
  }

  f.window.Begin(TTransferDirection::Download, "http://h/f", "/nowhere/f", true);
  EXPECT_EQ(v.caption, "File download");
  EXPECT_EQ(v.action_label, "Download");
  EXPECT_EQ(v.file_label, "Download to:");
  EXPECT_EQ(v.time_text, "unknown (opened 0 Kb)");
  EXPECT_EQ(v.status_text, "");
}

TEST(TransferWindowTest, DataReportsRepaintOncePerHalfSecondSlot) {
  WindowFixture f;
  f.now = 1000;
  f.window.Begin(TTransferDirection::Download, "http://h/f", "/nowhere/f", true);
  struct Report {
    uint32_t tick;
    TProgressStage stage;
    int64_t done;
    bool shown;
  } reports[] = {
      {1100, psConnecting, 0, true},                                           // slot 2
      {1400, psDownloading, 1024, false},                                      // still slot 2
      {1499, psDownloading, 2048, false},  {1500, psDownloading, 3072, true},  // slot 3
      {1999, psDownloading, 4096, false},  {2000, psDownloading, 5120, true},  // slot 4
      {2100, psDisconnecting, 5120, true},  // other stages always show...
      {2200, psUploading, 5120, false},     // ...and take the slot
      {2300, psWaiting, 5120, true},       {2600, psUploading, 6144, true},
      {4100, psDownloading, 7168, true},  // several slots later
  };
  for (const auto& r : reports) {
    f.now = r.tick;
    size_t before = f.repaints.size();
    std::string time_before = f.window.View().time_text;
    EXPECT_EQ(f.window.Progress(r.done, 10240, r.stage), r.shown) << r.tick;
    EXPECT_EQ(f.repaints.size(), before + (r.shown ? 1 : 0)) << r.tick;
    if (!r.shown) {
      EXPECT_EQ(f.window.View().time_text, time_before) << "a dropped report changed the texts";
    }
  }
  EXPECT_EQ(f.window.View().gauge_position, 7);
}

TEST(TransferWindowTest, CountsTheBatchAndHidesAfterTheLast) {
  WindowFixture f;
  f.window.SetFileCount(3);
  EXPECT_TRUE(f.window.View().overall_visible);
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(f.window.Begin(TTransferDirection::Download, "http://h/f", "/nowhere/f", false));
    f.now += 1000;
    f.window.Progress(0, -1, psConnecting);
    const TTransferView& v = f.window.View();
    EXPECT_TRUE(v.visible);
    EXPECT_EQ(v.overall_position, i);
    EXPECT_EQ(v.overall_max, 3);
    EXPECT_EQ(v.overall_hint, "Processed " + std::to_string(i) + " of 3 files");
    EXPECT_EQ(v.counter_text, std::to_string(i) + " of 3 files downloaded.");
    f.window.End();
    EXPECT_EQ(f.window.View().visible, i < 2) << i;
  }
  EXPECT_EQ(f.window.FileCount(), 0);
  EXPECT_FALSE(f.window.View().overall_visible);

  // Without an announced batch a transfer is a batch of one: no overall bar, hidden at its end.
  f.window.Begin(TTransferDirection::Upload, "ftp://h/f", "/tmp/f", false);
  EXPECT_EQ(f.window.FileCount(), 1);
  EXPECT_FALSE(f.window.View().overall_visible);
  EXPECT_TRUE(f.window.View().visible);
  f.window.End();
  EXPECT_FALSE(f.window.View().visible);
  EXPECT_EQ(f.window.FileCount(), 0);

  f.window.SetFileCount(2);
  f.window.Begin(TTransferDirection::Download, "http://h/f", "/nowhere/f", true);
  f.window.SetFileCount(0);
  EXPECT_FALSE(f.window.View().visible);
}

class TransferWindowFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    target_ = dir_ / "setup.zip";
    std::ofstream(target_, std::ios::binary) << "old contents";
    std::tm local{};
    local.tm_year = 2024 - 1900;
    local.tm_mon = 2;
    local.tm_mday = 5;
    local.tm_hour = 14;
    local.tm_min = 7;
    local.tm_sec = 9;
    local.tm_isdst = -1;
    utimbuf times{std::mktime(&local), std::mktime(&local)};
    ASSERT_EQ(::utime(target_.c_str(), &times), 0);
  }
  test::TempDir dir_;
  test::ScriptedUI ui_;
  std::string target_;
  WindowFixture f_;
};

TEST_F(TransferWindowFileTest, AsksBeforeReplacingAnExistingFile) {
  const std::string question =
      "File already exists!\r\n\r\nFile size: 12\r\nDownloaded: 05-03-2024 14:07:09"
      "\r\n\r\nOverwrite it?";
  f_.window.SetFileCount(2);
  ui_.QueueYesNo(false);
  std::string url = "file://" + dir_.Path() + "missing.zip";
  // "No" counts the transfer as done, downloads nothing and is no failure.
  EXPECT_EQ(f_.window.Download(url, target_, std::nullopt, false, false), trNoError);
  EXPECT_EQ(ui_.Texts("yesno"), std::vector<std::string>{question});
  EXPECT_EQ(f_.window.FilesDone(), 1);
  EXPECT_EQ(FileSizeOf(target_), 12);

  ui_.QueueYesNo(true);
  EXPECT_TRUE(f_.window.Begin(TTransferDirection::Download, url, target_, false));
  f_.window.End();
  EXPECT_EQ(ui_.Texts("yesno").size(), 2u);

  // Silently, and for uploads, nobody is asked.
  ui_.ClearEvents();
  EXPECT_TRUE(f_.window.Begin(TTransferDirection::Download, url, target_, true));
  f_.window.End();
  EXPECT_TRUE(f_.window.Begin(TTransferDirection::Upload, "ftp://h/setup.zip", target_, false));
  f_.window.End();
  EXPECT_TRUE(ui_.Texts("yesno").empty());
}

TEST_F(TransferWindowFileTest, DownloadRunsTheTransferAndShowsItsStages) {
  std::string source = dir_ / "source.bin";
  std::ofstream(source, std::ios::binary) << std::string(3000, 'x');
  std::string url = "file://" + source;
  // Every reading is in a later slot, so every report shows.
  f_.step = kSlot;
  ui_.QueueYesNo(true);
  EXPECT_EQ(f_.window.Download(url, target_, std::nullopt, false, false), trNoError);
  EXPECT_EQ(FileSizeOf(target_), 3000);
  std::vector<std::string> statuses;
  for (const auto& v : f_.repaints)
    if (statuses.empty() || statuses.back() != v.status_text) statuses.push_back(v.status_text);
  EXPECT_EQ(statuses,
            (std::vector<std::string>{"", "Initializing Internet Services", "Connecting to host",
                                      "Downloading...", "Disconnecting"}));
  EXPECT_FALSE(f_.window.View().visible);
  EXPECT_FALSE(f_.window.View().animating);

  // A cancelled window is clear again for the next transfer.
  f_.window.Cancel();
  EXPECT_EQ(f_.window.Download(url, target_, std::nullopt, false, true), trNoError);
}

}  // namespace
}  // namespace quillora
