#include "search/script_download.h"

#include <chrono>
#include <cstdio>
#include <httplib.h>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "foundation/encoding.h"
#include "foundation/files.h"
#include "foundation/stream.h"
#include "support/temp_dir.h"

namespace quillora {
namespace {

TEST(BlockReply, ParsesFieldsAndRefusesShortOrDamagedReplies) {
  const std::string empty = MakeBlockReply(1234, 7, "");
  ASSERT_EQ(empty.size(), 24u);
  auto r = ParseBlockReply(empty);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->total, 1234);
  EXPECT_TRUE(r->data.empty());
  EXPECT_FALSE(ParseBlockReply(empty.substr(0, 23)));

  const std::string block = MakeBlockReply(-1, 0, "data");
  r = ParseBlockReply(block);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->total, -1);
  EXPECT_EQ(r->data, "data");

  // Upper-case digits are as good as lower-case ones.
  const std::string rest = "00ABCDEF0000000Ax";
  char crc[9];
  std::snprintf(crc, sizeof crc, "%08X", Crc32(rest));
  r = ParseBlockReply(crc + rest);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->total, 0xABCDEF);

  struct Case {
    size_t at;
    char c;
  };
  for (const Case& bad : {Case{0, 'g'}, Case{10, 'z'}, Case{20, ' '}, Case{25, 'X'}}) {
    std::string damaged = MakeBlockReply(100, 0, "payload");
    damaged[bad.at] = bad.c;
    EXPECT_FALSE(ParseBlockReply(damaged)) << bad.at;
  }
}

// Serves one archive in block replies; can change the archive, spoil replies and record the
// block requests.
class ArchiveServer {
 public:
  ArchiveServer() {
    server_.Get("/search", [this](const httplib::Request& req, httplib::Response& res) {
      std::lock_guard lock(mutex_);
      if (spoil_ > 0) {
        --spoil_;
        res.set_content("00000000garbage-garbage-reply", "text/plain");
        return;
      }
      if (!req.has_param("Start")) {
        ++first_requests_;
        res.set_content(
            MakeBlockReply(missing_ ? -1 : static_cast<int32_t>(archive_.size()), 0, ""),
            "text/plain");
        return;
      }
      const size_t start = std::stoul(req.get_param_value("Start"));
      const size_t length = std::stoul(req.get_param_value("Length"));
      starts_.insert(start);
      ++block_requests_;
      const std::string data = start < archive_.size() ? archive_.substr(start, length) : "";
      res.set_content(MakeBlockReply(static_cast<int32_t>(archive_.size()), 0, data), "text/plain");
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
  }
  ~ArchiveServer() {
    server_.stop();
    thread_.join();
  }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/search"; }
  void SetArchive(std::string a) {
    std::lock_guard lock(mutex_);
    archive_ = std::move(a);
  }
  void Spoil(int n) {
    std::lock_guard lock(mutex_);
    spoil_ = n;
  }
  void SetMissing() {
    std::lock_guard lock(mutex_);
    missing_ = true;
  }
  std::set<size_t> Starts() {
    std::lock_guard lock(mutex_);
    return starts_;
  }
  int BlockRequests() {
    std::lock_guard lock(mutex_);
    return block_requests_;
  }
  int FirstRequests() {
    std::lock_guard lock(mutex_);
    return first_requests_;
  }
  void ClearLog() {
    std::lock_guard lock(mutex_);
    starts_.clear();
    block_requests_ = 0;
  }

 private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
  std::mutex mutex_;
  std::string archive_;
  int spoil_ = 0;
  bool missing_ = false;
  std::set<size_t> starts_;
  int block_requests_ = 0, first_requests_ = 0;
};

std::string Pattern(size_t n, int seed) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 131 + seed * 7 + i / 1000) & 0xff);
  return s;
}

std::string ReadAll(const std::string& path) {
  TFileStream f(path, TFileStream::Mode::Read);
  return f.ReadToEnd();
}

TScriptDownloadOptions Options(const ArchiveServer& server, const std::string& folder) {
  TScriptDownloadOptions o;
  o.base_url = server.Url();
  o.remote_name = "APP-1";
  o.folder = folder;
  o.file_name = "APP-1.tar.bz2";
  o.block_kib = 1;
  return o;
}

// Polls until done, or until stop says so; false when neither happened in time.
template <typename Stop>
bool RunDownload(TScriptDownload& d, Stop stop) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!d.Finished() && !stop()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    d.Poll();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}
bool RunDownload(TScriptDownload& d) {
  return RunDownload(d, [] { return false; });
}

TEST(ScriptDownload, FetchesEveryBlockRefetchingSpoiledReplies) {
  test::TempDir dir;
  ArchiveServer server;
  const std::string archive = Pattern(10 * 1024 + 17, 1);
  server.SetArchive(archive);
  server.Spoil(3);
  TScriptDownload d(Options(server, dir.Path()));
  int64_t last_received = -1;
  d.on_progress = [&](int64_t received, int64_t total) {
    EXPECT_EQ(total, static_cast<int64_t>(archive.size()));
    last_received = received;
  };
  ASSERT_TRUE(RunDownload(d));
  EXPECT_EQ(ReadAll(d.ArchivePath()), archive);
  EXPECT_EQ(last_received, static_cast<int64_t>(archive.size()));
  EXPECT_FALSE(FileExists(d.StatePath()));
}

TEST(ScriptDownload, ResumesFromTheStateFileFetchingOnlyUnmarkedBlocks) {
  test::TempDir dir;
  ArchiveServer server;
  const std::string archive = Pattern(40 * 1024, 2);
  server.SetArchive(archive);
  {
    TScriptDownload d(Options(server, dir.Path()));
    ASSERT_TRUE(RunDownload(d, [&] { return d.Received() >= 15 * 1024; }));
    ASSERT_FALSE(d.Finished());
  }  // as if the program were stopped here: the state file stays
  ASSERT_TRUE(FileExists(dir / "APP-1.tar.bz2.sd!"));
  std::set<size_t> unmarked;
  {
    TFileStream state(dir / "APP-1.tar.bz2.sd!", TFileStream::Mode::Read);
    const std::string bytes = state.ReadToEnd();
    ASSERT_EQ(bytes.size(), 12u + 40u + archive.size());
    for (size_t i = 0; i < 40; ++i)
      if (bytes[12 + i] == 0) unmarked.insert(i * 1024);
  }
  ASSERT_LT(unmarked.size(), 40u - 10u);
  server.ClearLog();
  TScriptDownload resumed(Options(server, dir.Path()));
  ASSERT_TRUE(RunDownload(resumed));
  EXPECT_EQ(server.Starts(), unmarked);
  EXPECT_EQ(server.BlockRequests(), static_cast<int>(unmarked.size()));
  EXPECT_EQ(ReadAll(resumed.ArchivePath()), archive);
}

TEST(ScriptDownload, RestartsWhenTheArchiveSizeChanges) {
  test::TempDir dir;
  ArchiveServer server;
  server.SetArchive(Pattern(20 * 1024, 3));
  {
    TScriptDownload d(Options(server, dir.Path()));
    ASSERT_TRUE(RunDownload(d, [&] { return d.Received() >= 5 * 1024; }));
  }
  const std::string changed = Pattern(9 * 1024 + 5, 4);
  server.SetArchive(changed);
  TScriptDownload d(Options(server, dir.Path()));
  ASSERT_TRUE(RunDownload(d));
  EXPECT_EQ(d.Total(), static_cast<int64_t>(changed.size()));
  EXPECT_EQ(ReadAll(d.ArchivePath()), changed);
  EXPECT_GE(server.FirstRequests(), 3);  // the two starts and the restart
}

TEST(ScriptDownload, NegativeSizeEndsAtOnceWithoutAnArchive) {
  test::TempDir dir;
  ArchiveServer server;
  server.SetMissing();
  TScriptDownload d(Options(server, dir.Path()));
  ASSERT_TRUE(RunDownload(d));
  EXPECT_FALSE(FileExists(d.ArchivePath()));
  EXPECT_FALSE(FileExists(d.StatePath()));
}

TEST(ScriptDownloadsList, KeepsOneDownloadPerProduct) {
  test::TempDir dir;
  ArchiveServer server;
  server.SetArchive(Pattern(3000, 5));
  TScriptDownloadsList list;
  ASSERT_TRUE(list.Start("APP-1", Options(server, dir.Path())));
  EXPECT_FALSE(list.Start("APP-1", Options(server, dir.Path())));
  TScriptDownload* d = list.Find("APP-1");
  ASSERT_TRUE(d);
  ASSERT_TRUE(RunDownload(*d));
  list.Remove("APP-1");
  EXPECT_FALSE(list.Find("APP-1"));
  EXPECT_EQ(ReadAll(dir / "APP-1.tar.bz2"), Pattern(3000, 5));
}

}  // namespace
}  // namespace quillora
