#include "search-service/search_service.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <httplib.h>
#include <random>
#include <set>

#include "foundation/bzip2_stream.h"
#include "foundation/encoding.h"
#include "foundation/files.h"
#include "foundation/job.h"
#include "foundation/stream.h"
#include "foundation/text_utils.h"
#include "net/page_fetcher.h"
#include "search/script_download.h"
#include "search/tar_archive.h"

namespace quillora {

namespace {

constexpr const char* kIdle = "Idle";
constexpr const char* kReadyToProcess = "Ready to process";
constexpr const char* kProcessing = "Processing";
constexpr const char* kReadyToDownload = "Ready to download";
constexpr const char* kError = "Error";
// A block request never makes the service read more than this at once.
constexpr int64_t kMaxBlock = 1 << 20;

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

std::vector<std::string> SplitFields(const std::string& line, char sep) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    const size_t end = line.find(sep, start);
    out.push_back(line.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return out;
    start = end + 1;
  }
}

std::string ReadFileText(const std::string& path) {
  try {
    TFileStream f(path, TFileStream::Mode::Read);
    return f.ReadToEnd();
  } catch (const std::exception&) {
    return {};
  }
}

bool WriteFileText(const std::string& path, std::string_view bytes) {
  try {
    const std::string temp = path + ".tmp";
    {
      TFileStream f(temp, TFileStream::Mode::Create);
      f.Write(bytes);
      f.Flush();
    }
    return RenameFileAt(temp, path);
  } catch (const std::exception&) {
    return false;
  }
}

// "March 5, 2024": how the program reads a job's date.
std::string JobDate() {
  static const char* const kMonths[] = {"January",   "February", "March",    "April",
                                        "May",       "June",     "July",     "August",
                                        "September", "October",  "November", "December"};
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return std::string(kMonths[tm.tm_mon]) + " " + std::to_string(tm.tm_mday) + ", " +
         std::to_string(tm.tm_year + 1900);
}

// The value of name in a line of "&name=value" pairs; FILESTR runs to the end of the line, as
// its value is a job line that may hold "&" of its own.
std::string FieldOf(const std::string& line, const std::string& name) {
  const std::string key = "&" + name + "=";
  const size_t at = line.find(key);
  if (at == std::string::npos) return {};
  const size_t from = at + key.size();
  if (name == "FILESTR") return line.substr(from);
  const size_t end = line.find('&', from);
  return line.substr(from, end == std::string::npos ? std::string::npos : end - from);
}

}  // namespace

std::string SearchServiceHash(const std::string& text, int32_t password) {
  char buf[9];
  std::snprintf(buf, sizeof buf, "%08x", Crc32(text) ^ static_cast<uint32_t>(password));
  return buf;
}

bool IsSafeJobName(const std::string& name) {
  if (name.empty() || name.size() > 128 || name == "." || name == "..") return false;
  return std::all_of(name.begin(), name.end(), [](unsigned char c) {
    return std::isalnum(c) || c == '-' || c == '_' || c == '.';
  });
}

struct TSearchService::TJobState {
  std::string uin;
  std::vector<std::string> lines;
  std::string state = kIdle;
  std::string date;
  int64_t archive_size = 0;
  int done = 0;
  int run = 0;  // counts processing runs, so that tasks of a stopped run leave the next alone
  int pending = 0;
  std::set<TWIGetURL*> fetchers;

  std::string StatusLine() const {
    if (state == kProcessing)
      return state + "|" + std::to_string(done) + "|" + std::to_string(lines.size());
    if (state == kReadyToDownload)
      return state + "|" + date + "|" + std::to_string(archive_size) + "|" + std::to_string(done) +
             "|" + std::to_string(lines.size());
    return state;
  }
};

TSearchService::TSearchService(TSearchServiceOptions options) : options_(std::move(options)) {
  options_.folder = IncludeTrailingPathDelimiter(options_.folder);
  ForceDirectories(options_.folder);
  LoadJobs();
  const int n = std::clamp(options_.workers, 1, 64);
  for (int i = 0; i < n; ++i)
    workers_.emplace_back([this](std::stop_token stop) { WorkerLoop(stop); });
}

TSearchService::~TSearchService() {
  Shutdown();
}

void TSearchService::Shutdown() {
  {
    std::lock_guard lock(mutex_);
    if (shut_down_) return;
    shut_down_ = true;
    for (auto& [uin, job] : jobs_) {
      ++job->run;
      for (TWIGetURL* f : job->fetchers) f->Cancel();
      // An unfinished run starts over after a restart.
      if (job->state == kProcessing) {
        job->state = kReadyToProcess;
        job->done = 0;
      }
      SaveState(*job);
    }
  }
  for (auto& w : workers_) w.request_stop();
  queue_cv_.notify_all();
  workers_.clear();
}

std::string TSearchService::JobFolder(const std::string& uin) const {
  return options_.folder + uin + "/";
}

bool TSearchService::HashOk(const std::string& text, const std::string& hash) const {
  std::string lower = hash;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower == SearchServiceHash(text, options_.password);
}

void TSearchService::LoadJobs() {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(options_.folder, ec)) {
    if (!entry.is_directory()) continue;
    const std::string uin = entry.path().filename().string();
    if (!IsSafeJobName(uin)) continue;
    auto job = std::make_shared<TJobState>();
    job->uin = uin;
    job->lines = SplitLines(ReadFileText(JobFolder(uin) + "job.txt"));
    const auto fields = SplitFields(ReadFileText(JobFolder(uin) + "state.txt"), '|');
    job->state = fields[0].empty() ? kReadyToProcess : fields[0];
    if (job->state == kReadyToDownload && fields.size() >= 4) {
      job->date = fields[1];
      job->done = std::atoi(fields[3].c_str());
      job->archive_size = FileSizeOf(JobFolder(uin) + uin + ".tar.bz2");
      if (job->archive_size < 0) job->state = kReadyToProcess;
    } else if (job->state != kError) {
      job->state = kReadyToProcess;
    }
    jobs_[uin] = job;
  }
}

void TSearchService::SaveState(TJobState& job) {
  WriteFileText(JobFolder(job.uin) + "state.txt", job.StatusLine());
}

std::string TSearchService::SubmitJob(const std::string& body) {
  const auto lines = SplitLines(body);
  if (lines.empty()) return "Empty request";
  const std::string hash = FieldOf(lines[0], "HASH");
  const std::string uin = FieldOf(lines[0], "PRODUCTUIN");
  std::vector<std::string> job_lines;
  if (const std::string first = FieldOf(lines[0], "FILESTR"); !first.empty())
    job_lines.push_back(first);
  for (size_t i = 1; i < lines.size(); ++i)
    if (!lines[i].empty()) job_lines.push_back(lines[i]);
  if (!IsSafeJobName(uin)) return "Invalid product UIN";
  std::string hashed;
  for (const auto& line : job_lines) hashed += line + "\r\n";
  if (!HashOk(hashed, hash)) return "Invalid hash";
  std::lock_guard lock(mutex_);
  auto& job = jobs_[uin];
  if (job && job->state == kProcessing) return "The job is being processed";
  if (!job) job = std::make_shared<TJobState>();
  job->uin = uin;
  job->lines = job_lines;
  job->done = 0;
  job->archive_size = 0;
  ++job->run;
  ForceDirectories(JobFolder(uin));
  {
    std::error_code ec;
    std::filesystem::remove_all(JobFolder(uin) + "pages", ec);
  }
  DeleteFileAt(JobFolder(uin) + uin + ".tar.bz2");
  std::string text;
  for (const auto& line : job_lines) text += line + "\n";
  if (!WriteFileText(JobFolder(uin) + "job.txt", text)) return "Cannot store the job";
  job->state = kReadyToProcess;
  SaveState(*job);
  return {};
}

std::string TSearchService::Process(const std::string& uin, const std::string& hash) {
  if (!HashOk(uin, hash)) return "Invalid hash";
  std::shared_ptr<TJobState> job;
  int run = 0;
  {
    std::lock_guard lock(mutex_);
    const auto it = jobs_.find(uin);
    if (it == jobs_.end()) return "No such job";
    job = it->second;
    if (job->state == kProcessing) return "The job is being processed";
    if (job->state != kReadyToProcess && job->state != kReadyToDownload && job->state != kError)
      return "The job is not ready";
    run = ++job->run;
    job->state = kProcessing;
    job->done = 0;
    job->pending = static_cast<int>(job->lines.size());
    {
      std::error_code ec;
      std::filesystem::remove_all(JobFolder(uin) + "pages", ec);
    }
    ForceDirectories(JobFolder(uin) + "pages/");
    SaveState(*job);
  }
  if (job->lines.empty()) {
    Enqueue([this, job, run] { Pack(job, run); });
    return {};
  }
  for (size_t i = 0; i < job->lines.size(); ++i)
    Enqueue([this, job, run, i] { FetchLine(job, run, i); });
  return {};
}

std::string TSearchService::StopJob(const std::string& uin, const std::string& hash) {
  if (!HashOk(uin, hash)) return "Invalid hash";
  std::lock_guard lock(mutex_);
  const auto it = jobs_.find(uin);
  if (it == jobs_.end()) return "No such job";
  TJobState& job = *it->second;
  if (job.state != kProcessing) return "The job is not being processed";
  ++job.run;
  for (TWIGetURL* f : job.fetchers) f->Cancel();
  job.state = kReadyToProcess;
  job.done = 0;
  SaveState(job);
  return {};
}

std::string TSearchService::Status(const std::string& uin, const std::string& hash) {
  if (!HashOk(uin, hash)) return "Invalid hash";
  std::lock_guard lock(mutex_);
  std::string reply;
  for (const auto& [other, job] : jobs_)
    if (other != uin) reply += other + "\r\n" + job->StatusLine() + "\r\n";
  const auto it = jobs_.find(uin);
  reply += (it == jobs_.end() ? std::string(kIdle) : it->second->StatusLine()) + "\r\n";
  return reply;
}

std::string TSearchService::Delete(const std::string& uin, const std::string& hash) {
  if (!HashOk(uin, hash)) return "Invalid hash";
  if (!IsSafeJobName(uin)) return "Invalid product UIN";
  std::lock_guard lock(mutex_);
  const auto it = jobs_.find(uin);
  if (it == jobs_.end()) return "No such job";
  ++it->second->run;
  for (TWIGetURL* f : it->second->fetchers) f->Cancel();
  jobs_.erase(it);
  std::error_code ec;
  std::filesystem::remove_all(JobFolder(uin), ec);
  return {};
}

std::string TSearchService::Block(const std::string& uin, const std::string& start,
                                  const std::string& length) {
  std::string path;
  {
    std::lock_guard lock(mutex_);
    const auto it = jobs_.find(uin);
    if (!IsSafeJobName(uin) || it == jobs_.end() || it->second->state != kReadyToDownload)
      return MakeBlockReply(-1, 0, "");
    path = JobFolder(uin) + uin + ".tar.bz2";
  }
  const int64_t size = FileSizeOf(path);
  if (size < 0 || size > INT32_MAX) return MakeBlockReply(-1, 0, "");
  if (start.empty()) return MakeBlockReply(static_cast<int32_t>(size), 0, "");
  if (options_.block_delay_ms > 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(options_.block_delay_ms));
  const int64_t from = std::clamp<int64_t>(std::atoll(start.c_str()), 0, size);
  const int64_t n = std::clamp<int64_t>(std::atoll(length.c_str()), 0, kMaxBlock);
  std::string data(static_cast<size_t>(std::min(n, size - from)), '\0');
  try {
    TFileStream f(path, TFileStream::Mode::Read);
    f.SetPosition(from);
    f.ReadExact(data.data(), data.size());
  } catch (const std::exception&) {
    return MakeBlockReply(-1, 0, "");
  }
  return MakeBlockReply(static_cast<int32_t>(size), static_cast<uint32_t>(from), data);
}

namespace {

// A job line's field: the program encodes it keeping "+" as it is, so a "+" there is a "+" (an
// encoded blank of the query), never a blank of the field.
std::string JobFieldValue(std::string_view field) {
  return UrlDecode(ReplaceAll(field, "+", "%2B"));
}

}  // namespace

void TSearchService::FetchLine(const std::shared_ptr<TJobState>& job, int run, size_t index) {
  TWIGetURL fetcher;
  std::string line;
  {
    std::lock_guard lock(mutex_);
    if (job->run != run) return;
    line = job->lines[index];
    job->fetchers.insert(&fetcher);
  }
  const auto fields = SplitFields(line, '|');
  std::string page_name;
  if (fields.size() >= 4) {
    const std::string address = JobFieldValue(fields[1]);
    const std::string query = JobFieldValue(fields[2]);
    page_name = JobFieldValue(fields[3]);
    if (IsSafeJobName(page_name)) {
      fetcher.application_name = "Mozilla/4.0 (compatible)";
      fetcher.timeout = options_.timeout_seconds;
      fetcher.port = options_.fetch_port;
      const bool post = fields[0] == "POST";
      fetcher.SetUrl(post || query.empty() ? address : address + "?" + query);
      bool ok;
      if (post) {
        fetcher.headers = "Content-Type: application/x-www-form-urlencoded";
        fetcher.post_data = query;
        ok = fetcher.Post();
      } else {
        ok = fetcher.Get();
      }
      if (ok) {
        // First line the address asked for, then the page.
        WriteFileText(JobFolder(job->uin) + "pages/" + page_name + ".htm",
                      address + "\r\n" + fetcher.ResponseText());
      }
    }
  }
  bool last = false;
  {
    std::lock_guard lock(mutex_);
    job->fetchers.erase(&fetcher);
    if (job->run != run) return;
    ++job->done;
    last = --job->pending == 0;
    SaveState(*job);
  }
  if (last) Pack(job, run);
}

void TSearchService::Pack(const std::shared_ptr<TJobState>& job, int run) {
  const std::string folder = JobFolder(job->uin);
  std::string tar;
  for (const auto& name : ListFiles(folder + "pages/", "*.htm"))
    tar += TarEntryBytes(name, ReadFileText(folder + "pages/" + name), '0', std::time(nullptr));
  if (options_.archive_padding > 0) {
    std::mt19937 random(static_cast<uint32_t>(options_.archive_padding));
    std::string padding(static_cast<size_t>(options_.archive_padding), '\0');
    for (char& c : padding) c = static_cast<char>(random());
    tar += TarEntryBytes("PaxHeader/padding", padding, 'x', std::time(nullptr));
  }
  tar += TarEndBytes();
  TJob quiet(TJob::TProgressTarget::None);
  std::optional<std::string> packed;
  try {
    packed = Bzip2Compress(tar, 9, quiet);
  } catch (const std::exception&) {
  }
  std::lock_guard lock(mutex_);
  if (job->run != run) return;
  const std::string archive = folder + job->uin + ".tar.bz2";
  if (!packed || !WriteFileText(archive, *packed)) {
    job->state = kError;
  } else {
    job->state = kReadyToDownload;
    job->date = JobDate();
    job->archive_size = static_cast<int64_t>(packed->size());
  }
  SaveState(*job);
}

void TSearchService::Enqueue(std::function<void()> task) {
  {
    std::lock_guard lock(queue_mutex_);
    queue_.push_back(std::move(task));
  }
  queue_cv_.notify_one();
}

void TSearchService::WorkerLoop(std::stop_token stop) {
  for (;;) {
    std::function<void()> task;
    {
      std::unique_lock lock(queue_mutex_);
      if (!queue_cv_.wait(lock, stop, [this] { return !queue_.empty(); })) return;
      task = std::move(queue_.front());
      queue_.pop_front();
    }
    task();
  }
}

void TSearchService::Attach(httplib::Server& server) {
  const auto reply = [](httplib::Response& res, const std::string& text) {
    res.set_content(text, "text/plain");
  };
  server.Get(".*", [this, reply](const httplib::Request& req, httplib::Response& res) {
    const auto param = [&](const char* name) {
      return req.has_param(name) ? req.get_param_value(name) : std::string();
    };
    const std::string hash = param("Hash");
    if (req.has_param("Filename"))
      reply(res, Block(param("Filename"), param("Start"), param("Length")));
    else if (req.has_param("GetStatus"))
      reply(res, Status(param("GetStatus"), hash));
    else if (req.has_param("Process"))
      reply(res, Process(param("Process"), hash));
    else if (req.has_param("Stop"))
      reply(res, StopJob(param("Stop"), hash));
    else if (req.has_param("Delete"))
      reply(res, Delete(param("Delete"), hash));
    else
      reply(res, "Unknown request");
  });
  server.Post(".*", [this, reply](const httplib::Request& req, httplib::Response& res) {
    reply(res, SubmitJob(req.body));
  });
}

}  // namespace quillora
