#include "foundation/monitors.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/dates.h"

namespace quillora {
namespace {

namespace fs = std::filesystem;

class Monitors : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("quillora_monitors_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    file_ = (dir_ / "speed_tests.dat").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string ReadFile() const {
    std::ifstream in(file_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  void WriteFile(const std::string& bytes) const {
    std::ofstream(file_, std::ios::binary) << bytes;
  }

  fs::path dir_;
  std::string file_;
};

TEST(Monitor, KeepsShortestLongestTotalAndCount) {
  TMonitor m;
  for (uint32_t ms : {30u, 10u, 50u}) m.AddDuration(ms);
  EXPECT_EQ(m.shortest, 10u);
  EXPECT_EQ(m.longest, 50u);
  EXPECT_EQ(m.total, 90u);
  EXPECT_EQ(m.count, 3u);

  uint32_t start = 0;
  m.Stop(start);  // never started: nothing counted
  EXPECT_EQ(m.count, 3u);
  start = TickCount();
  m.Stop(start);
  EXPECT_EQ(m.count, 4u);
  EXPECT_EQ(start, 0u);
  m.Stop(start);  // a second stop does not count twice
  EXPECT_EQ(m.count, 4u);

  TMonitor full;
  full.total = 0xFFFFFFF0u;
  full.AddDuration(0x100);
  EXPECT_EQ(full.total, 0xFFFFFFFFu);  // saturates instead of wrapping
}

TEST_F(Monitors, ListGetsByExactNameInCreationOrder) {
  TMonitorsList list;
  TMonitor& a = list.Get("Session");
  list.Get("Forms.Fill");
  EXPECT_EQ(&list.Get("Session"), &a);
  list.Get("session");
  ASSERT_EQ(list.Items().size(), 3u);
  EXPECT_EQ(list.Items()[0]->name, "Session");
  EXPECT_EQ(list.Items()[1]->name, "Forms.Fill");
  EXPECT_EQ(list.Items()[2]->name, "session");
}

TEST_F(Monitors, BinaryFileRoundTripsThroughTheListsLifetime) {
  {
    TMonitorsList list(file_);
    EXPECT_TRUE(list.Items().empty());  // no file yet
    list.Get("Session").AddDuration(1500);
    TMonitor& load = list.Get("Company.Load");
    load.AddDuration(20);
    load.AddDuration(40);
  }  // destruction writes the file
  const std::string expected = std::string(
      "\x02\x00\x00\x00"
      "\x07\x00\x00\x00Session"
      "\xDC\x05\x00\x00\xDC\x05\x00\x00\xDC\x05\x00\x00\x01\x00\x00\x00"
      "\x0C\x00\x00\x00"
      "Company.Load"
      "\x14\x00\x00\x00\x28\x00\x00\x00\x3C\x00\x00\x00\x02\x00\x00\x00",
      4 + 4 + 7 + 16 + 4 + 12 + 16);
  EXPECT_EQ(ReadFile(), expected);

  TMonitorsList again(file_);
  ASSERT_EQ(again.Items().size(), 2u);
  const TMonitor& m = *again.Items()[1];
  EXPECT_EQ(m.name, "Company.Load");
  EXPECT_EQ((std::vector<uint32_t>{m.shortest, m.longest, m.total, m.count}),
            (std::vector<uint32_t>{20, 40, 60, 2}));
}

TEST_F(Monitors, DamagedFilesAreIgnored) {
  std::string good;
  {
    TMonitorsList list(file_);
    list.Get("Session").AddDuration(5);
  }
  good = ReadFile();
  std::vector<std::string> damaged = {
      "",
      "\x01\x00",                                                      // cut inside the count
      good.substr(0, good.size() - 1),                                 // cut inside the figures
      std::string("\xFF\xFF\xFF\x7F", 4),                              // an absurd count
      std::string("\x01\x00\x00\x00\xFF\xFF\xFF\xFF", 8) + "Session",  // an absurd name length
  };
  for (const auto& bytes : damaged) {
    WriteFile(bytes);
    TMonitorsList list;
    list.Get("Existing").AddDuration(7);
    list.LoadBinary(file_);
    ASSERT_EQ(list.Items().size(), 1u) << bytes.size();
    EXPECT_EQ(list.Items()[0]->count, 1u);
  }
  WriteFile(good);
  TMonitorsList list;
  list.LoadBinary(file_);
  ASSERT_EQ(list.Items().size(), 1u);
  EXPECT_EQ(list.Items()[0]->total, 5u);
}

TEST_F(Monitors, UnwritableFileDoesNotThrowFromTheDestructor) {
  auto* list = new TMonitorsList((dir_ / "missing" / "speed_tests.dat").string());
  list->Get("Session").AddDuration(1);
  EXPECT_NO_THROW(delete list);
  EXPECT_THROW(TMonitorsList().SaveBinary((dir_ / "missing" / "x").string()), std::runtime_error);
}

TEST_F(Monitors, TextReport) {
  TMonitorsList list;
  list.Get("Session").AddDuration(1500);
  TMonitor& fill = list.Get("Forms.Fill");
  for (uint32_t ms : {5u, 12u, 2005u}) fill.AddDuration(ms);
  std::string text = list.TextReport(EncodeDateTime({2024, 3, 9, 14, 5, 0, 0}));
  EXPECT_EQ(text,
            "TimeStamp: 09-03-2024 14:05:00\r\n"
            "Session: 1.500\r\n"
            "Forms.Fill: 0.005 - 2.005 (avrg: 0.674)\r\n");

  std::string path = (dir_ / "speed_tests.txt").string();
  list.SaveTextReport(path);
  std::ifstream in(path, std::ios::binary);
  std::string saved{std::istreambuf_iterator<char>(in), {}};
  EXPECT_EQ(saved.rfind("TimeStamp: ", 0), 0u);
  EXPECT_NE(saved.find("Forms.Fill: 0.005 - 2.005 (avrg: 0.674)\r\n"), std::string::npos);
}

TEST_F(Monitors, ScopeUsesTheGlobalListFromAnyThread) {
  { TMonitorScope nothing("Nowhere"); }  // no global list: no effect, no crash
  {
    TMonitorsList list;
    SetGlobalMonitors(&list);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
      threads.emplace_back([] {
        for (int i = 0; i < 100; ++i) TMonitorScope scope(i % 2 ? "Odd" : "Even");
      });
    for (auto& th : threads) th.join();
    ASSERT_EQ(list.Items().size(), 2u);
    EXPECT_EQ(list.Items()[0]->count + list.Items()[1]->count, 400u);
  }
  EXPECT_EQ(GlobalMonitors(), nullptr);  // a destroyed list does not stay global
}

}  // namespace
}  // namespace quillora
