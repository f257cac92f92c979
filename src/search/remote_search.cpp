#include "search/remote_search.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>

#include "foundation/app_state.h"
#include "foundation/bzip2_stream.h"
#include "foundation/codepage.h"
#include "foundation/encoding.h"
#include "foundation/files.h"
#include "foundation/stream.h"
#include "foundation/text_utils.h"
#include "net/page_fetcher.h"
#include "net/transfers.h"
#include "pad/profile.h"
#include "search/search_page.h"
#include "search/search_request.h"
#include "search/search_results.h"
#include "search/tar_archive.h"
#include "sites/site.h"
#include "sites/site_list.h"

namespace quillora {

namespace {

constexpr const char* kStates[] = {"Idle",       "Uploading requests", "Ready to process",
                                   "Processing", "Ready to download",  "Downloading",
                                   "Error"};
// Unpacking holds the whole archive in memory; a page is at most 64 KiB, so this is plenty.
constexpr size_t kMaxUnpacked = size_t{1} << 31;

std::vector<std::string> Fields(std::string_view line) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    const size_t end = line.find('|', start);
    out.emplace_back(line.substr(start, end == std::string_view::npos ? line.npos : end - start));
    if (end == std::string_view::npos) return out;
    start = end + 1;
  }
}

bool ParseInt(const std::string& s, long long& v) {
  if (s.empty()) return false;
  char* end = nullptr;
  v = std::strtoll(s.c_str(), &end, 10);
  return end && *end == '\0';
}

// "%d of %d sites processed ( %d%% )" with the rounded percentage (0 without a total).
std::string ProcessedText(const std::string& done, const std::string& total) {
  long long d = 0, t = 0;
  const bool counts = ParseInt(done, d) && ParseInt(total, t) && t != 0;
  const long long percent = counts ? std::llround(static_cast<double>(d) * 100.0 / t) : 0;
  return done + " of " + total + " sites processed ( " + std::to_string(percent) + "% )";
}

// The page as stored: its lines joined by CR LF.
std::string StoredPage(const std::string& address, const std::string& body) {
  std::string out = address + "\r\n";
  for (const auto& line : ReplyLines(body)) out += line + "\r\n";
  return out;
}

}  // namespace

int JobStateIndex(std::string_view word) {
  for (int i = 0; i < 7; ++i)
    if (word == kStates[i]) return i;
  return -1;
}

std::string JobStateWord(std::string_view status_line) {
  return Fields(status_line)[0];
}

std::vector<std::string> ReplyLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string line(text.substr(start, end - start));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

TStatusReply ParseStatusReply(const std::vector<std::string>& lines) {
  TStatusReply reply;
  if (lines.empty()) {
    reply.valid = true;
    return reply;
  }
  if (lines.size() % 2 == 0) return reply;
  reply.valid = true;
  for (size_t i = 0; i + 1 < lines.size(); i += 2)
    reply.others.emplace_back(lines[i], lines[i + 1]);
  reply.current = lines.back();
  return reply;
}

std::string DescribeStatusLine(std::string_view status_line) {
  const auto f = Fields(status_line);
  const int index = JobStateIndex(f[0]);
  if (index < 0) return kStates[0];
  std::string text = kStates[index];
  if (index == 3 && f.size() >= 3) text += ", " + ProcessedText(f[1], f[2]);
  if (index == 4) {
    if (f.size() >= 5) text += ", " + ProcessedText(f[3], f[4]);
    if (f.size() >= 3) text += " (" + f[1] + " / " + f[2] + ")";
  }
  return text;
}

std::string StatusViewText(
    const std::vector<std::string>& lines,
    const std::function<std::string(const std::string& uin)>& name_of,
    const std::function<TDownloadProgress(const std::string& uin)>& download_of) {
  if (lines.empty()) return "Current Product: " + DescribeStatusLine("");
  const TStatusReply reply = ParseStatusReply(lines);
  if (!reply.valid) return "Error receiving status from server!";
  std::string text = "Current Product: " + DescribeStatusLine(reply.current) + "\r\n";
  for (const auto& [uin, line] : reply.others) {
    std::string name = name_of ? name_of(uin) : std::string();
    if (name.empty()) name = uin;
    const TDownloadProgress d = download_of ? download_of(uin) : TDownloadProgress{};
    if (!d.running)
      text += name + ": " + DescribeStatusLine(line);
    else if (d.total < 1)
      text += name + ": " + std::to_string(d.received / 1024) + " kilobytes downloaded.";
    else
      text += uin + ": " + std::to_string(d.received / 1024) + " of " +
              std::to_string(d.total / 1024) + " kilobytes downloaded.";
    text += "\r\n";
  }
  return text;
}

std::string JobDateText(std::string_view field, const std::vector<std::string>& month_names,
                        char separator) {
  const size_t space = field.find(' ');
  const size_t comma = field.find(", ");
  if (space == std::string_view::npos || comma == std::string_view::npos || comma < space)
    return "?";
  const std::string month(field.substr(0, space));
  const std::string day(field.substr(space + 1, comma - space - 1));
  const std::string year(field.substr(comma + 2));
  long long d = 0, y = 0;
  if (!ParseInt(day, d) || !ParseInt(year, y)) return "?";
  const auto it = std::find(month_names.begin(), month_names.end(), month);
  if (it == month_names.end()) return "?";
  char m[16];
  std::snprintf(m, sizeof m, "%02d", static_cast<int>(it - month_names.begin()) + 1);
  return day + separator + m + separator + year;
}

std::string RemoteQueryText(const TSearchSite& site, const TSearchInputs& inputs) {
  if (site.search.Kind() != TURLKind::POST) return SearchQueryText(site, inputs);
  TSearchSite lines_joined = site;
  lines_joined.search.SetPostData(ReplaceAll(site.search.PostData(), "\r\n", "&"));
  return SearchQueryText(lines_joined, inputs);
}

std::string JobLine(const TWebSite& site, const TSearchInputs& inputs) {
  const TSearchSite search = TSearchSite::From(site);
  return std::string(search.search.Kind() == TURLKind::POST ? "POST" : "GET") + "|" +
         UrlEncodeValue(search.search.Address()) + "|" +
         UrlEncodeValue(RemoteQueryText(search, inputs)) + "|" +
         UrlEncodeValue(AnsiLowerCase(site.UIN()));
}

std::vector<std::string> JobUploadFields(const std::string& product_uin,
                                         const std::vector<std::string>& job_lines,
                                         int32_t password) {
  std::string hashed;
  for (const auto& line : job_lines) hashed += line + "\r\n";
  std::vector<std::string> fields;
  fields.push_back("&HASH=" + ExternalSearchHash(hashed, password) + "&PRODUCTUIN=" + product_uin +
                   "&FILESTR=" + (job_lines.empty() ? std::string() : job_lines[0]));
  for (size_t i = 1; i < job_lines.size(); ++i) fields.push_back(job_lines[i]);
  return fields;
}

TRemoteSearchSettings TRemoteSearchSettings::FromProgram() {
  TRemoteSearchSettings s;
  const TOptionsList& settings = Settings();
  s.url = settings.GetString("Autosearch2_URL");
  const std::string password = settings.GetString("Autosearch_Password");
  s.password = password.empty() ? -1 : settings.GetInt("Autosearch_Password");
  s.dump_folder = Folders().dump;
  const int timeout = settings.GetInt("AUTOSEARCH_TIMEOUT");
  s.timeout_seconds = timeout > 0 ? timeout : 120;
  const int threads = settings.GetInt("AUTOSEARCH_NUMBER_OF_THREADS");
  s.threads = threads > 0 ? threads : 5;
  const int attempts = settings.GetInt("AUTOSEARCH_ATTEMPTS");
  s.attempts = attempts > 0 ? attempts : 3;
  return s;
}

TRemoteSearch::TRemoteSearch(TRemoteSearchSettings settings, std::string product_uin, TLog log)
    : settings_(std::move(settings)),
      product_uin_(std::move(product_uin)),
      product_folder_(IncludeTrailingPathDelimiter(settings_.dump_folder) + product_uin_ + "/"),
      log_(std::move(log)) {
  if (!log_) log_ = [](const std::string&) {};
}

TRemoteSearch::~TRemoteSearch() = default;

bool TRemoteSearch::PrepareFolder(const std::function<bool(const std::string&)>& ask) {
  if (!ForceDirectories(product_folder_)) {
    log_("Can not create folder \"" + product_folder_ + "\"");
    return false;
  }
  bool failed = false;
  for (const auto& name : ListFiles(product_folder_, "*"))
    if (name.find(".sd!") == std::string::npos && !DeleteFileAt(product_folder_ + name))
      failed = true;
  if (failed)
    return ask && ask("Can not delete old files from \"" + product_folder_ + "\"" + "\r\n" +
                      "Do you wish to continue anyway?");
  return true;
}

namespace {
// One service request; the reply in reply, or the transfer's failure logged.
bool ServiceRequest(std::string url, const std::optional<std::vector<std::string>>& fields,
                    std::string& reply, const TRemoteSearch::TLog& log,
                    const TTransferAbort* abort = nullptr, bool log_aborted = true) {
  TMemoryStream body;
  const TTransferResult result = DownloadToStream(url, &body, abort, fields, true, false, {});
  if (result != trNoError) {
    if (result != trAborted || log_aborted) log("ERROR: " + TransferResultText(result));
    return false;
  }
  reply = body.Take();
  return true;
}
}  // namespace

bool TRemoteSearch::SubmitJob(const std::vector<std::string>& job_lines) {
  std::string reply;
  if (!ServiceRequest(settings_.url, JobUploadFields(product_uin_, job_lines, settings_.password),
                      reply, log_))
    return false;
  if (!reply.empty()) {
    log_("ERROR: " + reply);
    return false;
  }
  return true;
}

bool TRemoteSearch::StartProcessing() {
  std::string reply;
  // The service may take its time to answer; the request is given up after 15 seconds and the
  // processing then counts as started.
  TTransferAbort abort;
  std::jthread deadline([&abort](std::stop_token stop) {
    std::mutex m;
    std::condition_variable_any cv;
    std::unique_lock lock(m);
    if (!cv.wait_for(lock, stop, std::chrono::milliseconds(15000), [] { return false; }))
      if (!stop.stop_requested()) abort.Request();
  });
  const bool ok = ServiceRequest(settings_.url + "?Process=" + product_uin_ + "&Hash=" +
                                     ExternalSearchHash(product_uin_, settings_.password),
                                 std::nullopt, reply, log_, &abort, false);
  deadline.request_stop();
  if (!ok) return abort.Requested();
  if (!reply.empty()) {
    log_("ERROR: " + reply);
    return false;
  }
  return true;
}

bool TRemoteSearch::StopProcessing() {
  log_("Sending `stop` command to script...");
  std::string reply;
  if (!ServiceRequest(settings_.url + "?Stop=" + product_uin_ +
                          "&Hash=" + ExternalSearchHash(product_uin_, settings_.password),
                      std::nullopt, reply, log_))
    return false;
  if (!reply.empty()) {
    log_("ERROR: " + reply);
    return false;
  }
  log_("Script stopped");
  return true;
}

bool TRemoteSearch::DeleteJob(const std::string& uin) {
  std::string reply;
  return ServiceRequest(settings_.url + "?Delete=" + uin +
                            "&Hash=" + ExternalSearchHash(uin, settings_.password) +
                            (settings_.admin ? "&Mode=admin" : ""),
                        std::nullopt, reply, log_);
}

bool TRemoteSearch::RequestStatus(std::vector<std::string>& lines) {
  std::string reply;
  if (!ServiceRequest(settings_.url + "?GetStatus=" + product_uin_ +
                          "&Hash=" + ExternalSearchHash(product_uin_, settings_.password),
                      std::nullopt, reply, log_))
    return false;
  lines = ReplyLines(reply);
  return true;
}

bool TRemoteSearch::StartDownload() {
  if (downloads_.Find(product_uin_)) {
    log_("ERROR: This product is already downloading");
    return false;
  }
  TScriptDownloadOptions o;
  o.base_url = settings_.url;
  o.remote_name = product_uin_;
  o.folder = product_folder_;
  o.file_name = product_uin_ + ".tar.bz2";
  o.admin = settings_.admin;
  try {
    downloads_.Start(product_uin_, o);
  } catch (const std::exception&) {
    log_("ERROR: Can not start thread");
    return false;
  }
  return true;
}

void TRemoteSearch::StopDownload() {
  if (!downloads_.Find(product_uin_)) return;
  downloads_.Remove(product_uin_);
  log_("Download aborted");
}

int TRemoteSearch::UnpackArchive() {
  if (TScriptDownload* d = downloads_.Find(product_uin_)) {
    log_(std::to_string(d->Received() / 1024) + " kilobytes downloaded");
    downloads_.Remove(product_uin_);
  }
  const std::string archive = product_folder_ + product_uin_ + ".tar.bz2";
  if (!FileExists(archive)) {
    log_("ERROR: Archive not found");
    return -1;
  }
  int count = -1;
  try {
    TFileStream f(archive, TFileStream::Mode::Read);
    const std::string tar = Bzip2Decompress(f.ReadToEnd(), kMaxUnpacked);
    count = UnpackTarArchive(tar, product_folder_, log_);
    if (count == 0)
      log_("ERROR: No files in the archive");
    else
      log_(std::to_string(count) + " pages found");
  } catch (const std::exception&) {
    log_("ERROR: Archive is corrupted");
    count = -1;
  }
  DeleteFileAt(archive);
  return count > 0 ? count : -1;
}

int TRemoteSearch::FetchLocally(TSiteList& sites) {
  struct TRequest {
    std::string uin, name, address;
    TSearchRequest request;
  };
  // The requests are built here, so the workers never read the profile.
  const auto inputs = TSearchInputs::FromProgram();
  std::vector<TRequest> requests;
  for (int i = 0; i < sites.Count(); ++i) {
    TWebSite& site = *sites.SiteAt(i);
    if (!site.Visible) continue;
    if (!site.AutoSearchEnabled()) continue;
    const TSearchSite search = TSearchSite::From(site);
    requests.push_back(
        {search.uin, search.name, search.search.Address(), DirectSearchRequest(search, *inputs)});
  }
  std::vector<std::string> outcome(requests.size());
  std::atomic<size_t> next{0};
  std::atomic<int> stored{0};
  std::mutex progress_mutex;
  int done = 0;
  stop_ = false;
  {
    std::vector<std::jthread> pool;
    const int n =
        std::clamp<int>(settings_.threads, 1, std::max<int>(1, static_cast<int>(requests.size())));
    for (int t = 0; t < n; ++t)
      pool.emplace_back([&] {
        for (size_t i = next++; i < requests.size() && !stop_; i = next++) {
          const TRequest& r = requests[i];
          std::string reason = "Unable to Open Internet Connection";
          bool ok = false;
          for (int attempt = 0; r.request.send && !ok && !stop_ && attempt < settings_.attempts;
               ++attempt) {
            TWIGetURL fetcher;
            fetcher.application_name = "Mozilla/4.0 (compatible)";
            fetcher.timeout = settings_.timeout_seconds;
            fetcher.headers = r.request.headers;
            fetcher.SetUrl(r.request.url);
            if (r.request.post) fetcher.post_data = r.request.body;
            ok = r.request.post ? fetcher.Post() : fetcher.Get();
            if (ok) {
              try {
                TFileStream f(product_folder_ + r.uin + ".htm", TFileStream::Mode::Create);
                f.Write(StoredPage(r.address, fetcher.ResponseText()));
              } catch (const std::exception&) {
                // an unwritten page is judged an error by the parse
              }
            } else {
              reason = fetcher.StatusMessage();
            }
          }
          if (ok) ++stored;
          outcome[i] = ok ? "The site \"" + r.name + "\" downloaded.\r\n"
                          : "An error occure then downloading the site \"" + r.name + "\"" +
                                "Reason: " + reason + "\r\n";
          std::lock_guard lock(progress_mutex);
          ++done;
          if (on_fetched) on_fetched(done, static_cast<int>(requests.size()));
        }
      });
  }
  // Sites a stop left untouched have no line.
  for (const auto& line : outcome)
    if (!line.empty()) log_(line);
  return stored;
}

void TRemoteSearch::Parse(TSiteList& sites, TProfile& profile) {
  log_("");
  // Pages come named by the service, in lower case: find them whatever the case.
  std::map<std::string, std::string> pages;
  for (const auto& name : ListFiles(product_folder_, "*.htm")) pages[AnsiLowerCase(name)] = name;
  for (int i = 0; i < sites.Count(); ++i) {
    TWebSite& site = *sites.SiteAt(i);
    if (!site.Visible) continue;
    const std::string uin = site.UIN();
    try {
      profile.SearchFlag.SetString(uin, "");
      std::string status;
      if (site.AutoSearchEnabled()) {
        const auto it = pages.find(AnsiLowerCase(uin + ".htm"));
        if (it != pages.end()) {
          TFileStream f(product_folder_ + it->second, TFileStream::Mode::Read);
          const auto lines = ReplyLines(f.ReadToEnd());
          std::string page;
          for (size_t l = 1; l < lines.size(); ++l) page += (l > 1 ? "\r\n" : "") + lines[l];
          const TSearchVerdict verdict = AnalyseSearchPage(site, page);
          profile.SearchResultsShort.SetString(uin, verdict.details);
          status = verdict.listed ? kSearchFound : kSearchNotFound;
        } else {
          profile.SearchResultsShort.SetString(uin, "");
          status = "ERROR";
        }
        profile.SearchFlag.SetString(uin, status);
        log_(site.Name() + "    Verdict: " + status);
        log_(profile.SearchResultsShort.GetString(uin));
        log_("");
      } else {
        profile.SearchFlag.SetString(uin, "NOT SUPPORTED");
      }
    } catch (const std::exception&) {
      // one site's failure leaves the others to be judged
    }
  }
}

bool THiddenPhrase::Key(char c) {
  if (c != '\r' && c != '\n') {
    typed_ += c;
    return false;
  }
  const bool match = typed_ == "Lift the red flap";
  typed_.clear();
  return match;
}

}  // namespace quillora
