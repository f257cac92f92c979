// The remote listing search without a window: the job sent to the search service, the service's
// requests and status replies, the result archive's download and unpacking, the local mode's page
// fetching, and the parse that judges the stored pages. A window or command drives it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "search/script_download.h"
#include "search/search_request.h"

namespace quillora {

class TWebSite;
class TProfile;
class TSiteList;

// --- status replies

// The job states by index; -1 for any other word.
int JobStateIndex(std::string_view word);
// The first "|" field of a status line.
std::string JobStateWord(std::string_view status_line);

struct TStatusReply {
  bool valid = false;                                       // an odd number of lines, or none
  std::vector<std::pair<std::string, std::string>> others;  // (product UIN, status line)
  std::string current;                                      // the active product's status line
};
TStatusReply ParseStatusReply(const std::vector<std::string>& lines);
// The reply text as lines (CR LF or LF; a last empty line dropped).
std::vector<std::string> ReplyLines(std::string_view text);

// The state word ("Idle" for an unknown one) with the counts and the job's date where the state
// has them.
std::string DescribeStatusLine(std::string_view status_line);

// What the status view shows. name_of gives a product's name (empty when unknown); download_of
// gives (received, total) of a running archive download of a product, or nothing.
struct TDownloadProgress {
  bool running = false;
  int64_t received = 0, total = -1;
};
std::string StatusViewText(
    const std::vector<std::string>& lines,
    const std::function<std::string(const std::string& uin)>& name_of,
    const std::function<TDownloadProgress(const std::string& uin)>& download_of);

// "March 5, 2024" read with the full month names: day + separator + two-digit month +
// separator + year, or "?".
std::string JobDateText(std::string_view field, const std::vector<std::string>& month_names,
                        char separator);

// --- requests

// One job line: kind|address|query|uin (the three values URL-encoded, the UIN in lower case).
std::string JobLine(const TWebSite& site, const TSearchInputs& inputs);
// The query text of a site as the listing search builds it (SearchQueryText), a POST body's
// CR LF taken as "&" first.
std::string RemoteQueryText(const TSearchSite& site, const TSearchInputs& inputs);

// The form fields of the job upload (sent as LF-only form POST lines).
std::vector<std::string> JobUploadFields(const std::string& product_uin,
                                         const std::vector<std::string>& job_lines,
                                         int32_t password);

// --- the controller

struct TRemoteSearchSettings {
  std::string url;          // "Autosearch2_URL"
  int32_t password = -1;    // "Autosearch_Password"
  std::string dump_folder;  // ends with a separator
  int timeout_seconds = 120;
  int threads = 7;
  int attempts = 3;
  bool admin = false;  // "Adimin mode"
  // Reads them from the program's settings and folders.
  static TRemoteSearchSettings FromProgram();
};

class TRemoteSearch {
 public:
  using TLog = std::function<void(const std::string& line)>;
  TRemoteSearch(TRemoteSearchSettings settings, std::string product_uin, TLog log);
  ~TRemoteSearch();

  const std::string& ProductFolder() const { return product_folder_; }

  // Makes the product's folder and deletes its files but the ".sd!" ones; ask decides whether to
  // go on when some cannot be deleted. False when the run should not start.
  bool PrepareFolder(const std::function<bool(const std::string& question)>& ask);

  // Server requests; each logs its failure and returns false.
  bool SubmitJob(const std::vector<std::string>& job_lines);
  bool StartProcessing();
  bool StopProcessing();
  bool DeleteJob(const std::string& uin);
  // The status request: the reply lines, or false on a transfer failure.
  bool RequestStatus(std::vector<std::string>& lines);

  // Starts (or resumes) the archive download; false when one runs already.
  bool StartDownload();
  TScriptDownload* Download() const { return downloads_.Find(product_uin_); }
  void PollDownload() { downloads_.PollAll(); }
  // Aborts it, keeping the state file.
  void StopDownload();
  // After the download finished: unpacks the archive into the product's folder and deletes it.
  // The count of pages written, or -1 (logged) when there was none or it was damaged.
  int UnpackArchive();

  // Local mode: fetches every visible site's search page into the product's folder with a pool
  // of workers; returns the number stored.
  int FetchLocally(TSiteList& sites);
  // Local mode, from any thread: the workers take no further site or attempt; the fetch then
  // returns with what it stored.
  void RequestStop() { stop_ = true; }
  // Local mode: a site's fetch ended (sites done so far, sites to fetch). Called on the fetching
  // workers' threads, one call at a time.
  std::function<void(int done, int total)> on_fetched;
  // The pool's numbers as the window's boxes give them before a run.
  TRemoteSearchSettings& RunSettings() { return settings_; }

  // Judges every visible site's stored page (as the listing search judges a fetched one) and
  // records the results in the profile.
  void Parse(TSiteList& sites, TProfile& profile);

 private:
  TRemoteSearchSettings settings_;
  std::string product_uin_;
  std::string product_folder_;
  TLog log_;
  TScriptDownloadsList downloads_;
  std::atomic<bool> stop_{false};
};

// Hidden controls: typed characters collected until Enter; true when they spelt the phrase.
class THiddenPhrase {
 public:
  bool Key(char c);

 private:
  std::string typed_;
};

}  // namespace quillora
