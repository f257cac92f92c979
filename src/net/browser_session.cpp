#include "net/browser_session.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <utility>

#include <curl/curl.h>

#include "net/curl_global.h"
#include "net/transfer_threads.h"

namespace quillora {

namespace {

struct TReceive {
  TBrowserReply* reply;
  size_t max_body;
};

size_t OnBody(char* data, size_t size, size_t count, void* p) {
  auto* r = static_cast<TReceive*>(p);
  const size_t bytes = size * count;
  std::string& body = r->reply->body;
  if (body.size() + bytes > r->max_body) {
    body.append(data, r->max_body - body.size());
    r->reply->truncated = true;
    return 0;  // stops the transfer; the part kept is judged like a whole page
  }
  body.append(data, bytes);
  return bytes;
}

int OnProgress(void* p, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  const auto* abort = static_cast<const TTransferAbort*>(p);
  return abort && abort->Requested() ? 1 : 0;
}

TTransferResult ResultOfCurl(CURLcode rc) {
  switch (rc) {
    case CURLE_OPERATION_TIMEDOUT:
      return trServerTimeout;
    case CURLE_ABORTED_BY_CALLBACK:
      return trAborted;
    case CURLE_READ_ERROR:
    case CURLE_FILE_COULDNT_READ_FILE:
      return trCannotLoad;
    default:
      return trConnectionFailed;
  }
}

// A file input's file must be there and readable before anything is sent: a browser would not
// let the user pick a missing file, and sending it empty would pass for a submission.
bool Readable(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  std::ifstream f(path, std::ios::binary);
  return f.good();
}

struct TSlist {
  curl_slist* list = nullptr;
  ~TSlist() { curl_slist_free_all(list); }
  void Add(const std::string& line) {
    if (curl_slist* l = curl_slist_append(list, line.c_str())) list = l;
  }
};

struct TMimeDeleter {
  void operator()(curl_mime* m) const { curl_mime_free(m); }
};

std::string OriginOf(const std::string& url) {
  CURLU* u = curl_url();
  std::string origin;
  if (u && curl_url_set(u, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK) {
    char *scheme = nullptr, *host = nullptr, *port = nullptr;
    if (curl_url_get(u, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
        curl_url_get(u, CURLUPART_HOST, &host, 0) == CURLUE_OK) {
      origin = std::string(scheme) + "://" + host;
      if (curl_url_get(u, CURLUPART_PORT, &port, 0) == CURLUE_OK) origin += std::string(":") + port;
    }
    curl_free(scheme);
    curl_free(host);
    curl_free(port);
  }
  curl_url_cleanup(u);
  return origin;
}

}  // namespace

const char* TBrowserSession::UserAgent() {
  return "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) "
         "Chrome/102.0.0.0 Safari/537.36";
}

TBrowserSession::TBrowserSession(TBrowserLimits limits, const TTransferAbort* abort)
    : limits_(limits), abort_(abort) {
  EnsureCurlStarted();
  curl_ = curl_easy_init();
  CURL* curl = static_cast<CURL*>(curl_);
  if (!curl) return;
  // Options that hold for every request of the session. The handle is never reset: a reset
  // switches the cookie engine off, and the name list behind an empty cookie file name (which
  // switches it on without reading a file) would leak with each reset.
  curl_easy_setopt(curl, CURLOPT_COOKIEFILE, "");
  curl_easy_setopt(curl, CURLOPT_USERAGENT, UserAgent());
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, limits_.max_redirects);
  curl_easy_setopt(curl, CURLOPT_AUTOREFERER, 1L);
  curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, limits_.connect_seconds);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, limits_.total_seconds);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, limits_.stall_seconds);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
}

TBrowserSession::~TBrowserSession() {
  if (curl_) curl_easy_cleanup(static_cast<CURL*>(curl_));
}

std::vector<std::string> TBrowserSession::Cookies() const {
  std::vector<std::string> out;
  curl_slist* list = nullptr;
  if (curl_ &&
      curl_easy_getinfo(static_cast<CURL*>(curl_), CURLINFO_COOKIELIST, &list) == CURLE_OK) {
    for (curl_slist* l = list; l; l = l->next) out.emplace_back(l->data);
  }
  curl_slist_free_all(list);
  return out;
}

TBrowserReply TBrowserSession::Send(const TBrowserRequest& request) {
  TBrowserReply reply;
  reply.final_url = request.url;
  if (!curl_) {
    reply.result = trWinInetError;
    return reply;
  }
  for (const TMultipartPart& part : request.parts) {
    if (part.is_file && !part.file_path.empty() && !Readable(part.file_path)) {
      reply.result = trCannotLoad;
      reply.error_text = part.file_path;
      return reply;
    }
  }

  CURL* curl = static_cast<CURL*>(curl_);
  // The handle keeps its fixed options, cookies and connections from call to call; what varies
  // is set on every call, so nothing from the previous request carries over.
  curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, abort_);
  TReceive receive{&reply, limits_.max_body};
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &receive);
  char error[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
  curl_easy_setopt(curl, CURLOPT_REFERER,
                   request.referer.empty() ? nullptr : request.referer.c_str());
  curl_easy_setopt(curl, CURLOPT_MIMEPOST, nullptr);
  curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);

  TSlist headers;
  headers.Add("Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8");
  headers.Add("Accept-Language: en-US,en;q=0.9");
  // Browsers never wait for "100 Continue"; some servers never send it.
  headers.Add("Expect:");
  const bool post = request.method == "POST";
  if (post) {
    if (std::string origin = OriginOf(request.referer); !origin.empty())
      headers.Add("Origin: " + origin);
  }
  for (const std::string& text : request.headers) {
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find_first_of("\r\n", start);
      if (end == std::string::npos) end = text.size();
      if (end > start) headers.Add(text.substr(start, end - start));
      start = end + 1;
    }
  }

  std::unique_ptr<curl_mime, TMimeDeleter> mime;
  if (post && !request.parts.empty()) {
    mime.reset(curl_mime_init(curl));
    for (const TMultipartPart& p : request.parts) {
      curl_mimepart* part = curl_mime_addpart(mime.get());
      curl_mime_name(part, p.name.c_str());
      if (!p.is_file) {
        curl_mime_data(part, p.value.data(), p.value.size());
      } else if (p.file_path.empty()) {
        curl_mime_data(part, "", 0);
        curl_mime_filename(part, "");
        curl_mime_type(part, "application/octet-stream");
      } else if (curl_mime_filedata(part, p.file_path.c_str()) != CURLE_OK) {
        reply.result = trCannotLoad;
        reply.error_text = p.file_path;
        return reply;
      }
    }
    curl_easy_setopt(curl, CURLOPT_MIMEPOST, mime.get());
  } else if (post) {
    headers.Add("Content-Type: " + (request.content_type.empty()
                                        ? std::string("application/x-www-form-urlencoded")
                                        : request.content_type));
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(request.body.size()));
    curl_easy_setopt(curl, CURLOPT_COPYPOSTFIELDS, request.body.c_str());
  }
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.list);

  const CURLcode rc = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  reply.status = status;
  const char* effective = nullptr;
  if (curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &effective) == CURLE_OK && effective)
    reply.final_url = effective;
  const char* type = nullptr;
  if (curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type)
    reply.content_type = type;
  if (rc != CURLE_OK && !(rc == CURLE_WRITE_ERROR && reply.truncated)) {
    reply.result = ResultOfCurl(rc);
    reply.error_text = *error ? error : curl_easy_strerror(rc);
  }
  // Options point into this call's buffers: clear them before they go out of scope.
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
  curl_easy_setopt(curl, CURLOPT_MIMEPOST, nullptr);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, nullptr);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, nullptr);
  return reply;
}

}  // namespace quillora
