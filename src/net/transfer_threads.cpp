#include "net/transfer_threads.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <exception>
#include <mutex>
#include <utility>

#include <curl/curl.h>

#include "foundation/stream.h"
#include "foundation/ui_port.h"
#include "net/curl_global.h"

namespace quillora {

std::string& AgentString() {
  static std::string agent = "Tarvesk Software";
  return agent;
}

TTransferLimits& TransferLimits() {
  static TTransferLimits limits;
  return limits;
}

void TTransferAbort::Request() {
  flag_ = true;
  UI().WakeUp();
}

std::string FormPostBody(const std::vector<std::string>& fields, bool lf_only) {
  std::string body;
  for (const auto& field : fields) body += field + (lf_only ? "\n" : "\r\n");
  if (lf_only) body.erase(std::remove(body.begin(), body.end(), '\r'), body.end());
  return body;
}

namespace transfer_detail {

// Shared by a worker and whoever waits for it. The stream, the callback and the abort flag
// belong to the caller: Abandon takes them away under the mutex, and the worker looks at them
// only under it.
struct TWorkerState : std::enable_shared_from_this<TWorkerState> {
  std::mutex mutex;
  TStream* stream = nullptr;
  TTransferProgressEvent progress;
  const TTransferAbort* abort = nullptr;
  bool abandoned = false;
  std::string url;

  std::atomic<int64_t> done{0}, total{-1};
  std::atomic<uint8_t> stage{psInitializing}, result{trNoError};
  std::atomic<bool> finished{false};

  bool Aborting(const std::stop_token& stop) {
    if (stop.stop_requested()) return true;
    std::lock_guard lock(mutex);
    return abandoned || (abort && abort->Requested());
  }

  // The worker waits until the user-interface thread has shown the report. The callback is
  // looked up there, so a caller that abandoned the worker (on that thread) never hears of it.
  void Report(TProgressStage new_stage) {
    stage = new_stage;
    {
      std::lock_guard lock(mutex);
      if (abandoned || !progress) return;
    }
    const int64_t d = done, t = total;
    Synchronize([self = shared_from_this(), d, t, new_stage] {
      TTransferProgressEvent callback;
      {
        std::lock_guard lock(self->mutex);
        if (self->abandoned) return;
        callback = self->progress;
      }
      if (callback) callback(d, t, new_stage);
    });
  }

  void Finish() {
    finished = true;
    UI().WakeUp();
  }
};

}  // namespace transfer_detail

using transfer_detail::TWorkerState;

namespace {

struct TCurlEasy {
  CURL* handle = curl_easy_init();
  TCurlEasy() = default;
  TCurlEasy(const TCurlEasy&) = delete;
  TCurlEasy& operator=(const TCurlEasy&) = delete;
  ~TCurlEasy() { Close(); }
  void Close() {
    if (handle) curl_easy_cleanup(handle);
    handle = nullptr;
  }
};

bool IsHttpScheme(CURL* curl) {
  const char* scheme = nullptr;
  if (curl_easy_getinfo(curl, CURLINFO_SCHEME, &scheme) != CURLE_OK || !scheme) return false;
  std::string s = scheme;
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s == "http" || s == "https";
}

// The HTTP status of the last response; -1 for FTP and file:// (and when none came).
long ResponseStatus(CURL* curl) {
  if (!IsHttpScheme(curl)) return -1;
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  return status > 0 ? status : -1;
}

using SteadyClock = std::chrono::steady_clock;

// Every data report makes the worker wait for the user-interface thread; handed over for each
// block they cost a loopback download half its speed. Nobody shows them faster than this.
constexpr auto kDataReportInterval = std::chrono::milliseconds(50);

struct TCallbackContext {
  TWorkerState* state;
  std::stop_token stop;
  CURL* curl = nullptr;
  bool body_started = false;
  bool write_failed = false;

  // psDownloading or psUploading; a block that came within the interval of the last report is
  // reported later, at the latest with the next block or the next progress tick.
  TProgressStage data_stage = psDownloading;
  bool data_reported = false, data_unreported = false;
  SteadyClock::time_point last_data_report{};

  int64_t max_unannounced = INT32_MAX;

  void ReportData(SteadyClock::time_point now = SteadyClock::now()) {
    if (data_reported && now - last_data_report < kDataReportInterval) {
      data_unreported = true;
      return;
    }
    data_reported = true;
    data_unreported = false;
    last_data_report = now;
    state->Report(data_stage);
  }
};

int OnXferInfo(void* p, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* ctx = static_cast<TCallbackContext*>(p);
  if (ctx->state->Aborting(ctx->stop)) return 1;
  if (ctx->data_unreported) ctx->ReportData();
  return 0;
}

void SetCommonOptions(CURL* curl, const std::string& url, bool passive, TCallbackContext& ctx) {
  const auto& limits = TransferLimits();
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_USERAGENT, AgentString().c_str());
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, limits.connect_seconds);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, limits.stall_seconds);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnXferInfo);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &ctx);
  // Without the passive flag FTP data connections are active, as they always were.
  if (!passive) curl_easy_setopt(curl, CURLOPT_FTPPORT, "-");
}

void StartBody(TCallbackContext& ctx) {
  ctx.body_started = true;
  curl_off_t length = -1;
  if (curl_easy_getinfo(ctx.curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK &&
      length >= 0)
    ctx.state->total = length;
  const char* effective = nullptr;
  if (curl_easy_getinfo(ctx.curl, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective) {
    std::lock_guard lock(ctx.state->mutex);
    ctx.state->url = effective;
  }
  ctx.state->Report(psDownloading);
}

size_t OnWrite(char* data, size_t size, size_t count, void* p) {
  auto* ctx = static_cast<TCallbackContext*>(p);
  const size_t bytes = size * count;
  if (!ctx->body_started) {
    const long status = ResponseStatus(ctx->curl);
    // Another status is mapped to its result; its body is of no use.
    if (status != 200 && status != -1) return 0;
    StartBody(*ctx);
  }
  // Without an announced length only the cap ends an endless body.
  if (ctx->state->total < 0 &&
      ctx->state->done + static_cast<int64_t>(bytes) > ctx->max_unannounced)
    return 0;
  {
    std::lock_guard lock(ctx->state->mutex);
    if (ctx->state->abandoned) return 0;
    if (ctx->state->stream) {
      try {
        ctx->state->stream->Write(data, bytes);
      } catch (const std::exception&) {
        ctx->write_failed = true;
        return 0;
      }
    }
  }
  ctx->state->done += static_cast<int64_t>(bytes);
  ctx->ReportData();
  return bytes;
}

// Asks for a user name and password through the port; false when the user declines.
bool AskCredentials(TWorkerState& state, const std::string& url, std::string& user,
                    std::string& password) {
  {
    std::lock_guard lock(state.mutex);
    if (state.abandoned) return false;
  }
  const std::string title = "Authorization required";
  return UI().InputText(title, "User name for " + url, user) &&
         UI().InputText(title, "Password", password);
}

void RunDownload(TWorkerState& state, const TDownloadThread::TRequest& request,
                 const std::stop_token& stop) {
  state.done = 0;
  state.total = -1;
  state.Report(psInitializing);
  EnsureCurlStarted();
  TCurlEasy easy;
  if (!easy.handle) {
    state.result = trWinInetError;
    return;
  }
  CURL* curl = easy.handle;
  TCallbackContext ctx{&state, stop, curl};
  SetCommonOptions(curl, request.url, request.passive, ctx);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 20L);
  // A server's redirect never reaches a local file.
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https,ftp,ftps");
  // Large blocks: each costs a call into the stream.
  curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, 128L * 1024);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnWrite);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &ctx);
  ctx.max_unannounced = TransferLimits().max_unannounced_bytes;
  curl_slist* headers = nullptr;
  std::string body;
  if (request.form_fields) {
    body = FormPostBody(*request.form_fields, request.lf_only);
    headers = curl_slist_append(headers, "Content-Type: application/x-www-form-urlencoded");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  }
  std::string user, password;
  CURLcode rc;
  for (;;) {
    state.Report(psConnecting);
    if (request.form_fields) state.Report(psUploading);
    rc = curl_easy_perform(curl);
    const long status = ResponseStatus(curl);
    if (ctx.body_started || status == 200 || status == -1) break;
    if ((status == 401 || status == 407) && !state.Aborting(stop) &&
        AskCredentials(state, request.url, user, password)) {
      const bool proxy = status == 407;
      curl_easy_setopt(curl, proxy ? CURLOPT_PROXYUSERNAME : CURLOPT_USERNAME, user.c_str());
      curl_easy_setopt(curl, proxy ? CURLOPT_PROXYPASSWORD : CURLOPT_PASSWORD, password.c_str());
      curl_easy_setopt(curl, proxy ? CURLOPT_PROXYAUTH : CURLOPT_HTTPAUTH, CURLAUTH_ANY);
      continue;
    }
    curl_slist_free_all(headers);
    state.result = TransferResultOfStatus(status);
    return;
  }
  curl_slist_free_all(headers);
  if (!ctx.body_started) {
    if (rc != CURLE_OK) {
      // Nothing came back: the request itself failed.
      state.result = state.Aborting(stop) ? trAborted : trConnectionFailed;
      return;
    }
    StartBody(ctx);
  }
  const int64_t total = state.total;
  if (rc == CURLE_OK && (total < 0 || state.done == total))
    state.result = trNoError;
  else if (state.Aborting(stop))
    state.result = trAborted;
  else if (ctx.write_failed)
    state.result = trCannotSave;
  else
    state.result = trConnectionFailed;
  state.Report(psDisconnecting);
  easy.Close();
  state.Report(psDone);
}

struct TUploadContext : TCallbackContext {
  bool started = false;
};

size_t OnRead(char* buffer, size_t size, size_t count, void* p) {
  auto* ctx = static_cast<TUploadContext*>(p);
  if (!ctx->started) {
    ctx->started = true;
    ctx->state->Report(psUploading);
  }
  size_t got = 0;
  {
    std::lock_guard lock(ctx->state->mutex);
    if (ctx->state->abandoned || !ctx->state->stream) return CURL_READFUNC_ABORT;
    try {
      got = ctx->state->stream->Read(buffer, size * count);
    } catch (const std::exception&) {
      return CURL_READFUNC_ABORT;
    }
  }
  if (got > 0) {
    ctx->state->done += static_cast<int64_t>(got);
    ctx->ReportData();
  }
  return got;
}

void RunUpload(TWorkerState& state, const TUploadThread::TRequest& request,
               const std::stop_token& stop) {
  state.Report(psInitializing);
  EnsureCurlStarted();
  const std::string lower = [&] {
    std::string s = request.url.substr(0, 6);
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
  }();
  if (lower != "ftp://") {
    state.result = trConnectionFailed;
    return;
  }
  TCurlEasy easy;
  if (!easy.handle) {
    state.result = trWinInetError;
    return;
  }
  CURL* curl = easy.handle;
  TUploadContext ctx;
  ctx.data_stage = psUploading;
  ctx.state = &state;
  ctx.stop = stop;
  ctx.curl = curl;
  SetCommonOptions(curl, request.url, request.passive, ctx);
  state.done = 0;
  {
    std::lock_guard lock(state.mutex);
    state.total = state.stream ? state.stream->Size() - state.stream->Position() : 0;
  }
  curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(state.total));
  curl_easy_setopt(curl, CURLOPT_READFUNCTION, OnRead);
  curl_easy_setopt(curl, CURLOPT_READDATA, &ctx);
  curl_easy_setopt(curl, CURLOPT_TRANSFERTEXT, 0L);
  if (!request.user_name.empty())
    curl_easy_setopt(curl, CURLOPT_USERNAME, request.user_name.c_str());
  if (!request.password.empty()) curl_easy_setopt(curl, CURLOPT_PASSWORD, request.password.c_str());
  state.Report(psConnecting);
  const CURLcode rc = curl_easy_perform(curl);
  if (!ctx.started && rc != CURLE_OK) {
    state.result = state.Aborting(stop) ? trAborted : trConnectionFailed;
    return;
  }
  if (rc == CURLE_OK)
    state.result = trNoError;
  else
    state.result = state.Aborting(stop) ? trAborted : trConnectionFailed;
  state.Report(psDisconnecting);
  easy.Close();
  state.Report(psDone);
}

// The shared state takes the request's address, stream, progress and abort flag (the worker
// reaches them only through it, so an abandoned worker lets go of them); a worker ends by marking
// its state finished, whatever happened inside.
template <class Request, class Run>
std::jthread StartWorker(const std::shared_ptr<TWorkerState>& state, Request request, Run run) {
  state->url = request.url;
  state->stream = request.stream;
  state->progress = std::move(request.progress);
  state->abort = request.abort;
  request.stream = nullptr;
  request.abort = nullptr;
  return std::jthread([state, request = std::move(request), run](std::stop_token stop) {
    try {
      run(*state, request, stop);
    } catch (...) {
      state->result = trConnectionFailed;
    }
    state->Finish();
  });
}

}  // namespace

TTransferThread::TTransferThread() : state_(std::make_shared<TWorkerState>()) {}

TTransferThread::~TTransferThread() {
  if (thread_.joinable()) {
    thread_.request_stop();
    Wait();
  }
}

bool TTransferThread::Finished() const {
  return state_->finished;
}
int64_t TTransferThread::BytesDone() const {
  return state_->done;
}
int64_t TTransferThread::BytesTotal() const {
  return state_->total;
}
TProgressStage TTransferThread::Stage() const {
  return static_cast<TProgressStage>(state_->stage.load());
}
TTransferResult TTransferThread::Result() const {
  return static_cast<TTransferResult>(state_->result.load());
}
std::string TTransferThread::Url() const {
  std::lock_guard lock(state_->mutex);
  return state_->url;
}

void TTransferThread::Terminate() {
  thread_.request_stop();
}

void TTransferThread::Wait() {
  // The worker may be waiting for the user-interface thread to take a report.
  UI().ProcessMessagesUntil([this] { return state_->finished.load(); });
  if (thread_.joinable()) thread_.join();
}

void TTransferThread::Abandon() {
  {
    std::lock_guard lock(state_->mutex);
    state_->abandoned = true;
    state_->stream = nullptr;
    state_->progress = nullptr;
    state_->abort = nullptr;
  }
  if (thread_.joinable()) {
    thread_.request_stop();
    thread_.detach();
  }
}

TDownloadThread::TDownloadThread(TRequest request) {
  thread_ = StartWorker(state_, std::move(request), RunDownload);
}

TUploadThread::TUploadThread(TRequest request) {
  thread_ = StartWorker(state_, std::move(request), RunUpload);
}

}  // namespace quillora
