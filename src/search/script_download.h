// The resumable download of a result archive from the search service: fixed-size blocks fetched
// by several parallel parts, each reply checked by CRC, progress kept in a ".sd!" state file so
// that an interrupted download resumes, and the list of running downloads by product.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillora {

class TFileStream;
class TStream;

// One block reply: CRC-32 of the rest, total archive size, a third field, then the data.
struct TBlockReply {
  uint32_t crc = 0;
  int32_t total = 0;
  uint32_t extra = 0;
  std::string_view data;
};

// Reads eight hexadecimal digits (either case) as one 32-bit value.
std::optional<uint32_t> ParseHex8(std::string_view text);
// The reply's fields when it is at least 24 characters, every field is valid hexadecimal and the
// CRC matches; nothing otherwise.
std::optional<TBlockReply> ParseBlockReply(std::string_view reply);
// A block reply as the service writes it.
std::string MakeBlockReply(int32_t total, uint32_t extra, std::string_view data);

// What a ".sd!" state file says: the archive's total size, the bytes received, and one flag per
// block (0 missing, 1 received).
struct TDownloadState {
  int32_t total = 0;
  int32_t received = 0;
  std::vector<uint8_t> flags;
};
// Reads the header and block flags of a state file; nothing when its size does not match its
// header, or its block count does not fit the archive at this block size.
std::optional<TDownloadState> ReadDownloadState(TStream& file, int32_t block_size);

struct TScriptDownloadOptions {
  std::string base_url;      // the service's address
  std::string remote_name;   // the product UIN
  std::string folder;        // ends with a separator
  std::string file_name;     // the archive's name in folder
  int block_kib = 50;        // clamped to 1..500
  int parts = 5;             // clamped to 1..20
  bool fresh_start = false;  // ignore a state file left by an earlier run
  bool admin = false;        // the requests carry "&Mode=admin"
};

class TScriptDownload {
 public:
  using TProgress = std::function<void(int64_t received, int64_t total)>;

  // Sends the first archive request at once.
  explicit TScriptDownload(TScriptDownloadOptions options);
  // Aborts the parts, waits for their workers and closes the state file without deleting it,
  // so that a later download of the same archive resumes.
  ~TScriptDownload();
  TScriptDownload(const TScriptDownload&) = delete;
  TScriptDownload& operator=(const TScriptDownload&) = delete;

  // The parts' timer: hands every completed reply to the download and schedules the blocks.
  // Call it regularly on the thread that owns the download.
  void Poll();

  bool Finished() const { return finished_; }
  int64_t Total() const { return total_; }
  int64_t Received() const { return received_; }
  int32_t BlockSize() const { return block_size_; }
  std::string ArchivePath() const { return options_.folder + options_.file_name; }
  std::string StatePath() const { return ArchivePath() + ".sd!"; }
  // Block requests sent so far (the first requests not counted).
  int BlockRequests() const { return block_requests_; }

  TProgress on_progress;
  std::function<void()> on_finished;

 private:
  struct TPart;
  void Send(TPart& part, const std::string& url, int block);
  std::string FirstUrl() const;
  std::string BlockUrl(int block) const;
  void Handle(TPart& part, const std::string& reply);
  bool Resume();
  void StartFresh();
  void Restart();
  void WriteBlock(int block, std::string_view data);
  void Schedule();
  void Complete();
  void AbortParts();
  void Finish();

  TScriptDownloadOptions options_;
  int32_t block_size_ = 51200;
  int64_t total_ = -1;
  int64_t received_ = 0;
  int32_t block_count_ = 0;
  std::vector<uint8_t> flags_;
  std::unique_ptr<TFileStream> state_;
  bool first_reply_ = true;
  bool finished_ = false;
  int block_requests_ = 0;
  std::vector<std::unique_ptr<TPart>> parts_;
};

// The running downloads by product UIN, at most one each.
class TScriptDownloadsList {
 public:
  // nullptr when one runs for this product already.
  TScriptDownload* Start(const std::string& uin, TScriptDownloadOptions options);
  // Aborts it; its state file stays.
  void Remove(const std::string& uin);
  TScriptDownload* Find(const std::string& uin) const;
  void PollAll();
  std::function<void(const std::string& uin, int64_t received, int64_t total)> on_progress;

 private:
  std::map<std::string, std::unique_ptr<TScriptDownload>> downloads_;
};

}  // namespace quillora
