// The remote listing-search service: takes search jobs from the program, fetches every job
// line's page with a bounded pool of workers, packs the pages into a bzip2-compressed tar
// archive and serves it in CRC-checked blocks. Jobs, pages and archives live under one folder,
// so a restarted service keeps its finished jobs.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace quillora {

struct TSearchServiceOptions {
  std::string folder;     // ends with a separator
  int32_t password = -1;  // what the program holds in "Autosearch_Password" when it is empty
  int workers = 4;        // pages fetched at once, over all jobs
  int timeout_seconds = 60;
  // For tests against a local server: not 0, every page is fetched from this port.
  uint16_t fetch_port = 0;
  // For tests of interrupted downloads: every archive block is answered this much later.
  int block_delay_ms = 0;
  // For the same tests: an extended-header entry of this many incompressible bytes makes the
  // archive that much longer (readers skip it, as it is no file).
  int64_t archive_padding = 0;
};

class TSearchService {
 public:
  explicit TSearchService(TSearchServiceOptions options);
  // Stops the workers; jobs in progress go back to "Ready to process" on disk.
  ~TSearchService();
  TSearchService(const TSearchService&) = delete;
  TSearchService& operator=(const TSearchService&) = delete;

  void Attach(httplib::Server& server);
  // Stops every job and saves their states.
  void Shutdown();

  // The reply texts, as the requests reach them (also used by the tests).
  std::string SubmitJob(const std::string& body);
  std::string Process(const std::string& uin, const std::string& hash);
  std::string StopJob(const std::string& uin, const std::string& hash);
  std::string Status(const std::string& uin, const std::string& hash);
  std::string Delete(const std::string& uin, const std::string& hash);
  std::string Block(const std::string& uin, const std::string& start, const std::string& length);

 private:
  struct TJobState;
  std::string JobFolder(const std::string& uin) const;
  bool HashOk(const std::string& text, const std::string& hash) const;
  void LoadJobs();
  void SaveState(TJobState& job);
  void FetchLine(const std::shared_ptr<TJobState>& job, int run, size_t index);
  void Pack(const std::shared_ptr<TJobState>& job, int run);
  void Enqueue(std::function<void()> task);
  void WorkerLoop(std::stop_token stop);

  TSearchServiceOptions options_;
  std::mutex mutex_;  // guards jobs_ and every job's state fields
  std::map<std::string, std::shared_ptr<TJobState>> jobs_;

  std::mutex queue_mutex_;
  std::condition_variable_any queue_cv_;
  std::deque<std::function<void()>> queue_;
  std::vector<std::jthread> workers_;
  bool shut_down_ = false;
};

// The hash the program sends: CRC-32 of text XOR the password, eight lower-case hexadecimal
// digits.
std::string SearchServiceHash(const std::string& text, int32_t password);

// A job UIN is used as a folder name: letters, digits, "-", "_" and "." only, not "." or "..".
bool IsSafeJobName(const std::string& name);

}  // namespace quillora
